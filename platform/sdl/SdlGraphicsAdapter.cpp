#include "platform/sdl/SdlGraphicsAdapter.h"

#include "platform/sdl/SdlDevice3D.h"

#include <SDL.h>

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <cstring>

namespace Quib {

namespace {

constexpr unsigned kGlVendor = 0x1F00;
constexpr unsigned kGlRenderer = 0x1F01;
constexpr unsigned kGlVersion = 0x1F02;
constexpr unsigned kGpuMemoryTotalNvx = 0x9048;     // kilobytes
constexpr unsigned kGpuMemoryAvailableNvx = 0x9049; // kilobytes
constexpr unsigned kTextureFreeMemoryAti = 0x87FC;  // four values, kilobytes
constexpr int kRendererVideoMemoryMesa = 0x8187;    // megabytes

using GetStringFn = const unsigned char* (*)(unsigned);
using GetIntegervFn = void (*)(unsigned, int*);
using QueryRendererIntegerFn = int (*)(int, unsigned*);

bool IsGlRenderer(const std::string& name)
{
    return name.rfind("opengl", 0) == 0;
}

// A GL entry point, only while a GL context is current on this thread (the
// GL renderers keep theirs current).
void* GlFunction(const char* name)
{
    if (!SDL_GL_GetCurrentContext())
        return nullptr;
    return SDL_GL_GetProcAddress(name);
}

std::string GlString(unsigned which)
{
    auto getString = reinterpret_cast<GetStringFn>(GlFunction("glGetString"));
    const unsigned char* text = getString ? getString(which) : nullptr;
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

// The file of the first loaded object whose name holds one of the parts.
std::string LoadedObjectLike(const char* const* parts)
{
    struct Search {
        const char* const* parts;
        std::string found;
    } search{parts, {}};
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            auto* s = static_cast<Search*>(data);
            if (!info->dlpi_name || !*info->dlpi_name)
                return 0;
            for (const char* const* p = s->parts; *p; ++p)
                if (std::strstr(info->dlpi_name, *p)) {
                    s->found = info->dlpi_name;
                    return 1;
                }
            return 0;
        },
        &search);
    return search.found;
}

std::string FileOf(const void* address)
{
    Dl_info info{};
    if (address && dladdr(address, &info) && info.dli_fname)
        return info.dli_fname;
    return {};
}

} // namespace

SdlGraphicsAdapter::SdlGraphicsAdapter(SDL_Renderer* renderer) : renderer_(renderer)
{
    SDL_RendererInfo info{};
    if (renderer && SDL_GetRendererInfo(renderer, &info) == 0 && info.name)
        rendererName_ = info.name;
}

HRESULT SdlGraphicsAdapter::Identify(AdapterIdentity* out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = AdapterIdentity{};
    if (!renderer_)
        return DDERR_INVALIDOBJECT;
    std::string key = rendererName_;
    if (IsGlRenderer(rendererName_)) {
        const std::string vendor = GlString(kGlVendor), chip = GlString(kGlRenderer);
        const std::string version = GlString(kGlVersion);
        out->description = vendor.empty() && chip.empty() ? rendererName_ + " renderer" : vendor + " " + chip;
        key += "|" + vendor + "|" + chip + "|" + version;
        static const char* const kDrivers[] = {"_dri.so",     "libnvidia-glcore",  "libGLX_nvidia", "libGLX_mesa",
                                               "libEGL_mesa", "libnvidia-eglcore", "libgallium",    nullptr};
        out->driver = LoadedObjectLike(kDrivers);
        if (out->driver.empty())
            out->driver = FileOf(GlFunction("glGetString"));
    } else {
        out->description = rendererName_ + " renderer";
        // SDL draws it itself: its library is the driver.
        out->driver = FileOf(reinterpret_cast<const void*>(&SDL_CreateRenderer));
    }
    out->guid = IdentityGuid(key);
    return DD_OK;
}

HRESULT SdlGraphicsAdapter::GetAvailableVideoMemory(uint64_t* total, uint64_t* free)
{
    if (!total || !free)
        return DDERR_INVALIDPARAMS;
    *total = *free = 0;
    if (!renderer_)
        return DDERR_INVALIDOBJECT;
    // SDL's own software renderer and Mesa's software rasterizers draw in
    // the machine's memory.
    const std::string chip = IsGlRenderer(rendererName_) ? GlString(kGlRenderer) : std::string();
    if (IsSoftwareRenderer() || chip.find("llvmpipe") != std::string::npos ||
        chip.find("softpipe") != std::string::npos || chip.find("swrast") != std::string::npos) {
        const long pages = sysconf(_SC_PHYS_PAGES), available = sysconf(_SC_AVPHYS_PAGES);
        const long pageSize = sysconf(_SC_PAGESIZE);
        if (pages <= 0 || pageSize <= 0)
            return DDERR_UNSUPPORTED;
        *total = uint64_t(pages) * uint64_t(pageSize);
        *free = available > 0 ? uint64_t(available) * uint64_t(pageSize) : *total;
        return DD_OK;
    }
    if (!IsGlRenderer(rendererName_))
        return DDERR_UNSUPPORTED;
    auto getIntegerv = reinterpret_cast<GetIntegervFn>(GlFunction("glGetIntegerv"));
    if (getIntegerv && SDL_GL_ExtensionSupported("GL_NVX_gpu_memory_info")) {
        int totalKb = 0, freeKb = 0;
        getIntegerv(kGpuMemoryTotalNvx, &totalKb);
        getIntegerv(kGpuMemoryAvailableNvx, &freeKb);
        if (totalKb > 0) {
            *total = uint64_t(totalKb) << 10;
            *free = uint64_t(std::max(freeKb, 0)) << 10;
            return DD_OK;
        }
    }
    if (getIntegerv && SDL_GL_ExtensionSupported("GL_ATI_meminfo")) {
        int values[4] = {0, 0, 0, 0};
        getIntegerv(kTextureFreeMemoryAti, values);
        if (values[0] > 0) {
            // Only the free memory is told.
            *total = *free = uint64_t(values[0]) << 10;
            return DD_OK;
        }
    }
    if (auto query = reinterpret_cast<QueryRendererIntegerFn>(GlFunction("glXQueryCurrentRendererIntegerMESA"))) {
        unsigned megabytes = 0;
        if (query(kRendererVideoMemoryMesa, &megabytes) && megabytes > 0) {
            *total = *free = uint64_t(megabytes) << 20;
            return DD_OK;
        }
    }
    return DDERR_UNSUPPORTED;
}

HRESULT SdlGraphicsAdapter::CreateDevice(uint32_t width, uint32_t height, std::unique_ptr<Device3D>* out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    out->reset();
    if (!renderer_)
        return DDERR_INVALIDOBJECT;
    auto device = SdlDevice3D::Create(renderer_, width, height);
    if (!device)
        return D3DERR_INITFAILED;
    *out = std::move(device);
    return DD_OK;
}

} // namespace Quib
