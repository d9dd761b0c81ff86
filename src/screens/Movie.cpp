#include "src/screens/Movie.h"

#include "framework/files/FloatTransformer.h"
#include "framework/files/ProcessLog.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/FlashWidget.h"
#include "src/GameApp.h"
#include "src/GameResources.h"
#include "src/GameSettings.h"
#include "src/Lang.h"
#include "src/Profiles.h"
#include "src/game/AmbientSet.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/Scenario.h"
#include "src/game/Sounds.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstScene.h"
#include "src/screens/MessageBubble.h"
#include "src/screens/AboutScreen.h"
#include "src/screens/MainMenu.h"
#include "src/screens/TGameButton.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace Quib {

namespace {

constexpr int kKeyEscape = 27;
const Color kButtonLabelColor(255, 243, 152, 255);

void StyleButton(TGameButton* button)
{
    button->SetFont(FONT_BUTTON);
    button->SetColor(BUTTON_COLOR_LABEL, kButtonLabelColor);
    button->SetColor(BUTTON_COLOR_LABEL_HILITE, kButtonLabelColor);
}

} // namespace

Movie::Movie(const std::string& name) : GameBase(false, name), movieName(name)
{
    takesFocus = true;
    textRect = GetGameIniRect("MovieTextRect", "Game", Rect(0, 0, 0, 0));
    moviePath = "res\\movies\\" + movieName + ".dat";
    layout = std::make_unique<PsdPicture>(kLayoutFolder, true);
    if (GetGameIniInt("ReloadSoundsBeforeMovie", "Game", -1, -1) == 1) {
        LoadGameSettings();
        Sounds::Instance().UnloadAll();
        Sounds::Instance().LoadIni();
    }
    if (GameApp* app = GetGameApp())
        fastPicture = app->CreateImage("data\\images\\fast", true);
}

Movie::~Movie()
{
    if (ambientA)
        ReleaseAmbientSet(ambientA);
    if (ambientB)
        ReleaseAmbientSet(ambientB);
    if (flash) {
        if (flash->parent)
            flash->parent->DetachChild(flash);
        delete flash;
        flash = nullptr;
    }
    delete fastPicture;
}

void Movie::Init()
{
    GameBase::Init();
    flash = new FlashWidget(this);
    flash->SetBounds((width - kFlashWidth) / 2, (height - kFlashHeight) / 2, kFlashWidth, kFlashHeight);
    flash->mouseVisible = false;
    AttachChild(flash);
    if (!flash->LoadMovie(moviePath))
        QUIB_LOG_ERROR("Movie board: the movie \"%s\" cannot be played", moviePath);

    layout->SetLayerDrawFlag("skip/skip_pr", false);
    layout->SetLayerDrawFlag("fast/fast_pr", false);
    TGameButton* skip = CreateGameButton(*layout, kSkipButton, "skip/skip_in", "skip/skip_ac", this,
                                         Lang::Instance()("Interface", "MovieSkip"));
    StyleButton(skip);
    AddInterfaceWidget(skip);
    TGameButton* fastButton = CreateGameButton(*layout, kFastButton, "fast/fast_in", "fast/fast_in", this,
                                               Lang::Instance()("Interface", "MovieFast"));
    StyleButton(fastButton);
    AddInterfaceWidget(fastButton);
}

void Movie::OnFlashCommand(int, const std::string& command, const std::string& argument)
{
    if (command == "next") {
        subtitleNumber = std::atoi(argument.c_str());
        subtitleText = Lang::Instance()("Movie", movieName + ".text" + std::to_string(subtitleNumber));
        subtitleTimeLeft = TextDisplayTime(subtitleText);
        subtitleWaiting = true;
    } else if (command == "sound") {
        PlaySoundEffect(argument);
    } else if (command == "ambient") {
        AmbientSet* made = nullptr;
        if (usingB) {
            usingB = false;
            if (ambientB)
                ambientB->ResetAll();
            if (ambientA)
                ReleaseAmbientSet(ambientA);
            made = ambientA = LoadAmbientSet(argument);
        } else {
            usingB = true;
            if (ambientA)
                ambientA->ResetAll();
            if (ambientB)
                ReleaseAmbientSet(ambientB);
            made = ambientB = LoadAmbientSet(argument);
        }
        if (running && made) {
            made->PreloadAll();
            made->StartAll();
        }
    } else if (command == "end") {
        Finish();
    }
}

void Movie::UpdateBoard(float seconds)
{
    const float speed = fast ? kFastSpeed : 1.0f;
    ApproachFloat(subtitleTimeLeft, speed * seconds, 0.0f);
    if (subtitleTimeLeft == 0.0f && subtitleWaiting) {
        subtitleWaiting = false;
        if (flash)
            flash->SetVariable("myPlay", "1");
    }
    ApproachFloat(fastAlpha, 4.0f * seconds, fast ? 1.0f : 0.0f);
    if (fastAlpha == 0.0f)
        fastPhase = 0.0f;
    else
        fastPhase += 2.0f * seconds;
    Invalidate();
}

