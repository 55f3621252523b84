"""
Brovaline is a game engine with a raycasting renderer and some simple UI
capabilities.
"""

import json as _json
import math as math
import os as os
import os.path as _ospath
import sys as _sys
import time as time
import traceback as traceback
from collections.abc import Callable, Iterator, Sequence, ValuesView
from threading import Timer as Timer
from types import TracebackType
from typing import Any, ClassVar, Final, TypeVar, overload

_T = TypeVar("_T")
_C = TypeVar("_C")
_TypeT = TypeVar("_TypeT", bound=type)

# (r, g, b) or (r, g, b, a), each 0..255.
_Color = Sequence[int]
# A file name: str or os.PathLike[str].
_Path = str | os.PathLike[str]
# A frame task: task(timeStep, onDone) -> a true value once the task is finished.
_Task = Callable[[float, Any], object]

# ---------------------------------------------------------------------------------------------
# Errors

class EngineException(Exception):
    """The base class of all of the engine's own exceptions."""

    msg: Any
    def __init__(self, msg: Any) -> None: ...

class EngineSdlException(EngineException):
    """Errors reported by SDL, on which window and input handling rest."""

    error: str
    """SDL's error text at the time the exception was created."""
    def __init__(self, msg: Any) -> None: ...

class LevelFormatException(EngineException):
    """A level could not be loaded because of invalid file content or an invalid level format."""

    filename: str
    def __init__(self, filename: str, msg: Any) -> None: ...

# ---------------------------------------------------------------------------------------------
# Events

class Event:
    """Base of all events; a handler sets isAlreadyHandled when it consumed the event."""

    def __init__(self) -> None: ...
    @property
    def isAlreadyHandled(self) -> bool: ...
    @isAlreadyHandled.setter
    def isAlreadyHandled(self, value: object) -> None: ...
    _isAlreadyHandled: bool

class KeyEvent(Event):
    """A key press with its modifier keys."""

    def __init__(self, key: int, isCtrlPressed: object, isAltPressed: object, isShiftPressed: object) -> None: ...
    @property
    def key(self) -> int:
        """The key code (one of the KEY_ constants)."""
    @property
    def isCtrlPressed(self) -> bool: ...
    @property
    def isAltPressed(self) -> bool: ...
    @property
    def isShiftPressed(self) -> bool: ...
    _key: int
    _isCtrlPressed: bool
    _isAltPressed: bool
    _isShiftPressed: bool

class MouseClickEvent(Event):
    """A mouse button release at a render-target pixel."""

    def __init__(self, x: int, y: int, button: int) -> None: ...
    @property
    def button(self) -> int:
        """The button (MOUSE_LEFT, MOUSE_MIDDLE or MOUSE_RIGHT)."""
    @property
    def x(self) -> int: ...
    @property
    def y(self) -> int: ...
    _button: int
    _x: int
    _y: int

class MouseWheelEvent(Event):
    """A mouse wheel movement in steps as SDL reports them: x positive to the right, y positive away from the user (both reversed when the system scrolls "naturally")."""

    def __init__(self, x: int, y: int) -> None: ...
    @property
    def x(self) -> int: ...
    @property
    def y(self) -> int: ...
    _x: int
    _y: int

class FullscreenEvent(Event):
    """The fullscreen state before and after a toggle."""

    def __init__(self, oldValue: object, newValue: object) -> None: ...
    @property
    def oldValue(self) -> bool: ...
    @property
    def newValue(self) -> bool: ...
    _oldValue: bool
    _newValue: bool

class Joystick:
    """A joystick announced by the engine."""

    def __init__(self, name: str | None, axes: int, buttons: int) -> None: ...
    def isButtonPressed(self, button: int) -> int:
        """1 while the button is down, else 0."""
    def getAxis(self, axis: int) -> float:
        """The axis position, from -1.0 to just below 1.0."""
    @property
    def name(self) -> str | None: ...
    @property
    def axes(self) -> int: ...
    @property
    def buttons(self) -> int: ...

class JoystickAddedEvent(Event):
    """A joystick was connected and opened."""

    def __init__(self, joystick: Joystick | None) -> None: ...
    @property
    def joystick(self) -> Joystick | None: ...
    _joystick: Joystick | None

class MusicStoppedEvent(Event):
    """The music stream stopped: its track ended, was stopped or faded out."""

    def __init__(self) -> None: ...

class CollisionEvent(Event):
    """Fired when a moving entity touches another collision body or a wall."""

    def __init__(self, entity1: Entity | None, entity2: Entity | None) -> None: ...
    @property
    def entity1(self) -> Entity | None:
        """The entity that moved."""
    @property
    def entity2(self) -> Entity | None:
        """The body it touched, or None for a wall of the level."""

class ButtonClickEvent(MouseClickEvent):
    """A click that activated a UIButton; target is the button."""

    def __init__(self, target: UIButton | None, x: int, y: int, mouseButton: int) -> None: ...
    @property
    def target(self) -> UIButton | None: ...
    _target: UIButton | None

class SliderValueChangedEvent(Event):
    """A UISlider's value changed from oldValue to newValue."""

    def __init__(self, target: UISlider | None, oldValue: int, newValue: int) -> None: ...
    @property
    def target(self) -> UISlider | None: ...
    @property
    def oldValue(self) -> int: ...
    @property
    def newValue(self) -> int: ...

# ---------------------------------------------------------------------------------------------
# Geometry

class Vector2:
    """A 2D vector of doubles."""

    def __init__(self, x: float, y: float) -> None: ...
    def __add__(self, other: Vector2, /) -> Vector2: ...
    def __radd__(self, other: Vector2, /) -> Vector2: ...
    def __sub__(self, other: Vector2, /) -> Vector2: ...
    def __rsub__(self, other: Vector2, /) -> Vector2: ...
    @overload
    def __mul__(self, other: Vector2, /) -> float:
        """The dot product."""
    @overload
    def __mul__(self, other: float, /) -> Vector2:
        """The vector scaled by a number."""
    @overload
    def __rmul__(self, other: Vector2, /) -> float: ...
    @overload
    def __rmul__(self, other: float, /) -> Vector2: ...
    def normalize(self) -> None:
        """Scales the vector to length 1 in place (a zero vector stays)."""
    def copy(self) -> Vector2:
        """A new vector with the same coordinates."""
    def getDegrees(self) -> float:
        """The direction in degrees, in (-180, 180]."""
    def angleTo(self, other: Vector2) -> float:
        """The unsigned angle to another vector, in radians."""
    def angleToInDegrees(self, other: Vector2) -> float:
        """The unsigned angle to another vector, in degrees."""
    def set(self, other: Vector2) -> None:
        """Copies the coordinates of another vector."""
    def add(self, other: Vector2) -> None:
        """Adds another vector in place."""
    def sub(self, other: Vector2) -> None:
        """Subtracts another vector in place."""
    def scale(self, other: float) -> None:
        """Multiplies both coordinates by a number in place."""
    def rotate(self, degrees: float) -> None:
        """Rotates counter-clockwise by a number of degrees in place."""
    def negate(self) -> None:
        """Negates both coordinates in place."""
    x: float
    y: float
    _x: float
    _y: float
    @property
    def length(self) -> float: ...

