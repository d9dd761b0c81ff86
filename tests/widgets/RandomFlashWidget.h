#pragma once
// A FlashWidget for the randomised event test. It plays a movie of commands
// only (one at most frames, waits on "myPlay", an end) and listens to itself:
// from inside the movie's commands and its end it pauses, resumes, sets
// variables and starts the movie again, at random.

#include "framework/widgets/FlashListener.h"
#include "framework/widgets/FlashWidget.h"
#include "tests/support/TempDir.h"

#include <random>
#include <string>

namespace Quib::Testing {

class RandomFlashWidget : public FlashWidget, public FlashListener {
public:
    explicit RandomFlashWidget(uint32_t seed) : FlashWidget(this), mRng(seed)
    {
        if (Chance(80))
            StartAnimation(MoviePath());
        pauseWhenInactive = Chance(70);
        if (Chance(20))
            backgroundColor = Color(10, 20, 30, 128);
    }

    void Update() override
    {
        FlashWidget::Update();
        if (Chance(5))
            SetVariable("myPlay", "1");
    }
    void OnFlashCommand(int, const std::string& command, const std::string&) override { Act(command); }
    void OnFlashEnded(int) override { Act("restart"); }

    // The movie, written once for the whole run (absolute path).
    static const std::string& MoviePath()
    {
        static const TempDir dir;
        static const std::string path = [] {
            std::string text = "movie 60 40 100\n";
            const char* commands[] = {"pause", "resume", "play", "fast", "normal", "restart", "other"};
            for (int frame = 0; frame < 200; ++frame) {
                text += "cmd " + std::to_string(frame) + " " + commands[frame % 7] + " " + std::to_string(frame) +
                        "\n";
                if (frame % 13 == 5)
                    text += "wait " + std::to_string(frame) + " myPlay 1\n";
            }
            text += "end 200\n";
            return dir.WriteFile("movie.dat", text);
        }();
        return path;
    }

private:
    bool Chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(mRng) < percent; }

    void Act(const std::string& command)
    {
        if (!Chance(40))
            return;
        if (command == "pause")
            PushPause();
        else if (command == "resume")
            PopPause();
        else if (command == "play")
            SetVariable("myPlay", "1");
        else if (command == "fast" || command == "normal")
            SetVariable("_root.speed", command);
        else if (command == "restart")
            StartAnimation(Chance(80) ? MoviePath() : "missing.dat");
    }

    std::mt19937 mRng;
};

} // namespace Quib::Testing
