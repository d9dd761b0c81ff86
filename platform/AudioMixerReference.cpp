// The plain mixer the fast one is checked against: one output frame at a
// time, every voice read a frame at a time through its own layout, in
// double precision, with the gains worked out afresh from the settings.
#include "platform/AudioMixer.h"

#include <algorithm>
#include <cmath>

namespace Quib {

namespace {

double BufferSample(const BufferVoice& v, uint32_t frame, int channel)
{
    const int c = v.channels == 2 ? channel : 0;
    const size_t byte = (size_t(frame) * v.channels + c) * (v.bits / 8);
    if (v.bits == 8)
        return (int(v.data[byte]) - 128) * 256.0;
    return double(int16_t(uint16_t(v.data[byte] | (v.data[byte + 1] << 8))));
}

double StreamSample(const StreamVoice& s, uint64_t frame, int channel)
{
    const int c = s.channels == 2 ? channel : 0;
    return s.ring[(frame % s.ringFrames) * s.channels + c];
}

double Lerp(double a, double b, uint32_t frac) { return a + (b - a) * (frac / 4294967296.0); }

} // namespace

void MixerCore::MixChunkReference(int16_t* out, size_t n)
{
    for (size_t k = 0; k < n; ++k) {
        double sum[2] = {0, 0};
        for (BufferVoice* v : playing) {
            if (!v->playing)
                continue;
            double gain[2];
            PanToGains(v->pan, gain[0], gain[1]);
            const uint32_t idx = uint32_t(v->pos >> 32), next = v->Next(idx);
            for (int c = 0; c < 2; ++c)
                sum[c] += VolumeToGain(v->volume) * gain[c] *
                    Lerp(BufferSample(*v, idx, c), BufferSample(*v, next, c), uint32_t(v->pos));
            v->pos += v->step;
            v->Settle();
        }
        for (const auto& sp : streams) {
            StreamVoice& s = *sp;
            if (s.state != StreamActivity::Playing)
                continue;
            if (k == 0)
                s.stalled = false;
            const uint64_t written = s.written.load();
            const bool ended = s.ended.load();
            const uint64_t idx = s.frame;
            if (idx >= written || (idx + 1 == written && !ended)) {
                s.stalled = s.stalled || !ended;
                s.Settle();
                continue;
            }
            const uint64_t next = idx + 1 < written ? idx + 1 : idx;
            const double gain[2] = {s.volume * (s.pan > 0 ? 1 - s.pan : 1), s.volume * (s.pan < 0 ? 1 + s.pan : 1)};
            for (int c = 0; c < 2; ++c)
                sum[c] += gain[c] * Lerp(StreamSample(s, idx, c), StreamSample(s, next, c), s.frac);
            s.Advance(s.step);
            s.Settle();
        }
        for (int c = 0; c < 2; ++c)
            out[2 * k + c] = int16_t(std::lround(std::clamp(sum[c] * master, -32768.0, 32767.0)));
    }
}

} // namespace Quib
