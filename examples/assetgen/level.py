"""The demo level: the grid file (7 bytes per cell) and its JSON header with assets, fog and entities.

Rooms are carved out of solid rock; every solid cell next to a room shows that room's wall texture
on the face turned towards it, so each room has walls of its own.
"""
import json

from . import sprites, textures

WIDTH, HEIGHT = 32, 32
NONE = 255  # floor/ceiling index: no floor or ceiling, the sky shows through

EMPTY, SQUARE, TRI_NW, TRI_NE, TRI_SE, TRI_SW = range(6)
FLOOR, CEILING, NORTH, EAST, SOUTH, WEST = range(1, 7)
T = textures.INDEX


class Grid:
    def __init__(self, width, height, rock):
        self.width, self.height = width, height
        self.cells = [[SQUARE, 0, 0, rock, rock, rock, rock] for _ in range(width * height)]

    def cell(self, x, y):
        return self.cells[x + y * self.width]

    def carve(self, x0, y0, x1, y1, wall, floor, ceiling):
        """Opens the cells of the rectangle (inclusive) and gives the surrounding faces `wall`."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.cells[x + y * self.width] = [EMPTY, floor, ceiling, wall, wall, wall, wall]
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self._face(x, y - 1, SOUTH, wall)
                self._face(x, y + 1, NORTH, wall)
                self._face(x - 1, y, EAST, wall)
                self._face(x + 1, y, WEST, wall)

    def _face(self, x, y, face, texture):
        if 0 <= x < self.width and 0 <= y < self.height and self.cell(x, y)[0] != EMPTY:
            self.cell(x, y)[face] = texture

    def block(self, x, y, kind, texture):
        """Puts a square or diagonal block into an open cell, keeping its floor and ceiling."""
        cell = self.cell(x, y)
        cell[0] = kind
        cell[NORTH:] = [texture] * 4

    def round_corners(self, x0, y0, x1, y1, texture):
        self.block(x0, y0, TRI_NW, texture)
        self.block(x1, y0, TRI_NE, texture)
        self.block(x0, y1, TRI_SE, texture)   # solid sides south and west: the south-west corner
        self.block(x1, y1, TRI_SW, texture)   # solid sides south and east: the south-east corner

    def diamond(self, x, y, texture):
        """A free-standing pillar of four half blocks whose diagonals form a diamond."""
        self.block(x, y, TRI_SW, texture)
        self.block(x + 1, y, TRI_SE, texture)
        self.block(x, y + 1, TRI_NE, texture)
        self.block(x + 1, y + 1, TRI_NW, texture)

    def tobytes(self):
        return bytes(b for cell in self.cells for b in cell)


def build_grid():
    g = Grid(WIDTH, HEIGHT, T["stone"])
    indoor = dict(floor=T["tiles"], ceiling=T["ceiling"])
    outdoor = dict(floor=T["grass"], ceiling=NONE)
    # west hall, where the player starts
    g.carve(1, 1, 8, 12, T["brick"], **indoor)
    g.round_corners(1, 1, 8, 12, T["brick"])
    g.block(4, 4, SQUARE, T["marble"])
    g.carve(9, 10, 10, 11, T["brick"], **indoor)
    # courtyard under the open sky, with pillars
    g.carve(11, 8, 22, 21, T["moss"], **outdoor)
    g.round_corners(11, 8, 22, 21, T["moss"])
    g.diamond(14, 11, T["marble"])
    g.diamond(18, 11, T["marble"])
    g.block(14, 17, SQUARE, T["metal"])
    g.block(19, 17, SQUARE, T["metal"])
    # wooden shrine north of the courtyard
    g.carve(11, 1, 22, 5, T["wood"], floor=T["wood"], ceiling=T["ceiling"])
    g.round_corners(11, 1, 22, 5, T["wood"])
    g.carve(16, 6, 17, 7, T["wood"], floor=T["wood"], ceiling=T["ceiling"])
    # metal gallery along the east side
    g.carve(25, 1, 30, 30, T["metal"], **indoor)
    g.round_corners(25, 1, 30, 30, T["metal"])
    g.carve(23, 14, 24, 15, T["metal"], **indoor)
    # southern garden, open to the sky, reached from the courtyard, the gallery and the hall
    g.carve(1, 24, 22, 30, T["moss"], **outdoor)
    g.round_corners(1, 24, 22, 30, T["moss"])
    g.carve(15, 22, 18, 23, T["moss"], **outdoor)
    g.carve(23, 27, 24, 28, T["metal"], **indoor)
    g.carve(3, 13, 4, 23, T["brick"], **indoor)
    for x in (8, 12):
        g.block(x, 27, SQUARE, T["marble"])
    return g


def _entity(x, y, sprite, *, rotation=None, collision=None, velocity=None, **look):
    entity = {"position": {"x": x, "y": y},
              "sprite": {"sprite": sprites.INDEX[sprite], **look}}
    if rotation is not None:
        entity["rotation"] = {"x": rotation[0], "y": rotation[1]}
    if collision is not None:
        entity["collision"] = collision
    if velocity is not None:
        entity["velocity"] = velocity
    return entity


def entities():
    solid = {"radius": 0.3}
    barrel = dict(scale=0.55, zOffset=0.45, collision=solid, velocity={"x": 0, "y": 0, "friction": 4.0})
    orb = dict(scale=0.35, zOffset=-0.2, blendMode="add", shadeless=True)
    tree = dict(scale=1.3, zOffset=-0.3, collision={"radius": 0.35})
    sentinel = dict(scale=0.8, zOffset=0.2, collision={"radius": 0.3, "hasFlags": ["npc"]})
    placed = [
        _entity(2.5, 8.5, "barrel", **barrel),
        _entity(3.2, 9.3, "barrel", **barrel),
        _entity(7.0, 2.5, "barrel", **barrel),
        _entity(6.5, 6.5, "orbs", currentAnimation="warm", **orb),
        _entity(16.5, 14.5, "orbs", currentAnimation="cold", **orb),
        _entity(28.0, 8.0, "orbs", currentAnimation="warm", **orb),
        _entity(5.5, 27.5, "orbs", currentAnimation="cold", **orb),
        _entity(16.5, 3.0, "crystal", scale=0.7, zOffset=0.3,
                collision={"radius": 0.6, "isOnlyTrigger": True, "hasFlags": ["shrine"]}),
        _entity(12.7, 19.8, "tree", **tree),
        _entity(21.0, 9.6, "tree", **tree),
        _entity(3.0, 26.0, "tree", **tree),
        _entity(19.5, 28.5, "tree", **tree),
        _entity(10.0, 29.0, "tree", **tree),
        _entity(27.5, 4.0, "sentinel", rotation=(0, 1), currentAnimation="walk",
                velocity={"x": 0, "y": 1.2, "friction": 2.0}, **sentinel),
        _entity(16.5, 19.5, "sentinel", rotation=(1, 0), currentAnimation="idle", **sentinel),
    ]
    return [{"id": number, **entity} for number, entity in enumerate(placed, start=1)]


def header(texture_files, sprite_entries):
    return {
        "width": WIDTH,
        "height": HEIGHT,
        "skytex": "sky.png",
        "textures": texture_files,
        "sprites": sprite_entries,
        "fogColor": [34, 30, 48],
        "fogDensity": 9,
        "groundFogColor": [190, 200, 225],
        "groundFogDensity": 22,
        "entities": entities(),
        "playerStart": {"x": 2.5, "y": 6.5, "angle": 0},
    }


def generate(out, texture_files, sprite_entries):
    grid = build_grid()
    (out / "level.lvl").write_bytes(grid.tobytes())
    (out / "level.lvl.json").write_text(json.dumps(header(texture_files, sprite_entries), indent=2))
