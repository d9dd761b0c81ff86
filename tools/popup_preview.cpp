// Runs the game application and, after its title, a preview board with the
// game's own widgets, to look at them on the real screen path:
//   popup_preview [--seconds S]
// Run it in the generated data folder. The board shows the in-game menu's
// layout as a popup over its dark backdrop: it opens at 1 s and closes at
// 2.5 s, every 3 s (a click on the backdrop closes it sooner; P opens it), a
// tooltip follows the mouse, the bubble speaks, the portrait changes mood
// and the progress bar fills. It ends after S seconds (20 by default).
// With --shots it writes the screen every quarter second of the first six
// into _screenshots.
#include "framework/files/Singletone.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/CommandLine.h"
#include "platform/MessageSink.h"
#include "platform/sdl/SdlMessageSink.h"
#include "platform/sdl/SdlWindowSystem.h"
#include "src/GameApp.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/PlayerInfo.h"
#include "src/game/quest/PsdPicture.h"
#include "src/screens/Avatar.h"
#include "src/screens/BaseBoard.h"
#include "src/screens/DarkBack.h"
#include "src/screens/GameProgress.h"
#include "src/screens/MessageBubble.h"
#include "src/screens/PopupAnimation.h"
#include "src/screens/PopupAppear.h"
#include "src/screens/ScaleButton.h"
#include "src/screens/ToolTip.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace Quib;

namespace {

// The in-game menu's picture with its three buttons, growing and shrinking
// with the shared appear animation.
class PreviewPopup : public Widget, public ButtonListener {
public:
    PreviewPopup() : layout("data/gui/ingamemenu/", true)
    {
        Rect back;
        layout.GetLayerRect(back, "_back", false);
        SetBounds(back.x, back.y, back.width, back.height);
        layout.Offset(-back.x, -back.y);
        for (const char* name : {"resume", "options", "mainmenu"}) {
            const std::string base = std::string(name) + "/" + name;
            ScaleButton* button = CreateDialogScaleButton(layout, this, base + "_in", base + "_ac", u"");
            buttons.push_back(button);
            AttachChild(button);
        }
        Animate();
    }
    ~PreviewPopup() override
    {
        for (ScaleButton* button : buttons) {
            DetachChild(button);
            delete button;
        }
    }
    void Update() override
    {
        Widget::Update();
        Invalidate();
        appear.Update(*this);
        Animate();
    }
    void Draw(Graphics& g) override
    {
        ApplyPopupTransform(g, appear.progress, width, height);
        layout.DrawAll(g);
    }
    void ButtonDepress(int) override { appear.Close(); }

