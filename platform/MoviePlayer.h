#pragma once
// A movie player that a widget hosts: it loads a movie by path, plays it in
// time that its host advances, draws into the host's pixels and reports its
// commands and the parts of the picture that changed. Coordinates are the
// movie's own pixels, (0, 0) being the top left corner of the host's area.

#include <cstdint>
#include <string>
#include <string_view>

namespace Quib {

struct MovieRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// 32-bit pixels 0xAARRGGBB (straight alpha), rows `pitch` words apart.
struct MovieSurface {
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0;
};

// The cursor the movie wants over it.
enum class MovieCursor {
    None,  // the movie shows no cursor of its own
    Arrow, // the standard arrow
    Hand,  // a pointing hand (over something clickable)
};

// Mouse messages, with the window messages' numbers and key flags.
constexpr int kMovieMouseMove = 0x200;
constexpr int kMovieLeftButtonDown = 0x201;
constexpr int kMovieLeftButtonUp = 0x202;
constexpr int kMovieKeyLeftButton = 0x0001;

// Where the player asks for a redraw. Called only from inside the player's
// own operations, on the thread that calls them.
class MovieSite {
public:
    virtual ~MovieSite() = default;
    // rect: the part that changed; null: all of it.
    virtual void InvalidateMovieRect(const MovieRect* rect) = 0;
};

// Where the player's commands go, from inside Advance only.
class MovieEventSink {
public:
    virtual ~MovieEventSink() = default;
    virtual void OnMovieCommand(const std::string& command, const std::string& argument) = 0;
};

class MoviePlayer {
public:
    MoviePlayer() = default;
    MoviePlayer(const MoviePlayer&) = delete;
    MoviePlayer& operator=(const MoviePlayer&) = delete;
    virtual ~MoviePlayer() = default;

    // Not owned; null: nobody listens.
    virtual void SetSite(MovieSite* site) = 0;
    virtual void SetEventSink(MovieEventSink* sink) = 0;

    // Replaces the movie with the one in the file, stopped at its start.
    // False when it cannot be loaded: the player then holds no movie and
    // draws nothing.
    virtual bool LoadMovie(const std::string& path) = 0;
    // False when there is no movie.
    virtual bool Play() = 0;
    virtual void Stop() = 0;
    // True from Play until Stop or the movie's end.
    virtual bool IsPlaying() const = 0;
    virtual void SetVariable(const std::string& name, const std::string& value) = 0;
    // One of the mouse messages above at (x, y) with its key flags.
    virtual void MouseMessage(int message, int x, int y, int keyFlags) = 0;
    virtual MovieCursor Cursor() const = 0;

    // Moves the movie on by the time passed; commands are reported from here.
    virtual void Advance(uint32_t milliseconds) = 0;
    // Draws the current frame over the surface's pixels inside the clip
    // rectangle (cut to the surface); nothing outside it is touched.
    virtual void Draw(const MovieSurface& surface, const MovieRect& clip) = 0;
};

} // namespace Quib
