"""Sound effects and music loops, synthesised with numpy."""
import math
import struct
import subprocess
import wave

import numpy as np

RATE = 44100


def write_wav(path, samples, rate=RATE):
    """Mono (1-D) or stereo (N x 2) float samples in -1..1 as 16-bit PCM."""
    data = np.clip(samples, -1, 1)
    channels = 1 if data.ndim == 1 else data.shape[1]
    pcm = (data * 32767).astype("<i2").tobytes()
    with wave.open(path, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(pcm)


def encode_ogg(wav_path, ogg_path, serial, quality=3):
    subprocess.run(["oggenc", "-Q", "-q", str(quality), "--serial", str(serial), "-o", ogg_path, wav_path],
                   check=True)


def t_axis(seconds, rate=RATE):
    return np.arange(int(seconds * rate), dtype=np.float64) / rate


def env(t, attack, decay):
    a = np.clip(t / max(attack, 1e-4), 0, 1)
    return a * np.exp(-np.maximum(t - attack, 0) / decay)


def lowpass(x, cutoff, rate=RATE):
    spec = np.fft.rfft(x, axis=0)
    f = np.fft.rfftfreq(x.shape[0], 1 / rate)
    resp = 1 / np.sqrt(1 + (f / cutoff) ** 4)
    return np.fft.irfft(spec * (resp if x.ndim == 1 else resp[:, None]), n=x.shape[0], axis=0)


def bandpass(x, lo, hi, rate=RATE):
    spec = np.fft.rfft(x)
    f = np.fft.rfftfreq(x.shape[0], 1 / rate)
    resp = 1 / np.sqrt(1 + (f / hi) ** 4) * (1 - 1 / np.sqrt(1 + (f / lo) ** 4))
    return np.fft.irfft(spec * resp, n=x.shape[0])


def bell(freq, seconds, t0=0.0, decay=0.6, ratio=3.5, index=2.0, total=None, rate=RATE):
    """FM bell tone starting at t0 inside a buffer of total seconds."""
    total = total or seconds + t0
    out = np.zeros(int(total * rate))
    t = t_axis(seconds, rate)
    e = env(t, 0.003, decay)
    mod = index * e * np.sin(2 * math.pi * freq * ratio * t)
    tone = np.sin(2 * math.pi * freq * t + mod) * e
    i0 = int(t0 * rate)
    n = min(len(tone), len(out) - i0)
    out[i0:i0 + n] += tone[:n]
    return out


def pluck(freq, seconds, bright=0.5, decay=0.8, rate=RATE):
    t = t_axis(seconds, rate)
    out = np.zeros_like(t)
    for k in range(1, 9):
        out += (bright ** (k - 1)) / k * np.sin(2 * math.pi * freq * k * t + 0.3 * k) * np.exp(-t * k / decay * 0.7)
    return out * env(t, 0.004, decay)


def normalise(x, peak=0.8):
    m = np.max(np.abs(x))
    return x * (peak / m) if m > 0 else x


def fade_edges(x, ms=6, rate=RATE):
    n = int(rate * ms / 1000)
    if len(x) > 2 * n:
        ramp = np.linspace(0, 1, n)
        x[:n] *= ramp
        x[-n:] *= ramp[::-1]
    return x


# --- effects ----------------------------------------------------------------

def effect(kind, rng):
    if kind == "tick":  # a soft wooden tick with a little ring
        t = t_axis(0.14)
        x = np.sin(2 * math.pi * 1320 * t) * env(t, 0.001, 0.025) * 0.6
        x += bandpass(rng.normal(0, 1, len(t)), 1500, 5000) * env(t, 0.0005, 0.008) * 0.5
        x += bell(2640, 0.14, decay=0.05) * 0.15
        return normalise(x, 0.5)
    if kind == "press":  # a knock and a warm chime
        t = t_axis(0.32)
        x = np.sin(2 * math.pi * (220 - 80 * t) * t) * env(t, 0.001, 0.04)
        x += bandpass(rng.normal(0, 1, len(t)), 300, 2500) * env(t, 0.0005, 0.012) * 0.6
        x += bell(880, 0.32, decay=0.12, index=1.2) * 0.35 + bell(1320, 0.32, decay=0.09, index=0.8) * 0.2
        return normalise(x, 0.7)
    if kind == "pause":  # ding-dong
        x = bell(784, 1.0, 0.0, decay=0.35, total=1.0) + bell(587, 0.8, 0.2, decay=0.4, total=1.0)
        return normalise(x, 0.6)
    if kind == "pick":  # rising sparkle
        x = np.zeros(int(0.5 * RATE))
        for i, f in enumerate((1046, 1318, 1568, 2093)):
            x += bell(f, 0.5 - i * 0.06, i * 0.06, decay=0.12, index=1.0, total=0.5) * (0.7 + 0.1 * i)
        return normalise(x, 0.6)
    if kind == "place_right":  # a major chord chime
        x = np.zeros(int(0.9 * RATE))
        for i, f in enumerate((523, 659, 784, 1046)):
            x += bell(f, 0.9 - i * 0.04, i * 0.04, decay=0.3, index=1.5, total=0.9)
        return normalise(x, 0.65)
    if kind == "place":  # a dull wooden thud
        t = t_axis(0.22)
        x = np.sin(2 * math.pi * (140 - 60 * t) * t) * env(t, 0.001, 0.05)
        x += lowpass(rng.normal(0, 1, len(t)), 900) * env(t, 0.0005, 0.02) * 0.8
        return normalise(x, 0.7)
    if kind == "whoosh":  # filtered noise sweeping up and down
        t = t_axis(0.45)
        n = rng.normal(0, 1, len(t))
        x = np.zeros_like(t)
        for lo in (300, 700, 1400, 2800):
            x += bandpass(n, lo, lo * 1.6) * np.exp(-((t - 0.1 - lo / 12000) / 0.09) ** 2)
        return normalise(fade_edges(x), 0.5)
    if kind == "gull":  # two falling cries
        x = np.zeros(int(1.1 * RATE))
        for start in (0.0, 0.45):
            t = t_axis(0.4)
            f = 1500 - 700 * t / 0.4 + 120 * np.sin(2 * math.pi * 9 * t)
            ph = 2 * math.pi * np.cumsum(f) / RATE
            cry = (np.sin(ph) + 0.4 * np.sin(2 * ph) + 0.2 * np.sin(3 * ph)) * env(t, 0.03, 0.15)
            i0 = int(start * RATE)
            x[i0:i0 + len(cry)] += cry
        return normalise(fade_edges(x), 0.45)
    if kind == "waves":  # a seamless loop of surf
        seconds = 8.0
        t = t_axis(seconds)
        n = lowpass(rng.normal(0, 1, len(t)), 1200)
        swell = 0.35 + 0.65 * (0.5 - 0.5 * np.cos(2 * math.pi * t / 4.0)) ** 2
        return normalise(n * swell, 0.5)
    raise ValueError("unknown effect kind " + kind)


# --- music ------------------------------------------------------------------

NOTE = {"C": 0, "C#": 1, "Db": 1, "D": 2, "D#": 3, "Eb": 3, "E": 4, "F": 5, "F#": 6, "Gb": 6, "G": 7, "G#": 8,
        "Ab": 8, "A": 9, "A#": 10, "Bb": 10, "B": 11}


def midi(name):
    """'A4' -> 69."""
    n, octave = name[:-1], int(name[-1])
    return 12 * (octave + 1) + NOTE[n]


def hz(m):
    return 440.0 * 2 ** ((m - 69) / 12)


def chord_notes(spec):
    """'Dm' / 'G' / 'A7' / 'Fmaj7' with root in octave 3 -> midi numbers."""
    root = spec[0] + (spec[1] if len(spec) > 1 and spec[1] in "#b" else "")
    rest = spec[len(root):]
    r = midi(root + "3")
    if rest.startswith("m") and not rest.startswith("maj"):
        notes = [r, r + 3, r + 7]
        rest = rest[1:]
    else:
        notes = [r, r + 4, r + 7]
    if rest == "7":
        notes.append(r + 10)
    elif rest == "maj7":
        notes.append(r + 11)
    elif rest == "sus4":
        notes[1] = r + 5
    return notes


def reverb(x, seconds=2.2, mix=0.3, rng=None, rate=RATE):
    n = int(seconds * rate)
    t = np.arange(n) / rate
    rng = rng or np.random.default_rng(3)
    out = np.empty_like(x)
    for ch in range(x.shape[1]):
        ir = rng.normal(0, 1, n) * np.exp(-t * 6.9 / seconds)
        ir[: int(0.012 * rate)] = 0
        ir /= np.sqrt(np.sum(ir ** 2))
        size = 1 << int(math.ceil(math.log2(len(x) + n)))
        wet = np.fft.irfft(np.fft.rfft(x[:, ch], size) * np.fft.rfft(ir, size), size)[: len(x) + n]
        # Wrap the tail to the start so the loop is seamless.
        w = wet[: len(x)].copy()
        w[:n] += wet[len(x):len(x) + n]
        out[:, ch] = x[:, ch] * (1 - mix) + w * mix * 0.6
    return out


def place(buf, sig, t0, pan=0.0, gain=1.0, rate=RATE):
    """Adds a mono signal into a stereo loop buffer, wrapping past the end."""
    i0 = int(t0 * rate) % len(buf)
    l, r = math.cos((pan + 1) * math.pi / 4) * gain, math.sin((pan + 1) * math.pi / 4) * gain
    n = len(sig)
    first = min(n, len(buf) - i0)
    buf[i0:i0 + first, 0] += sig[:first] * l
    buf[i0:i0 + first, 1] += sig[:first] * r
    if n > first:
        rest = sig[first:][: len(buf)]
        buf[: len(rest), 0] += rest * l
        buf[: len(rest), 1] += rest * r


def pad_voice(freqs, seconds, rng, cutoff=1400, rate=RATE):
    t = t_axis(seconds, rate)
    x = np.zeros_like(t)
    for f in freqs:
        for det in (-0.35, 0.0, 0.4):
            ph = rng.uniform(0, 2 * math.pi)
            ff = f * 2 ** (det / 100 * 12 / 12)
            # A soft saw from a few harmonics.
            for k in range(1, 7):
                x += np.sin(2 * math.pi * ff * k * t + ph * k) / k * 0.12
    a = np.clip(t / 0.6, 0, 1) * np.clip((seconds - t) / 0.8, 0, 1)
    return lowpass(x * a, cutoff)


def render_track(spec, rng):
    """spec: dict with bpm, bars, chords (one per bar), style, melody list of (beat, note, beats)."""
    bpm = spec["bpm"]
    beat = 60.0 / bpm
    bars = len(spec["chords"])
    total = bars * 4 * beat
    buf = np.zeros((int(total * RATE), 2))
    style = spec["style"]
    for b, ch in enumerate(spec["chords"]):
        notes = chord_notes(ch)
        t0 = b * 4 * beat
        # Pad on every bar, overlapping into the next.
        pv = pad_voice([hz(n + 12) for n in notes], 4 * beat + 1.0, rng, cutoff=spec.get("pad_cutoff", 1300))
        place(buf, pv, t0 - 0.3, 0.0, spec.get("pad_gain", 0.5))
        # Bass.
        root = notes[0] - 12
        if style == "drive":
            for e in range(8):
                f = hz(root + (12 if e % 4 == 3 else 0))
                place(buf, pluck(f, beat * 0.5, bright=0.3, decay=0.25) * 0.8, t0 + e * beat / 2, -0.1, 0.55)
        else:
            place(buf, pluck(hz(root), 4 * beat, bright=0.25, decay=1.6), t0, 0.0, 0.6)
            place(buf, pluck(hz(root + 7), 2 * beat, bright=0.25, decay=1.0), t0 + 2 * beat, 0.0, 0.35)
        # Arpeggio.
        if style in ("harbour", "drive"):
            pattern = [0, 1, 2, 3, 2, 1, 0, 2] if len(notes) > 3 else [0, 1, 2, 1, 0, 1, 2, 1]
            for e, idx in enumerate(pattern):
                n = notes[idx % len(notes)] + 12
                place(buf, pluck(hz(n), beat * 1.5, bright=0.55, decay=0.6), t0 + e * beat / 2,
                      0.35 * math.sin(e), 0.22)
        elif style == "mystery":
            for e in (0, 3, 5):
                n = notes[e % len(notes)] + 24
                place(buf, bell(hz(n), 2.5, decay=0.9, ratio=3.0, index=1.5) * 0.3, t0 + e * beat * 0.75,
                      -0.5 + 0.5 * (e % 3), 0.5)
    # Melody.
    for at, note, beats in spec.get("melody", []):
        f = hz(midi(note))
        if style == "mystery":
            sig = bell(f, beats * beat + 1.5, decay=1.1, ratio=2.0, index=1.0) * 0.5
        else:
            sig = pluck(f, beats * beat + 0.8, bright=0.62, decay=0.9 + beats * 0.3)
        place(buf, sig, at * beat, 0.15, spec.get("melody_gain", 0.45))
    # Percussion.
    if style == "drive":
        for b in range(bars * 4):
            t = t_axis(0.3)
            kick = np.sin(2 * math.pi * (110 * np.exp(-t * 18) + 45) * t) * env(t, 0.002, 0.12)
            if b % 2 == 0:
                place(buf, kick, b * beat, 0.0, 0.7)
            shaker = bandpass(rng.normal(0, 1, int(0.06 * RATE)), 5000, 11000) * env(t_axis(0.06), 0.003, 0.02)
            place(buf, shaker, b * beat + beat / 2, 0.4, 0.25)
            place(buf, shaker * 0.6, b * beat, -0.4, 0.2)
    if style == "harbour":
        # Distant waves under the music.
        n = lowpass(rng.normal(0, 1, len(buf)), 700)
        sw = 0.5 - 0.5 * np.cos(2 * math.pi * np.arange(len(buf)) / len(buf) * bars / 2)
        buf[:, 0] += n * sw * 0.05
        buf[:, 1] += np.roll(n, 5000) * sw * 0.05
    buf = reverb(buf, spec.get("reverb", 2.0), spec.get("wet", 0.3), rng)
    return normalise(buf, 0.85)