# ---------------------------------------------------------------------------------------------
# Resources

class Resource:
    """Base of every loadable resource; holds the file name."""

    def __init__(self, filename: str) -> None: ...
    @property
    def filename(self) -> str: ...
    _filename: str

class Texture(Resource):
    """A 32-bit ARGB pixel surface: Texture(width, height), Texture(texture) or Texture(filename)."""

    @overload
    def __init__(self, w: int, h: int) -> None:
        """A blank, fully transparent texture of w x h pixels."""
    @overload
    def __init__(self, w: Texture, h: object = None) -> None:
        """A copy of another texture."""
    @overload
    def __init__(self, w: str, h: object = None) -> None:
        """An image file (IOError when it cannot be loaded)."""
    def copyFrom(self, other: Texture) -> None:
        """Blits another texture onto this one at (0, 0), blending by its alpha."""
    def getSize(self) -> tuple[int, int]:
        """(width, height) in pixels."""
    def fill(self, color: _Color) -> None:
        """Replaces every pixel with an (r, g, b) or (r, g, b, a) colour."""
    def fillChecker(self) -> None:
        """Paints a two-by-two grey checker pattern."""
    def saveFile(self, filename: str) -> None:
        """Writes the texture as a PNG file."""
    def __buffer__(self, flags: int, /) -> memoryview:
        """A writable view of the pixels in place: 0xAARRGGBB words, shape (height, width)."""
    @property
    def width(self) -> int: ...
    @property
    def height(self) -> int: ...

class Font(Resource):
    """A TrueType font opened at one point size."""

    def __init__(self, filename: str, size: int) -> None: ...
    def getFontSize(self) -> int:
        """The point size the font was opened with."""
    def getRenderedTextSize(self, text: str) -> tuple[int, int]:
        """(width, height) of the text on one line."""
    def render(self, text: str, color: _Color) -> Texture:
        """Renders one line of text into a new Texture."""
    def renderLines(self, lines: Sequence[str], color: _Color) -> Texture:
        """Renders lines stacked top to bottom into a new Texture."""
    @property
    def size(self) -> int: ...

class SoundHandle:
    """The mixer channel of one play of a Sound."""

    def __init__(self, channel: int) -> None: ...
    def stop(self) -> None:
        """Halts the channel."""
    def pause(self) -> None:
        """Pauses the channel."""
    def resume(self) -> None:
        """Resumes the paused channel."""
    def isPlaying(self) -> int | None:
        """1 while the channel plays, 0 after; None without a channel."""
    @property
    def channel(self) -> int: ...
    _channel: int

class Sound(Resource):
    """A sound effect loaded from a WAV file."""

    def __init__(self, filepath: str) -> None: ...
    def play(self) -> SoundHandle:
        """Plays the sound once on a free channel; returns its SoundHandle."""
    def loop(self, times: int) -> SoundHandle:
        """Plays the sound `times` times (0: endlessly); returns its SoundHandle."""

class Music(Resource):
    """A music track (OGG) streamed on the mixer's music stream."""

    def __init__(self, filepath: str) -> None: ...
    def play(self, pos: float | None = None) -> None:
        """Plays the track once, from `pos` seconds when given."""
    def loop(self, times: int) -> None:
        """Plays the track `times` times (0: endlessly)."""
    def stop(self) -> None:
        """Halts the music stream."""
    def pause(self) -> None:
        """Pauses the music stream."""
    def resume(self) -> None:
        """Resumes the paused music stream."""
    def fadeOut(self, milliseconds: int) -> None:
        """Fades the music stream out over the given milliseconds, then halts it."""
    def fadeIn(self, milliseconds: int, pos: float = 0.0) -> None:
        """Plays the track once, fading in over the given milliseconds."""
    def fadeInLoop(self, milliseconds: int, times: int, pos: float = 0.0) -> None:
        """Plays the track `times` times (0: endlessly), fading in."""

def getMusicVolume() -> int:
    """The music volume (0..128)."""

def setMusicVolume(volume: int) -> None:
    """Sets the music volume (0..128)."""

def getSoundVolume() -> int:
    """The volume last set for sound effects (0..128)."""

def setSoundVolume(volume: int) -> None:
    """Sets the volume of every sound effect channel (0..128)."""

# ---------------------------------------------------------------------------------------------
# Sprites

class SpriteAnimation:
    """A named run of consecutive sheet frames: speed, looping or oscillating, view directions."""

    def __init__(
        self, name: str | None, frameCount: int, oscillate: object, speed: float, startFrame: int, directions: int
    ) -> None: ...

class Sprite:
    """A sprite sheet: a texture cut into xFrames x yFrames equal frames, with named animations."""

    def __init__(
        self, texture: Texture, xFrames: int, yFrames: int, spriteAnimations: list[SpriteAnimation]
    ) -> None: ...
    @property
    def texture(self) -> Texture: ...
    @property
    def width(self) -> int:
        """The width of one frame."""
    @property
    def height(self) -> int:
        """The height of one frame."""
    @property
    def animations(self) -> dict[str, SpriteAnimation]: ...

class SpriteComponent:
    """Shows a sprite on an entity: current animation, playback position and rendering options."""

    def __init__(
        self,
        sprite: Sprite | None = None,
        shadeless: object = False,
        zOffset: float = 0.0,
        scale: float = 1.0,
        blendMode: int = 0,
    ) -> None: ...
    def loadFromDict(self, level: Level, input: dict[str, Any]) -> None:
        """Fills the component from its level-file record."""
    def dumpToDict(self, level: Level) -> dict[str, Any]:
        """The component's level-file record."""
    sprite: Sprite | None
    @property
    def shadeless(self) -> bool: ...
    @shadeless.setter
    def shadeless(self, value: object) -> None: ...
    @property
    def blendMode(self) -> str:
        """"add" or "alpha"; assigning "add" selects additive blending, anything else alpha blending."""
    @blendMode.setter
    def blendMode(self, value: str) -> None: ...
    zOffset: float
    scale: float
    animationPercentage: float
    currentAnimation: SpriteAnimation | None
    currentAnimationKey: str | None
    """The name of the current animation; assigning one selects the sprite's animation of that name."""
    _sprite: Sprite | None
    _shadeless: bool
    _blendMode: int
    _zOffset: float
    _scale: float
    _dist: float
    _currentAnimation: SpriteAnimation | None
    _animationPercentage: float
    _currentMinFrame: int
    _currentMaxFrame: int
    _currentDirections: int
    _animationSpeed: float
    _angleToCam: float

# ---------------------------------------------------------------------------------------------
# Entities, components and systems

