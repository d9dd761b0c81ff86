#include "framework/app/D3DTester.h"

#include "framework/files/PrintfFormat.h"
#include "platform/FileNames.h"
#include "platform/MessageSink.h"
#include "platform/ResultNames.h"
#include "platform/SettingsFile.h"
#include "platform/WindowSystem.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace Quib {

namespace {

constexpr int kTestSurfaceSide = 100;
constexpr int kTextureSide = 64;
constexpr int kBlockSide = 10;
constexpr int kFarDistance = 768;
// Rows and columns of the clipping test's check.
constexpr int kClipCheckSide = 62;
// Lines of the card lists are read up to this many characters.
constexpr size_t kListLineLength = 4000;

const char* const kVersion = "Test3D\\Version";
const char* const kMinVidMemory = "Test3D\\MinVidMemory";
const char* const kRecVidMemory = "Test3D\\RecVidMemory";
const char* const kDisplayGuid = "Test3D\\DisplayGUID";
const char* const kFailureReason = "Test3D\\FailureReason";
const char* const kWarning = "Test3D\\Warning";

std::string Lower(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool Contains(const std::string& text, const char* part)
{
    return Lower(text).find(part) != std::string::npos;
}

std::string Trim(const std::string& text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(begin, end - begin);
}

// The lines of a card list, trimmed, empty ones left out; false when the
// file does not open.
bool ReadCardList(const std::string& file, std::vector<std::string>& lines)
{
    FILE* f = OpenFile(file, "r");
    if (!f)
        return false;
    char buffer[kListLineLength + 1];
    while (std::fgets(buffer, sizeof buffer, f)) {
        std::string line = Trim(buffer);
        if (!line.empty())
            lines.push_back(std::move(line));
    }
    std::fclose(f);
    return true;
}

// Where a channel's mask puts its highest bit: the shift that moves it to
// bit `top`.
uint32_t MoveChannel(uint32_t value, uint32_t mask, int top)
{
    if (!mask)
        return 0;
    int high = 31;
    while (!(mask & (1u << high)))
        --high;
    const uint32_t bits = value & mask;
    return high > top ? (bits >> (high - top)) : (bits << (top - high));
}

SurfacePixelFormat FormatForDepth(uint32_t bits)
{
    return bits == 16 ? SurfacePixelFormat::R5G6B5() : SurfacePixelFormat::X8R8G8B8();
}

} // namespace

void LogDXError(HRESULT result, const std::string& where)
{
    if (Succeeded(result))
        return;
    throw D3DTester::TestException("DXError - " + where + ": " + HResultToName(result));
}

// ---------------------------------------------------------------- image

D3DTestImage::D3DTestImage()
{
    Resize(kTextureSide, kTextureSide);
}

D3DTestImage::~D3DTestImage() = default;

void D3DTestImage::Resize(int width, int height)
{
    pixels_.reset();
    width_ = height_ = 0;
    if (width <= 0 || height <= 0)
        return;
    pixels_.reset(new uint32_t[size_t(width) * size_t(height)]());
    width_ = width;
    height_ = height;
}

void D3DTestImage::Fill(uint32_t argb)
{
    std::fill(pixels_.get(), pixels_.get() + size_t(width_) * size_t(height_), argb);
}

int D3DTestImage::CheckBlock(uint32_t expected, bool* uniform) const
{
    int far = 0;
    bool same = true;
    const int w = std::min(width_, kBlockSide), h = std::min(height_, kBlockSide);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = At(x, y);
            int distance = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const int d = int((p >> shift) & 255) - int((expected >> shift) & 255);
                distance += d * d;
            }
            if (distance > kFarDistance)
                ++far;
            if ((p & 0xFFFFFF) != (At(0, 0) & 0xFFFFFF))
                same = false;
        }
    if (uniform)
        *uniform = same;
    return far;
}

// ---------------------------------------------------------------- tester

D3DTester::D3DTester() = default;

D3DTester::~D3DTester()
{
    Close();
}

void D3DTester::Close()
{
    adapter_ = nullptr;
    // The device lets go of the surface and the textures first.
    texture1_.reset();
    texture2_.reset();
    device_.reset();
    if (testSurface_) {
        testSurface_->Release();
        testSurface_ = nullptr;
    }
    keyOpen_ = false;
}

