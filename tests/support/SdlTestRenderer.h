#pragma once
// A hidden SDL window with a renderer, for tests and benchmarks of the GPU
// device: SDL's offscreen video driver unless another was chosen, and the
// renderer asked for by name ("software" unless told otherwise). Only
// programs that link SDL include this.

#include <SDL.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace Quib::Testing {

class SdlTestRenderer {
public:
    explicit SdlTestRenderer(const std::string& rendererName = "software", int width = 64, int height = 64)
    {
        if (!std::getenv("SDL_VIDEODRIVER"))
            SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            error = SDL_GetError();
            return;
        }
        videoStarted = true;
        const bool gl = rendererName.rfind("opengl", 0) == 0;
        window = SDL_CreateWindow("test", 0, 0, width, height, SDL_WINDOW_HIDDEN | (gl ? SDL_WINDOW_OPENGL : 0));
        if (!window) {
            error = SDL_GetError();
            return;
        }
        int index = -1;
        for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
            SDL_RendererInfo info;
            if (SDL_GetRenderDriverInfo(i, &info) == 0 && rendererName == info.name)
                index = i;
        }
        if (index < 0) {
            error = "no renderer " + rendererName;
            return;
        }
        renderer = SDL_CreateRenderer(window, index, SDL_RENDERER_TARGETTEXTURE);
        if (!renderer)
            error = SDL_GetError();
    }
    ~SdlTestRenderer()
    {
        if (renderer)
            SDL_DestroyRenderer(renderer);
        if (window)
            SDL_DestroyWindow(window);
        if (videoStarted)
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    SdlTestRenderer(const SdlTestRenderer&) = delete;
    SdlTestRenderer& operator=(const SdlTestRenderer&) = delete;

    explicit operator bool() const { return renderer != nullptr; }

    // The renderers SDL offers besides the software one, by name.
    static std::vector<std::string> OtherRendererNames()
    {
        std::vector<std::string> names;
        for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
            SDL_RendererInfo info;
            if (SDL_GetRenderDriverInfo(i, &info) == 0 && std::string(info.name) != "software")
                names.push_back(info.name);
        }
        return names;
    }

    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    std::string error;
    bool videoStarted = false;
};

} // namespace Quib::Testing