class Entity:
    """An id and a set of components, at most one per component class."""

    def __init__(self, id: int = -1, *components: object) -> None: ...
    def addComponent(self, component: object) -> None:
        """Adds a component unless one of its exact class is present."""
    def removeComponent(self, component: object) -> None:
        """Removes the component stored under type(component)."""
    def removeComponentType(self, componentType: type) -> None:
        """Removes the component stored under a class."""
    def getComponent(self, componentType: type[_C]) -> _C | None:
        """The component stored under exactly this class, or None."""
    def getComponents(self) -> ValuesView[Any]:
        """A live view of all components."""
    @property
    def id(self) -> int: ...
    _components: dict[type, Any]
    _ecs: Ecs | None
    _id: int

class PositionComponent:
    """The position of an entity in level units."""

    def __init__(self, pos: Vector2 | None = None) -> None: ...
    def loadFromDict(self, level: Level | None, input: dict[str, Any]) -> None:
        """Sets the position from the record's "x" and "y"."""
    def dumpToDict(self, level: Level | None) -> dict[str, Any]:
        """The record {"x", "y"} of the position."""
    x: float
    y: float
    pos: Vector2
    _pos: Vector2

class VelocityComponent:
    """Velocity, one-shot impulse and friction of a moving entity."""

    def __init__(
        self, velocity: Vector2 | None = None, impulse: Vector2 | None = None, friction: float = 2.0
    ) -> None: ...
    def loadFromDict(self, level: Level | None, input: dict[str, Any]) -> None:
        """Sets the velocity from "x" and "y", and the optional "impulse" and "friction"."""
    def dumpToDict(self, level: Level | None) -> dict[str, Any]:
        """The record of the velocity, friction and a non-zero impulse."""
    x: float
    y: float
    velocity: Vector2
    _velocity: Vector2
    impulse: Vector2
    _impulse: Vector2
    friction: float
    _friction: float

class RotationComponent:
    """The facing direction of an entity."""

    def __init__(self, dir: Vector2 | None = None) -> None: ...
    def loadFromDict(self, level: Level | None, input: dict[str, Any]) -> None:
        """Sets the direction from the record's "x" and "y"."""
    def dumpToDict(self, level: Level | None) -> dict[str, Any]:
        """The record {"x", "y"} of the direction."""
    dir: Vector2
    _dir: Vector2

class CollisionComponent:
    """The collision circle of an entity, its trigger flag and its collision flags."""

    def __init__(
        self,
        radius: float = 0.25,
        isOnlyTrigger: object = False,
        hasFlags: list[Any] | None = ...,
        ignoreFlags: list[Any] | None = ...,
    ) -> None: ...
    def loadFromDict(self, level: Level | None, input: dict[str, Any]) -> None:
        """Sets every field from the record; omitted entries take their defaults."""
    def dumpToDict(self, level: Level | None) -> dict[str, Any]:
        """The record of the radius, trigger flag and flag lists."""
    radius: float
    _radius: float
    @property
    def isOnlyTrigger(self) -> bool: ...
    @isOnlyTrigger.setter
    def isOnlyTrigger(self, value: object) -> None: ...
    @property
    def _isOnlyTrigger(self) -> bool: ...
    @_isOnlyTrigger.setter
    def _isOnlyTrigger(self, value: object) -> None: ...
    hasFlags: list[Any] | None
    _hasFlags: list[Any] | None
    ignoreFlags: list[Any] | None
    _ignoreFlags: list[Any] | None

_COMPONENTS: dict[str | type, type | str]
"""Component names to classes and classes to names, for level files."""

def component(name: str) -> Callable[[_TypeT], _TypeT]:
    """Class decorator registering a component class under `name` for level files."""

class DummyComponent:
    """This component type is used for component types in a level that can't be mapped."""

class Ecs:
    """The entity-component system: entities, and the systems updated once per frame."""

    def __init__(self, engine: Engine | None) -> None: ...
    def update(self, timeStep: float) -> None:
        """Updates every system, in the order they were added."""
    def addEntity(self, entity: Entity) -> None: ...
    def removeEntity(self, entity: Entity) -> None: ...
    @overload
    def getEntities(self) -> list[Entity]:
        """The live entity list."""
    @overload
    def getEntities(self, *requiredComponentTypes: type) -> Iterator[Entity]:
        """A lazy filter over the entities having all given component classes."""
    def getEntityById(self, id: int) -> Entity | None: ...
    def getSystems(self) -> list[AbstractSystem]: ...
    def removeAllEntities(self) -> None: ...
    def addSystem(self, system: AbstractSystem) -> None: ...
    def removeSystem(self, system: AbstractSystem) -> None: ...
    def _updateEntityMembership(self, entity: Entity) -> None: ...
    _systems: list[AbstractSystem]
    _entities: list[Entity]
    _engine: Engine | None

class AbstractSystem:
    """Base of all systems: processes the entities that have all of its component classes."""

    def __init__(self, *interestedComponentTypes: type) -> None: ...
    def _interestedIn(self, entity: Entity) -> bool:
        """True when the entity has every interested component class."""
    def _removeEntity(self, entity: Entity) -> None: ...
    def _updateEntityMembership(self, entity: Entity) -> None: ...
    def _updateEntity(self, entity: Entity, timeStep: float) -> None:
        """Processes one entity; does nothing in the base class."""
    def update(self, timeStep: float) -> None:
        """Calls _updateEntity for every member entity."""
    def _setEngine(self, engine: Engine | None) -> None: ...
    def getEngine(self) -> Engine | None: ...
    def _setEcs(self, ecs: Ecs | None) -> None: ...
    def getEcs(self) -> Ecs | None: ...
    @property
    def entities(self) -> list[Entity]:
        """The member entities."""
    _interestedComponentTypes: tuple[type, ...]
    _entities: list[Entity]
    _ecs: Ecs | None
    _engine: Engine | None

# ---------------------------------------------------------------------------------------------
# Levels

BLOCK_EMPTY: Final = 0
BLOCK_SQUARE: Final = 1
BLOCK_TRIANGLE_NORTH_WEST: Final = 2
BLOCK_TRIANGLE_NORTH_EAST: Final = 3
BLOCK_TRIANGLE_SOUTH_EAST: Final = 4
BLOCK_TRIANGLE_SOUTH_WEST: Final = 5

TEXTURE_FLOOR: Final = 1
TEXTURE_CEILING: Final = 2
TEXTURE_NORTH: Final = 3
TEXTURE_EAST: Final = 4
TEXTURE_SOUTH: Final = 5
TEXTURE_WEST: Final = 6

ASCII_CELLS: list[str]
"""The characters printLevel draws for the block kinds, indexed by BLOCK_ value."""

