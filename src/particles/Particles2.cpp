#include "src/particles/Particles2.h"

#include "framework/files/ProcessLog.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DrawTransform.h"
#include "framework/graphics/Graphics.h"
#include "src/particles/EmitterFile.h"
#include "src/particles/Particles2_TextureManager.h"

#include <cmath>
#include <set>
#include <vector>

namespace Quib {

namespace {

std::string LowerName(const std::string& s)
{
    std::string out = s;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

// base x particle / 255 per channel, truncated, clamped.
int32_t Channel(int32_t base, uint32_t particle)
{
    const int64_t v = int64_t(base) * int64_t(particle) / 255;
    return v < 0 ? 0 : v > 255 ? 255 : int32_t(v);
}

} // namespace

Particles2::Particles2(const std::string& name)
{
    const auto& files = EmitterFiles();
    if (files.empty()) {
        QUIB_LOG_ERROR("Particles not loaded: \"%s\"", name.c_str());
        return;
    }
    for (const auto& file : files)
        if (PtcLoadEmitter(file->Handle(), name, &mEmitter) == PTC_SUCCESS)
            return;
    mEmitter = 0;
    static std::set<std::string> reported;
    if (reported.insert(LowerName(name)).second)
        QUIB_LOG_ERROR("Particle effect not found: \"%s\"", name.c_str());
}

Particles2::Particles2(const Particles2& other) : ParticlesCommon(), mEmitter(PtcDuplicateEmitter(other.mEmitter))
{
}

Particles2::~Particles2()
{
    if (mEmitter)
        PtcUnloadEmitter(mEmitter);
}

void Particles2::StartAt(const TPoint<float>& position)
{
    mPosition = position;
    Start();
}

void Particles2::Start()
{
    mStarted = true;
    mFinished = false;
}

void Particles2::Stop()
{
    PtcSetInterrupt(mEmitter, true);
}

void Particles2::MoveTo(const TPoint<float>& position, bool follow)
{
    const float dx = mPosition.x - position.x, dy = mPosition.y - position.y;
    mPosition = position;
    if (follow)
        return;
    // The particles are relative to the position: shift them back so that
    // they stay where they are on screen.
    const int types = PtcGetParticlesTypeCount(mEmitter);
    for (int t = 0; t < types; ++t) {
        if (PtcLockParticlesType(mEmitter, t) != PTC_SUCCESS)
            continue;
        while (PtcGetNextParticle())
            PtcMoveParticle(dx, dy);
        PtcUnlockParticlesType();
    }
}

void Particles2::Rewind(float seconds)
{
    PtcSetPosition(mEmitter, 0);
    PtcUpdate(mEmitter, double(seconds) * 1000.0);
}

void Particles2::SetLooping(bool looping)
{
    PtcSetLoopMode(mEmitter, looping ? PTC_LOOP_FOREVER : PTC_LOOP_ONCE);
}

void Particles2::Update(float seconds)
{
    if (!mStarted || IsFinished())
        return;
    const double step = PtcIsInterpolationMode(mEmitter) ? double(seconds) * 1000.0 : PtcGetUpdateTime(mEmitter);
    mFinished = !PtcUpdate(mEmitter, step);
}

bool Particles2::IsFinished()
{
    return mFinished || !mEmitter;
}

void Particles2::Draw(Graphics* g)
{
    Particles2_TextureManager* textures = ParticleTextures();
    if (!mStarted || IsFinished() || !g || !g->destImage || !textures)
        return;
    g->SaveState();
    float ex = 0, ey = 0;
    PtcGetEmitterPosition(mEmitter, &ex, &ey);
    const float originX = mPosition.x + ex, originY = mPosition.y + ey;
    const Color base = g->colorizeImages ? g->color : Color::White;
    g->colorizeImages = true;
    g->smooth = true;
    const Rect whole(0, 0, g->destImage->width, g->destImage->height);

    static std::vector<PtcTexture> frames; // kept between draws: no allocation per frame
    for (int t = PtcGetParticlesTypeCount(mEmitter) - 1; t >= 0; --t) {
        if (PtcLockParticlesType(mEmitter, t) != PTC_SUCCESS)
            continue;
        const int count = PtcGetTextureCount();
        frames.resize(size_t(count));
        for (int i = 0; i < count; ++i)
            PtcGetTexture(i, &frames[size_t(i)]);
        int id = PtcGetTextureID();
        if (!textures->Matches(id, frames.data(), count)) {
            id = textures->Find(frames.data(), count);
            if (!id)
                id = textures->Create(frames.data(), count);
            PtcSetTextureID(id);
        }
        DDImage* image = textures->GetImage(id);
        if (!image) {
            // A type without texture frames draws nothing.
            PtcUnlockParticlesType();
            continue;
        }
        g->clipRect = whole;
        g->drawMode = PtcIsIntensive() ? DRAWMODE_ADDITIVE : DRAWMODE_NORMAL;
        while (const PtcParticle* p = PtcGetNextParticle()) {
            if (p->frame < 0 || p->frame >= count)
                continue;
            const PtcTexture& f = frames[size_t(p->frame)];
            const float scale = p->size / float(f.frameWidth);
            // Nothing to draw for a particle shrunk to nothing.
            if (!(scale != 0.0f) || !std::isfinite(scale) || !std::isfinite(p->x) || !std::isfinite(p->y) ||
                !std::isfinite(p->angle))
                continue;
            g->color = Color(Channel(base.red, (p->color >> 16) & 255), Channel(base.green, (p->color >> 8) & 255),
                             Channel(base.blue, p->color & 255), Channel(base.alpha, p->color >> 24));
            const Rect source(int32_t(float(f.textureWidth) * f.left), int32_t(float(f.textureHeight) * f.top),
                              int32_t(float(f.textureWidth) * (f.right - f.left)),
                              int32_t(float(f.textureHeight) * (f.bottom - f.top)));
            DrawTransform transform;
            transform.Translate(-f.pivotX, -f.pivotY);
            transform.Scale(scale, scale);
            transform.Rotate(p->angle * 3.1415927f / 180.0f);
            transform.Translate(p->x + originX, p->y + originY);
            g->DrawImageWithTransform(image, transform, source, 0.0f, 0.0f, true);
        }
        PtcUnlockParticlesType();
    }
    g->RestoreState();
}

} // namespace Quib
