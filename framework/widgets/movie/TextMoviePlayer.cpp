#include "framework/widgets/movie/TextMoviePlayer.h"

#include "framework/files/PakInterface.h"
#include "framework/files/ProcessLog.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageDisplay.h"
#include "framework/graphics/OverComposite.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Quib {

namespace {

// The file's bytes, at most MovieLimits::kMaxFileBytes; false with a reason
// when it cannot be read.
bool ReadMovieFile(const std::string& path, std::string& text, std::string& error)
{
    PakFile* file = PakFOpen(path);
    if (!file) {
        error = "the file cannot be opened";
        return false;
    }
    bool ok = PakFSeek(file, 0, SEEK_END) == 0;
    const int32_t length = ok ? PakFTell(file) : -1;
    ok = length >= 0 && PakFSeek(file, 0, SEEK_SET) == 0;
    if (ok && size_t(length) > MovieLimits::kMaxFileBytes) {
        error = StrFormat("the file is larger than %d bytes", int(MovieLimits::kMaxFileBytes));
        PakFClose(file);
        return false;
    }
    if (ok) {
        text.resize(size_t(length));
        ok = length == 0 || PakFRead(text.data(), text.size(), 1, file) == 1;
    }
    PakFClose(file);
    if (!ok)
        error = "the file cannot be read";
    return ok;
}

int64_t RoundToInt(double v)
{
    return static_cast<int64_t>(std::floor(v + 0.5));
}

// Half-open bounds, for clipping and uniting without overflow.
struct Span {
    int64_t x0, y0, x1, y1;
    bool Empty() const { return x0 >= x1 || y0 >= y1; }
    Span Cut(const Span& o) const
    {
        return {std::max(x0, o.x0), std::max(y0, o.y0), std::min(x1, o.x1), std::min(y1, o.y1)};
    }
    Span Unite(const Span& o) const
    {
        if (Empty())
            return o;
        if (o.Empty())
            return *this;
        return {std::min(x0, o.x0), std::min(y0, o.y0), std::max(x1, o.x1), std::max(y1, o.y1)};
    }
};

} // namespace

TextMoviePlayer::TextMoviePlayer() = default;
TextMoviePlayer::~TextMoviePlayer() = default;

std::unique_ptr<MoviePlayer> CreateMoviePlayer()
{
    return std::make_unique<TextMoviePlayer>();
}

void TextMoviePlayer::Unload()
{
    mScript.reset();
    mImages.clear();
    mStates.clear();
    mVariables.clear();
    mPending.clear();
    mFrame = -1;
    mNextCommand = 0;
    mNextWait = 0;
    mTicks = 0;
    mSpeed = 1;
    mPlaying = false;
    mWaiting = false;
    mWaitVariable.clear();
    mWaitValue.clear();
}

bool TextMoviePlayer::LoadMovie(const std::string& path)
{
    Unload();
    ++mGeneration;
    if (mSite)
        mSite->InvalidateMovieRect(nullptr);

    std::string text;
    std::string error;
    auto script = std::make_unique<MovieScript>();
    if (!ReadMovieFile(path, text, error) || !ParseMovieScript(text, *script, error)) {
        QUIB_LOG_ERROR("Movie %s: %s", path.c_str(), error.c_str());
        return false;
    }
    ImageRegistry* registry = DefaultImageRegistry();
    std::vector<std::unique_ptr<DDImage>> images;
    for (const MovieImageRef& ref : script->images) {
        std::unique_ptr<DDImage> image(registry ? registry->CreateImage(ref.path, true) : nullptr);
        if (!image || !image->Pixels()) {
            QUIB_LOG_ERROR("Movie %s: line %d: image '%s' cannot be loaded from '%s'", path.c_str(), ref.line,
                           ref.name.c_str(), ref.path.c_str());
            return false;
        }
        images.push_back(std::move(image));
    }
    mScript = std::move(script);
    mImages = std::move(images);
    mStates.assign(mScript->layers.size(), LayerState());
    return true;
}

bool TextMoviePlayer::Play()
{
    if (!mScript)
        return false;
    if (mFrame >= mScript->endFrame)
        return true; // over: it stays on its last frame
    mPlaying = true;
    if (mFrame < 0)
        EnterFrame(0);
    return true;
}

