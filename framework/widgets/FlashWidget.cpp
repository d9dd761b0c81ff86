#include "framework/widgets/FlashWidget.h"

#include "framework/files/PathUtils.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/FlashListener.h"
#include "framework/widgets/WidgetApp.h"
#include "framework/widgets/WidgetManager.h"
#include "framework/widgets/movie/TextMoviePlayer.h"

namespace Quib {

FlashWidget::FlashWidget(FlashListener* flashListener) : FlashWidget(flashListener, CreateMoviePlayer()) {}

FlashWidget::FlashWidget(FlashListener* flashListener, std::unique_ptr<MoviePlayer> moviePlayer)
    : listener(flashListener), player(std::move(moviePlayer))
{
    if (player) {
        player->SetSite(&site);
        player->SetEventSink(&sink);
    }
}

FlashWidget::~FlashWidget()
{
    frameImage.reset();
    if (player) {
        player->SetSite(nullptr);
        player->SetEventSink(nullptr);
    }
    player.reset();
}

void FlashWidget::InvalidateFrame(const Rect* rect)
{
    const Rect bounds(x, y, width, height);
    if (!rect)
        dirtyRect = bounds;
    else if (frameDirty)
        dirtyRect = dirtyRect.Union(*rect);
    else
        dirtyRect = *rect;
    frameDirty = true;
}

void FlashWidget::OnFSCommand(const std::string& command, const std::string& argument)
{
    if (listener)
        listener->OnFlashCommand(id, command, argument);
}

bool FlashWidget::StartAnimation(const std::string& path)
{
    if (!player)
        return false;
    // A rooted path is already whole.
    const bool rooted = !path.empty() && (path[0] == '/' || path[0] == '\\');
    const std::string fullPath = rooted ? path : NormalizePath(path, GetCurrentDir());
    if (!player->LoadMovie(fullPath)) {
        // Nothing to play: the area stays empty and nobody hears of it.
        state = kNotPlaying;
        return false;
    }
    if (pauseCount == 0 && !player->Play())
        return false;
    state = kPlaying;
    if (hovered && manager) {
        const Point screen = GetScreenPosition();
        OnMouseMove(manager->mouseX - screen.x, manager->mouseY - screen.y);
    }
    return true;
}

void FlashWidget::SetVariable(const std::string& name, const std::string& value)
{
    if (player)
        player->SetVariable(name, value);
}

void FlashWidget::PushPause()
{
    ++pauseCount;
    if (state == kFinished)
        return;
    state = kNotPlaying;
    if (pauseCount == 1 && player)
        player->Stop();
}

void FlashWidget::PopPause()
{
    if (pauseCount == 0)
        return;
    --pauseCount;
    if (pauseCount != 0 || !player || state == kFinished)
        return;
    // A movie set while paused starts now; without a movie nothing plays.
    if (player->Play())
        state = kPlaying;
}

void FlashWidget::Update()
{
    Widget::Update();
    if (pauseWhenInactive) {
        if (manager && !manager->appHasFocus) {
            if (!pausedForInactivity) {
                PushPause();
                pausedForInactivity = true;
            }
            return;
        }
        if (pausedForInactivity) {
            pausedForInactivity = false;
            PopPause();
        }
    }
    if (player) {
        // Commands reach the listener from here.
        player->Advance(kUpdateMilliseconds);
        // While a pause is held the movie is stopped on purpose.
        if (state == kPlaying && pauseCount == 0 && !player->IsPlaying()) {
            state = kFinished;
            if (listener)
                listener->OnFlashEnded(id);
        }
    }
    if (frameDirty)
        Invalidate();
}

void FlashWidget::OnSystemChange()
{
    InvalidateFrame(nullptr);
    Invalidate();
}

void FlashWidget::SetBounds(int newX, int newY, int newWidth, int newHeight)
{
    Widget::SetBounds(newX, newY, newWidth, newHeight);
    frameImage.reset();
    if (width > 0 && height > 0) {
        frameImage = std::make_unique<DDImage>();
        frameImage->Resize(width, height);
        frameImage->ForceTransparencyFlags(false, false);
        // The player writes the bits: they stay the frame's one copy.
        frameImage->softwareOnly = true;
    }
    // The new frame image holds nothing yet.
    InvalidateFrame(nullptr);
}

void FlashWidget::DrawBackground(Graphics& g)
{
    if (backgroundColor.alpha != 0) {
        g.color = backgroundColor;
        g.FillRectangle(0, 0, width, height);
    }
    if (backgroundImage) {
        if (backgroundSource.width > 0 && backgroundSource.height > 0)
            g.DrawImagePart(backgroundImage, 0, 0, backgroundSource);
        else
            g.DrawImageAt(backgroundImage, 0, 0);
    }
}

void FlashWidget::Draw(Graphics& g)
{
    if (frameDirty) {
        const Rect area = Rect(dirtyRect.x - x, dirtyRect.y - y, dirtyRect.width, dirtyRect.height)
                              .Intersection(Rect(0, 0, width, height));
        if (frameImage && area.width > 0 && area.height > 0) {
            Graphics fg(frameImage.get());
            fg.ReplaceClip(area);
            // The movie is drawn over an opaque base.
            fg.color = Color(0, 0, 0, 255);
            fg.FillRectangle(area);
            DrawBackground(fg);
            uint32_t* pixels = frameImage->Pixels();
            if (!pixels)
                return; // stays dirty: drawn another time
            if (player)
                player->Draw({pixels, width, height, width}, {area.x, area.y, area.width, area.height});
            frameImage->NotePixelsEdited();
        }
        frameDirty = false;
    }
    if (frameImage)
        g.DrawImageAt(frameImage.get(), 0, 0);
}

void FlashWidget::SendMouse(int message, int px, int py, int keyFlags)
{
    if (!player)
        return;
    player->MouseMessage(message, px, py, keyFlags);
}

// The application shows the cursor the movie wants.
void FlashWidget::SyncCursor()
{
    WidgetApp* app = TheWidgetApp();
    if (!player || !app)
        return;
    switch (player->Cursor()) {
    case MovieCursor::Arrow:
        controlCursor = false;
        app->SetCursorNum(0);
        break;
    case MovieCursor::Hand:
        controlCursor = true;
        app->SetCursorNum(1);
        break;
    case MovieCursor::None: break;
    }
    app->RefreshCursor();
}

void FlashWidget::OnMouseLeave()
{
    OnMouseMove(-1, -1);
    controlCursor = false;
    if (WidgetApp* app = TheWidgetApp()) {
        app->SetCursorNum(0);
        app->RefreshCursor();
    }
}

void FlashWidget::OnMouseMove(int px, int py)
{
    SendMouse(kMovieMouseMove, px, py, 0);
    if (hovered)
        SyncCursor();
}

void FlashWidget::OnMouseDownButton(int px, int py, int button, int count)
{
    (void)count;
    if (button != 0)
        return;
    SendMouse(kMovieLeftButtonDown, px, py, kMovieKeyLeftButton);
    SyncCursor();
}

void FlashWidget::OnMouseUpButton(int px, int py, int button, int count)
{
    (void)count;
    if (button != 0)
        return;
    SendMouse(kMovieLeftButtonUp, px, py, 0);
    SyncCursor();
}

void FlashWidget::OnMouseUpAt(int, int) {}

void FlashWidget::OnMouseDrag(int px, int py)
{
    if (!manager || !manager->IsLeftButtonHeld())
        return;
    SendMouse(kMovieMouseMove, px, py, kMovieKeyLeftButton);
    SyncCursor();
}

} // namespace Quib
