// Opens the display in a window and shows a test picture with the software
// cursor circling over it, to look at the presentation:
//   display_preview [--full] [--3d] [--size WxH] [--seconds S]
// --full shows it full screen (over the desktop), --3d draws the picture
// through the 3-D device; the picture is 640 x 480 unless --size says
// otherwise. It runs for S seconds (5 by default) or until the window is
// closed.
#include "framework/app/D3DInterfaceImpl.h"
#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/SoftwareDevice3D.h"
#include "platform/Clock.h"
#include "platform/MessageSink.h"
#include "platform/Presenter.h"
#include "platform/sdl/SdlWindowSystem.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using namespace Quib;

namespace {

// An arrow of 20 x 28 pixels: black outline, white inside, soft shadow.
std::vector<uint32_t> ArrowPixels(int& w, int& h)
{
    w = 20;
    h = 28;
    std::vector<uint32_t> p(size_t(w) * size_t(h), 0);
    const auto inside = [](int x, int y) { return y < 22 && x <= y * 2 / 3 && x >= 0; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t& v = p[size_t(y) * size_t(w) + size_t(x)];
            if (inside(x, y)) {
                const bool edge = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
                v = edge ? 0xFF000000u : 0xFFFFFFFFu;
            } else if (inside(x - 2, y - 2)) {
                v = 0x60000000u;
            }
        }
    return p;
}

void DrawPicture(Graphics& g, int w, int h, double t)
{
    // Vertical bands of colour, a grid, and a frame marking the edges.
    for (int x = 0; x < w; x += 8) {
        const int r = 40 + 180 * x / w, b = 200 - 160 * x / w;
        g.color = Color(r, 60, b);
        g.FillRectangle(x, 0, 8, h);
    }
    g.color = Color(255, 255, 255, 60);
    for (int x = 0; x < w; x += 40)
        g.FillRectangle(x, 0, 1, h);
    for (int y = 0; y < h; y += 40)
        g.FillRectangle(0, y, w, 1);
    g.color = Color(255, 220, 0);
    g.FillRectangle(0, 0, w, 3);
    g.FillRectangle(0, h - 3, w, 3);
    g.FillRectangle(0, 0, 3, h);
    g.FillRectangle(w - 3, 0, 3, h);
    // A translucent disc that moves.
    const int cx = int(w / 2 + w / 4 * std::cos(t)), cy = h / 2;
    g.color = Color(255, 255, 255, 120);
    for (int dy = -40; dy <= 40; ++dy) {
        const int half = int(std::sqrt(40.0 * 40.0 - dy * dy));
        g.FillRectangle(cx - half, cy + dy, 2 * half + 1, 1);
    }
}

} // namespace

int main(int argc, char** argv)
{
    bool full = false, threeD = false;
    int width = 640, height = 480;
    double seconds = 5;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--full"))
            full = true;
        else if (!std::strcmp(argv[i], "--3d"))
            threeD = true;
        else if (!std::strcmp(argv[i], "--size") && i + 1 < argc)
            std::sscanf(argv[++i], "%dx%d", &width, &height);
        else if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc)
            seconds = std::atof(argv[++i]);
        else {
            std::fprintf(stderr, "usage: display_preview [--full] [--3d] [--size WxH] [--seconds S]\n");
            return 2;
        }
    }
    auto system = SdlWindowSystem::Create();
    if (!system)
        return 1;
    SetWindowSystem(system.get());
    {
        WindowSpec spec;
        spec.title = u"Display preview";
        spec.width = width;
        spec.height = height;
        spec.mode = full ? WindowMode::FullScreen : WindowMode::Windowed;
        spec.visible = true;
        std::unique_ptr<Window> window = system->CreateMainWindow(spec);
        if (!window)
            return 1;
        QuibAppBase app;
        app.appWidth = width;
        app.appHeight = height;
        app.display = std::make_unique<DDInterface>(&app);
        DDInterface& display = *app.display;
        display.is3D = threeD;
        const int result = display.Init(window.get(), !full);
        if (result != RESULT_OK) {
            std::fprintf(stderr, "display: %s %s\n", DisplayResultName(result), display.errorText.c_str());
            return 1;
        }
        std::printf("presenter %s, display %d x %d, frame at %d,%d %d x %d%s\n",
                    display.GetPresenter()->Name().c_str(), display.displayWidth, display.displayHeight,
                    display.presentRect.x, display.presentRect.y, display.presentRect.width,
                    display.presentRect.height,
                    !display.is3D                                              ? ""
                    : dynamic_cast<SoftwareDevice3D*>(display.D3D()->Device()) ? ", 3-D (software device)"
                                                                               : ", 3-D (GPU device)");
        int cw = 0, ch = 0;
        auto cursor = std::make_unique<DDImage>(&display);
        std::vector<uint32_t> arrow = ArrowPixels(cw, ch);
        cursor->AssignPixels(arrow.data(), cw, ch, true);
        display.SetCursorImage(cursor.get());

        const uint32_t start = TimeGetTime();
        bool running = true;
        while (running && TimeGetTime() - start < uint32_t(seconds * 1000)) {
            WindowMessage message;
            while (system->PeekMessage(message))
                if (message.message == WM_CLOSE)
                    running = false;
            const double t = (TimeGetTime() - start) / 1000.0;
            {
                Graphics g(display.screenImage);
                DrawPicture(g, width, height, t);
            }
            // The cursor circles; its hot spot is the arrow's tip, which
            // sits at the top left of the centred image.
            const int x = int(display.presentRect.x + display.presentRect.width * (0.5 + 0.3 * std::cos(t * 2)));
            const int y = int(display.presentRect.y + display.presentRect.height * (0.5 + 0.3 * std::sin(t * 2)));
            display.cursorPosition = PackCursorPosition(x + cw / 2, y + ch / 2);
            if (!display.Redraw(nullptr)) {
                std::fprintf(stderr, "present failed: %s\n", display.errorText.c_str());
                return 1;
            }
            Sleep(15);
        }
        display.SetCursorImage(nullptr);
        cursor.reset();
        app.display.reset();
    }
    SetWindowSystem(nullptr);
    return 0;
}
