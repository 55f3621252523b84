"""brovaline demo: a short first-person walk through a generated level.

With a display it opens a window: W/A/S/D and the arrow keys walk and turn, the mouse looks around and
its wheel zooms, a gamepad's sticks walk and turn, a left click zaps what is under the crosshair, TAB
opens the menu, F toggles the flashlight, G the fog, M fades the music, F11 switches to fullscreen,
F12 saves a screenshot, escape quits. Without a display (or with --frames) the same game runs for a
fixed number of frames along a scripted tour and saves screenshots as PNG files.

The assets come from make_assets.py (`make demo` runs it when they are missing).
"""
import argparse
import os
import sys
from pathlib import Path

EXAMPLES = Path(__file__).resolve().parent
HEADLESS_FRAMES = 240


def parse_args(argv):
    parser = argparse.ArgumentParser(description="brovaline demo game")
    parser.add_argument("--frames", type=int, help="play the scripted tour for this many frames, then quit "
                        f"(without a display: {HEADLESS_FRAMES})")
    parser.add_argument("--shots", type=int, default=8, help="screenshots taken along the scripted tour (default 8)")
    parser.add_argument("--screenshots", type=Path, default=Path("screenshots"),
                        help="folder for the screenshots (default: screenshots/)")
    parser.add_argument("--assets", type=Path, default=EXAMPLES / "assets", help="folder made by make_assets.py")
    parser.add_argument("--headless", action="store_true", help="never open a window, even with a display")
    args = parser.parse_args(argv)
    if args.frames is not None and args.frames < 1:
        parser.error("--frames must be at least 1")
    return args


def say(text, colour):
    """Prints a line, in the given terminal colour when standard output is a terminal."""
    if sys.stdout.isatty():
        with colour:
            print(text)
    else:
        print(text)


def has_display():
    return bool(os.environ.get("DISPLAY") or os.environ.get("WAYLAND_DISPLAY"))


def shot_frames(frames, shots):
    """Frame numbers spread evenly over the run, the first and the last included."""
    shots = max(1, min(shots, frames))
    if shots == 1:
        return [frames - 1]
    return sorted({round((frames - 1) * i / (shots - 1)) for i in range(shots)})


def main(argv=None):
    args = parse_args(argv)
    headless = args.headless or not has_display()
    if headless:
        # SDL starts when brovaline is imported: the drivers must be chosen before
        os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
        os.environ.setdefault("SDL_AUDIODRIVER", "dummy")
    if not (args.assets / "level.lvl.json").exists():
        sys.exit(f"no assets in {args.assets}: run `make demo` or `python {EXAMPLES / 'make_assets.py'}` first")
    frames = args.frames if args.frames is not None or not headless else HEADLESS_FRAMES
    import brovaline as b  # only now: importing starts SDL with the drivers chosen above
    from demo_game.game import Game

    game = Game(args.assets.resolve(), show=not headless, frames=frames)
    if frames is None:
        say("brovaline demo: TAB opens the menu with the controls, ESC quits.", b.TERMINAL_CYAN)
        game.run()
        return
    folder = args.screenshots.resolve()
    folder.mkdir(parents=True, exist_ok=True)
    wanted = shot_frames(frames, args.shots)

    def after_frame(index):
        if index in wanted:
            game.save_screenshot(folder / f"shot-{index:04d}.png")

    count = game.run(frames, after_frame)
    say(f"ran {count} frames; wrote {len(wanted)} screenshots to {folder}", b.TERMINAL_GREEN)


if __name__ == "__main__":
    main()