void D3DTester::RunWithCache(GraphicsAdapter* adapter)
{
    if (!(demoPlaying && demoPlaying())) {
        writeCache = false;
        if (RunTest(adapter)) {
            RunBlendTests();
        } else if (useRegistry && settings && !writeCache) {
            // Stopped before the cache lookup, or a valid entry stands.
            freshResult = !settings->HasValue(kFailureReason);
            writeCache = true;
        }
        if (writeCache)
            WriteCache();
        Close();
    }
    if (demoSync)
        demoSync(failureReason, warning, freshResult);
}

bool D3DTester::RunTest(GraphicsAdapter* adapter)
{
    try {
        Close();
        driverYear = 0;
        freshResult = true;
        keyOpen_ = useRegistry && settings;
        if (!adapter) {
            failureReason = "No DirectDrawCreateEx";
            return false;
        }
        adapter_ = adapter;
        LogDXError(adapter->Identify(&identity), "GetDeviceIdentifier");

        // Video memory: the desktop's own picture plus what the adapter has.
        const ScreenMetrics screen = GetWindowSystem().Screen();
        screenBits_ = uint32_t(std::max(screen.bitsPerPixel, 0));
        std::string memoryWarning;
        uint64_t total = 0, free = 0;
        const HRESULT memory = adapter->GetAvailableVideoMemory(&total, &free);
        if (Failed(memory)) {
            memoryWarning = StrFormat("GetAvailableVidMem failed: %s", HResultToName(memory));
        } else {
            const uint64_t desktop = uint64_t(screenBits_ / 8) * uint64_t(std::max(screen.height, 0)) *
                                     uint64_t(std::max(screen.width, 0));
            const uint64_t megabytes = std::min<uint64_t>((desktop + total) >> 20, UINT32_MAX);
            if (megabytes < minVideoMemoryMB) {
                failureReason = "Not enough video memory.";
                return false;
            }
            if (megabytes < recVideoMemoryMB)
                memoryWarning = "Low video memory.";
        }
        warning = memoryWarning;

        if (keyOpen_) {
            if (ReadCache())
                return false; // the cached result stands
            writeCache = true;
        }
        // What the cache held goes; the memory check's warning stays.
        failureReason.clear();
        warning = memoryWarning;

        FindDriverYear();
        if (!IsRecommendedCard(identity.description))
            warning = "Unsupported video card: " + identity.description;

        // The test surface in the desktop's depth, and a device on it.
        SurfaceDesc desc;
        desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.width = desc.height = kTestSurfaceSide;
        desc.caps = DDSCAPS_VIDEOMEMORY;
        LogDXError(DisplaySurface::Create(desc, surfaceFormat ? *surfaceFormat : FormatForDepth(screenBits_),
                                          &testSurface_),
                   "CreateSurface (Primary)");
        testImage.Resize(kTestSurfaceSide, kTestSurfaceSide);
        LogDXError(adapter->CreateDevice(kTestSurfaceSide, kTestSurfaceSide, &device_), "CreateDevice");
        if (!device_)
            LogDXError(D3DERR_INITFAILED, "CreateDevice");
        LogDXError(device_->SetRenderTarget(testSurface_), "CreateDevice");
        DeviceCaps caps;
        LogDXError(device_->GetCaps(&caps), "EnumTextureFormats");

        if (caps.textureFormats & TEXTURE_FORMAT_A8R8G8B8) {
            textureFormat_ = TEXTURE_FORMAT_A8R8G8B8;
        } else {
            warning = "A8R8G8B8 texture format not supported.";
            if (!(caps.textureFormats & TEXTURE_FORMAT_A4R4G4B4)) {
                failureReason = "A4R4G4B4 and A8R8G8B8 texture formats not supported.";
                return false;
            }
            textureFormat_ = TEXTURE_FORMAT_A4R4G4B4;
        }
        LogDXError(device_->CreateTexture(kTextureSide, kTextureSide, textureFormat_, &texture1_),
                   "CreateSurface (TextureSurface1)");
        LogDXError(device_->CreateTexture(kTextureSide, kTextureSide, textureFormat_, &texture2_),
                   "CreateSurface (TextureSurfacd2)");
        return true;
    } catch (const TestException& e) {
        failureReason = e.what();
        return false;
    }
}