class Level(Resource):
    """A grid level with its textures, sprites, fog settings and entities, stored as a file pair."""

    def __init__(self, filename: _Path | None = None, assetsPath: str | None = None) -> None:
        """Loads the file pair `filename` and `filename` + ".json", or makes an empty 30 x 30 level."""
    def getSize(self) -> tuple[int, int]:
        """Returns the size of the level in blocks."""
    def getBlock(self, x: int, y: int) -> int:
        """The block type of cell (x, y)."""
    def setBlock(self, blockType: int, x: int, y: int) -> None:
        """Sets the block type of cell (x, y) (low 8 bits)."""
    def getTextureIndex(self, cardinalDirection: int, x: int, y: int) -> int:
        """Byte `cardinalDirection` of cell (x, y)."""
    def setTextureIndex(self, textureIndex: int, cardinalDirection: int, x: int, y: int) -> None:
        """Sets byte `cardinalDirection` of cell (x, y) (low 8 bits)."""
    def getTexture(self, cardinalDirection: int, x: int, y: int) -> Texture | None:
        """The texture a face of cell (x, y) refers to, or None."""
    def printLevel(self) -> None:
        """Prints the grid as text."""
    def saveFile(self, filename: _Path) -> None:
        """Writes the level to `filename` (the grid; should end with ".lvl") and its header to `filename` + ".json"."""
    def _loadFromFile(self, filename: _Path) -> None: ...
    def _loadMetadata(self, filename: str, header: str) -> None: ...
    def _loadAssets(self) -> None: ...
    def _convertPath(self, path: str) -> str: ...
    def createComponent(self, componentName: str, component: dict[str, Any]) -> Any:
        """Builds one component from its name and level-file record."""
    def addEntity(self, entity: Entity) -> None:
        """Appends an entity to the level."""
    def removeEntity(self, entity: Entity) -> None:
        """Removes an entity from the level (ValueError if absent)."""
    def removeAllEntities(self) -> None:
        """Removes every entity from the level."""
    def getEntities(self, *requiredComponentTypes: type) -> list[Entity]:
        """The level's entity list, or a new list of the entities having all given component classes."""
    def syncEntitiesToEcs(self, ecs: Ecs) -> None:
        """Replaces the Ecs's entities by the level's."""
    def syncEntitiesFromEcs(self, ecs: Ecs) -> None:
        """Replaces the level's entities by the Ecs's."""
    def addEntityFromJson(self, entity: dict[str, Any]) -> None:
        """Appends an entity record to the header."""
    def removeEntityFromJson(self, entity: Entity) -> None:
        """Removes an entity from the level and its record from the header."""
    def _updateEntityMetadata(self) -> None: ...
    def _dumpToDict(self, obj: object) -> Any: ...
    def _loadFromDict(self, component: object, input: dict[str, Any]) -> None: ...
    @property
    def width(self) -> int: ...
    @property
    def height(self) -> int: ...
    @property
    def metadata(self) -> dict[str, Any]:
        """The JSON header (the object itself)."""
    fogDensity: int
    groundFogDensity: int
    @property
    def fogColor(self) -> tuple[int, int, int]: ...
    @fogColor.setter
    def fogColor(self, value: Sequence[int]) -> None: ...
    @property
    def groundFogColor(self) -> tuple[int, int, int]: ...
    @groundFogColor.setter
    def groundFogColor(self, value: Sequence[int]) -> None: ...
    _fogColor: int
    _groundFogColor: int
    @property
    def textures(self) -> list[Texture]: ...
    @property
    def sprites(self) -> list[Sprite]: ...
    @property
    def _textureSurfaces(self) -> tuple[Any, ...]: ...
    _skyTex: Texture | None
    _textures: list[Texture] | None
    _sprites: list[Sprite] | None
    _entities: list[Entity] | None
    _collisionBodies: list[Entity] | None
    _assetsPath: str | None

# ---------------------------------------------------------------------------------------------
# Physics

class CollisionBodySystem(AbstractSystem):
    """Keeps the list of all collision bodies and traces segments against them."""

    def __init__(self) -> None: ...
    def update(self, timeStep: float) -> None:
        """Does nothing: the member list is kept current by the Ecs."""
    def traceEntities(self, pos: Vector2, dir: Vector2, maxDist: float) -> list[tuple[Entity, float]]:
        """traceEntities(pos, dir, maxDist) -> [(entity, distance)]: the bodies the segment from pos along dir (normalised in place) passes through, nearest first."""

class MovementSystem(AbstractSystem):
    """Moves entities by velocity and impulse, stopping them at other collision bodies and level walls."""

    def __init__(self, level: Level | None) -> None: ...
    def _updateEntity(self, entity: Entity, timeStep: float) -> None:
        """Applies friction to the impulse and moves the entity by (velocity + impulse) * timeStep."""
    def update(self, timeStep: float) -> None:
        """Moves every member entity."""
    def _setEcs(self, ecs: Ecs | None) -> None:
        """Also adds the collision-body system to (or removes it from) the Ecs."""
    def _setEngine(self, engine: Engine | None) -> None:
        """Also hands the engine to the collision-body system."""
    @property
    def collisionBodySystem(self) -> CollisionBodySystem:
        """The companion system holding all collision bodies."""
    _level: Level | None
    _cbs: CollisionBodySystem
    _broadPhase: bool  # visit only the bodies near each mover (same results); off visits them all

# ---------------------------------------------------------------------------------------------
# Rendering

BLENDMODE_BLEND: Final = 0
BLENDMODE_ADD: Final = 1

class Renderer(AbstractSystem):
    """This is the abstract base class for all brovaline renderers."""

    def __init__(self, target: Texture | None, *interestedComponentTypes: type) -> None: ...
    def getTarget(self) -> Texture:
        """The texture every frame is drawn into."""
    def update(self, timeStep: float) -> None:
        """Updates the member entities, then renders."""
    def render(self) -> None:
        """Should be overwritten by deriving classes."""
    _target: Texture | None

class Camera:
    """The position, direction, field of view and pitch a RaycastingRenderer draws from."""

    def __init__(self, pos: Vector2, dir: Vector2, fov: int, pitch: int, ratio: float = 1.6) -> None: ...
    @property
    def pos(self) -> Vector2:
        """Eye position in cells (the vector itself)."""
    @property
    def dir(self) -> Vector2:
        """Viewing direction (the vector itself), normalised every frame."""
    fov: int
    """Horizontal field of view in degrees."""
    pitch: int
    """Vertical offset of the horizon in pixels."""
    ratio: float
    """Wall height divisor."""
    _pos: Vector2
    _dir: Vector2
    _fov: int
    _pitch: int
    _ratio: float

