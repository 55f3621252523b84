// Values of the UI's module constants.
#pragma once

namespace bv::ui {

enum Align { ALIGN_LEFT = 0, ALIGN_RIGHT = 1, ALIGN_CENTER = 2 };
enum VAlign { VALIGN_TOP = 0, VALIGN_BOTTOM = 1, VALIGN_MIDDLE = 2 };
enum SizePolicy { SIZE_AUTO = 0, SIZE_FIXED = 1, SIZE_GROW = 2 };
enum ListLayout { LIST_LAYOUT_HORIZONTAL = 0, LIST_LAYOUT_VERTICAL = 1 };
enum Anchor { ANCHOR_LEFT = 0, ANCHOR_RIGHT = 1, ANCHOR_TOP = 2, ANCHOR_BOTTOM = 3, ANCHOR_CENTER = 4 };
enum SliderOrientation { SLIDER_ORIENTATION_HORIZONTAL = 0, SLIDER_ORIENTATION_VERTICAL = 1 };

}  // namespace bv::ui
