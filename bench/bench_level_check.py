"""`check` of a 1024 x 1024 level with floors, ceilings and walls: rooms joined by doors, half
blocks in the corners, a few sealed rooms. Reports seconds and nanoseconds per cell for reading
the level pair and for checking it, and the check's time as a ratio of the plain read."""
import tempfile
import time
from pathlib import Path

import numpy as np

from brovaline_tools.level import check_level, level_from_arrays, read_level, write_level

SIZE, ROOM = 1024, 8
BUDGET = 3.0   # seconds: "a few seconds at most" for a level of this size


def rooms_level():
    """Rooms of ROOM x ROOM cells (walls included) with doors east and south; every seventh room
    is sealed; each room's corners are half blocks."""
    yy, xx = np.mgrid[0:SIZE, 0:SIZE]
    wall = (xx % ROOM == 0) | (yy % ROOM == 0) | (xx == SIZE - 1) | (yy == SIZE - 1)
    door = ((xx % ROOM == 0) & (yy % ROOM == ROOM // 2)) | ((yy % ROOM == 0) & (xx % ROOM == ROOM // 2))
    room = (yy // ROOM) * (SIZE // ROOM) + xx // ROOM
    sealed_room = (room % 7 == 3)
    blocks = np.where(wall & ~(door & ~sealed_room & ~np.roll(sealed_room, 1, 0) & ~np.roll(sealed_room, 1, 1)), 1, 0)
    blocks[(xx == SIZE - 1) | (yy == SIZE - 1) | (xx == 0) | (yy == 0)] = 1
    blocks[(xx % ROOM == 1) & (yy % ROOM == 1) & (blocks == 0)] = 2
    blocks[(xx % ROOM == ROOM - 1) & (yy % ROOM == ROOM - 1) & (blocks == 0)] = 5
    return level_from_arrays(blocks.astype(np.uint8), floor=1, ceiling=2, walls=0,
                             textures=["wall.png", "floor.png", "ceiling.png"], start=[4.5, 4.5])


def best_of(runs, action):
    times = []
    for _ in range(runs):
        started = time.perf_counter()
        result = action()
        times.append(time.perf_counter() - started)
    return min(times), result


def main():
    cells = SIZE * SIZE
    with tempfile.TemporaryDirectory() as directory:
        path = Path(directory) / "big.lvl"
        write_level(rooms_level(), path)
        for name in ("wall.png", "floor.png", "ceiling.png"):
            (Path(directory) / name).write_bytes(b"")   # present is enough for the check
        read_time, level = best_of(3, lambda: read_level(path))
        check_time, findings = best_of(3, lambda: check_level(level))
    print(f"level check, {SIZE} x {SIZE} cells, {len(findings)} findings")
    print(f"  read:  {read_time:7.3f} s  {read_time / cells * 1e9:6.0f} ns/cell")
    print(f"  check: {check_time:7.3f} s  {check_time / cells * 1e9:6.0f} ns/cell  "
          f"({check_time / read_time:.0f} x the read, {check_time / BUDGET:.2f} of the {BUDGET:g} s budget)")
    kinds = sorted({f.message.split(":")[0] for f in findings})
    print(f"  findings: {', '.join(kinds)}")


if __name__ == "__main__":
    main()