    PsdPicture layout;
    PopupAppear appear;
    std::vector<ScaleButton*> buttons;

private:
    void Animate()
    {
        for (ScaleButton* button : buttons)
            AnimatePopupButton(*this, button, appear.progress);
    }
};

class PreviewBoard : public BaseBoard {
public:
    PreviewBoard(double runSeconds, bool shots)
        : BaseBoard(false), endSeconds(float(runSeconds)), takeShots(shots), background("data/gui/loading/", true), face("data/gui/interface/", true)
    {
        background.SetLayerFlag("lamp", false);
    }
    ~PreviewBoard() override
    {
        for (Widget* w : {static_cast<Widget*>(tip), static_cast<Widget*>(bubble), static_cast<Widget*>(avatar),
                          static_cast<Widget*>(progress)}) {
            if (w && w->parent)
                w->parent->DetachChild(w);
            delete w;
        }
    }
    std::string GetBoardName() override { return "Menu"; }
    void OnStart() override
    {
        progress = new GameProgress(face.FindLayer("progress/progress_empty"), face.FindLayer("progress/progress_full"));
        AttachChild(progress);
        avatar = new Avatar();
        avatar->LoadFaces(face, "harbour");
        AttachChild(avatar);
        bubble = new MessageBubble();
        bubble->LoadLayout(face);
        AttachChild(bubble);
        tip = new ToolTip();
        AttachChild(tip);
    }
    void UpdateBoard(float seconds) override
    {
        const float before = clock;
        clock += seconds;
        auto crossed = [&](float at) { return before < at && clock >= at; };
        // The popup opens at 1 s and closes at 2.5 s, every 3 s.
        const float cycleBefore = std::fmod(before, 3.0f), cycleNow = std::fmod(clock, 3.0f);
        auto cycled = [&](float at) { return cycleBefore < at && cycleNow >= at; };
        if (cycled(1.0f))
            OpenPopup();
        if (cycled(2.5f) && popup)
            ClosePopup();
        if (crossed(5.0f))
            bubble->Show(u"The lanterns are lit all along the harbour. Someone is waiting at the pier.", -1.0f);
        if (crossed(6.0f))
            avatar->requestedMood = Avatar::MOOD_HAPPY;
        if (crossed(10.0f))
            avatar->requestedMood = Avatar::MOOD_SURPRISE;
        // With --shots, the screen every quarter second of the first six.
        if (takeShots && clock < 6.0f && int(clock * 4.0f) != int(before * 4.0f))
            if (GameApp* app = GetGameApp())
                app->TakeScreenshot();
        if (crossed(endSeconds))
            if (GameApp* app = GetGameApp())
                app->RequestExit();
        GameControllerCommon::Instance().Player().progress = std::min(1.0f, clock / 15.0f);
        tip->SetText(manager && manager->mouseY > 384 ? u"The lower half" : u"The upper half of the screen", -1.0f);
        tip->Update(seconds);
        bubble->Update(seconds);
        avatar->Update(seconds);
    }
    void Draw(Graphics& g) override { background.DrawAll(g); }
    void OnKeyDown(int key) override
    {
        if ((key == 'P' || key == 'p') && !popup)
            OpenPopup();
    }

private:
    void OpenPopup()
    {
        if (popup)
            return;
        back = new DarkBack(Delegate(), 0);
        back->zOrder = 30;
        AttachChild(back);
        popup = new PreviewPopup();
        popup->zOrder = 30;
        popup->appear.darkBack = back;
        back->closeDelegate = Delegate(this, &PreviewBoard::ClosePopup);
        AttachChild(popup);
    }
    void ClosePopup()
    {
        if (!popup)
            return;
        popup->appear.Close();
        popup = nullptr; // it deletes itself, and so does its backdrop
        back = nullptr;
    }

    float endSeconds;
    bool takeShots;
    PsdPicture background;
    PsdPicture face;
    float clock = 0.0f;
    ToolTip* tip = nullptr;
    MessageBubble* bubble = nullptr;
    Avatar* avatar = nullptr;
    GameProgress* progress = nullptr;
    DarkBack* back = nullptr;
    PreviewPopup* popup = nullptr;
};

// The game with the preview board switched to after its title.
class PreviewGameApp : public GameApp {
public:
    PreviewGameApp(double runSeconds, bool shots) : seconds(runSeconds), takeShots(shots)
    {
        soundDisabled = true;
        // Its own instance lock and user folder: it runs beside the game.
        productKey = "PelleranthePreview";
    }
    void InitHook() override
    {
        GameApp::InitHook();
        SwitchToBoard(new PreviewBoard(seconds, takeShots));
    }

private:
    double seconds;
    bool takeShots;
};

} // namespace

int main(int argc, char** argv)
{
    double seconds = 20.0;
    bool shots = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc)
            seconds = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--shots"))
            shots = true;
        else {
            std::fprintf(stderr, "usage: popup_preview [--seconds S] [--shots] (in the generated data folder)\n");
            return 2;
        }
    }
    auto system = SdlWindowSystem::Create();
    if (!system) {
        std::fprintf(stderr, "popup_preview: no window system could be opened\n");
        return 1;
    }
    SetWindowSystem(system.get());
    // The application reads its own options; this tool's are not among them,
    // and it stays in the folder it was started in.
    std::string stay = "-changedir=\"" + std::filesystem::current_path().string() + "\"";
    char* appArgs[] = {argv[0], stay.data()};
    SetProcessArguments(2, appArgs);
    SdlMessageSink sink(system.get());
    SetMessageSink(&sink);
    {
        auto app = std::make_unique<PreviewGameApp>(seconds, shots);
        app->Initialize();
        app->Run();
    }
    SingletoneBase::DestroyAll();
    SetMessageSink(nullptr);
    SetWindowSystem(nullptr);
    return 0;
}