void D3DTester::FindDriverYear()
{
    driverYear = 0;
    std::string path = identity.driver;
    if (path.empty())
        return;
    if (path.find('/') == std::string::npos && path.find('\\') == std::string::npos)
        path = "/usr/lib/" + path;
    struct stat info {};
    if (stat(ToSlashes(path).c_str(), &info) != 0)
        return;
    std::tm when{};
    const time_t seconds = info.st_mtime;
    if (localtime_r(&seconds, &when))
        driverYear = when.tm_year + 1900;
}

bool D3DTester::ReadCache()
{
    freshResult = true;
    if (!keyOpen_ || !settings)
        return false;
    int32_t value = 0;
    if (!settings->ReadDWord(kVersion, value) || uint32_t(value) != kCacheVersion)
        return false;
    if (!settings->ReadDWord(kMinVidMemory, value) || uint32_t(value) != minVideoMemoryMB)
        return false;
    if (!settings->ReadDWord(kRecVidMemory, value) || uint32_t(value) != recVideoMemoryMB)
        return false;
    SettingsValue guid;
    if (!settings->Read(kDisplayGuid, guid) || guid.data.size() != identity.guid.size() ||
        !std::equal(guid.data.begin(), guid.data.end(), identity.guid.begin()))
        return false;
    // The texts with the length they were stored with: one that fills the
    // whole buffer has no terminator and ends there.
    const auto readText = [&](const char* name, std::string& out) {
        char buffer[kMaxCachedText];
        uint32_t type = 0, size = sizeof buffer;
        if (!settings->ReadInto(name, type, buffer, size) || type != REG_SZ)
            return false;
        out.assign(buffer, strnlen(buffer, size));
        return true;
    };
    if (!readText(kFailureReason, failureReason) || !readText(kWarning, warning))
        return false;
    freshResult = false;
    return failureReason.empty();
}

void D3DTester::WriteCache()
{
    if (!keyOpen_ || !settings)
        return;
    SettingsFile::Batch batch(*settings);
    settings->WriteDWord(kVersion, int32_t(kCacheVersion));
    settings->WriteDWord(kMinVidMemory, int32_t(minVideoMemoryMB));
    settings->WriteDWord(kRecVidMemory, int32_t(recVideoMemoryMB));
    settings->Write(kDisplayGuid, REG_BINARY, identity.guid.data(), identity.guid.size());
    // With the terminating zero, and never longer than a read takes back.
    const auto writeText = [&](const char* name, const std::string& text) {
        std::string stored = text.substr(0, kMaxCachedText - 1);
        settings->Write(name, REG_SZ, stored.c_str(), stored.size() + 1);
    };
    writeText(kFailureReason, failureReason);
    writeText(kWarning, warning);
}

bool D3DTester::FileListMatches(const std::string& file, const std::string& description)
{
    std::vector<std::string> lines;
    if (!ReadCardList(file, lines))
        return false;
    const std::string card = Lower(description);
    for (const std::string& line : lines)
        if (card.find(Lower(line)) != std::string::npos)
            return true;
    return false;
}

bool D3DTester::IsRecommendedCard(const std::string& description) const
{
    if (FileListMatches("vhwb.dat", description))
        return false;
    std::vector<std::string> whiteList;
    if (ReadCardList("vhw.dat", whiteList))
        return FileListMatches("vhw.dat", description);
    if (driverYear >= 2002 || Contains(description, "nvidia") || Contains(description, "radeon"))
        return true;
    return Contains(description, "ati ");
}

// ---------------------------------------------------------------- patterns

struct D3DTester::BlendCase {
    BlendFactor source, destination;
    const char* destinationText;
    bool modulateAlpha;
    uint32_t image1, vertex1, image2, vertex2;
    uint32_t expected;
    const char* failure;
    const char* notUniform;
};

void D3DTester::BeginPattern(BlendFactor source, BlendFactor destination, const char* destinationText)
{
    LogDXError(device_->BeginScene(), "");
    LogDXError(device_->Clear(0xFF000000u), "Clear");
    // One call sets both factors; it is checked under the destination's name.
    LogDXError(device_->SetBlend(source, destination), destinationText);
}

