// Reads any bytes as a text movie from a pak archive, plays it with its
// waits answered now and then and the speed switched, and draws every frame
// into a picture through a clip: nothing outside the clip may change.
#include "FuzzSupport.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageDisplay.h"
#include "framework/widgets/movie/MovieScript.h"
#include "framework/widgets/movie/TextMoviePlayer.h"

#include <vector>

using namespace Quib;

namespace {

// Pictures of a few pixels, sized by their names; a name holding "missing"
// cannot be loaded.
class FuzzImages : public ImageRegistry {
public:
    ImageDisplay* Display() const override { return nullptr; }
    DDImage* CreateImage(const std::string& fileName, bool applyNow) override
    {
        if (fileName.find("missing") != std::string::npos)
            return nullptr;
        const int w = 1 + int(fileName.size() % 5);
        const int h = 1 + int(fileName.size() % 3);
        std::vector<uint32_t> words(size_t(w * h));
        for (size_t i = 0; i < words.size(); ++i)
            words[i] = i % 2 ? 0xFF8040C0u : 0x7F20E010u;
        auto* image = new DDImage(nullptr);
        image->AssignPixels(words.data(), w, h, applyNow);
        return image;
    }
};

class Events : public MovieSite, public MovieEventSink {
public:
    explicit Events(TextMoviePlayer& player) : mPlayer(player) {}
    void InvalidateMovieRect(const MovieRect* rect) override
    {
        if (rect && (rect->width <= 0 || rect->height <= 0))
            Fuzz::Fail("empty invalidation rectangle");
    }
    void OnMovieCommand(const std::string& command, const std::string& argument) override
    {
        if (command == "next")
            mPlayer.SetVariable("myPlay", argument);
    }

private:
    TextMoviePlayer& mPlayer;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text = Fuzz::Text(data, size);
    {
        MovieScript script;
        std::string error;
        if (!ParseMovieScript(text, script, error) && error.rfind("line ", 0) != 0)
            Fuzz::Fail("parse error without a line number");
    }

    static FuzzImages images;
    ImageRegistry* oldRegistry = DefaultImageRegistry();
    SetDefaultImageRegistry(&images);
    {
        Fuzz::FuzzPak pak({{"res\\movies\\fuzz.dat", std::string(text), {}}});
        TextMoviePlayer player;
        Events events(player);
        player.SetSite(&events);
        player.SetEventSink(&events);
        if (player.LoadMovie("res/movies/FUZZ.dat")) {
            player.Play();
            constexpr int kW = 24, kH = 18;
            std::vector<uint32_t> pixels(kW * kH, 0x11223344u);
            const MovieRect clip{3, 2, 15, 11};
            for (int step = 0; step < 400 && player.IsPlaying(); ++step) {
                if (step % 7 == 3)
                    player.SetVariable("myPlay", "1");
                if (step % 50 == 10)
                    player.SetVariable("_root.speed", step % 100 == 10 ? "fast" : "normal");
                player.Advance(uint32_t(step % 5 == 0 ? 250 : 40));
                player.Draw({pixels.data(), kW, kH, kW}, clip);
            }
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x) {
                    const bool inside = x >= clip.x && x < clip.x + clip.width && y >= clip.y &&
                                        y < clip.y + clip.height;
                    if (!inside && pixels[size_t(y * kW + x)] != 0x11223344u)
                        Fuzz::Fail("drawn outside the clip");
                }
        }
    }
    SetDefaultImageRegistry(oldRegistry);
    return 0;
}
