// What drawing widgets need from their renderer: the theme, its widget entries, the target surface
// with its clip rectangle, and the theme figures (pieces, nine- and three-patches) those entries name.
#pragma once
#include "ui/blit.core.hpp"
#include "ui/objects.hpp"

#include <SDL.h>

#include <initializer_list>
#include <string>

namespace bv::ui {

// The widget's renderer; raises the engine's "not attached" error when there is none.
UIRendererObject* attachedRenderer(PyObject* widget);
// The renderer's theme; an AttributeError when it has none.
UIThemeObject* themeOf(PyObject* widget);
// theme.widgets[key0][key1]...: a KeyError naming the theme file, the missing key and the widget.
Ref widgetSpec(PyObject* widget, std::initializer_list<const char*> path);
// spec[key] as a 32-bit integer; a KeyError as above when `spec` came from widgetSpec.
int32_t specInt(PyObject* spec, const char* key);
// With a KeyError set: replaces it by a KeyError saying that `who` needs `needed` from the theme,
// whose file lacks `lacking` (the original error becomes its cause).
[[noreturn]] void throwThemeLacks(PyObject* theme, PyObject* who, const std::string& needed, const std::string& lacking);

// The renderer's target surface; an AttributeError when the renderer has no target.
SDL_Surface* targetSurface(PyObject* widget);

// Sets the target's clip rectangle for its lifetime and resets it to no clipping afterwards.
class TargetClip {
public:
    TargetClip(PyObject* widget, ClipRect clip);
    ~TargetClip();
    TargetClip(const TargetClip&) = delete;
    TargetClip& operator=(const TargetClip&) = delete;

private:
    Ref target_;
};

// The theme's figures, drawn from the tileset onto the target within its current clip rectangle.
void drawNinePatchSpec(PyObject* widget, PyObject* spec, Rect64 box);
// `spec` has "x", "y", "left", "middle", "right", "height" (horizontal) or "x", "y", "top",
// "middle", "bottom", "width" (vertical). A zero middle raises ZeroDivisionError.
void drawThreePatchHSpec(PyObject* widget, PyObject* spec, int64_t x, int64_t y, int64_t width);
void drawThreePatchVSpec(PyObject* widget, PyObject* spec, int64_t x, int64_t y, int64_t height);
// Copies the piece (spec "x", "y", "width", "height") with its top-left corner at (x, y).
void drawPieceSpec(PyObject* widget, PyObject* spec, int64_t x, int64_t y);
// Draws a whole texture unscaled at (x, y), or stretched over `box`.
void drawTexture(PyObject* widget, PyObject* texture, int64_t x, int64_t y);
void drawTextureScaled(PyObject* widget, PyObject* texture, Rect64 box, uint32_t alpha);

}  // namespace bv::ui
