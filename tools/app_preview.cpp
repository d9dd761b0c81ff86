// Runs the application object in a real window with a few widgets on a
// painted background, to look at the whole road from input to the screen:
//   app_preview [--seconds S]
// It runs for S seconds (6 by default) or until the window is closed.
#include "framework/app/QuibAppBase.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/Checkbox.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/EditWidget.h"
#include "framework/widgets/Slider.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Clock.h"
#include "platform/CommandLine.h"
#include "platform/MessageSink.h"
#include "platform/sdl/SdlMessageSink.h"
#include "platform/sdl/SdlWindowSystem.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using namespace Quib;

namespace {

// The whole screen: a sky-like gradient behind the controls.
class Backdrop : public Widget {
public:
    void Draw(Graphics& g) override
    {
        for (int y = 0; y < height; y += 4) {
            const int t = y * 255 / (height > 0 ? height : 1);
            g.color = Color(30 + t / 3, 40 + t / 4, 90 + t / 3);
            g.FillRectangle(0, y, width, 4);
        }
    }
};

class PreviewApp : public QuibAppBase {
public:
    explicit PreviewApp(double seconds) : seconds(seconds)
    {
        productKey = "QuibAppPreview";
        windowTitle = u"Application preview";
        appWidth = 800;
        appHeight = 600;
        soundDisabled = true;
    }
    ~PreviewApp() override
    {
        for (auto& w : owned)
            widgetManager->DetachChild(w.get());
    }

    void InitHook() override
    {
        QuibAppBase::InitHook();
        startMs = GetTickCount();
        auto* back = Add(std::make_unique<Backdrop>());
        back->SetBounds(0, 0, appWidth, appHeight);
        auto* button = Add(std::make_unique<ButtonWidget>(1, this));
        button->label = u"Press me";
        button->SetBounds(40, 40, 140, 32);
        auto* box = Add(std::make_unique<Checkbox>(nullptr));
        box->SetBounds(40, 90, 20, 20);
        auto* edit = Add(std::make_unique<EditWidget>(nullptr));
        edit->SetBounds(40, 130, 240, 24);
        edit->SetText(u"Type here", false);
        auto* slider = Add(std::make_unique<Slider>(nullptr, nullptr, 2, nullptr));
        slider->SetBounds(40, 175, 240, 16);
        ShowDialog(new Dialog(7, false, u"A dialog", u"Its body text wraps over the lines it needs.", u"", 1));
    }

    void UpdateOneFrame() override
    {
        QuibAppBase::UpdateOneFrame();
        if (GetTickCount() - startMs > uint32_t(seconds * 1000))
            RequestExit();
    }

private:
    template <class W>
    W* Add(std::unique_ptr<W> widget)
    {
        W* raw = widget.get();
        widgetManager->AttachChild(raw);
        owned.push_back(std::move(widget));
        return raw;
    }

    double seconds;
    uint32_t startMs = 0;
    std::vector<std::unique_ptr<Widget>> owned;
};

} // namespace

int main(int argc, char** argv)
{
    double seconds = 6;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc)
            seconds = std::atof(argv[++i]);
        else {
            std::fprintf(stderr, "usage: app_preview [--seconds S]\n");
            return 2;
        }
    }
    auto system = SdlWindowSystem::Create();
    if (!system)
        return 1;
    SetWindowSystem(system.get());
    // The application reads its own options; this tool's are not among them.
    SetProcessArguments(1, argv);
    SdlMessageSink sink(system.get());
    SetMessageSink(&sink);
    {
        PreviewApp app(seconds);
        app.Initialize();
        app.Run();
    }
    SetMessageSink(nullptr);
    SetWindowSystem(nullptr);
    return 0;
}