class RaycastingRenderer(Renderer):
    """Renders 2.5D levels using the raycasting technique."""

    def __init__(self, target: Texture, level: Level | None) -> None: ...
    def getCamera(self) -> Camera:
        """Returns the camera object that is used for rendering the scene."""
    def _setFlashlight(self, flashlight: Texture | None) -> None:
        """Sets the flashlight texture (None turns it off)."""
    def render(self) -> None:
        """Draws one frame of the level onto the target."""
    def castRay(self, pos: Vector2, dir: Vector2) -> Vector2 | None:
        """Casts a ray from pos along dir; returns where it meets a wall. If the ray leaves the level boundaries, None is returned."""
    def getEntityAtScreenCoords(self, x: int, y: int) -> Entity | None:
        """The entity whose sprite is under target pixel (x, y) in the last frame, or None."""
    def getWorldPosByScreenCoords(self, x: int, y: int) -> tuple[int, float, float]:
        """(1, x, y) on the floor, (2, x, y) on the ceiling, or (face, cellX, cellY) on a wall, under target pixel (x, y)."""
    def getWorldCellByScreenCoords(self, x: int, y: int) -> tuple[int, int, int]:
        """Like getWorldPosByScreenCoords, with the floor and ceiling positions as cells."""
    @property
    def level(self) -> Level | None: ...
    @property
    def threads(self) -> int:
        """Threads that draw each frame (0 or None: one per core of the machine)."""
    @threads.setter
    def threads(self, value: int | None) -> None: ...
    _level: Level | None
    _camera: Camera
    _flashlight: Texture | None

# ---------------------------------------------------------------------------------------------
# User interface

ALIGN_LEFT: Final = 0
ALIGN_RIGHT: Final = 1
ALIGN_CENTER: Final = 2
VALIGN_TOP: Final = 0
VALIGN_BOTTOM: Final = 1
VALIGN_MIDDLE: Final = 2
SIZE_AUTO: Final = 0
SIZE_FIXED: Final = 1
SIZE_GROW: Final = 2
LIST_LAYOUT_HORIZONTAL: Final = 0
LIST_LAYOUT_VERTICAL: Final = 1
ANCHOR_LEFT: Final = 0
ANCHOR_RIGHT: Final = 1
ANCHOR_TOP: Final = 2
ANCHOR_BOTTOM: Final = 3
ANCHOR_CENTER: Final = 4
SLIDER_ORIENTATION_HORIZONTAL: Final = 0
SLIDER_ORIENTATION_VERTICAL: Final = 1

class UITheme:
    """The widgets' tileset, fonts, colours and widget specifications, loaded from a JSON file."""

    def __init__(self, filename: _Path) -> None:
        """Loads a theme file; the files it names are resolved against its directory."""
    def getIntColor(self, name: str) -> int:
        """Returns the RGB color as an int with one byte per color (all four bytes: 0xAARRGGBB, alpha on top)"""
    def getColor(self, name: str) -> tuple[int, int, int, int]:
        """Returns the RGBA color as a tuple"""
    def getFont(self, name: str) -> Font:
        """Returns the font loaded under this name."""
    def _convertRgbaToIntColor(self, color: _Color) -> int:
        """Converts (r, g, b[, a]) to 0xAARRGGBB; alpha defaults to 255."""
    @property
    def widgets(self) -> dict[str, Any]:
        """The widget specifications of the theme file."""

class UIRenderer(Renderer):
    """Draws a tree of widgets onto the render target every frame."""

    def __init__(self, target: Texture | None, fillBackground: object, theme: UITheme | None) -> None: ...
    def getSize(self) -> tuple[int, int]:
        """Returns the size of the render target"""
    def render(self) -> None:
        """Renders a single frame onto the render target"""
    def _setEngine(self, engine: Engine | None) -> None: ...
    def _onClick(self, evt: MouseClickEvent) -> None: ...
    def _onScroll(self, evt: MouseWheelEvent) -> None: ...
    widget: UIWidget
    """The root widget (at first an empty UIAnchoredContainer)."""
    @property
    def theme(self) -> UITheme | None: ...

class UIWidget:
    """The base class of every widget."""

    def __init__(self) -> None: ...
    def setMargin(self, *margins: int) -> None:
        """Sets the margins: 1 to 4 values in the order top, right, bottom, left."""
    def getParent(self) -> AbstractUIContainer | None:
        """The containing container, or None."""
    def getRenderer(self) -> UIRenderer | None:
        """The UIRenderer the widget is attached to, or None."""
    def render(self, clipX: int = -1, clipY: int = -1, clipWidth: int = -1, clipHeight: int = -1) -> None:
        """Draws the widget clipped to the rectangle; negative values: unclipped."""
    def update(self, mouseX: int, mouseY: int, isMouseLeftPressed: object) -> None:
        """Updates the hover and drag state."""
    def onDragStart(self, mouseX: int, mouseY: int) -> None:
        """Called when a drag begins."""
    def onDragEnd(self, mouseX: int, mouseY: int) -> None:
        """Called when a drag ends."""
    def onDrag(self, mouseX: int, mouseY: int, diffX: int, diffY: int) -> None:
        """Called on every frame of a drag with the pointer's movement."""
    def isInside(self, mouseX: int, mouseY: int) -> bool:
        """This method returns true if the given coordinates are inside the widget"""
    def _pointInRect(self, pointX: int, pointY: int, rectX: int, rectY: int, rectW: int, rectH: int) -> bool:
        """True when the point lies strictly inside the rectangle."""
    def _setParent(self, parent: AbstractUIContainer | None) -> None: ...
    def _onClick(self, evt: MouseClickEvent) -> bool: ...
    def _onScroll(self, evt: MouseWheelEvent) -> bool: ...
    sizePolicyX: int
    """SIZE_AUTO, SIZE_FIXED or SIZE_GROW."""
    sizePolicyY: int
    """SIZE_AUTO, SIZE_FIXED or SIZE_GROW."""
    width: int
    height: int
    _x: int
    _y: int
    horizontalAlign: int
    """ALIGN_LEFT, ALIGN_RIGHT or ALIGN_CENTER."""
    verticalAlign: int
    """VALIGN_TOP, VALIGN_BOTTOM or VALIGN_MIDDLE."""
    @property
    def isHovered(self) -> bool: ...
    onClick: Callable[[Any], object] | None
    """Called with the click event (a ButtonClickEvent for a UIButton)."""
    marginLeft: int
    marginTop: int
    marginRight: int
    marginBottom: int
    @property
    def isVisible(self) -> bool: ...
    @isVisible.setter
    def isVisible(self, value: object) -> None: ...
    @property
    def isEnabled(self) -> bool: ...
    @isEnabled.setter
    def isEnabled(self, value: object) -> None: ...
    userData: Any
    """Free for the application."""
    @property
    def rect(self) -> tuple[int, int, int, int]:
        """(x, y, width, height): the box in target pixels as laid out by the last frame."""

class AbstractUIContainer(UIWidget):
    """The base class of widgets that hold child widgets."""

    def getChildren(self) -> list[UIWidget]:
        """This method returns a list of the child UIWidget elements of the container"""
    def removeChild(self, child: UIWidget) -> None:
        """Removes the child if it is in the container."""
    def removeAllChildren(self) -> None:
        """Removes every child."""

class UIListContainer(AbstractUIContainer):
    """A container that stacks its children in a row or a column."""

    def addChild(self, child: UIWidget) -> None:
        """Appends a child widget."""
    def setPadding(self, *padding: int) -> None:
        """Sets the padding: 1 to 4 values in the order top, right, bottom, left."""
    paddingLeft: int
    paddingTop: int
    paddingRight: int
    paddingBottom: int
    layout: int
    """LIST_LAYOUT_HORIZONTAL or LIST_LAYOUT_VERTICAL."""

