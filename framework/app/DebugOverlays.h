#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace Quib {

class DDImage;
class DeveloperHost;
class Font;
class Image;
class ImageDisplay;
class WidgetManager;

// The small on-screen overlays of the developer tools: frames per second
// or the mouse position, and the time left of a demo being played back.
// Each is an offscreen display image (kept on a surface) drawn with the
// "Tahoma" 8-point system font; they are made on first use.
class DebugOverlays {
public:
    enum Kind : int32_t { KIND_FPS = 0, KIND_MOUSE = 1, KIND_COUNT = 2 };

    DebugOverlays();
    ~DebugOverlays();
    DebugOverlays(const DebugOverlays&) = delete;
    DebugOverlays& operator=(const DebugOverlays&) = delete;

    // Starts the frame count afresh: the stopwatch runs from now and the
    // next update shows 0.
    void RestartFps();
    // Before the screen is drawn (only while on): counts a frame and
    // redraws the image that changed. Nothing without a display.
    void Update(ImageDisplay* display, const WidgetManager* widgetManager, DeveloperHost& host);
    // After the screen is drawn (only while on): the images at the bottom
    // right of the target, whose visible part is width x height.
    void Draw(Image* target, int width, int height);
    // Deletes the images (made again on the next update).
    void ReleaseImages();

    bool on = false;
    int32_t kind = KIND_FPS;
    int32_t frames = 0; // since the last display of the rate
    int32_t fps = 0;
    bool resetFps = false;
    bool clockShown = false; // a demo is played back: the clock is drawn
    uint32_t lastClockTick = 0;
    std::u16string text;      // what the image shows
    std::u16string clockText; // what the clock image shows
    std::unique_ptr<Font> font;
    std::unique_ptr<DDImage> image;      // rate or mouse position
    std::unique_ptr<DDImage> clockImage; // demo clock

private:
    Font& TheFont();
    // Makes the image w x h when missing and draws the text into it.
    void Paint(std::unique_ptr<DDImage>& target, ImageDisplay* display, int w, const std::u16string& line);
};

} // namespace Quib
