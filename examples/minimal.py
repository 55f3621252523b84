"""The smallest first-person scene: an empty walled level, a camera that turns, escape quits."""
import os
import sys

import brovaline as b

engine = b.Engine()
engine.init("brovaline: minimal", (640, 400), show=bool(os.environ.get("DISPLAY")))
level = b.Level()                                   # an empty 30 x 30 level with walls all round
level.setBlock(b.BLOCK_TRIANGLE_NORTH_WEST, 10, 10)   # a diagonal block to look at
renderer = b.RaycastingRenderer(b.Texture(640, 400), level)
engine.ecs.addSystem(renderer)
camera = renderer.getCamera()
camera.pos.set(b.Vector2(5.5, 5.5))        # pos and dir are live vectors


def turn(timeStep, onDone):
    camera.dir.rotate(30 * timeStep)                # degrees per second
    return False


engine.addTask(turn)
frames = int(sys.argv[1]) if len(sys.argv) > 1 else None
while engine.isRunning() and frames != 0:
    engine.update()
    frames = frames - 1 if frames else frames
engine.quit()