class _UIAnchorWrapper:
    """A child of an anchored container with its offsets and anchors."""

    def __init__(self, child: UIWidget, x: int, y: int, anchorTypeX: int, anchorTypeY: int) -> None: ...
    _wrapped: UIWidget | None
    _x: int
    _y: int
    _anchorTypeX: int
    _anchorTypeY: int

class UIAnchoredContainer(AbstractUIContainer):
    """A container that pins each child to an edge or the centre of its box."""

    def addChild(self, child: UIWidget, x: int, y: int, anchorTypeX: int = 0, anchorTypeY: int = 2) -> None:
        """Adds a child at an offset from the anchored edges (ANCHOR_LEFT/RIGHT/CENTER, ANCHOR_TOP/BOTTOM/CENTER)."""
    def removeChild(self, child: UIWidget) -> None:
        """Removes the child and its anchoring."""
    _wrappedChildren: list[_UIAnchorWrapper]

class UIPanel(UIListContainer):
    """A list container drawn as a panel of the theme."""

class UIText(UIWidget):
    """One or more lines of text in the theme's font."""

    def __init__(self, text: str | None, color: _Color | None = None) -> None: ...
    def getText(self) -> str | None:
        """The text."""
    def setText(self, text: str | None) -> None:
        """Sets the text (a str); it is split into lines."""
    def getRenderedTextSize(self) -> tuple[int, int]:
        """Determines the size which is required for the text. Note that this only works if the widget is appended to a renderer."""
    text: str | None
    color: _Color | None
    """The text colour (r, g, b[, a]); by default the theme's "fontColor"."""

class UIButton(UIListContainer):
    """A button with a text label; a click fires a ButtonClickEvent."""

    def __init__(self, label: str | None) -> None: ...
    def getText(self) -> str | None:
        """The label's text."""
    def setText(self, label: str | None) -> None:
        """Sets the label's text."""
    text: str | None

class UIImage(UIWidget):
    """A texture drawn over the widget's box."""

    def __init__(self, texture: Texture | None, width: int | None = None, height: int | None = None) -> None: ...
    texture: Texture | None
    """The image; assigning one resets the size to it."""
    alpha: int

class UISlider(UIWidget):
    """An integer value control with step buttons and a draggable thumb."""

    def __init__(self, value: int, minValue: int = 0, maxValue: int = 100, orientation: int = 0) -> None: ...
    value: int
    """The value, kept within the range; a change fires a SliderValueChangedEvent."""
    percent: float
    """The value as a fraction of the range."""

class UIScrollPanel(AbstractUIContainer):
    """Shows one content widget through a scrollable window."""

    def __init__(self, content: UIWidget) -> None: ...
    def setPadding(self, *padding: int) -> None:
        """Sets the padding: 1 to 4 values in the order top, right, bottom, left."""
    content: UIWidget
    """The scrolled widget."""
    scrollPosX: int
    scrollPosY: int
    paddingLeft: int
    paddingTop: int
    paddingRight: int
    paddingBottom: int
    wheelScrollPixels: int

# ---------------------------------------------------------------------------------------------
# Engine

class Engine:
    """The engine: window, frame loop, input, events, tasks and the game's Ecs."""

    version: ClassVar[float]
    _eventSubscribers: ClassVar[dict[type, list[Callable[[Any], object]]]]
    _tasks: ClassVar[list[tuple[_Task, Any]]]
    _timers: ClassVar[list[Timer]]
    _joysticks: ClassVar[list[Joystick]]
    def __init__(self) -> None: ...
    def init(
        self,
        title: str,
        size: Sequence[int],
        fullscreen: object = False,
        show: object = True,
        resizeable: object = False,
        windowid: int = -1,
        icon: str | None = None,
        captureMouse: object = False,
        audioChannels: int = 32,
        killWithEscapeKey: object = True,
    ) -> None:
        """Opens the window and the render target."""
    def _ensureInit(self) -> None: ...
    def isRunning(self) -> bool: ...
    def update(self) -> None:
        """Runs one frame."""
    def run(self, maxFps: float = 60) -> None:
        """Runs frames while the engine is initialised, at most maxFps per second."""
    def quit(self) -> None:
        """Destroys the window and shuts SDL down."""
    def isFullscreen(self) -> bool: ...
    def _toggleFullscreen(self) -> None: ...
    def toggleFullscreen(self) -> None:
        """Switches desktop fullscreen on or off and fires a FullscreenEvent."""
    def setFullscreen(self, fullscreen: object) -> None: ...
    def setWindowTitle(self, title: str) -> None: ...
    def getWindowPos(self) -> tuple[int, int]: ...
    def setWindowPos(self, pos: Sequence[int]) -> None: ...
    def setWindowIcon(self, icon: str) -> None: ...
    def setWindowSize(self, size: Sequence[int]) -> None: ...
    def getWindowSize(self) -> tuple[int, int]: ...
    def getFps(self) -> float: ...
    def getTimeStep(self) -> float: ...
    def saveScreenshot(self, filename: str) -> None: ...
    def subscribeEvent(self, eventType: type[_T], eventHandler: Callable[[_T], object]) -> None:
        """Calls eventHandler(evt) for every event of exactly this class."""
    def unsubscribeEvent(self, eventType: type, eventHandler: Callable[..., object]) -> None:
        """Removes the first subscription of eventHandler."""
    def fireEvent(self, evt: object, evtType: type | None = None) -> None:
        """Delivers evt to the subscribers of evtType (default: type(evt))."""
    def captureMouse(self, capture: object) -> None:
        """Hides the cursor and reports only relative motion while on."""
    def isMouseCaptured(self) -> bool: ...
    def getKeyName(self, keycode: int) -> str:
        """SDL's name of a key code ('' for codes without one)."""
    def isKeyPressed(self, keycode: int) -> int:
        """1 while the key is down (as of the last poll), else 0."""
    def isMouseButtonPressed(self, button: int) -> bool:
        """Whether the mouse button (1 = left) is down."""
    def getMouseDist(self) -> tuple[int, int]:
        """The relative motion of this frame's last mouse motion."""
    def getMousePos(self) -> tuple[int, int]:
        """The mouse position in render-target pixels."""
    def addTask(self, task: _Task, onDone: Any = None) -> None:
        """Calls task(timeStep, onDone) every frame until it returns a true value."""
    def addTaskAfter(self, delaySeconds: float, task: _Task, onDone: Any = None) -> None:
        """Adds the task once delaySeconds have passed (at once when delaySeconds <= 0)."""
    @property
    def ecs(self) -> Ecs: ...
    @property
    def joysticks(self) -> list[Joystick]:
        """A copy of the list of opened joysticks."""
    @property
    def fixedTimeStep(self) -> float | None:
        """Seconds per frame that update() uses instead of the measured time; None: measured.

        While set, every frame advances the game by exactly this step (getTimeStep() returns it and
        getFps() its inverse), whatever the machine's speed. None (the default) or 0 switches back to
        the time measured in whole milliseconds between frames. run() paces itself by getFps(), so
        with a fixed step it no longer waits for the clock."""
    @fixedTimeStep.setter
    def fixedTimeStep(self, value: float | None) -> None: ...
    @property
    def windowId(self) -> int:
        """SDL's id of the engine's window (0 without one)."""

