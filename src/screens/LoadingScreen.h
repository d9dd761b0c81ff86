#pragma once
#include "framework/widgets/Widget.h"

#include <cstdint>
#include <memory>

namespace Quib {

class Image;
class PsdPicture;
class PsdPictureLayer;

// Shown while a board loads on the loading thread: a row of lamps grows with
// the finished tasks; the screen stays at least two seconds and then puts
// the loaded board in its place.
class LoadingScreen : public Widget {
public:
    static constexpr int kLampCount = 37;
    static constexpr double kMinimumSeconds = 2.0;

    // The picture is not kept.
    explicit LoadingScreen(Image* picture);
    ~LoadingScreen() override;

    void Update() override;
    void Draw(Graphics& g) override;
    // Hands the screen over to the loaded board (once).
    void Finish();

    // The lamps drawn for the application's task counts.
    static int LampsFor(int done, int total);

    bool finished = false; // the loading thread has ended
    bool done = false;     // Finish has run
    double minimumSeconds = kMinimumSeconds;
    uint64_t frequency = 0;
    uint64_t startCounter = 0;
    std::unique_ptr<PsdPicture> layout;
    PsdPictureLayer* lamp = nullptr;
    int32_t lineX = 0;
    int32_t lineY = 0;
    int32_t lineWidth = 0;
    int32_t lineHeight = 0;
};

} // namespace Quib
