// The hidden-object board.
#include "src/game/ispy/ISpy.h"

#include "framework/files/ProcessLog.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetFlags.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Clock.h"
#include "platform/Cursors.h"
#include "platform/WindowSystem.h"
#include "src/GameApp.h"
#include "src/GameResources.h"
#include "src/GameSettings.h"
#include "src/Lang.h"
#include "src/game/GameControllerCommon.h"
#include "framework/files/Random.h"
#include "src/game/Sounds.h"
#include "src/game/ispy/ElementImageQueue.h"
#include "src/game/ispy/GameControllerISpy.h"
#include "src/game/ispy/HogProfile.h"
#include "src/game/ispy/ISpyHost.h"
#include "src/game/ispy/TLevel.h"
#include "src/game/ispy/TPaintElement.h"
#include "src/game/ispy/TPicture.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/quest/PsdPictureLayer.h"
#include "src/game/quest/QstTutor.h"
#include "src/particles/ParticlesRef.h"
#include "src/particles/cGlobalParticles.h"
#include "src/screens/HintWidget.h"
#include "src/screens/TGameButton.h"
#include "src/screens/TImageWidget.h"
#include "src/screens/ToolTip.h"

#include <algorithm>
#include <cmath>

namespace Quib {

namespace {

constexpr int kMenuButton = 1;
constexpr int kEscapeKey = 27;

void WantCursor(int32_t kind)
{
    GameApp* app = GetGameApp();
    if (app && app->CursorKindShown() != kind)
        app->SetCursorType(kind);
}

void PlayBoardSound(const std::string& name) { PlaySoundEffect(name); }

} // namespace

std::u16string FormatCount(std::u16string_view text, int value)
{
    const std::string number = std::to_string(value);
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size()) {
            const char16_t next = text[i + 1];
            if (next == u'd' || next == u'i') {
                out.append(number.begin(), number.end());
                ++i;
                continue;
            }
            if (next == u'%') {
                out.push_back(u'%');
                ++i;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

// ---- HintEffect ---------------------------------------------------------------------

HintEffect::HintEffect(TPaintElement* target, const std::string& effectName, float seconds, const Point& offset)
    : element(target), timeLeft(seconds), duration(seconds)
{
    if (cGlobalParticles* particles = cGlobalParticles::Instance())
        effect = particles->NewEffect(effectName, false);
    if (effect && element) {
        effect->Emit(element->GetFrameCentre(offset));
        effect->SetLooping(true);
    }
}

HintEffect::~HintEffect()
{
    if (element)
        element->glowColour = 0;
    if (effect)
        effect->Stop();
}

// ---- ISpy -------------------------------------------------------------------------

ISpy::ISpy() : GameBase(false, std::string())
{
    needsLoading = ElementImageQueue::Count() != 0;
    tooltip = new ToolTip();
    interfaceLayoutOwned = std::make_unique<PsdPicture>("DATA/gui/hog_interface/", true);
    for (int32_t id : {MSG_HINT_TARGET, MSG_LEVEL_BLOCKED, MSG_LEVEL_UNBLOCKED, MSG_PICTURE_COMPLETE,
                       MSG_FIRST_MISS_BURST, MSG_MISS, MSG_NOTEPAD_HINT_START, MSG_HINT_GIVEN, MSG_MISS_BURST})
        Subscribe(static_cast<TMessenger*>(this), id);
}

ISpy::~ISpy()
{
    tutor.reset();
    tutorialLayout.reset();
    if (won && picture)
        picture->Reset();
    DropMissTween();
    if (tooltip && !tooltip->parent)
        delete tooltip;
    DetachAllChildren(true, true);
    fader = nullptr;
    pauseWidget = nullptr;
    hintCompass = nullptr;
    tooltip = nullptr;
    interfaceWidgets.clear();
    hintMarkers.clear();
    interfaceLayoutOwned.reset();
}

void StoreLastSceneForHog(ISpy* board, const SBackFromHOGData& data)
{
    if (!board)
        return;
    board->returnData = data;
    const std::string pictureName = board->picture ? board->picture->name : std::string();
    ProfileSet("Main", "LastScene", "hog:" + pictureName + "," + data.Serialize());
    if (board->picture && board->picture->level)
        board->picture->level->SetCurrentList(data.hogItem);
}

ISpy* EnterHogLevel(const std::string& levelName, const SBackFromHOGData& data)
{
    GameApp* app = GetGameApp();
    auto* board = new ISpy();
    board->SetBounds(0, 0, app ? app->AppWidth() : 1024, app ? app->AppHeight() : 768);
    GameControllerISpy& controller = GameControllerISpy::Instance();
    controller.SetLevelName(levelName);
    board->picture = FindLevelEntryByName(controller.GetCurrentLevel(), levelName);
    StoreLastSceneForHog(board, data);
    if (app)
        app->SwitchToBoard(board);
    return board;
}

ISpy* ContinueHogLevel(const std::string& levelName, const std::string& returnDataText)
{
    SBackFromHOGData data;
    if (!data.Deserialize(returnDataText)) {
        QUIB_LOG_ERROR("Hidden-object level \"%s\": the return data \"%s\" is not a record", levelName,
                       returnDataText);
        return nullptr;
    }
    return EnterHogLevel(levelName, data);
}

void ISpy::OnAttachedToManager(WidgetManager* widgetManager)
{
    // The plain behaviour: the fader stays with the board.
    BaseBoard::OnAttachedToManager(widgetManager);
}

void ISpy::OnDetachedFromManager(WidgetManager* widgetManager)
{
    BaseBoard::OnDetachedFromManager(widgetManager);
    if (tooltip && !tooltip->parent)
        delete tooltip;
    DetachAllChildren(true, true);
    fader = nullptr;
    pauseWidget = nullptr;
    hintCompass = nullptr;
    tooltip = nullptr;
    interfaceWidgets.clear();
}

void ISpy::Init()
{
    GameBase::Init();
    needsLoading = false;
}

int ISpy::GetImagesToLoad() { return int(ElementImageQueue::Count()); }

void ISpy::LoadImages()
{
    GameApp* app = GetGameApp();
    while (GetImagesToLoad() != 0) {
        ElementImageQueue::LoadFirst();
        if (app)
            app->LoadingTaskDone();
    }
}

std::string ISpy::GetMusicId()
{
    std::string music;
    if (GetISpyHost().GetSceneMusicId(returnData.sceneName, music))
        return music;
    QUIB_LOG_ERROR("Internal error: can't get music name for hog");
    return std::string();
}

void ISpy::OnStart() { BuildInterface(); }

void ISpy::BuildInterface()
{
    PsdPicture& layout = *interfaceLayoutOwned;
    if (Widget* compass = GetISpyHost().CreateHintWidget(*this, layout)) {
        hintCompass = dynamic_cast<HintWidget*>(compass);
        AttachChild(compass);
    }
    AttachChild(CreateGameButton(layout, kMenuButton, "menu/menu_in", "menu/menu_gl", this, std::u16string()));
    if (PsdPictureLayer* frame = layout.FindLayer("interface")) {
        auto* frameWidget = new TImageWidget(frame->image);
        frameWidget->SetBounds(frame->x, frame->y, 0, 0);
        frame->drawn = false;
        AttachChild(frameWidget);
    }
    layout.SetLayerDrawFlag("inventory/place", false);
    if (picture)
        picture->NotifyReady();
    PlayerInfo& player = GameControllerCommon::Instance().Player();
    if (player.showTutorial && (!player.tutorialHogItems || !player.tutorialHogHint)) {
        tutorialLayout = std::make_unique<PsdPicture>("data\\gui\\tutorial_hog\\", true);
        tutor = std::make_unique<QstTutor>(this);
        if (!player.tutorialHogItems) {
            tutor->ShowHogHelp3(tutorialLayout.get());
            player.tutorialHogItems = true;
        }
    }
    if (tooltip && !tooltip->parent)
        AttachChild(tooltip);
}

void ISpy::ShowTooltip(const std::u16string& text, float seconds)
{
    if (tooltip)
        tooltip->SetText(text, seconds);
}

bool ISpy::RequestHint()
{
    SendNoData(static_cast<TMessenger*>(this), MSG_HINT_REQUESTED);
    return true;
}

bool ISpy::IsInExitZone(int py) const
{
    if (won || !picture)
        return false;
    const int h = height;
    const int top = picture->notepad.y;
    return py >= h - (h - top) / 2;
}

void ISpy::OnMouseDown(int px, int py, ClickCode code)
{
    if (!picture || code != CLICK_LEFT)
        return;
    if (IsInExitZone(py)) {
        GetISpyHost().ReturnToScene(returnData.sceneName);
        return;
    }
    TPaintElement* element = picture->HitTest(px, py);
    if (!element || element->taken) {
        PlayBoardSound("mouseMiss");
        SendNoData(static_cast<TMessenger*>(this), MSG_MISS);
        return;
    }
    picture->TakeElement(element);
    const std::u16string text = element->text;
    if (picture->notepad.ItemFound(text))
        picture->CountItemUse(text);
    TMessageData data(element);
    Send(static_cast<TMessenger*>(this), MSG_ELEMENT_TAKEN, &data);
    if (element->IsSphere())
        SendNoData(static_cast<TMessenger*>(this), MSG_SPHERE_TAKEN);
    else
        PlayBoardSound("trashRemove");
    RemoveMarkersOf(element);
    const size_t records = picture->notepad.RecordCount();
    if (records == 0)
        return;
    const float share = 1.0f - float(picture->notepad.CountRecordsLeft()) / float(records);
    PlayerInfo& player = GameControllerCommon::Instance().Player();
    if (share > 0.5f && tutor && player.showTutorial && !player.tutorialHogHint) {
        tutor->ShowHogHelp6(tutorialLayout.get());
        player.tutorialHogHint = true;
    }
}

void ISpy::OnMouseMove(int, int py)
{
    WantCursor(IsInExitZone(py) ? CURSOR_DOOR : missFlag ? CURSOR_ARROW_RED : CURSOR_ARROW);
}

void ISpy::OnMouseLeave() { WantCursor(missFlag ? CURSOR_ARROW_RED : CURSOR_ARROW); }

void ISpy::OnKeyDown(int key)
{
    if (key == kEscapeKey)
        ButtonPress(0);
}

void ISpy::RemoveMarkersOf(const TPaintElement* element)
{
    std::erase_if(hintMarkers, [element](const auto& marker) { return marker->element == element; });
}

void ISpy::DropMissTween()
{
    // The tween stays in the process list: without a listener it ends by
    // itself there and the list deletes it.
    if (missTween)
        DetachFrom(true, missTween);
    missTween = nullptr;
}

void ISpy::OnSenderRemoved(MessageSender* sender)
{
    if (missTween && sender == static_cast<MessageSender*>(missTween))
        missTween = nullptr;
    FloatTransformerListener::OnSenderRemoved(sender);
}

void ISpy::OnMessage(int32_t id, TMessenger*, TMessageData* data)
{
    switch (id) {
    case MSG_HINT_TARGET:
        hintMarkers.clear();
        if (data && data->element && picture)
            hintMarkers.push_back(std::make_unique<HintEffect>(data->element, "Hint", 5000.0f,
                                                               Point(picture->pictureRect.x, picture->pictureRect.y)));
        break;
    case MSG_PICTURE_COMPLETE:
        if (!won && data && picture && data->picture == picture && picture->level && picture->level->IsComplete()) {
            PlayBoardSound("winCheme");
            HandOverWin();
        }
        break;
    case MSG_MISS: {
        DropMissTween();
        if (GameApp* app = GetGameApp())
            app->SetCursorType(CURSOR_ARROW_RED);
        missFlag = true;
        missTween = new FloatTrLine(0.0f, 1.0f, 1.0f, 0);
        FloatTransformer::AddListener(missTween, this);
        Process::AddToList(missTween);
        break;
    }
    case MSG_MISS_BURST:
        ShoveCursor();
        break;
    case MSG_NOTEPAD_HINT_START:
        notepadHintFlag = data && data->flag;
        notepadHintTime = TimeGetTime();
        break;
    default:
        break;
    }
}

void ISpy::OnFinished(FloatTransformer*, int id)
{
    if (id != 0)
        return;
    missFlag = false;
    if (GameApp* app = GetGameApp())
        app->SetCursorType(CURSOR_ARROW);
    missTween = nullptr;
}

void ISpy::HandOverWin()
{
    GetISpyHost().BackFromHOG(returnData);
    ProfileSet("Main", "LastScene", "scene:" + returnData.sceneName);
    if (picture && picture->level)
        picture->level->changed = false;
    won = true;
}

void ISpy::ButtonPress(int id)
{
    if (id != kMenuButton)
        return;
    GameApp* app = GetGameApp();
    WidgetManager* wm = app ? app->widgetManager.get() : nullptr;
    if (wm && wm->IsKeyDown(KEYCODE_CONTROL) && wm->IsKeyDown(KEYCODE_SHIFT)) {
        if (!won)
            HandOverWin();
        return;
    }
    GetISpyHost().OpenInGameMenu(*this);
}

void ISpy::ShoveCursor()
{
    if (shoveActive)
        return;
    GameApp* app = GetGameApp();
    WidgetManager* wm = app ? app->widgetManager.get() : nullptr;
    const Point at = wm ? Point(wm->mouseX, wm->mouseY) : Point(0, 0);
    shoveActive = true;
    shoveProgress = 0.0f;
    shoveStart = lastCursorPoint = at;
    const float w = float(app ? app->AppWidth() : width);
    const float h = float(app ? app->AppHeight() : height);
    const float x = float(at.x), y = float(at.y);
    const bool left = x > 350.0f, right = x < w - 350.0f, up = y > 350.0f, down = y < h - 350.0f;
    int candidates[4];
    int n = 0;
    if (right && down)
        candidates[n++] = 0;
    if (left && down)
        candidates[n++] = 1;
    if (left && up)
        candidates[n++] = 2;
    if (right && up)
        candidates[n++] = 3;
    if (n == 0)
        candidates[n++] = 0;
    const int q = candidates[MersenneNext() % uint32_t(n)];
    const float halfPi = 3.14159265f / 2.0f;
    const float angle = RandomFloatMT(halfPi) + float(q) * halfPi;
    shoveTarget = Point(at.x - int(std::cos(angle) * -300.0f), at.y - int(std::sin(angle) * -300.0f));
}

void ISpy::UpdateBoard(float seconds)
{
    TMessageData tick(seconds);
    Send(static_cast<TMessenger*>(this), MSG_FRAME_TICK, &tick);
    if (hintCompass)
        hintCompass->Update(seconds);
    if (tooltip)
        tooltip->Update(seconds);
    for (size_t i = 0; i < hintMarkers.size();) {
        HintEffect& marker = *hintMarkers[i];
        if (marker.effect)
            marker.effect->Update(seconds);
        marker.timeLeft -= seconds;
        const float f = marker.timeLeft - std::trunc(marker.timeLeft);
        if (marker.element)
            marker.element->glowColour = 0x01010101u * uint32_t(std::clamp(
                                                            int(std::sin(f * 3.1415926f) * 254.0f + 1.0f), 0, 255));
        if (marker.timeLeft < 0.0f)
            hintMarkers.erase(hintMarkers.begin() + std::ptrdiff_t(i));
        else
            ++i;
    }
    if (shoveActive) {
        const bool arrived = ApproachFloat(shoveProgress, seconds / 3.0f, 1.0f);
        const float dx = float(shoveTarget.x - shoveStart.x), dy = float(shoveTarget.y - shoveStart.y);
        const float length = std::sqrt(dx * dx + dy * dy);
        const float ux = length > 0.0f ? dx / length : 0.0f, uy = length > 0.0f ? dy / length : 0.0f;
        const float b = 5.0f * 3.14159265f * shoveProgress;
        const float e = 50.0f * std::cos(b + 3.14159265f) + 50.0f;
        const float gg = 50.0f * std::sin(b);
        const Point point(int(shoveProgress * dx + float(shoveStart.x) + e * ux - gg * uy),
                          int(shoveProgress * dy + float(shoveStart.y) + gg * ux + e * uy));
        if (point != lastCursorPoint) {
            GameApp* app = GetGameApp();
            if (app && app->mainWindow && app->widgetManager)
                GetWindowSystem().Cursors().WarpCursor(*app->mainWindow,
                                                       app->widgetManager->mouseX + point.x - lastCursorPoint.x,
                                                       app->widgetManager->mouseY + point.y - lastCursorPoint.y);
            lastCursorPoint = point;
        }
        if (arrived)
            shoveActive = false;
    }
    if (won) {
        // Arrival is the delay at 0 after the step: a step exactly as long
        // as what is left lands on 0 without reporting it.
        if (!dialogShown) {
            ApproachFloat(winDelay, seconds, 0.0f);
            if (winDelay == 0.0f) {
                dialogShown = true;
                const std::string item = returnData.foundItems.empty()
                                             ? std::string()
                                             : returnData.sceneName + ":" + returnData.foundItems.front();
                GetISpyHost().ShowItemDialog(*this, item);
            }
        }
        if (dialogClosed && !returned) {
            ApproachFloat(returnDelay, seconds, 0.0f);
            if (returnDelay == 0.0f) {
                returned = true;
                GetISpyHost().ReturnToScene(returnData.sceneName);
            }
        }
    }
}

void ISpy::Draw(Graphics& g)
{
    g.color = Color(0, 0, 0, 255);
    g.FillRectangle(0, 0, width, height);
    if (!picture)
        return;
    picture->DrawPicture(g);
    const Rect whole = g.clipRect;
    g.ReplaceClip(picture->pictureRect);
    for (auto& marker : hintMarkers)
        if (marker->effect)
            marker->effect->Draw(&g);
    g.clipRect = whole;
    interfaceLayoutOwned->DrawAll(g);
    picture->notepad.Draw(g);
    g.font = FONT_CORBEL;
    g.color = Color(uint32_t(GetGameIniValue("Notepad", "Game", 0)));
    const Point at = GetGameIniPoint("GameItemsLeftPos", "Game", Point(0, 0));
    const int left = picture->level ? picture->level->CountRecordsLeft() : picture->notepad.CountRecordsLeft();
    // The translated text is never a format: only its "%d" is replaced.
    g.DrawTextInWidth(FormatCount(Lang::Instance()("Interface", "GameItemsLeft"), left), at.x, at.y, 120, 0, true, 0,
                      -1, -1);
}

void ISpy::OnLeft()
{
    FloatTransformerListener::DetachFrom(true);
    missTween = nullptr;
    if (picture)
        picture->hintsEnabled = false;
    if (GameApp* app = GetGameApp())
        app->SetCursorType(CURSOR_ARROW);
    missFlag = false;
}

} // namespace Quib
