"""What a game does on a player's machine, run against an installed wheel.

Imports the engine, opens a window, loads PNG textures, a font, a WAV sound and an OGG track,
writes a level with brovaline_tools, loads and renders it, and saves a screenshot, checking each
step. The drivers are whatever SDL_VIDEODRIVER and SDL_AUDIODRIVER say: the dummy ones in a bare
system, x11 and pulseaudio where a display server and a sound server run; the script checks that
SDL really uses the ones asked for.

Usage: smoke.py ASSETS OUT
  ASSETS holds font.ttf and music.ogg (fonts and music come with a game, as data files);
  OUT receives the generated files and screenshot.png.
"""
import ctypes
import math
import os
import struct
import sys
import time
import wave
import zlib
from pathlib import Path

import brovaline as b
from brovaline_tools.level import LevelData, write_level
from brovaline_tools.sdl import loaded_sdl

WIDTH, HEIGHT = 320, 200


def write_png(path, width, height, pixel):
    """An RGBA PNG, pixel(x, y) -> (r, g, b, a)."""
    rows = b"".join(b"\0" + bytes(c for x in range(width) for c in pixel(x, y)) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
                     + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def write_tone(path, seconds=0.5, rate=44100, hz=440):
    frames = b"".join(struct.pack("<hh", v, v) for v in
                      (int(12000 * math.sin(2 * math.pi * hz * i / rate)) for i in range(int(seconds * rate))))
    with wave.open(str(path), "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(frames)


def check(condition, what):
    if not condition:
        sys.exit(f"smoke: FAILED: {what}")
    print(f"smoke: ok: {what}")


def sdl_driver(function):
    fn = getattr(loaded_sdl(), function)
    fn.restype = ctypes.c_char_p
    name = fn()
    return name.decode() if name else None


def main(assets, out):
    assets, out = Path(assets), Path(out)
    out.mkdir(parents=True, exist_ok=True)
    check(Path(b.__file__).parent.name == "site-packages", f"the engine comes from the installed wheel ({b.__file__})")
    engine = b.Engine()
    engine.init("brovaline smoke", (WIDTH, HEIGHT), show=True)
    video, audio = sdl_driver("SDL_GetCurrentVideoDriver"), sdl_driver("SDL_GetCurrentAudioDriver")
    check(video == os.environ["SDL_VIDEODRIVER"], f"window opened with the {video} video driver")
    check(audio == os.environ["SDL_AUDIODRIVER"], f"sound opened with the {audio} audio driver")

    write_png(out / "wall.png", 64, 64, lambda x, y: (200, 40 + 3 * y, 40, 255) if (x // 8 + y // 8) % 2 else (90, 90, 90, 255))
    write_png(out / "sky.png", 64, 32, lambda x, y: (80, 120, 255 - 4 * y, 255))
    wall = b.Texture(str(out / "wall.png"))
    check((wall.width, wall.height) == (64, 64), "PNG texture loaded")

    font = b.Font(str(assets / "font.ttf"), 18)
    label = font.render("brovaline", (255, 255, 255))
    check(label.width > 40 and label.height > 10, f"font rendered text of {label.width} x {label.height}")

    write_tone(out / "tone.wav")
    sound = b.Sound(str(out / "tone.wav"))       # a sound stops when its Sound is freed
    handle = sound.loop(0)                       # until the frames below are done
    check(handle.isPlaying() == 1, f"WAV sound playing on channel {handle.channel}")
    music = b.Music(str(assets / "music.ogg"))
    music.play()
    mixer = loaded_sdl()
    check(mixer.Mix_PlayingMusic() == 1, "OGG music playing")

    level = LevelData.empty(8, 8, assets_dir=str(out))
    level.grid[0, :, 0] = level.grid[-1, :, 0] = level.grid[:, 0, 0] = level.grid[:, -1, 0] = 1
    level.header.update(textures=["wall.png"], skytex="sky.png")
    grid_path, _ = write_level(level, out / "smoke.lvl")
    loaded = b.Level(grid_path)
    check(loaded.getSize() == (8, 8) and loaded.getBlock(0, 3) == 1, "level file written and loaded")

    target = b.Texture(WIDTH, HEIGHT)
    renderer = b.RaycastingRenderer(target, loaded)
    engine.ecs.addSystem(renderer)
    camera = renderer.getCamera()
    camera.pos.set(b.Vector2(4.5, 4.5))
    deadline = time.monotonic() + 2.0        # let the sound and the music run through the mixer
    while time.monotonic() < deadline:
        engine.update()
        time.sleep(0.01)
    check(handle.isPlaying() == 1 and mixer.Mix_PlayingMusic() == 1, "sound and music still playing after 2 s")
    handle.stop()
    music.stop()
    pixels = memoryview(target).cast("B")
    check(len(set(bytes(pixels)[::97])) > 4, "level rendered (the frame is not blank)")
    engine.saveScreenshot(str(out / "screenshot.png"))
    shot = out / "screenshot.png"
    check(shot.exists() and shot.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n", f"screenshot saved to {shot}")
    engine.quit()
    print("smoke: all steps passed")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(*sys.argv[1:])
