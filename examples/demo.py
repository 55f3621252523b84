"""Opens a window (hidden without a display), runs 60 frames and saves a screenshot."""
import os
import sys

HEADLESS = not os.environ.get("DISPLAY") and not os.environ.get("WAYLAND_DISPLAY")
if HEADLESS:
    os.environ.setdefault("SDL_VIDEODRIVER", "dummy")
    os.environ.setdefault("SDL_AUDIODRIVER", "dummy")

import brovaline as b  # noqa: E402  (SDL starts at import: the drivers must be chosen first)


def main():
    engine = b.Engine()
    engine.init("brovaline demo", (640, 400), show=not HEADLESS)
    target = b.Texture(640, 400)
    engine.ecs.addSystem(b.Renderer(target))
    for _ in range(60):
        if not engine.isRunning():
            break
        engine.update()
    out = sys.argv[1] if len(sys.argv) > 1 else "demo-screenshot.png"
    engine.saveScreenshot(out)
    print("wrote file", out)
    engine.quit()


if __name__ == "__main__":
    main()
