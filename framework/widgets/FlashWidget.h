#pragma once
// A widget that plays a movie (docs/movie-format.md) in its area. The movie
// player draws into the widget's frame image over its background; the
// widget feeds it the left mouse button and the mouse moves, follows its
// cursor, and tells its FlashListener the movie's commands and its end.
// Playback pauses while anyone holds a pause and, unless told otherwise,
// while the application lacks the focus.

#include "framework/core/Color.h"
#include "framework/core/Rect.h"
#include "framework/widgets/ControlSite.h"
#include "framework/widgets/FlashSink.h"
#include "framework/widgets/Widget.h"

#include <memory>
#include <string>

namespace Quib {

class DDImage;
class FlashListener;
class Graphics;
class Image;
class MoviePlayer;

class FlashWidget : public Widget {
public:
    enum State { kNotPlaying = 0, kPlaying = 1, kFinished = 2 };
    // Movie time per update frame.
    static constexpr uint32_t kUpdateMilliseconds = 10;

    // With our movie player.
    explicit FlashWidget(FlashListener* flashListener);
    // With the given player; without one the widget stays empty and
    // ignores every call.
    FlashWidget(FlashListener* flashListener, std::unique_ptr<MoviePlayer> moviePlayer);
    ~FlashWidget() override;

    // Fills the frame image's dirty part under the movie: the background
    // colour (unless transparent), then the background image.
    virtual void DrawBackground(Graphics& g);

    // Loads the movie (the path resolved against the current directory) and
    // plays it, or, while a pause is held, lets it start when the last pause
    // ends. False when the movie cannot be loaded or played: the area is
    // then empty and the state not playing.
    bool StartAnimation(const std::string& path);
    // The same, as the boards call it.
    bool LoadMovie(const std::string& path) { return StartAnimation(path); }
    // Sets a variable of the movie.
    void SetVariable(const std::string& name, const std::string& value);
    void PushPause();
    // Plays again when the last pause ends, unless the movie has finished.
    void PopPause();

    // A command of the movie, for the listener.
    void OnFSCommand(const std::string& command, const std::string& argument);
    // Marks the part of the frame to redraw, in the parent's coordinates.
    void InvalidateFrame(const Rect* rect);

    void Update() override;
    void Draw(Graphics& g) override;
    void OnSystemChange() override;
    void SetBounds(int newX, int newY, int newWidth, int newHeight) override;
    void OnMouseLeave() override;
    void OnMouseMove(int px, int py) override;
    void OnMouseDownButton(int px, int py, int button, int count) override;
    void OnMouseUpButton(int px, int py, int button, int count) override;
    void OnMouseUpAt(int px, int py) override;
    void OnMouseDrag(int px, int py) override;

    MoviePlayer* Player() const { return player.get(); }
    int GetPauseCount() const { return pauseCount; }

    int state = kNotPlaying;
    int id = 0;
    FlashListener* listener = nullptr;
    std::unique_ptr<DDImage> frameImage; // the widget's size; the player draws into it
    int pauseCount = 0;
    bool pausedForInactivity = false;
    Rect dirtyRect;         // in the parent's coordinates
    bool frameDirty = true; // dirtyRect needs drawing into the frame image
    bool controlCursor = false;
    bool pauseWhenInactive = true;
    Image* backgroundImage = nullptr; // not owned
    Rect backgroundSource;            // used when it has a width and a height
    Color backgroundColor{0, 0, 0, 0};

private:
    void SendMouse(int message, int px, int py, int keyFlags);
    void SyncCursor();

    ControlSite site{this};
    FlashSink sink{this};
    std::unique_ptr<MoviePlayer> player;
};

} // namespace Quib