std::string TextMoviePlayer::GetVariable(const std::string& name) const
{
    const auto it = mVariables.find(name);
    return it == mVariables.end() ? std::string() : it->second;
}

void TextMoviePlayer::SetVariable(const std::string& name, const std::string& value)
{
    if (name.size() > MovieLimits::kMaxNameBytes || value.size() > MovieLimits::kMaxTextBytes)
        return;
    if (name == "_root.speed") {
        if (value == "fast")
            mSpeed = kFastSpeed;
        else if (value == "normal")
            mSpeed = 1;
    }
    const auto it = mVariables.find(name);
    if (it != mVariables.end())
        it->second = value;
    else if (mVariables.size() < kMaxVariables)
        mVariables.emplace(name, value);
    if (mWaiting && name == mWaitVariable && value == mWaitValue) {
        mWaiting = false;
        mTicks = 0;
    }
}

void TextMoviePlayer::MouseMessage(int message, int x, int y, int keyFlags)
{
    // Nothing in a movie of this format answers the mouse.
    (void)message;
    (void)x;
    (void)y;
    (void)keyFlags;
}

TextMoviePlayer::LayerState TextMoviePlayer::StateAt(const MovieLayer& layer, int32_t frame) const
{
    const std::vector<MovieKey>& keys = layer.keys;
    if (keys.empty() || frame < keys.front().frame)
        return {};
    const auto next = std::upper_bound(keys.begin(), keys.end(), frame,
                                       [](int32_t f, const MovieKey& k) { return f < k.frame; });
    const MovieKey& from = *(next - 1);
    MovieKey v = from;
    if (next != keys.end()) {
        const double t = double(frame - from.frame) / double(next->frame - from.frame);
        v.x = from.x + (next->x - from.x) * t;
        v.y = from.y + (next->y - from.y) * t;
        v.alpha = from.alpha + (next->alpha - from.alpha) * t;
        v.scale = from.scale + (next->scale - from.scale) * t;
    }
    const DDImage& image = *mImages[layer.image];
    LayerState s;
    s.alpha = static_cast<uint32_t>(std::clamp<int64_t>(RoundToInt(v.alpha * 255), 0, 255));
    s.width = RoundToInt(image.width * v.scale);
    s.height = RoundToInt(image.height * v.scale);
    if (s.alpha == 0 || s.width <= 0 || s.height <= 0)
        return {};
    s.visible = true;
    s.x = RoundToInt(v.x);
    s.y = RoundToInt(v.y);
    return s;
}

void TextMoviePlayer::EnterFrame(int32_t frame)
{
    const MovieScript& script = *mScript;
    mFrame = frame;

    Span changed{0, 0, 0, 0};
    for (size_t i = 0; i < script.layers.size(); ++i) {
        const LayerState s = StateAt(script.layers[i], frame);
        LayerState& old = mStates[i];
        if (s == old)
            continue;
        if (old.visible)
            changed = changed.Unite({old.x, old.y, old.x + old.width, old.y + old.height});
        if (s.visible)
            changed = changed.Unite({s.x, s.y, s.x + s.width, s.y + s.height});
        old = s;
    }
    changed = changed.Cut({0, 0, script.width, script.height});
    if (!changed.Empty() && mSite) {
        MovieRect rect{int32_t(changed.x0), int32_t(changed.y0), int32_t(changed.x1 - changed.x0),
                       int32_t(changed.y1 - changed.y0)};
        mSite->InvalidateMovieRect(&rect);
    }

    // The wait clears its variable before the frame's commands go out, so
    // only a value set from now on lets the movie go on.
    while (mNextWait < script.waits.size() && script.waits[mNextWait].frame < frame)
        ++mNextWait;
    if (mNextWait < script.waits.size() && script.waits[mNextWait].frame == frame) {
        const MovieWait& wait = script.waits[mNextWait];
        mVariables[wait.variable].clear();
        mWaitVariable = wait.variable;
        mWaitValue = wait.value;
        mWaiting = true;
    }
    for (; mNextCommand < script.commands.size() && script.commands[mNextCommand].frame <= frame; ++mNextCommand) {
        const MovieCommand& command = script.commands[mNextCommand];
        if (command.frame == frame)
            mPending.emplace_back(command.command, command.argument);
    }
    if (frame >= script.endFrame)
        mPlaying = false;
}

