"""What the level's inhabitants do every frame, and how they react to collisions."""
import math

import brovaline as b

PATROL_MIN_Y, PATROL_MAX_Y = 3.5, 27.5
IDLE_TURN_SPEED = 40.0      # degrees per second
BOB_HEIGHT, BOB_SPEED = 0.08, 2.0
THUD_MIN_IMPULSE = 0.8


class Behaviours:
    """Patrolling and turning sentinels, bobbing orbs, the chiming crystal and bumping barrels."""

    def __init__(self, engine, world, audio, hud):
        self.world, self.audio, self.hud = world, audio, hud
        self.frame = 0
        self.clock = 0.0
        self._last_contact = {}
        self._orbs = [(orb, orb.getComponent(b.SpriteComponent).zOffset, phase)
                      for phase, orb in enumerate(world.entities_of("orbs"))]
        self._sentinels = world.entities_of("sentinel")
        engine.subscribeEvent(b.CollisionEvent, self._on_collision)

    def step(self, time_step):
        self.frame += 1
        self.clock += time_step
        for entity in self._sentinels:
            self._sentinel(entity, time_step)
        for entity, base, phase in self._orbs:
            sprite = entity.getComponent(b.SpriteComponent)
            sprite.zOffset = base + BOB_HEIGHT * math.sin(self.clock * BOB_SPEED + phase * 1.7)

    def _sentinel(self, entity, time_step):
        rotation = entity.getComponent(b.RotationComponent)
        velocity = entity.getComponent(b.VelocityComponent)
        if velocity is None:
            rotation.dir.rotate(IDLE_TURN_SPEED * time_step)   # stands still and looks around
            return
        y = entity.getComponent(b.PositionComponent).y
        if (y > PATROL_MAX_Y and velocity.y > 0) or (y < PATROL_MIN_Y and velocity.y < 0):
            self._turn_back(entity)

    def _turn_back(self, entity):
        velocity = entity.getComponent(b.VelocityComponent)
        velocity.velocity.negate()
        direction = velocity.velocity.copy()
        direction.normalize()
        entity.getComponent(b.RotationComponent).dir.set(direction)

    def _entering(self, entity1, entity2):
        """True on the first frame of a contact between the two entities."""
        key = (entity1.id, entity2.id if entity2 is not None else None)
        previous = self._last_contact.get(key, -10)
        self._last_contact[key] = self.frame
        return previous < self.frame - 1

    def _on_collision(self, event):
        mover, other = event.entity1, event.entity2
        if not self._entering(mover, other):
            return
        mover_kind = self.world.kind(mover)
        other_kind = None if other is None else self.world.kind(other)
        if mover is self.world.player and other_kind == "crystal":
            self.audio.play("chime")
            self.hud.message("The crystal chimes.")
        elif mover_kind == "sentinel" and other is not None and other_kind != "crystal":
            self._turn_back(mover)
        elif mover_kind == "barrel":
            impulse = mover.getComponent(b.VelocityComponent).impulse
            if impulse.length > THUD_MIN_IMPULSE:
                self.audio.play("thud")