# ---------------------------------------------------------------------------------------------
# Terminal output

class TerminalColor:
    """Switches the terminal's text colour for the duration of a with block."""

    def __init__(self, color: str) -> None: ...
    def __enter__(self) -> None: ...
    def __exit__(
        self, type: type[BaseException] | None, value: BaseException | None, traceback: TracebackType | None
    ) -> None: ...

TERMINAL_RED: Final[TerminalColor]
TERMINAL_GREEN: Final[TerminalColor]
TERMINAL_YELLOW: Final[TerminalColor]
TERMINAL_BLUE: Final[TerminalColor]
TERMINAL_MAGENTA: Final[TerminalColor]
TERMINAL_CYAN: Final[TerminalColor]
TERMINAL_WHITE: Final[TerminalColor]
TERMINAL_RED_BG: Final[TerminalColor]
TERMINAL_GREEN_BG: Final[TerminalColor]
TERMINAL_YELLOW_BG: Final[TerminalColor]
TERMINAL_BLUE_BG: Final[TerminalColor]
TERMINAL_MAGENTA_BG: Final[TerminalColor]
TERMINAL_CYAN_BG: Final[TerminalColor]
TERMINAL_WHITE_BG: Final[TerminalColor]
__PRINT_COLOR_RESET: Final[str]
"""The escape sequence that resets all terminal attributes."""

def clearTerminal() -> None:
    """Clears the terminal (the cursor is not moved home)."""

# ---------------------------------------------------------------------------------------------
# Angles

_DEGREES_TO_RAD: Final[float]
_RAD_TO_DEGREES: Final[float]

# ---------------------------------------------------------------------------------------------
# Mouse buttons and key codes (SDL key codes)

MOUSE_LEFT: Final = 1
MOUSE_MIDDLE: Final = 2
MOUSE_RIGHT: Final = 3

