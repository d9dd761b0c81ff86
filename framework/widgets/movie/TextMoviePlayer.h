#pragma once
// Our movie player: plays movies of the text format (docs/movie-format.md).
// Images come from the default image registry's CreateImage, so movies and
// their images may lie in pak archives.

#include "framework/widgets/movie/MovieScript.h"
#include "platform/MoviePlayer.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Quib {

class DDImage;

class TextMoviePlayer : public MoviePlayer {
public:
    // Variables a host may set; more are ignored.
    static constexpr size_t kMaxVariables = 256;
    // The longest time one Advance counts.
    static constexpr uint32_t kMaxAdvanceMs = 1000;
    // "_root.speed" = "fast" plays this many times as fast.
    static constexpr int kFastSpeed = 4;

    TextMoviePlayer();
    ~TextMoviePlayer() override;

    void SetSite(MovieSite* site) override { mSite = site; }
    void SetEventSink(MovieEventSink* sink) override { mSink = sink; }
    bool LoadMovie(const std::string& path) override;
    bool Play() override;
    void Stop() override { mPlaying = false; }
    bool IsPlaying() const override { return mPlaying; }
    void SetVariable(const std::string& name, const std::string& value) override;
    void MouseMessage(int message, int x, int y, int keyFlags) override;
    MovieCursor Cursor() const override { return MovieCursor::Arrow; }
    void Advance(uint32_t milliseconds) override;
    void Draw(const MovieSurface& surface, const MovieRect& clip) override;

    // The frame shown, -1 before the first.
    int32_t CurrentFrame() const { return mFrame; }
    // Held on a frame until a variable has a value.
    bool IsWaiting() const { return mWaiting; }
    // A variable's value; empty when it is not set.
    std::string GetVariable(const std::string& name) const;

private:
    // Where a layer is drawn in the current frame.
    struct LayerState {
        bool visible = false;
        int64_t x = 0;
        int64_t y = 0;
        int64_t width = 0;
        int64_t height = 0;
        uint32_t alpha = 0; // 1..255 when visible
        bool operator==(const LayerState&) const = default;
    };

    void Unload();
    LayerState StateAt(const MovieLayer& layer, int32_t frame) const;
    // Shows the frame: layer states, invalidation, its wait and commands.
    void EnterFrame(int32_t frame);
    void DrawLayer(const MovieSurface& surface, const MovieRect& clip, size_t layer);

    MovieSite* mSite = nullptr;
    MovieEventSink* mSink = nullptr;
    std::unique_ptr<MovieScript> mScript;
    std::vector<std::unique_ptr<DDImage>> mImages;
    std::vector<LayerState> mStates;
    std::map<std::string, std::string, std::less<>> mVariables;
    std::vector<std::pair<std::string, std::string>> mPending; // commands not yet reported
    std::vector<int32_t> mColumns;                             // source column per drawn column
    uint64_t mGeneration = 0;                                  // counts loads: events of an older movie are dropped
    int32_t mFrame = -1;
    size_t mNextCommand = 0;
    size_t mNextWait = 0;
    uint64_t mTicks = 0; // milliseconds x speed x frames per second since the frame began
    int mSpeed = 1;
    bool mPlaying = false;
    bool mWaiting = false;
    std::string mWaitVariable;
    std::string mWaitValue;
};

// The player the movie widget uses.
std::unique_ptr<MoviePlayer> CreateMoviePlayer();

} // namespace Quib
