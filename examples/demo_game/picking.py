"""Clicking the scene: the sprite under the crosshair reacts, anything else is named."""
import brovaline as b

PUSH = 6.0          # impulse given to a barrel, cells per second
ZAPPED_SECONDS = 1.5


class Picking:
    def __init__(self, engine, world, audio, hud):
        self.engine, self.world, self.audio, self.hud = engine, world, audio, hud

    def pick(self, x, y):
        entity = self.world.renderer.getEntityAtScreenCoords(x, y)
        if entity is None:
            self.hud.message("Nothing to zap there: " + self.world.describe_view(x, y) + ".")
            return None
        self.audio.play("zap")
        react = getattr(self, "_" + (self.world.kind(entity) or "unknown"), self._unknown)
        self.hud.message(react(entity, entity.getComponent(b.SpriteComponent)))
        return entity

    def _sentinel(self, entity, sprite):
        previous = sprite.currentAnimationKey
        if previous == "zapped":
            return "The sentinel is still dizzy."
        sprite.currentAnimationKey = "zapped"
        sprite.animationPercentage = 0.0
        velocity = entity.getComponent(b.VelocityComponent)
        saved = None
        if velocity is not None:
            saved = velocity.velocity.copy()
            velocity.velocity.x = velocity.velocity.y = 0.0

        def recover(time_step, on_done):
            sprite.currentAnimationKey = previous
            sprite.animationPercentage = 0.0
            if saved is not None:
                velocity.velocity.set(saved)
            return True

        self.engine.addTaskAfter(ZAPPED_SECONDS, recover)
        return f"Zapped sentinel #{entity.id}!"

    def _barrel(self, entity, sprite):
        push = self.world.camera.dir.copy()
        push.scale(PUSH)
        entity.getComponent(b.VelocityComponent).impulse.set(push)
        return "The barrel rolls away."

    def _orbs(self, entity, sprite):
        sprite.currentAnimationKey = "cold" if sprite.currentAnimationKey == "warm" else "warm"
        return f"The orb turns {sprite.currentAnimationKey}."

    def _crystal(self, entity, sprite):
        self.audio.play("chime")
        return "The crystal rings."

    def _tree(self, entity, sprite):
        sprite.scale = 1.0 if sprite.scale > 1.0 else 1.3
        sprite.zOffset = 1.0 - sprite.scale   # keeps its foot on the floor
        return "The tree shrinks." if sprite.scale == 1.0 else "The tree grows."

    def _unknown(self, entity, sprite):
        return f"Entity #{entity.id}."
