"""The level with its systems and the player: what the game shows and simulates."""
import math
from pathlib import Path

import brovaline as b

PLAYER_RADIUS = 0.25
NO_TEXTURE = 255   # floor or ceiling index of a cell open to the sky
TRACE_DISTANCE = 20.0
# (fog colour, density, ground fog density): the level's own, then a thick haze
THICK_FOG = ((125, 118, 145), 26, 70)


class World:
    """Loads the level, adds movement and rendering to the engine and puts the player into it."""

    def __init__(self, engine, assets, target):
        self.engine = engine
        self.level = b.Level(str(assets / "level.lvl"))
        self.renderer = b.RaycastingRenderer(target, self.level)
        self.movement = b.MovementSystem(self.level)
        self.flashlight = b.Texture(str(assets / "flashlight.png"))
        self.flashlight_on = False
        self.thick_fog = False
        self._level_fog = (self.level.fogColor, self.level.fogDensity, self.level.groundFogDensity)
        engine.ecs.addSystem(self.movement)   # brings its collision-body system along
        engine.ecs.addSystem(self.renderer)
        self.level.syncEntitiesToEcs(engine.ecs)
        # sprites are known by the file name of their sheet ("sentinel", "orbs", ...)
        self._sprite_names = {id(sprite): Path(entry["texture"]).stem
                              for sprite, entry in zip(self.level.sprites, self.level.metadata["sprites"])}
        self.camera = self.renderer.getCamera()
        self.camera.pitch = 0   # the horizon through the middle of the screen, where the crosshair is
        self.player = self._spawn_player(self.level.metadata["start"], self.level.metadata.get("startAngle", 0))

    def _spawn_player(self, start, degrees):
        """The player entity shares the camera's vectors: moving the entity moves the camera. It
        starts at the map's start marker, facing `degrees` (0 east, 90 south)."""
        self.camera.pos.x, self.camera.pos.y = start
        angle = math.radians(degrees)
        self.camera.dir.x, self.camera.dir.y = math.cos(angle), math.sin(angle)
        player = b.Entity(-1,
                          b.PositionComponent(self.camera.pos),
                          b.RotationComponent(self.camera.dir),
                          b.VelocityComponent(friction=6.0),
                          b.CollisionComponent(PLAYER_RADIUS, hasFlags=["player"]))
        self.engine.ecs.addEntity(player)
        return player

    def kind(self, entity):
        """The sprite sheet name of a sprite entity, or None."""
        sprite = entity.getComponent(b.SpriteComponent)
        return None if sprite is None else self._sprite_names.get(id(sprite.sprite))

    def entities_of(self, kind):
        return [e for e in self.engine.ecs.getEntities(b.SpriteComponent) if self.kind(e) == kind]

    def toggle_flashlight(self):
        self.flashlight_on = not self.flashlight_on
        self.renderer._setFlashlight(self.flashlight if self.flashlight_on else None)
        return self.flashlight_on

    def toggle_fog(self):
        self.thick_fog = not self.thick_fog
        fog = THICK_FOG if self.thick_fog else self._level_fog
        self.level.fogColor, self.level.fogDensity, self.level.groundFogDensity = fog
        return self.thick_fog

    def is_outdoors(self):
        """Whether the player stands under the open sky."""
        x, y = int(self.camera.pos.x), int(self.camera.pos.y)
        return self.level.getTextureIndex(b.TEXTURE_CEILING, x, y) == NO_TEXTURE

    def body_ahead(self):
        """The nearest collision body on the line of sight in front of the nearest wall, and its
        distance, or None."""
        start, direction = self.camera.pos.copy(), self.camera.dir.copy()
        wall = self.renderer.castRay(start, direction)
        wall_distance = math.inf if wall is None else (wall - start).length
        for entity, distance in self.movement.collisionBodySystem.traceEntities(start, direction, TRACE_DISTANCE):
            if entity is not self.player and distance < wall_distance:
                return entity, distance
        return None

    def describe_view(self, x, y):
        """What lies under target pixel (x, y) in the last frame, in words."""
        kind, a, c = self.renderer.getWorldCellByScreenCoords(x, y)
        if kind == 1:
            return f"floor of cell ({a}, {c})"
        if kind == 2:
            if self.level.getTextureIndex(b.TEXTURE_CEILING, a, c) == NO_TEXTURE:
                return f"sky above cell ({a}, {c})"
            return f"ceiling of cell ({a}, {c})"
        face = {b.TEXTURE_NORTH: "north", b.TEXTURE_EAST: "east", b.TEXTURE_SOUTH: "south",
                b.TEXTURE_WEST: "west"}.get(kind, "?")
        return f"{face} face of block ({a}, {c})"
