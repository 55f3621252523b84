// The frame's layout passes, skipped while the widget tree is provably as the last layout left it.
#pragma once
#include "ui/objects.hpp"

#include <cstdint>
#include <vector>

namespace bv::ui {

// What a renderer's last layout read and wrote: every field of every widget that the passes use,
// written out in the order they visit the tree, with the target's size and the theme and text
// serials. `settled` says that the layout before it left all of this unchanged, so running the
// passes again on the same record cannot change anything.
struct LayoutRecord {
    std::vector<int64_t> words;
    bool valid = false, settled = false;
};

// A number never handed out before: a theme or a text takes a new one whenever its fonts or its
// lines change, so a record that names one cannot mistake a later object at the same address for it.
uint64_t newLayoutSerial();

// The three layout passes over `root` (minimum sizes, final sizes, positions), unless the record
// shows that they would change nothing. Trees holding widgets whose layout reads the theme's
// widget entries (buttons, sliders, scroll panels: the entries can be edited through
// UITheme.widgets) are laid out every frame.
void layOutTree(UIRendererObject* renderer, PyObject* root);

}  // namespace bv::ui
