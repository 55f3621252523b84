"""How a Tiled map stands for a level: the names both directions agree on (docs/levels.md)."""

# Tile layers. A layer absent from a map counts as a layer without tiles.
FLOOR_LAYER = "floor"
CEILING_LAYER = "ceiling"
WALLS_LAYER = "walls"          # one texture for all four faces; a tile here makes the cell a square block
FACE_LAYERS = ("north", "east", "south", "west")   # one face each, over what "walls" gives
BLOCKS_LAYER = "blocks"        # a shape tile here sets the cell's block type

# Tilesets: the custom property KIND_PROPERTY tells what a tileset's tiles stand for.
KIND_PROPERTY = "kind"
TEXTURES_KIND = "textures"     # the default: every tile is one texture, in tileset then tile order
SPRITES_KIND = "sprites"       # every tile is one sprite sheet
BLOCKS_KIND = "blocks"         # every tile carries BLOCK_PROPERTY, a block shape
KINDS = (TEXTURES_KIND, SPRITES_KIND, BLOCKS_KIND)

BLOCK_PROPERTY = "block"
# Block type byte values, in order, by the names the "block" property uses.
BLOCK_NAMES = ("empty", "square", "north-west", "north-east", "south-east", "south-west")
BLOCK_EMPTY, BLOCK_SQUARE = 0, 1

# Sprite sheet tiles: these tile properties become keys of the header's sprite object.
SPRITE_INT_KEYS = ("xFrames", "yFrames")
ANIMATIONS_PROPERTY = "animations"   # a string holding a JSON object: name -> animation

# Map properties.
SKY_PROPERTY = "sky"                       # file -> header "skytex"
COLOR_PROPERTIES = ("fogColor", "groundFogColor")        # color -> [r, g, b]
INT_PROPERTIES = ("fogDensity", "groundFogDensity")      # int
JSON_PREFIX = "json."       # a map or sprite tile property "json.KEY": a string holding KEY's JSON value
# Header keys that a map gives by its own structure and that no map property may set.
DERIVED_KEYS = ("width", "height", "textures", "sprites", "entities")
# Header keys set by a property or object of another name; only "json.KEY" may give other values.
RENAMED_KEYS = ("skytex", "start")

# Objects.
START_CLASS = "start"          # a point object of this class: header "start" = [x, y] in cells
ID_PROPERTY = "id"             # entity "id"
NO_POSITION = "null"           # the value of a "position" property on an entity without a position

# What `export` writes.
EXPORT_TILE_SIZE = 64
ENTITIES_LAYER = "entities"
