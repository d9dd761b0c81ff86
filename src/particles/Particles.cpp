#include "src/particles/Particles.h"

#include "framework/files/PakInterface.h"
#include "framework/files/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "platform/FileNames.h"
#include "src/particles/Particle.h"
#include "src/particles/ParticlePool.h"

#include <cmath>

namespace Quib {

namespace {

constexpr float kHalfPi = 1.5707964f;

Image* sSpriteSheet = nullptr;

// trunc(value * 255) clamped to 0..255; NaN gives 0.
int32_t ChannelByte(float value)
{
    const float v = value * 255.0f;
    if (!(v > 0.0f))
        return 0;
    if (v >= 255.0f)
        return 255;
    return int32_t(v);
}

// A start drawn between s and s + (e - s) * variation, and the change per
// second that brings it to e at the end of the life.
void StartAndDelta(float s, float e, float variation, float life, float& start, float& delta)
{
    start = RandomFloat(s, s + (e - s) * variation);
    // A life of 0 ends in the first update; it needs no change.
    delta = life > 0.0f ? (e - start) / life : 0.0f;
}

} // namespace

void Particles::SetSpriteSheet(Image* sheet)
{
    sSpriteSheet = sheet;
}
Image* Particles::SpriteSheet()
{
    return sSpriteSheet;
}

Particles::Particles(const std::string& name) : mSheet(sSpriteSheet)
{
    mAnimated = mSheet && mSheet->animation && mSheet->animation->type != ImageAnimation::TYPE_NONE;
    const std::string path = "data\\particles\\" + name;
    // An empty name or a folder is no effect file.
    if (name.empty() || IsDirectory(path))
        return;
    PakFile* file = PakFOpen(path);
    if (!file)
        return;
    uint8_t bytes[ParticleParams::kSize];
    const size_t got = PakFRead(bytes, 1, sizeof bytes, file);
    PakFClose(file);
    mParams = ParticleParams::Read(bytes, got);
    mLoaded = true;
}

Particles::Particles(const Particles& other)
    : ParticlesCommon(), mParams(other.mParams), mSheet(other.mSheet), mAnimated(other.mAnimated),
      mLoaded(other.mLoaded)
{
}

Particles::~Particles()
{
    ReleaseAll();
}

void Particles::ReleaseAll()
{
    // Once the pool is gone at exit its records are gone with it.
    if (ParticlePool::IsAlive()) {
        for (Particle* p = mFirst; p;) {
            Particle* next = p->next;
            ParticlePool::ReleaseParticle(p);
            p = next;
        }
    }
    mFirst = mLast = nullptr;
    mLiveCount = 0;
}

void Particles::StartAt(const TPoint<float>& position)
{
    MoveTo(position, false);
    Start();
}

void Particles::Start()
{
    mClock = mParams.duration == kEndless ? kEndless : 0.0f;
    mStopped = false;
}

void Particles::Stop()
{
    mStopped = true;
    mClock = kIdle;
}

void Particles::MoveTo(const TPoint<float>& position, bool follow)
{
    if (follow) {
        const float dx = position.x - mCurPos.x, dy = position.y - mCurPos.y;
        for (Particle* p = mFirst; p; p = p->next) {
            p->x += dx;
            p->y += dy;
        }
        mPrevPos.x += dx;
        mPrevPos.y += dy;
    } else {
        // While emitting, the next update spreads its particles along the
        // way from the old place; otherwise the emitter jumps.
        mPrevPos = mClock != kIdle ? mCurPos : position;
    }
    mCurPos = position;
}

bool Particles::IsFinished()
{
    return mStopped && mLiveCount == 0;
}

void Particles::Unlink(Particle* p)
{
    (p->prev ? p->prev->next : mFirst) = p->next;
    (p->next ? p->next->prev : mLast) = p->prev;
}

void Particles::Update(float dt)
{
    if (mClock >= 0.0f) {
        mClock += dt;
        if (mClock >= mParams.duration) {
            mStopped = true;
            mClock = kIdle;
        }
    }

    for (Particle* p = mFirst; p;) {
        Particle* next = p->next;
        p->age += dt;
        if (p->age >= p->life) {
            Unlink(p);
            ParticlePool::ReleaseParticle(p);
            --mLiveCount;
            p = next;
            continue;
        }
        float nx = p->x - mCurPos.x, ny = p->y - mCurPos.y;
        const float length = std::sqrt(nx * nx + ny * ny);
        if (length != 0.0f) {
            nx /= length;
            ny /= length;
        } else {
            nx = ny = 0.0f;
        }
        const float ax = nx * p->radial + -ny * p->tangential;
        const float ay = ny * p->radial + nx * p->tangential;
        p->vx += ax * dt;
        p->vy += ay * dt;
        p->vy += p->gravity * dt;
        p->x += 0.5f * p->vx;
        p->y += 0.5f * p->vy;
        p->rotation += p->rotationDelta * dt;
        p->scale += p->scaleDelta * dt;
        p->red += p->redDelta * dt;
        p->green += p->greenDelta * dt;
        p->blue += p->blueDelta * dt;
        p->alpha += p->alphaDelta * dt;
        p = next;
    }

    if (mClock != kIdle) {
        float c = float(double(mParams.rate) * double(dt) + double(mCarry));
        if (!std::isfinite(c))
            c = 0.0f;
        const float whole = std::trunc(c);
        mCarry = c - whole;
        // At most what the limit leaves room for; a negative count emits none.
        const int32_t room = kMaxLiveParticles - mLiveCount;
        const int32_t count = whole <= 0.0f ? 0 : whole >= float(room) ? room : int32_t(whole);
        for (int32_t i = 0; i < count; ++i)
            EmitOne();
    }
    mPrevPos = mCurPos;
}

void Particles::EmitOne()
{
    Particle* p = ParticlePool::TakeParticle();
    if (!p)
        return;
    const ParticleParams& b = mParams;
    p->age = 0.0f;
    p->life = RandomFloat(b.lifeMin, b.lifeMax);

    const float f = RandomFloat(0.0f, 1.0f);
    p->x = mPrevPos.x + f * (mCurPos.x - mPrevPos.x);
    p->y = mPrevPos.y + f * (mCurPos.y - mPrevPos.y);
    p->x += RandomFloat(-2.0f, 2.0f);
    p->y += RandomFloat(-2.0f, 2.0f);

    float angle = RandomFloat(0.0f, b.spread) + (b.direction - kHalfPi) - b.spread * 0.5f;
    if (b.IsRelative())
        angle += std::atan2(mPrevPos.x - mCurPos.x, mPrevPos.y - mCurPos.y) + kHalfPi;
    const float speed = RandomFloat(b.speedMin, b.speedMax);
    p->vx = std::cos(angle) * speed;
    p->vy = std::sin(angle) * speed;

    p->gravity = RandomFloat(b.gravityMin, b.gravityMax);
    p->radial = RandomFloat(b.radialMin, b.radialMax);
    p->tangential = RandomFloat(b.tangentialMin, b.tangentialMax);

    const float life = p->life;
    StartAndDelta(b.scaleStart, b.scaleEnd, b.scaleVariation, life, p->scale, p->scaleDelta);
    StartAndDelta(b.rotationStart, b.rotationEnd, b.rotationVariation, life, p->rotation, p->rotationDelta);
    StartAndDelta(b.startColor[0], b.endColor[0], b.colorVariation, life, p->red, p->redDelta);
    StartAndDelta(b.startColor[1], b.endColor[1], b.colorVariation, life, p->green, p->greenDelta);
    StartAndDelta(b.startColor[2], b.endColor[2], b.colorVariation, life, p->blue, p->blueDelta);
    StartAndDelta(b.startColor[3], b.endColor[3], b.alphaVariation, life, p->alpha, p->alphaDelta);

    p->next = nullptr;
    p->prev = mLast;
    (mLast ? mLast->next : mFirst) = p;
    mLast = p;
    ++mLiveCount;
}

void Particles::Draw(Graphics* g)
{
    if (!g || !g->destImage || !mSheet || mSheet->width <= 0 || mSheet->height <= 0 || !mFirst)
        return;
    Image* sheet = mSheet;
    const int32_t cols = sheet->cols > 0 ? sheet->cols : 1;
    const int32_t rows = sheet->rows > 0 ? sheet->rows : 1;
    const int32_t cels = cols * rows;
    const int32_t celW = sheet->width / cols, celH = sheet->height / rows;
    const ImageAnimation* anim = mAnimated ? sheet->animation.get() : nullptr;

    const DrawMode oldMode = g->drawMode;
    g->drawMode = mParams.IsNormalBlend() ? DRAWMODE_NORMAL : DRAWMODE_ADDITIVE;
    g->colorizeImages = true;
    for (const Particle* p = mFirst; p; p = p->next) {
        int32_t cel = mParams.cel;
        if (anim) {
            float at;
            if (anim->type == ImageAnimation::TYPE_ONCE && p->age >= 0.0f)
                at = p->life > 0.0f ? std::trunc(float(cels) * p->age / p->life) : 0.0f;
            else
                at = std::fmod(std::trunc(p->age * 100.0f / float(anim->frameDelay > 0 ? anim->frameDelay : 1)),
                               float(cels));
            cel = at >= 0.0f && at < float(cels) ? int32_t(at) : at >= float(cels) ? cels - 1 : 0;
        }
        // A cel outside the sheet, or a particle shrunk to nothing or gone
        // off the numbers, draws nothing.
        if (cel < 0 || cel >= cels || !(p->scale != 0.0f) || !std::isfinite(p->scale) || !std::isfinite(p->x) ||
            !std::isfinite(p->y) || !std::isfinite(p->rotation))
            continue;
        const Rect source((cel % cols) * celW, (cel / cols) * celH, celW, celH);
        const Color color(ChannelByte(p->red), ChannelByte(p->green), ChannelByte(p->blue), ChannelByte(p->alpha));
        Matrix3x3 m;
        m.PreRotate(p->rotation);
        m.PreScale(p->scale, p->scale);
        m.PreTranslate(p->x, p->y);
        g->destImage->PutImageMatrix(sheet, g->transX, g->transY, m, g->clipRect, color, g->drawMode, source,
                                     g->smooth ? 1 : 0);
    }
    g->drawMode = oldMode;
    g->colorizeImages = false;
}

} // namespace Quib