void Movie::Draw(Graphics& g)
{
    g.color = Color(0, 0, 0, 255);
    g.FillRectangle(0, 0, width, height);
    layout->DrawAll(g);
}

void Movie::DrawOverChildren(Graphics& g)
{
    GameBase::DrawOverChildren(g);
    const int barY = flash ? flash->y + flash->height - 1 : 0;
    g.color = Color(0, 0, 0, 255);
    g.FillRectangle(0, barY, width, 10);
    if (subtitleTimeLeft > 0.0f && FONT_CORBEL) {
        g.SaveState();
        g.color = Color::White;
        g.font = FONT_CORBEL;
        g.DrawWrappedText(subtitleText, textRect, -1, -1, nullptr);
        g.RestoreState();
    }
    if (fastPicture && fastAlpha > 0.0f) {
        const double pulse = (0.5 - 0.5 * std::cos(fastPhase * std::numbers::pi)) * 0.4 + 0.6;
        g.SaveState();
        g.colorizeImages = true;
        g.color = Color(255, 255, 255, std::clamp(int(pulse * fastAlpha * 255.0), 0, 255));
        g.DrawImageAt(fastPicture, (width - fastPicture->width) / 2, 20);
        g.RestoreState();
    }
}

void Movie::SetFast()
{
    if (flash)
        flash->SetVariable("_root.speed", "fast");
    fast = true;
}

void Movie::SetNormal()
{
    fast = false;
    if (flash)
        flash->SetVariable("_root.speed", "normal");
}

void Movie::OnMouseDownButton(int, int, int, int) { SetFast(); }

void Movie::OnMouseUpButton(int, int, int, int) { SetNormal(); }

void Movie::ButtonPress(int id)
{
    if (id == kFastButton)
        SetFast();
}

void Movie::ButtonDepress(int id)
{
    GameBase::ButtonDepress(id);
    if (id == kSkipButton)
        Finish();
    else if (id == kFastButton)
        SetNormal();
}

void Movie::OnKeyDown(int key)
{
    if (key == kKeyEscape)
        Finish();
}

void Movie::Finish()
{
    if (finished)
        return;
    finished = true;
    if (movieName == "mov_22") {
        GameControllerCommon::Instance().Player().gameComplete = true;
        GameControllerCommon::Instance().Player().Save();
        Profiles::Instance().SaveCurrent();
        ShowCredits();
        return;
    }
    if (movieName == "final") {
        ShowMainMenu();
        return;
    }
    const std::string level = !returnData.level.empty() ? returnData.level : returnData.returnScene;
    if (level.empty()) {
        QUIB_LOG_ERROR("Movie board: the movie \"%s\" has nowhere to go; back to the main menu", movieName);
        ShowMainMenu();
        return;
    }
    Scenario::Instance().StartLevel(level);
    QstScene* back = returnData.returnScene.empty()
                         ? nullptr
                         : QstGameControllerScene::Instance().GetOrLoadScene(returnData.returnScene);
    if (back && !returnData.sound.empty())
        PlaySoundEffect(returnData.sound);
    if (back && !onDoneGroup.empty()) {
        QstItem* item = returnData.itemReference.empty() ? nullptr : QstScene::GetItemByRef(returnData.itemReference);
        back->DoCreateAction(item, onDoneGroup, true, true);
    }
}

void Movie::OnBecameCurrent()
{
    running = true;
    if (AmbientSet* set = CurrentAmbientSet()) {
        set->StartAll();
        set->PreloadAll();
    }
}

void Movie::OnAttachedToManager(WidgetManager* widgetManager)
{
    GameBase::OnAttachedToManager(widgetManager);
    if (running)
        if (AmbientSet* set = CurrentAmbientSet())
            set->StartAll();
}

void Movie::OnDetachedFromManager(WidgetManager* widgetManager)
{
    GameBase::OnDetachedFromManager(widgetManager);
    if (AmbientSet* set = CurrentAmbientSet())
        set->ResetAll();
}

std::string MovieLastSceneValue(const std::string& movieName, const MovieStartData& data,
                                const std::string& onDoneGroup)
{
    return "movie:" + movieName + "," + data.level + "," + data.returnScene + "," + data.sound + "," +
           data.itemReference + "," + onDoneGroup;
}

void StoreLastSceneForMovie(Movie* board, const MovieStartData& data, const std::string& onDoneGroup)
{
    if (!board)
        return;
    board->returnData = data;
    board->onDoneGroup = onDoneGroup;
    Profiles::Instance().SetString("Main", "LastScene", MovieLastSceneValue(board->movieName, data, onDoneGroup));
    const std::string& scene = !data.returnScene.empty() ? data.returnScene : data.level;
    if (!scene.empty())
        if (QstScene* s = QstGameControllerScene::Instance().GetOrLoadScene(scene))
            board->musicName = s->GetClusterName();
}

} // namespace Quib