KEY_UNKNOWN: Final = 0
KEY_BACKSPACE: Final = 8
KEY_TAB: Final = 9
KEY_RETURN: Final = 13
KEY_ESCAPE: Final = 27
KEY_SPACE: Final = 32
KEY_EXCLAIM: Final = 33
KEY_QUOTEDBL: Final = 34
KEY_HASH: Final = 35
KEY_DOLLAR: Final = 36
KEY_PERCENT: Final = 37
KEY_AMPERSAND: Final = 38
KEY_QUOTE: Final = 39
KEY_LEFTPAREN: Final = 40
KEY_RIGHTPAREN: Final = 41
KEY_ASTERISK: Final = 42
KEY_PLUS: Final = 43
KEY_COMMA: Final = 44
KEY_MINUS: Final = 45
KEY_PERIOD: Final = 46
KEY_SLASH: Final = 47
KEY_0: Final = 48
KEY_1: Final = 49
KEY_2: Final = 50
KEY_3: Final = 51
KEY_4: Final = 52
KEY_5: Final = 53
KEY_6: Final = 54
KEY_7: Final = 55
KEY_8: Final = 56
KEY_9: Final = 57
KEY_COLON: Final = 58
KEY_SEMICOLON: Final = 59
KEY_LESS: Final = 60
KEY_EQUALS: Final = 61
KEY_GREATER: Final = 62
KEY_QUESTION: Final = 63
KEY_AT: Final = 64
KEY_LEFTBRACKET: Final = 91
KEY_BACKSLASH: Final = 92
KEY_RIGHTBRACKET: Final = 93
KEY_CARET: Final = 94
KEY_UNDERSCORE: Final = 95
KEY_BACKQUOTE: Final = 96
KEY_A: Final = 97
KEY_B: Final = 98
KEY_C: Final = 99
KEY_D: Final = 100
KEY_E: Final = 101
KEY_F: Final = 102
KEY_G: Final = 103
KEY_H: Final = 104
KEY_I: Final = 105
KEY_J: Final = 106
KEY_K: Final = 107
KEY_L: Final = 108
KEY_M: Final = 109
KEY_N: Final = 110
KEY_O: Final = 111
KEY_P: Final = 112
KEY_Q: Final = 113
KEY_R: Final = 114
KEY_S: Final = 115
KEY_T: Final = 116
KEY_U: Final = 117
KEY_V: Final = 118
KEY_W: Final = 119
KEY_X: Final = 120
KEY_Y: Final = 121
KEY_Z: Final = 122
KEY_DELETE: Final = 127
KEY_CAPSLOCK: Final = 0x40000039
KEY_F1: Final = 0x4000003a
KEY_F2: Final = 0x4000003b
KEY_F3: Final = 0x4000003c
KEY_F4: Final = 0x4000003d
KEY_F5: Final = 0x4000003e
KEY_F6: Final = 0x4000003f
KEY_F7: Final = 0x40000040
KEY_F8: Final = 0x40000041
KEY_F9: Final = 0x40000042
KEY_F10: Final = 0x40000043
KEY_F11: Final = 0x40000044
KEY_F12: Final = 0x40000045
KEY_PRINTSCREEN: Final = 0x40000046
KEY_SCROLLLOCK: Final = 0x40000047
KEY_PAUSE: Final = 0x40000048
KEY_INSERT: Final = 0x40000049
KEY_HOME: Final = 0x4000004a
KEY_PAGEUP: Final = 0x4000004b
KEY_END: Final = 0x4000004d
KEY_PAGEDOWN: Final = 0x4000004e
KEY_RIGHT: Final = 0x4000004f
KEY_LEFT: Final = 0x40000050
KEY_DOWN: Final = 0x40000051
KEY_UP: Final = 0x40000052
KEY_NUMLOCKCLEAR: Final = 0x40000053
KEY_KP_DIVIDE: Final = 0x40000054
KEY_KP_MULTIPLY: Final = 0x40000055
KEY_KP_MINUS: Final = 0x40000056
KEY_KP_PLUS: Final = 0x40000057
KEY_KP_ENTER: Final = 0x40000058
KEY_KP_1: Final = 0x40000059
KEY_KP_2: Final = 0x4000005a
KEY_KP_3: Final = 0x4000005b
KEY_KP_4: Final = 0x4000005c
KEY_KP_5: Final = 0x4000005d
KEY_KP_6: Final = 0x4000005e
KEY_KP_7: Final = 0x4000005f
KEY_KP_8: Final = 0x40000060
KEY_KP_9: Final = 0x40000061
KEY_KP_0: Final = 0x40000062
KEY_KP_PERIOD: Final = 0x40000063
KEY_APPLICATION: Final = 0x40000065
KEY_POWER: Final = 0x40000066
KEY_KP_EQUALS: Final = 0x40000067
KEY_F13: Final = 0x40000068
KEY_F14: Final = 0x40000069
KEY_F15: Final = 0x4000006a
KEY_F16: Final = 0x4000006b
KEY_F17: Final = 0x4000006c
KEY_F18: Final = 0x4000006d
KEY_F19: Final = 0x4000006e
KEY_F20: Final = 0x4000006f
KEY_F21: Final = 0x40000070
KEY_F22: Final = 0x40000071
KEY_F23: Final = 0x40000072
KEY_F24: Final = 0x40000073
KEY_EXECUTE: Final = 0x40000074
KEY_HELP: Final = 0x40000075
KEY_MENU: Final = 0x40000076
KEY_SELECT: Final = 0x40000077
KEY_STOP: Final = 0x40000078
KEY_AGAIN: Final = 0x40000079
KEY_UNDO: Final = 0x4000007a
KEY_CUT: Final = 0x4000007b
KEY_COPY: Final = 0x4000007c
KEY_PASTE: Final = 0x4000007d
KEY_FIND: Final = 0x4000007e
KEY_MUTE: Final = 0x4000007f
KEY_VOLUMEUP: Final = 0x40000080
KEY_VOLUMEDOWN: Final = 0x40000081
KEY_KP_COMMA: Final = 0x40000085
KEY_KP_EQUALSAS400: Final = 0x40000086
KEY_ALTERASE: Final = 0x40000099
KEY_SYSREQ: Final = 0x4000009a
KEY_CANCEL: Final = 0x4000009b
KEY_CLEAR: Final = 0x4000009c
KEY_PRIOR: Final = 0x4000009d
KEY_RETURN2: Final = 0x4000009e
KEY_SEPARATOR: Final = 0x4000009f
KEY_OUT: Final = 0x400000a0
KEY_OPER: Final = 0x400000a1
KEY_CLEARAGAIN: Final = 0x400000a2
KEY_CRSEL: Final = 0x400000a3
KEY_EXSEL: Final = 0x400000a4
KEY_KP_00: Final = 0x400000b0
KEY_KP_000: Final = 0x400000b1
KEY_THOUSANDSSEPARATOR: Final = 0x400000b2
KEY_DECIMALSEPARATOR: Final = 0x400000b3
KEY_CURRENCYUNIT: Final = 0x400000b4
KEY_CURRENCYSUBUNIT: Final = 0x400000b5
KEY_KP_LEFTPAREN: Final = 0x400000b6
KEY_KP_RIGHTPAREN: Final = 0x400000b7
KEY_KP_LEFTBRACE: Final = 0x400000b8
KEY_KP_RIGHTBRACE: Final = 0x400000b9
KEY_KP_TAB: Final = 0x400000ba
KEY_KP_BACKSPACE: Final = 0x400000bb
KEY_KP_A: Final = 0x400000bc
KEY_KP_B: Final = 0x400000bd
KEY_KP_C: Final = 0x400000be
KEY_KP_D: Final = 0x400000bf
KEY_KP_E: Final = 0x400000c0
KEY_KP_F: Final = 0x400000c1
KEY_KP_XOR: Final = 0x400000c2
KEY_KP_POWER: Final = 0x400000c3
KEY_KP_PERCENT: Final = 0x400000c4
KEY_KP_LESS: Final = 0x400000c5
KEY_KP_GREATER: Final = 0x400000c6
KEY_KP_AMPERSAND: Final = 0x400000c7
KEY_KP_DBLAMPERSAND: Final = 0x400000c8
KEY_KP_VERTICALBAR: Final = 0x400000c9
KEY_KP_DBLVERTICALBAR: Final = 0x400000ca
KEY_KP_COLON: Final = 0x400000cb
KEY_KP_HASH: Final = 0x400000cc
KEY_KP_SPACE: Final = 0x400000cd
KEY_KP_AT: Final = 0x400000ce
KEY_KP_EXCLAM: Final = 0x400000cf
KEY_KP_MEMSTORE: Final = 0x400000d0
KEY_KP_MEMRECALL: Final = 0x400000d1
KEY_KP_MEMCLEAR: Final = 0x400000d2
KEY_KP_MEMADD: Final = 0x400000d3
KEY_KP_MEMSUBTRACT: Final = 0x400000d4
KEY_KP_MEMMULTIPLY: Final = 0x400000d5
KEY_KP_MEMDIVIDE: Final = 0x400000d6
KEY_KP_PLUSMINUS: Final = 0x400000d7
KEY_KP_CLEAR: Final = 0x400000d8
KEY_KP_CLEARENTRY: Final = 0x400000d9
KEY_KP_BINARY: Final = 0x400000da
KEY_KP_OCTAL: Final = 0x400000db
KEY_KP_DECIMAL: Final = 0x400000dc
KEY_KP_HEXADECIMAL: Final = 0x400000dd
KEY_LCTRL: Final = 0x400000e0
KEY_LSHIFT: Final = 0x400000e1
KEY_LALT: Final = 0x400000e2
KEY_LGUI: Final = 0x400000e3
KEY_RCTRL: Final = 0x400000e4
KEY_RSHIFT: Final = 0x400000e5
KEY_RALT: Final = 0x400000e6
KEY_RGUI: Final = 0x400000e7
KEY_MODE: Final = 0x40000101
KEY_AUDIONEXT: Final = 0x40000102
KEY_AUDIOPREV: Final = 0x40000103
KEY_AUDIOSTOP: Final = 0x40000104
KEY_AUDIOPLAY: Final = 0x40000105
KEY_AUDIOMUTE: Final = 0x40000106
KEY_MEDIASELECT: Final = 0x40000107
KEY_WWW: Final = 0x40000108
KEY_MAIL: Final = 0x40000109
KEY_CALCULATOR: Final = 0x4000010a
KEY_COMPUTER: Final = 0x4000010b
KEY_AC_SEARCH: Final = 0x4000010c
KEY_AC_HOME: Final = 0x4000010d
KEY_AC_BACK: Final = 0x4000010e
KEY_AC_FORWARD: Final = 0x4000010f
KEY_AC_STOP: Final = 0x40000110
KEY_AC_REFRESH: Final = 0x40000111
KEY_AC_BOOKMARKS: Final = 0x40000112
KEY_BRIGHTNESSDOWN: Final = 0x40000113
KEY_BRIGHTNESSUP: Final = 0x40000114
KEY_DISPLAYSWITCH: Final = 0x40000115
KEY_KBDILLUMTOGGLE: Final = 0x40000116
KEY_KBDILLUMDOWN: Final = 0x40000117
KEY_KBDILLUMUP: Final = 0x40000118
KEY_EJECT: Final = 0x40000119
KEY_SLEEP: Final = 0x4000011a