void D3DTester::UploadTile(const D3DTestImage& image, int tileX, int tileY)
{
    uint8_t* bits = nullptr;
    int32_t pitch = 0;
    LogDXError(texture1_->Lock(TextureLockMode::WriteOnly, &bits, &pitch), "Lock Texture");
    const int w = std::min(kTextureSide, image.Width() - tileX), h = std::min(kTextureSide, image.Height() - tileY);
    if (w < kTextureSide || h < kTextureSide)
        for (int y = 0; y < kTextureSide; ++y)
            std::memset(bits + size_t(y) * size_t(pitch), 0,
                        size_t(kTextureSide) * TextureFormatBytes(textureFormat_));
    for (int y = 0; y < h; ++y) {
        const uint32_t* in = image.Pixels() + size_t(tileY + y) * size_t(image.Width()) + size_t(tileX);
        uint8_t* row = bits + size_t(y) * size_t(pitch);
        if (textureFormat_ == TEXTURE_FORMAT_A8R8G8B8) {
            std::memcpy(row, in, size_t(w) * 4);
        } else {
            for (int x = 0; x < w; ++x) {
                const uint32_t p = in[x];
                const uint16_t t = uint16_t(((p >> 16) & 0xF000) | ((p >> 12) & 0x0F00) | ((p >> 8) & 0x00F0) |
                                            ((p >> 4) & 0x000F));
                std::memcpy(row + size_t(x) * 2, &t, 2);
            }
        }
    }
    LogDXError(texture1_->Unlock(), "Texture Unlock");
}

void D3DTester::DrawTestImage(const D3DTestImage& image, int x, int y, uint32_t vertexColor)
{
    for (int ty = 0; ty < image.Height(); ty += kTextureSide)
        for (int tx = 0; tx < image.Width(); tx += kTextureSide) {
            UploadTile(image, tx, ty);
            const float left = float(x + tx) - 0.5f, top = float(y + ty) - 0.5f;
            const float side = float(kTextureSide);
            DeviceVertex v[4];
            const float corners[4][4] = {{left, top, 0, 0},
                                         {left, top + side, 0, 1},
                                         {left + side, top, 1, 0},
                                         {left + side, top + side, 1, 1}};
            for (int i = 0; i < 4; ++i) {
                v[i].x = corners[i][0];
                v[i].y = corners[i][1];
                v[i].tu = corners[i][2];
                v[i].tv = corners[i][3];
                v[i].diffuse = vertexColor;
            }
            LogDXError(device_->SetTexture(texture1_), "SetTexture theTexture");
            LogDXError(device_->DrawPrimitive(PrimitiveType::TriangleStrip, v, 4), "DrawPrimitive");
            LogDXError(device_->SetTexture(nullptr), "SetTexture NULL");
        }
}

void D3DTester::CopySurfacePixels(const SurfaceDesc& locked, uint32_t screenBits, D3DTestImage& image)
{
    if (screenBits == 24)
        throw TestException("Can't test 24-bit mode.");
    if ((screenBits != 16 && screenBits != 32) || (locked.format.bitCount != 16 && locked.format.bitCount != 32))
        throw TestException("Invalid Color Depth");
    const SurfacePixelFormat& f = locked.format;
    const int w = std::min<int>(image.Width(), int(locked.width)),
              h = std::min<int>(image.Height(), int(locked.height));
    const auto* bits = static_cast<const uint8_t*>(locked.bits);
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = bits + size_t(y) * size_t(locked.pitch);
        uint32_t* out = image.Pixels() + size_t(y) * size_t(image.Width());
        for (int x = 0; x < w; ++x) {
            uint32_t p;
            if (f.bitCount == 32) {
                std::memcpy(&p, row + size_t(x) * 4, 4);
            } else {
                uint16_t q;
                std::memcpy(&q, row + size_t(x) * 2, 2);
                p = q;
            }
            out[x] = 0xFF000000u | (MoveChannel(p, f.redMask, 23) & 0xFF0000) |
                     (MoveChannel(p, f.greenMask, 15) & 0xFF00) | (MoveChannel(p, f.blueMask, 7) & 0xFF);
        }
    }
}

void D3DTester::CopyPrimary()
{
    SurfaceDesc desc;
    LogDXError(testSurface_->Lock(&desc, DDLOCK_WAIT | DDLOCK_READONLY), "CopyPrimary Lock");
    try {
        CopySurfacePixels(desc, screenBits_, testImage);
    } catch (...) {
        testSurface_->Unlock();
        throw;
    }
    testSurface_->Unlock();
}

