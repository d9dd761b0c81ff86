#pragma once
// Whether this machine's graphics adapter can be trusted with 3-D drawing:
// it is identified, its memory checked against two limits, looked up in the
// card lists "vhwb.dat" (cards not to use) and "vhw.dat" (cards to use) in
// the working directory, and a small device of it draws known patterns with
// four blend set-ups and one clipping case, read back and compared with the
// colours the software device draws. The outcome, a failure reason (no 3-D)
// and a warning (3-D works but is not recommended), is cached in the
// settings under "Test3D".

#include "platform/DisplaySurface.h"
#include "platform/GraphicsAdapter.h"

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Quib {

class SettingsFile;

// The read-back picture of a test: 0xAARRGGBB words.
class D3DTestImage {
public:
    D3DTestImage(); // 64 x 64
    virtual ~D3DTestImage();
    D3DTestImage(const D3DTestImage&) = delete;
    D3DTestImage& operator=(const D3DTestImage&) = delete;

    // Frees the pixels and makes width x height new ones (none for a zero
    // or negative size).
    void Resize(int width, int height);
    void Fill(uint32_t argb);
    // Over the top-left 10 x 10 pixels: how many lie farther from the
    // expected colour than a squared distance of 768 over the 8-bit
    // channels; *uniform tells whether all of them are the same.
    int CheckBlock(uint32_t expected, bool* uniform) const;

    uint32_t* Pixels() { return pixels_.get(); }
    const uint32_t* Pixels() const { return pixels_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    uint32_t At(int x, int y) const { return pixels_[size_t(y) * size_t(width_) + size_t(x)]; }

private:
    std::unique_ptr<uint32_t[]> pixels_;
    int width_ = 0;
    int height_ = 0;
};

class D3DTester {
public:
    class TestException : public std::exception {
    public:
        explicit TestException(std::string message) : message_(std::move(message)) {}
        const char* what() const noexcept override { return message_.c_str(); }

    private:
        std::string message_;
    };

    // Version of the cache's layout.
    static constexpr uint32_t kCacheVersion = 2;
    // Longest text read back from the cache, in bytes.
    static constexpr uint32_t kMaxCachedText = 4096;

    D3DTester();
    virtual ~D3DTester();
    D3DTester(const D3DTester&) = delete;
    D3DTester& operator=(const D3DTester&) = delete;

    // The test as the display runs it: the full test unless the cache holds
    // a valid entry without failure, the cache written, everything
    // released; the outcome passed through the demo synchronisation. The
    // adapter (not owned) stands for the graphics hardware; none fails the
    // test.
    void RunWithCache(GraphicsAdapter* adapter);
    // Identification, memory check, cache lookup and device creation; true
    // when the pattern tests should run.
    bool RunTest(GraphicsAdapter* adapter);
    // The five pattern tests in order, up to the first that fails.
    bool RunBlendTests();
    bool TestAlphaBlend();
    bool TestAdditiveBlend();
    bool TestAlphaAddBlend();
    bool TestAlphaModulatedBlend();
    bool TestClipping();

    // True for a valid entry (same version, limits and adapter) without a
    // failure reason; its failure reason and warning are taken either way.
    bool ReadCache();
    void WriteCache();
    // Gives up the device, its surfaces and textures and the settings key.
    void Close();

    bool HasFailure() const { return !failureReason.empty(); }
    bool HasWarning() const { return !warning.empty(); }
    bool IsClean() const { return !HasFailure() && !HasWarning(); }
    bool Passed() const { return !HasFailure(); }

    // Whether a card of this description is recommended: not when a line
    // of "vhwb.dat" occurs in it; when "vhw.dat" exists, when one of its
    // lines does; without it, for drivers from 2002 on and for "nvidia",
    // "radeon" and "ati " cards. Letter case does not count.
    bool IsRecommendedCard(const std::string& description) const;
    // Whether the card list file (in the working directory) exists and one
    // of its lines occurs in the description.
    static bool FileListMatches(const std::string& file, const std::string& description);

    // Draws the image tile by tile (64 x 64) through texture 1 at (x, y)
    // with the vertex colour.
    void DrawTestImage(const D3DTestImage& image, int x, int y, uint32_t vertexColor);
    // Reads the test surface into the test image.
    void CopyPrimary();
    // The pixels of a locked 16- or 32-bit surface into the image as
    // 0xFF000000 plus each channel's bits at the top of its byte. Screens
    // of other depths throw: "Can't test 24-bit mode." for 24 bits,
    // "Invalid Color Depth" otherwise.
    static void CopySurfacePixels(const SurfaceDesc& locked, uint32_t screenBits, D3DTestImage& image);

    // Settings: the application's settings file (not owned; the cache is
    // its "Test3D" sub-key); without one nothing is cached.
    SettingsFile* settings = nullptr;
    bool useRegistry = true;
    uint32_t minVideoMemoryMB = 6;
    uint32_t recVideoMemoryMB = 14;
    // The test surface's format; the desktop's depth picks one when unset.
    std::optional<SurfacePixelFormat> surfaceFormat;
    // Demo playback: while it plays nothing is tested; the synchronisation
    // records the outcome or replaces it by the recorded one.
    std::function<bool()> demoPlaying;
    std::function<void(std::string& failureReason, std::string& warning, bool& freshResult)> demoSync;

    // The outcome.
    std::string failureReason;
    std::string warning;
    bool freshResult = true;
    int driverYear = 0;
    AdapterIdentity identity;
    bool writeCache = false;

    D3DTestImage testImage;
    Device3D* Device() const { return device_.get(); }

private:
    struct BlendCase;
    bool RunBlendCase(const BlendCase& c);
    void BeginPattern(BlendFactor source, BlendFactor destination, const char* destinationText);
    void UploadTile(const D3DTestImage& image, int tileX, int tileY);
    void FindDriverYear();

    GraphicsAdapter* adapter_ = nullptr;
    bool keyOpen_ = false;
    uint32_t screenBits_ = 32;
    DisplaySurface* testSurface_ = nullptr;
    std::unique_ptr<Device3D> device_;
    std::shared_ptr<DeviceTexture> texture1_;
    std::shared_ptr<DeviceTexture> texture2_;
    TextureFormat textureFormat_ = 0;
};

// Throws a D3DTester::TestException "DXError - <where>: <result name>" for
// a failure code; nothing for a success code.
void LogDXError(HRESULT result, const std::string& where);

} // namespace Quib
