"""Hostile files found by the fuzz harnesses (fuzz/), replayed in a fresh interpreter each: under
the sanitizer build (make test-asan) a fault aborts that interpreter, not the test run."""
from conftest import run_script


def test_animation_ending_past_the_32_bit_frame_range(tmp_path):
    """startFrame + frames once overflowed a 32-bit sum when a sprite component took the animation."""
    result = run_script(f"""
        import json, os
        import brovaline as b
        d = {str(tmp_path)!r}
        b.Texture(8, 8).saveFile(os.path.join(d, "s.png"))
        header = {{"width": 3, "height": 3, "entities": [{{"sprite": {{"sprite": 0}}}}],
                   "sprites": [{{"texture": "s.png", "animations": {{"a": {{"frames": 4, "startFrame": 2**31 - 1}}}}}}]}}
        with open(os.path.join(d, "a.lvl.json"), "w") as f:
            json.dump(header, f)
        open(os.path.join(d, "a.lvl"), "wb").close()
        try:
            entities = b.Level(os.path.join(d, "a.lvl")).getEntities()
        except ValueError:
            entities = []
        for e in entities:
            print(e.getComponent(b.SpriteComponent)._currentMaxFrame)
    """)
    assert result.returncode == 0, result.stderr
    assert all(int(line) >= 2**31 - 1 for line in result.stdout.split("\n") if line.lstrip("-").isdigit())