bool D3DTester::RunBlendCase(const BlendCase& c)
{
    if (!device_)
        return false;
    try {
        BeginPattern(c.source, c.destination, c.destinationText);
        if (c.modulateAlpha)
            LogDXError(device_->SetAlphaOp(AlphaOp::Modulate), "D3DTSS_ALPHAOP, D3DTOP_MODULATE");
        D3DTestImage image;
        image.Fill(c.image1);
        DrawTestImage(image, 0, 0, c.vertex1);
        image.Fill(c.image2);
        DrawTestImage(image, 0, 0, c.vertex2);
        device_->EndScene();
        CopyPrimary();
    } catch (const TestException& e) {
        device_->EndScene();
        failureReason = e.what();
        return false;
    }
    bool uniform = false;
    if (testImage.CheckBlock(c.expected, &uniform) > 0) {
        failureReason = c.failure;
        return false;
    }
    if (!uniform)
        warning = c.notUniform;
    return true;
}

bool D3DTester::TestAlphaBlend()
{
    static const BlendCase c{BlendFactor::SourceAlpha,
                             BlendFactor::InverseSourceAlpha,
                             "D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA",
                             false,
                             0xFF0000FF,
                             0xFFFFFFFF,
                             0x80FF0000,
                             0xFFFFFFFF,
                             0x7F007F,
                             "Alpha blend Not Supported",
                             "Alpha blend test not uniform."};
    return RunBlendCase(c);
}

bool D3DTester::TestAdditiveBlend()
{
    static const BlendCase c{BlendFactor::One,
                             BlendFactor::One,
                             "D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE",
                             false,
                             0xFF404040,
                             0xFFFFFFFF,
                             0xFF404040,
                             0xFFFFFFFF,
                             0x808080,
                             "Additive blend not supported.",
                             "Additive blend test not uniform."};
    return RunBlendCase(c);
}

bool D3DTester::TestAlphaAddBlend()
{
    static const BlendCase c{BlendFactor::SourceAlpha,
                             BlendFactor::One,
                             "D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE",
                             false,
                             0xFF404040,
                             0xFFFFFFFF,
                             0x80808080,
                             0xFFFFFFFF,
                             0x808080,
                             "AlphaAdd blend not supported.",
                             "AlphaAdd blend test not uniform."};
    return RunBlendCase(c);
}

bool D3DTester::TestAlphaModulatedBlend()
{
    static const BlendCase c{BlendFactor::SourceAlpha,
                             BlendFactor::InverseSourceAlpha,
                             "D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA",
                             true,
                             0xFF0000FF,
                             0xFFFFFFFF,
                             0xFFFF0000,
                             0x80FFFFFF,
                             0x7F007F,
                             "AlphaModulated blend not supported.",
                             "AlphaModulated blend test not uniform."};
    return RunBlendCase(c);
}

bool D3DTester::TestClipping()
{
    if (!device_)
        return false;
    try {
        BeginPattern(BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha,
                     "D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA");
        D3DTestImage image;
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x)
                image.Pixels()[size_t(y) * size_t(image.Width()) + size_t(x)] = (x & 1) ? 0xFFFFFFFFu : 0xFF000000u;
        DrawTestImage(image, -2, -2, 0xFFFFFFFF);
        device_->EndScene();
        CopyPrimary();
    } catch (const TestException& e) {
        device_->EndScene();
        failureReason = e.what();
        return false;
    }
    int far = 0;
    for (int y = 0; y < kClipCheckSide; ++y)
        for (int x = 0; x < kClipCheckSide; ++x) {
            const uint32_t p = testImage.At(x, y);
            const int want = (x & 1) ? 255 : 0;
            int distance = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const int d = int((p >> shift) & 255) - want;
                distance += d * d;
            }
            if (distance > kFarDistance)
                ++far;
        }
    if (far > 0)
        warning = "Clip problem detected.";
    return true;
}

bool D3DTester::RunBlendTests()
{
    return TestAlphaBlend() && TestAdditiveBlend() && TestAlphaAddBlend() && TestAlphaModulatedBlend() &&
           TestClipping();
}

} // namespace Quib
