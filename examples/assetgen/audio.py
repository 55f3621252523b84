"""Synthesised sound effects (WAV, through the wave module) and a music loop (OGG, through oggenc)."""
import shutil
import subprocess
import tempfile
import wave
from pathlib import Path

import numpy as np

RATE = 44100


def _time(seconds):
    return np.arange(int(RATE * seconds)) / RATE


def _envelope(t, attack, decay):
    return np.minimum(t / attack, 1.0) * np.exp(-t / decay)


def chime():
    t = _time(1.8)
    partials = [(880, 1.0, 0.6), (1320, 0.5, 0.4), (1760, 0.35, 0.3), (2640, 0.2, 0.2), (3520, 0.1, 0.1)]
    return sum(a * np.sin(2 * np.pi * f * t) * _envelope(t, 0.004, d) for f, a, d in partials) * 0.45


def zap():
    t = _time(0.35)
    freq = 1400 * np.exp(-t * 9) + 120
    phase = 2 * np.pi * np.cumsum(freq) / RATE
    square = np.sign(np.sin(phase)) * 0.5 + np.sin(phase * 1.5) * 0.3
    return square * _envelope(t, 0.002, 0.12) * 0.6


def click():
    t = _time(0.06)
    noise = np.random.default_rng(3).uniform(-1, 1, t.size)
    return (np.sin(2 * np.pi * 1800 * t) * 0.6 + noise * 0.3) * _envelope(t, 0.001, 0.012) * 0.7


def thud():
    t = _time(0.4)
    freq = 110 * np.exp(-t * 4) + 40
    body = np.sin(2 * np.pi * np.cumsum(freq) / RATE)
    noise = np.random.default_rng(4).uniform(-1, 1, t.size) * np.exp(-t * 40)
    return (body * _envelope(t, 0.003, 0.12) + noise * 0.4) * 0.8


def wind():
    """Four seconds of gusting noise whose ends meet, for an endless loop."""
    t = _time(4.0)
    noise = np.random.default_rng(5).normal(0, 1, t.size)
    smooth = np.convolve(noise, np.ones(40) / 40, mode="same")
    gusts = 0.55 + 0.45 * np.sin(2 * np.pi * t / 4.0) * np.sin(2 * np.pi * 3 * t / 4.0)
    loop = smooth * gusts
    fade = np.minimum(1.0, np.minimum(t, t[-1] - t) / 0.05)   # no click where the loop restarts
    return loop * fade / np.abs(loop).max() * 0.35


def _note(freq, seconds, kind):
    t = _time(seconds)
    if kind == "pad":
        wave_ = sum(np.sin(2 * np.pi * freq * m * t + m) / m for m in (1, 2, 3)) * 0.5
        return wave_ * np.minimum(t / 0.4, 1) * np.minimum((seconds - t) / 0.4, 1)
    if kind == "bass":
        return np.tanh(2 * np.sin(2 * np.pi * freq * t)) * _envelope(t, 0.01, 0.5)
    return np.sin(2 * np.pi * freq * t) * (1 + 0.3 * np.sin(2 * np.pi * freq * 2 * t)) * _envelope(t, 0.005, 0.18)


def _freq(semitones_from_a4):
    return 440.0 * 2 ** (semitones_from_a4 / 12)


def music(bars=8, bpm=96):
    """An A-minor loop: pad chords, a bass line and an arpeggio, `bars` bars of 4 beats."""
    beat = 60 / bpm
    total = np.zeros(int(RATE * beat * 4 * bars) + RATE)
    chords = [(-12, [0, 3, 7]), (-16, [0, 4, 7]), (-19, [0, 4, 7]), (-14, [0, 3, 7])]  # Am F C Dm (A4 = 0)
    for bar in range(bars):
        root, shape = chords[bar % len(chords)]
        start = int(RATE * beat * 4 * bar)
        for interval in shape:
            pad = _note(_freq(root + interval - 12), beat * 4, "pad") * 0.12
            total[start:start + pad.size] += pad
        for b in range(4):
            bass = _note(_freq(root - 24 + (7 if b == 2 else 0)), beat * 0.9, "bass") * 0.25
            offset = start + int(RATE * beat * b)
            total[offset:offset + bass.size] += bass
        pattern = [0, 1, 2, 1, 2, 0, 1, 2]
        for i, idx in enumerate(pattern):
            octave = 12 if (bar + i) % 5 else 24
            pluck = _note(_freq(root + shape[idx] + octave - 12), beat * 0.6, "pluck") * 0.16
            offset = start + int(RATE * beat * 0.5 * i)
            total[offset:offset + pluck.size] += pluck
    end = int(RATE * beat * 4 * bars)
    total[:RATE] += total[end:end + RATE]  # fold the tail of the last bar into the start: seamless loop
    loop = total[:end]
    return loop * (0.8 / max(0.8, np.abs(loop).max()))


def write_wav(samples, path, channels=1):
    data = np.clip(samples, -1, 1)
    pcm = (data * 32767).astype("<i2")
    if channels == 2:
        pcm = np.repeat(pcm, 2)
    path.parent.mkdir(parents=True, exist_ok=True)
    with wave.open(str(path), "wb") as out:
        out.setnchannels(channels)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(pcm.tobytes())
    return path.name


def write_ogg(samples, path):
    encoder = shutil.which("oggenc")
    if encoder is None:
        raise SystemExit("oggenc not found: install Debian's vorbis-tools (make system-deps does)")
    with tempfile.TemporaryDirectory() as tmp:
        wav = Path(tmp) / "music.wav"
        write_wav(samples, wav, channels=2)
        subprocess.run([encoder, "--quiet", "-q", "4", "-o", str(path), str(wav)], check=True)
    return path.name


EFFECTS = {"chime": chime, "zap": zap, "click": click, "thud": thud, "wind": wind}


def generate(out):
    for name, make in EFFECTS.items():
        write_wav(make(), out / "sounds" / f"{name}.wav")
    (out / "music").mkdir(parents=True, exist_ok=True)
    write_ogg(music(), out / "music" / "theme.ogg")
