#include "src/screens/Options.h"

#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/GameApp.h"
#include "src/GameResources.h"
#include "src/Lang.h"
#include "src/game/AmbientSet.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/Sounds.h"
#include "src/game/quest/PsdPicture.h"
#include "src/screens/DarkBack.h"
#include "src/screens/PopupAnimation.h"
#include "src/screens/ScaleButton.h"
#include "src/screens/ScaleSlider.h"
#include "src/screens/ScreenModeTester.h"

namespace Quib {

namespace {

constexpr int kUiSoundPress = 4;
constexpr int kPopupZOrder = 30;

// A copy of the layout whose layers share the original's images.
std::unique_ptr<PsdPicture> CopyLayout(const PsdPicture& from)
{
    auto copy = std::make_unique<PsdPicture>();
    copy->directory = from.directory;
    copy->sharedImages = true;
    for (const PsdPictureLayer* layer : from.layers) {
        auto* entry = new PsdPictureLayer;
        entry->name = layer->name;
        entry->loadPending = false;
        entry->x = layer->x;
        entry->y = layer->y;
        entry->homeX = layer->homeX;
        entry->homeY = layer->homeY;
        entry->offsetX = layer->offsetX;
        entry->offsetY = layer->offsetY;
        entry->z = layer->z;
        entry->drawn = layer->drawn;
        entry->mirrored = layer->mirrored;
        entry->image = layer->image;
        entry->drawCallback = layer->drawCallback;
        entry->missingReported = layer->missingReported;
        copy->layers.push_back(entry);
    }
    return copy;
}

} // namespace

PsdPicture* LoadOptionsLayout()
{
    return new PsdPicture("data/gui/options/", true);
}

Options::Options(PsdPicture* layoutToCopy, DarkBack* back) : backdrop(back)
{
    if (layoutToCopy)
        layout = CopyLayout(*layoutToCopy);
    else
        layout.reset(LoadOptionsLayout());
    BuildWidgets();
    tester = new ScreenModeTester([this](bool windowedFlag) { OnScreenModeChanged(windowedFlag); });
    if (gQuibAppBase)
        gQuibAppBase->ShowDialog(tester);
}

Options::~Options()
{
    layout.reset();
    DetachAllChildren(true, false);
    if (tester) {
        tester->changed = nullptr;
        if (gQuibAppBase)
            gQuibAppBase->CloseDialog(tester);
        else
            delete tester;
        tester = nullptr;
    }
}

ScaleButton* Options::CreateButton(int id, const std::string& normal, const std::string& over,
                                   const char* labelKey, uint32_t labelColor)
{
    const std::u16string label = *labelKey ? Lang::Instance()("Interface", labelKey) : std::u16string();
    return CreateScaleButton(*layout, id, normal, over, this, label, Color(labelColor));
}

ScaleSlider* Options::CreateSlider(int id, const std::string& track, const std::string& thumb)
{
    PsdPictureLayer* trackLayer = layout->FindLayer(track);
    PsdPictureLayer* thumbLayer = layout->FindLayer(thumb);
    if (trackLayer)
        trackLayer->drawn = false;
    if (thumbLayer)
        thumbLayer->drawn = false;
    auto* slider = new ScaleSlider(trackLayer ? trackLayer->image : nullptr,
                                   thumbLayer ? thumbLayer->image : nullptr, id, this);
    Rect r;
    layout->GetLayerRect(r, track, false);
    slider->SetBoundsRect(r);
    return slider;
}

void Options::BuildWidgets()
{
    layout->SetLayerDrawFlag("dark", false);
    Rect frame;
    layout->GetLayerRect(frame, "frame", false);
    SetBounds(frame.x, frame.y, frame.width, frame.height);
    layout->Offset(-frame.x, -frame.y);

    Lang& lang = Lang::Instance();
    layout->GetLayerRect(noteRect, "placeholders/changemode", true);
    noteText = lang("Interface", "OptionsChangeMode");
    layout->GetLayerRect(headRect, "placeholders/options", true);
    headText = lang("Interface", "OptionsHead");
    layout->GetLayerRect(soundRect, "placeholders/sound", true);
    soundText = lang("Interface", "OptionsSfx");
    layout->GetLayerRect(musicRect, "placeholders/music", true);
    musicText = lang("Interface", "OptionsMusic");
    layout->GetLayerRect(ambientRect, "placeholders/ambient", true);
    ambientText = lang("Interface", "OptionsAmbient");

    closeButton = CreateButton(kClose, "buttons/close/close_in", "buttons/close/close_in", "OptionsBack", kDarkText);
    AttachChild(closeButton);
    windowedButton = CreateButton(kScreenMode, "buttons/changemode/changemode_in",
                                  "buttons/changemode/changemode_ac", "OptionsWindowed", kPaleText);
    AttachChild(windowedButton);
    fullScreenButton = CreateButton(kScreenMode, "buttons/changemode/changemode_in",
                                    "buttons/changemode/changemode_ac", "OptionsFullScreen", kPaleText);
    AttachChild(fullScreenButton);
    OnScreenModeChanged(gQuibAppBase ? gQuibAppBase->windowed : true);
    for (ScaleButton* b : {windowedButton, fullScreenButton}) {
        b->normalOffset.y += 2;
        b->overOffset.y += 2;
        b->downOffset.y += 2;
    }

    cursorsOnButton = CreateButton(kCursorsOn, "buttons/cursor_on/cursor_in", "buttons/cursor_on/cursor_ac", "",
                                   kPaleText);
    AttachChild(cursorsOnButton);
    cursorsOffButton = CreateButton(kCursorsOff, "buttons/cursor_off/cursor_in", "buttons/cursor_off/cursor_ac",
                                    "", kPaleText);
    AttachChild(cursorsOffButton);
    const bool custom = gQuibAppBase && gQuibAppBase->customCursors;
    cursorsOffButton->visible = !custom;
    cursorsOnButton->visible = custom;

    layout->GetLayerRect(cursorRect, "placeholders/cursor", true);
    cursorText = lang("Interface", "OptionsCustomCursors");

    musicSlider = CreateSlider(kMusic, "scroll/music_line", "scroll/dot");
    musicSlider->SetValue(gQuibAppBase ? gQuibAppBase->GetMusicVolume() : 0.0);
    AttachChild(musicSlider);
    soundSlider = CreateSlider(kSound, "scroll/sound_line", "scroll/dot");
    soundSlider->SetValue(gQuibAppBase ? gQuibAppBase->GetSfxVolume() : 0.0);
    AttachChild(soundSlider);
    ambientSlider = CreateSlider(kAmbient, "scroll/ambient_line", "scroll/dot");
    GameApp* game = GetGameApp();
    ambientSlider->SetValue(game ? game->ambientVolume : 0.0);
    AttachChild(ambientSlider);

    AnimateChildren(0.0f);
}

void Options::AnimateChildren(float p)
{
    for (ScaleButton* b : {closeButton, windowedButton, fullScreenButton, cursorsOnButton, cursorsOffButton})
        AnimatePopupButton(*this, b, p);
    for (ScaleSlider* s : {soundSlider, musicSlider, ambientSlider}) {
        if (!s)
            continue;
        s->SetScale(PopupAppearScale(p), width / 2, height / 2);
        s->color = PopupAppearColor(p);
    }
}

void Options::OnScreenModeChanged(bool windowedFlag)
{
    const bool current = gQuibAppBase ? bool(gQuibAppBase->windowed) : windowedFlag;
    if (current != windowedFlag) {
        // The switch did not give the mode asked for.
        showNote = true;
        return;
    }
    showNote = false;
    if (windowedButton)
        windowedButton->visible = !windowedFlag;
    if (fullScreenButton)
        fullScreenButton->visible = windowedFlag;
}

void Options::Close()
{
    target = 0.0f;
    DismissBackdrop(backdrop);
}

void Options::ButtonDepress(int id)
{
    switch (id) {
    case kClose:
        Close();
        break;
    case kScreenMode:
        if (gQuibAppBase) {
            const bool is3D = gQuibAppBase->display && gQuibAppBase->display->is3D;
            gQuibAppBase->SwitchScreenMode(!gQuibAppBase->windowed, is3D, false);
        }
        break;
    case kCursorsOn:
        if (gQuibAppBase)
            gQuibAppBase->EnableCustomCursors(false);
        cursorsOnButton->visible = false;
        cursorsOffButton->visible = true;
        break;
    case kCursorsOff:
        if (gQuibAppBase)
            gQuibAppBase->EnableCustomCursors(true);
        cursorsOffButton->visible = false;
        cursorsOnButton->visible = true;
        break;
    default:
        break;
    }
}

void Options::SliderValueChanged(int id, double value)
{
    switch (id) {
    case kMusic:
        if (gQuibAppBase)
            gQuibAppBase->SetMusicVolume(value);
        break;
    case kSound:
        if (gQuibAppBase)
            gQuibAppBase->SetSfxVolume(value);
        if (soundSlider && !soundSlider->dragging)
            PlayUiSound(kUiSoundPress);
        break;
    case kAmbient:
        if (GameApp* game = GetGameApp())
            game->ambientVolume = value;
        ApplyAmbientVolume();
        break;
    default:
        break;
    }
}

void Options::Update()
{
    Widget::Update();
    if (StepPopupOrRemove(*this, progress, target))
        return;
    AnimateChildren(progress);
    Invalidate();
}

void Options::Draw(Graphics& g)
{
    ApplyPopupTransform(g, progress, width, height);
    layout->DrawAll(g);
    const Color text = MultiplyColors(g.color, Color(kDarkText));

    g.SaveState();
    g.color = text;
    g.font = FONT_HEAD;
    if (g.font)
        g.DrawText(headText, headRect.x + headRect.width - g.TextWidth(headText), CentredBaseline(headRect, g.font));
    g.RestoreState();

    g.SaveState();
    g.color = text;
    g.font = FONT_TEXT_BOLD;
    if (g.font) {
        for (const auto& [label, r] : {std::pair<const std::u16string&, const Rect&>{soundText, soundRect},
                                       {musicText, musicRect},
                                       {ambientText, ambientRect}})
            g.DrawText(label, r.x + (r.width - g.TextWidth(label)) / 2, CentredBaseline(r, g.font));
        g.DrawText(cursorText, cursorRect.x, CentredBaseline(cursorRect, g.font));
    }
    g.RestoreState();

    if (showNote) {
        g.SaveState();
        g.color = text;
        g.font = FONT_TEXT;
        if (g.font)
            g.DrawWrappedText(noteText, noteRect, -1, -1, nullptr);
        g.RestoreState();
    }
}

Options* ShowOptionsPopup(WidgetContainer* parent)
{
    PsdPicture* shared = nullptr;
    if (GameControllerCommon* common = GameControllerCommon::Existing())
        shared = common->GetSharedPicture(GameControllerCommon::PICTURE_OPTIONS);
    auto* back = new DarkBack(Delegate(), 0);
    auto* popup = new Options(shared, back);
    back->closeDelegate = Delegate(popup, &Options::Close);
    back->zOrder = kPopupZOrder;
    popup->zOrder = kPopupZOrder;
    parent->AttachChild(back);
    parent->AttachChild(popup);
    return popup;
}

} // namespace Quib
