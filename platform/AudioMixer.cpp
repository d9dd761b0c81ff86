// The fast mixer: every voice is resampled (linear interpolation, 32.32
// fixed-point positions) and added into a float accumulator, a chunk at a
// time, by a kernel specialised for its sample layout that runs without a
// bounds check over the longest stretch whose frames and their successors
// lie in one piece of memory; the frames at a loop's seam or a ring's wrap
// go through a plain per-frame path. The accumulator is scaled by the master
// volume and clipped once into 16 bits.
#include "platform/AudioMixer.h"

#include <algorithm>
#include <cmath>

namespace Quib {

namespace {

constexpr size_t kChunk = 256; // output frames mixed at once
constexpr float kFracScale = 1.0f / 16777216.0f;

// Sample value before the gain: 8-bit samples are centred here and scaled
// by 256 in their gains.
inline float Value(uint8_t s) { return float(int(s) - 128); }
inline float Value(int16_t s) { return float(s); }

// Adds n frames of src, starting at pos (32.32, frames of src) and moving
// by step, into the stereo accumulator. Every frame touched and the one
// after it lie inside src.
template <typename T, int C>
void MixRun(const T* src, uint64_t pos, uint64_t step, size_t n, float* acc, float gl, float gr)
{
    if (step == kPosOne) {
        // Same rate as the output: the fraction stays put, so the loop has
        // no gathers and vectorises.
        const T* s = src + (pos >> 32) * C;
        const float f = float(uint32_t(pos) >> 8) * kFracScale;
        for (size_t k = 0; k < n; ++k) {
            if constexpr (C == 1) {
                const float a = Value(s[k]), b = Value(s[k + 1]);
                const float v = a + (b - a) * f;
                acc[2 * k] += v * gl;
                acc[2 * k + 1] += v * gr;
            } else {
                const float al = Value(s[2 * k]), bl = Value(s[2 * k + 2]);
                const float ar = Value(s[2 * k + 1]), br = Value(s[2 * k + 3]);
                acc[2 * k] += (al + (bl - al) * f) * gl;
                acc[2 * k + 1] += (ar + (br - ar) * f) * gr;
            }
        }
        return;
    }
    for (size_t k = 0; k < n; ++k, pos += step) {
        const T* s = src + (pos >> 32) * C;
        const float f = float(uint32_t(pos) >> 8) * kFracScale;
        if constexpr (C == 1) {
            const float a = Value(s[0]), b = Value(s[1]);
            const float v = a + (b - a) * f;
            acc[2 * k] += v * gl;
            acc[2 * k + 1] += v * gr;
        } else {
            const float al = Value(s[0]), bl = Value(s[2]);
            const float ar = Value(s[1]), br = Value(s[3]);
            acc[2 * k] += (al + (bl - al) * f) * gl;
            acc[2 * k + 1] += (ar + (br - ar) * f) * gr;
        }
    }
}

void MixBufferRun(const BufferVoice& v, uint64_t pos, size_t n, float* acc)
{
    if (v.bits == 8) {
        if (v.channels == 1)
            MixRun<uint8_t, 1>(v.data, pos, v.step, n, acc, v.gainLeft, v.gainRight);
        else
            MixRun<uint8_t, 2>(v.data, pos, v.step, n, acc, v.gainLeft, v.gainRight);
    } else {
        const auto* s = reinterpret_cast<const int16_t*>(v.data);
        if (v.channels == 1)
            MixRun<int16_t, 1>(s, pos, v.step, n, acc, v.gainLeft, v.gainRight);
        else
            MixRun<int16_t, 2>(s, pos, v.step, n, acc, v.gainLeft, v.gainRight);
    }
}

float BufferValue(const BufferVoice& v, uint32_t frame, int c)
{
    const size_t i = size_t(frame) * v.channels + (v.channels == 2 ? c : 0);
    return v.bits == 8 ? Value(v.data[i]) : Value(reinterpret_cast<const int16_t*>(v.data)[i]);
}

// One frame from two given source frames (the plain path at seams).
inline void MixFrame(float a0, float b0, float a1, float b1, uint32_t frac, float gl, float gr, float* acc)
{
    const float f = float(frac >> 8) * kFracScale;
    acc[0] += (a0 + (b0 - a0) * f) * gl;
    acc[1] += (a1 + (b1 - a1) * f) * gr;
}

void MixBuffer(BufferVoice& v, float* acc, size_t n)
{
    if (v.gainLeft == 0 && v.gainRight == 0) {
        // Silent: only the position moves.
        v.pos += n * v.step;
        v.Settle();
        return;
    }
    size_t done = 0;
    while (done < n) {
        v.Settle();
        if (!v.playing)
            return;
        const uint64_t idx = v.pos >> 32;
        const uint32_t end = v.looping ? v.loopEnd : v.frames;
        if (idx + 1 < end) {
            const uint64_t limit = uint64_t(end - 1) << 32;
            const size_t count = std::min<uint64_t>(n - done, (limit - v.pos + v.step - 1) / v.step);
            MixBufferRun(v, v.pos, count, acc + 2 * done);
            v.pos += count * v.step;
            done += count;
        } else {
            const uint32_t next = v.Next(idx);
            const uint32_t i = uint32_t(idx);
            MixFrame(BufferValue(v, i, 0), BufferValue(v, next, 0), BufferValue(v, i, 1), BufferValue(v, next, 1),
                uint32_t(v.pos), v.gainLeft, v.gainRight, acc + 2 * done);
            v.pos += v.step;
            ++done;
        }
    }
    v.Settle();
}

void MixStream(StreamVoice& s, float* acc, size_t n)
{
    const bool ended = s.ended.load(std::memory_order_acquire);
    const uint64_t written = s.written.load(std::memory_order_acquire);
    s.stalled = false;
    size_t done = 0;
    while (done < n) {
        const uint64_t idx = s.frame;
        if (idx >= written) {
            s.stalled = !ended;
            break;
        }
        if (idx + 1 < written) {
            const uint64_t lap = idx & ~s.ringMask;
            const uint64_t end = std::min(written, lap + s.ringFrames);
            if (idx + 1 < end) {
                uint64_t rel = ((idx - lap) << 32) | s.frac;
                const uint64_t limit = (end - 1 - lap) << 32;
                const size_t count = std::min<uint64_t>(n - done, (limit - rel + s.step - 1) / s.step);
                if (s.gainLeft != 0 || s.gainRight != 0) {
                    if (s.channels == 1)
                        MixRun<int16_t, 1>(s.ring.data(), rel, s.step, count, acc + 2 * done, s.gainLeft, s.gainRight);
                    else
                        MixRun<int16_t, 2>(s.ring.data(), rel, s.step, count, acc + 2 * done, s.gainLeft, s.gainRight);
                }
                rel += count * s.step;
                s.frame = lap + (rel >> 32);
                s.frac = uint32_t(rel);
                done += count;
                continue;
            }
        } else if (!ended) {
            s.stalled = true; // the frame after this one is not decoded yet
            break;
        }
        const uint64_t next = idx + 1 < written ? idx + 1 : idx;
        const int r = s.channels - 1;
        MixFrame(s.At(idx, 0), s.At(next, 0), s.At(idx, r), s.At(next, r), s.frac, s.gainLeft, s.gainRight,
            acc + 2 * done);
        s.Advance(s.step);
        ++done;
    }
    s.Settle();
}

} // namespace

MixerCore::MixerCore(uint32_t rate) : outputRate(rate)
{
    playing.reserve(256);
    streams.reserve(16);
}

void MixerCore::UpdateGains(BufferVoice& v)
{
    double l, r;
    PanToGains(v.pan, l, r);
    const double g = VolumeToGain(v.volume) * (v.bits == 8 ? 256.0 : 1.0);
    v.gainLeft = float(g * l);
    v.gainRight = float(g * r);
}

void MixerCore::UpdateGains(StreamVoice& s) const
{
    s.gainLeft = float(s.volume * (s.pan > 0 ? 1 - s.pan : 1));
    s.gainRight = float(s.volume * (s.pan < 0 ? 1 + s.pan : 1));
    s.step = StepFor(s.frequency > 0 ? s.frequency : s.rate, outputRate);
}

void MixerCore::SetAttribute(StreamVoice& s, StreamAttribute attribute, double value) const
{
    switch (attribute) {
    case StreamAttribute::Volume:
        s.volume = std::clamp(value, 0.0, 1.0);
        break;
    case StreamAttribute::Pan:
        s.pan = std::clamp(value, -1.0, 1.0);
        break;
    case StreamAttribute::Frequency:
        s.frequency = value <= 0 ? 0 : std::clamp(value, double(kFrequencyMin), double(kFrequencyMax));
        break;
    }
    UpdateGains(s);
}

void MixerCore::Mix(int16_t* out, size_t frames, bool reference)
{
    std::lock_guard lock(mutex);
    while (frames > 0) {
        size_t n = std::min(frames, kChunk);
        for (const auto& s : streams)
            for (const Slide& slide : s->slides)
                if (slide.active)
                    n = size_t(std::min<uint64_t>(n, slide.total - slide.elapsed));
        if (reference)
            MixChunkReference(out, n);
        else
            MixChunkFast(out, n);
        AdvanceSlides(n);
        DropStopped();
        out += 2 * n;
        frames -= n;
    }
}

void MixerCore::MixChunkFast(int16_t* out, size_t n)
{
    float acc[2 * kChunk];
    std::fill_n(acc, 2 * n, 0.0f);
    for (BufferVoice* v : playing)
        if (v->playing)
            MixBuffer(*v, acc, n);
    for (const auto& s : streams)
        if (s->state == StreamActivity::Playing)
            MixStream(*s, acc, n);
    const float m = float(master);
    for (size_t i = 0; i < 2 * n; ++i) {
        const float x = std::clamp(acc[i] * m, -32768.0f, 32767.0f);
        out[i] = int16_t(int(x + (x < 0 ? -0.5f : 0.5f)));
    }
}

void MixerCore::AdvanceSlides(size_t frames)
{
    for (const auto& s : streams)
        for (int a = 0; a < 3; ++a) {
            Slide& slide = s->slides[a];
            if (!slide.active)
                continue;
            slide.elapsed += frames;
            const bool done = slide.elapsed >= slide.total;
            SetAttribute(*s, StreamAttribute(a),
                done ? slide.to : slide.from + (slide.to - slide.from) * double(slide.elapsed) / double(slide.total));
            slide.active = !done;
        }
}

void MixerCore::DropStopped()
{
    for (size_t i = 0; i < playing.size();) {
        if (playing[i]->playing) {
            ++i;
            continue;
        }
        playing[i]->listed = false;
        playing[i] = playing.back();
        playing.pop_back();
    }
}

void MixerCore::DecodeAhead(StreamVoice& s)
{
    std::lock_guard lock(s.decodeMutex);
    if (!s.decoder || s.ended.load(std::memory_order_relaxed))
        return;
    for (;;) {
        const uint64_t w = s.written.load(std::memory_order_relaxed);
        const uint64_t room = s.ringFrames - (w - s.consumed.load(std::memory_order_acquire));
        if (room == 0)
            return;
        const uint64_t want = std::min(room, s.ringFrames - (w & s.ringMask));
        const size_t got = std::min<size_t>(s.decoder->Read(&s.ring[(w & s.ringMask) * s.channels], want), want);
        if (got > 0) {
            s.justLooped = false;
            s.written.store(w + got, std::memory_order_release);
            continue;
        }
        // At the end: round again when looping, unless the stream gave
        // nothing since it last went round.
        if (s.looping.load() && !s.justLooped && s.decoder->Seek(0)) {
            s.justLooped = true;
            s.NoteSeam(w);
            continue;
        }
        s.ended.store(true, std::memory_order_release);
        return;
    }
}

} // namespace Quib