void TextMoviePlayer::Advance(uint32_t milliseconds)
{
    if (mScript && mPlaying && !mWaiting && mFrame >= 0) {
        const uint64_t ms = std::min(milliseconds, kMaxAdvanceMs);
        mTicks += ms * uint64_t(mSpeed) * uint64_t(mScript->framesPerSecond);
        while (mTicks >= 1000 && mPlaying && !mWaiting) {
            mTicks -= 1000;
            EnterFrame(mFrame + 1);
        }
        if (mWaiting || !mPlaying)
            mTicks = 0;
    }

    // Report what the frames shown so far asked for. A listener may load
    // another movie meanwhile: what is left of the old one is dropped.
    if (mPending.empty())
        return;
    std::vector<std::pair<std::string, std::string>> events;
    events.swap(mPending);
    const uint64_t generation = mGeneration;
    for (const auto& [command, argument] : events) {
        if (mGeneration != generation)
            break;
        if (mSink)
            mSink->OnMovieCommand(command, argument);
    }
}

void TextMoviePlayer::Draw(const MovieSurface& surface, const MovieRect& clip)
{
    if (!mScript || mFrame < 0 || !surface.pixels || surface.width <= 0 || surface.height <= 0)
        return;
    const Span area = Span{clip.x, clip.y, int64_t(clip.x) + clip.width, int64_t(clip.y) + clip.height}
                          .Cut({0, 0, surface.width, surface.height})
                          .Cut({0, 0, mScript->width, mScript->height});
    if (area.Empty())
        return;
    const MovieRect cut{int32_t(area.x0), int32_t(area.y0), int32_t(area.x1 - area.x0), int32_t(area.y1 - area.y0)};
    for (size_t i = 0; i < mStates.size(); ++i)
        if (mStates[i].visible)
            DrawLayer(surface, cut, i);
}

// Nearest-pixel scaling; each source pixel's alpha times the layer's alpha,
// composited over the surface with the software blits' weights.
void TextMoviePlayer::DrawLayer(const MovieSurface& surface, const MovieRect& clip, size_t layer)
{
    const LayerState& s = mStates[layer];
    DDImage& image = *mImages[mScript->layers[layer].image];
    const uint32_t* src = image.Pixels();
    const int64_t sw = image.width;
    const int64_t sh = image.height;
    if (!src || sw <= 0 || sh <= 0)
        return;
    const Span area = Span{clip.x, clip.y, int64_t(clip.x) + clip.width, int64_t(clip.y) + clip.height}.Cut(
        {s.x, s.y, s.x + s.width, s.y + s.height});
    if (area.Empty())
        return;

    // Source column or row of destination offset d: the pixel under the
    // centre of d, (2d + 1) * source / (2 * destination).
    auto sample = [](int64_t d, int64_t source, int64_t dest) {
        return static_cast<int32_t>((static_cast<unsigned __int128>(2 * d + 1) * uint64_t(source)) /
                                    uint64_t(2 * dest));
    };
    const size_t columns = size_t(area.x1 - area.x0);
    mColumns.resize(columns);
    for (size_t j = 0; j < columns; ++j)
        mColumns[j] = sample(area.x0 + int64_t(j) - s.x, sw, s.width);
    uint8_t alphaOf[256];
    for (uint32_t a = 0; a < 256; ++a)
        alphaOf[a] = static_cast<uint8_t>(a * s.alpha / 255);

    for (int64_t y = area.y0; y < area.y1; ++y) {
        const uint32_t* row = src + int64_t(sample(y - s.y, sh, s.height)) * sw;
        uint32_t* dst = surface.pixels + y * surface.pitch + area.x0;
        for (size_t j = 0; j < columns; ++j) {
            const uint32_t p = row[mColumns[j]];
            const uint32_t a = alphaOf[p >> 24];
            if (a == 0)
                continue;
            if (a == 255) {
                dst[j] = p;
                continue;
            }
            const uint32_t d = dst[j];
            OverWeights w;
            if (LookUpOverWeights(a, d >> 24, w))
                dst[j] = (w.alpha << 24) | MixChannelsBlit(d, p, w.g);
        }
    }
}

} // namespace Quib
