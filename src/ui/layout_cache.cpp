// Skipping the layout passes of a frame whose widget tree is as the last layout left it.
#include "ui/layout_cache.hpp"

#include "resources/texture.hpp"
#include "ui/widget_calls.hpp"

namespace bv::ui {

void freeLayoutRecord(LayoutRecord* record) { delete record; }

uint64_t newLayoutSerial() {
    static uint64_t last = 0;
    return ++last;
}

namespace {

// Walks a tree the way the layout passes do and writes out what they read and write; or, given
// the words of an earlier walk, compares with them instead and stops at the first difference. The
// comparing walk reaches only live objects (through the current tree) and never runs longer than
// the recorded one, nor deeper than the layout passes may (a tree that has become a cycle ends it).
class TreeWords {
public:
    explicit TreeWords(std::vector<int64_t>& out) : out_(&out) {}
    explicit TreeWords(const std::vector<int64_t>& expected) : expected_(&expected) {}

    // False when a difference was found, or (when writing) when the tree cannot be recorded.
    bool widget(PyObject* o) {
        if (!put(o) || !PyObject_TypeCheck(o, UIWidgetType) || depth_ >= Py_GetRecursionLimit()) return false;
        WidgetObject* w = asWidget(o);
        const WidgetOps* ops = w->ops;
        const bool list = ops == &listContainerOps || ops == &panelOps;
        const bool container = list || ops == &containerOps || ops == &anchoredContainerOps;
        if (!container && ops != &widgetOps && ops != &textOps && ops != &imageOps) return false;
        if (!put(ops) || !put(w->sizePolicyX) || !put(w->sizePolicyY) || !put(w->width) || !put(w->height) ||
            !put(w->x) || !put(w->y) || !put(w->align) || !put(w->valign) || !put(w->marginLeft) ||
            !put(w->marginTop) || !put(w->marginRight) || !put(w->marginBottom) || !space(w))
            return false;
        if (ops == &textOps && !text(reinterpret_cast<TextObject*>(o))) return false;
        if (!container) return true;
        auto* c = asContainer(o);
        if (!put(c->clientWidth) || !put(c->clientHeight)) return false;
        if (list) {
            auto* l = reinterpret_cast<ListContainerObject*>(o);
            if (!put(l->paddingLeft) || !put(l->paddingTop) || !put(l->paddingRight) || !put(l->paddingBottom) ||
                !put(l->layout))
                return false;
        }
        PyObject* children = c->children;
        if (!children || !PyList_Check(children) || !put(PyList_GET_SIZE(children))) return false;
        ++depth_;
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(children); ++i)
            if (!widget(PyList_GET_ITEM(children, i))) return false;
        --depth_;
        return ops != &anchoredContainerOps || anchors(reinterpret_cast<AnchoredContainerObject*>(o));
    }

    // Whether a comparing walk met every recorded word.
    bool complete() const { return expected_ && at_ == expected_->size(); }

private:
    std::vector<int64_t>* out_ = nullptr;
    const std::vector<int64_t>* expected_ = nullptr;
    size_t at_ = 0;
    int depth_ = 0;

    bool put(int64_t v) {
        if (out_) {
            out_->push_back(v);
            return true;
        }
        if (at_ >= expected_->size() || (*expected_)[at_] != v) return false;
        ++at_;
        return true;
    }
    bool put(const void* p) { return put(int64_t(reinterpret_cast<intptr_t>(p))); }

    // The space the widget may grow into: its parent's client area, or for a widget without a
    // parent the size of its renderer's target.
    bool space(WidgetObject* w) {
        PyObject* parent = w->parent && w->parent != Py_None ? w->parent : nullptr;
        if (!put(parent)) return false;
        if (parent) return put(asContainer(parent)->clientWidth) && put(asContainer(parent)->clientHeight);
        PyObject* renderer = w->renderer && w->renderer != Py_None ? w->renderer : nullptr;
        if (!put(renderer)) return false;
        if (!renderer) return true;
        PyObject* target = reinterpret_cast<UIRendererObject*>(renderer)->target;
        SDL_Surface* s = target && PyObject_TypeCheck(target, TextureType)
                             ? reinterpret_cast<TextureObject*>(target)->surface
                             : nullptr;
        return put(s ? s->w : -1) && put(s ? s->h : -1);
    }

    // A text's size follows its lines and its renderer's theme font.
    bool text(TextObject* t) {
        if (!t->serial || !put(int64_t(t->serial))) return false;
        PyObject* renderer = t->renderer && t->renderer != Py_None ? t->renderer : nullptr;
        PyObject* theme = renderer ? reinterpret_cast<UIRendererObject*>(renderer)->theme : nullptr;
        bool isTheme = theme && PyObject_TypeCheck(theme, UIThemeType);
        return put(isTheme ? int64_t(reinterpret_cast<UIThemeObject*>(theme)->serial) : -1);
    }

    // The anchored positions: one wrapper per child, in the order of the children (as addChild
    // keeps them); any other arrangement is not recorded.
    bool anchors(AnchoredContainerObject* c) {
        PyObject *wrappers = c->wrappedChildren, *children = c->children;
        if (!wrappers || !PyList_Check(wrappers) || PyList_GET_SIZE(wrappers) != PyList_GET_SIZE(children))
            return false;
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(wrappers); ++i) {
            PyObject* item = PyList_GET_ITEM(wrappers, i);
            if (!PyObject_TypeCheck(item, UIAnchorWrapperType)) return false;
            auto* w = reinterpret_cast<AnchorWrapperObject*>(item);
            if (w->wrapped != PyList_GET_ITEM(children, i) || !put(w->x) || !put(w->y) || !put(w->anchorTypeX) ||
                !put(w->anchorTypeY))
                return false;
        }
        return true;
    }
};

bool recorded(PyObject* root, std::vector<int64_t>& words) {
    words.clear();
    return TreeWords(words).widget(root);
}

bool matches(PyObject* root, const std::vector<int64_t>& words) {
    TreeWords walk(words);
    return walk.widget(root) && walk.complete();
}

}  // namespace

void layOutTree(UIRendererObject* renderer, PyObject* root) {
    if (!renderer->layoutRecord) renderer->layoutRecord = new LayoutRecord();
    LayoutRecord& last = *renderer->layoutRecord;
    const bool unchanged = last.valid && matches(root, last.words);
    if (unchanged && last.settled) return;
    last.valid = false;
    calculateMinSizeOf(root);
    calculateMaxSizeOf(root);
    calculatePosOf(root);
    std::vector<int64_t> words;
    const bool valid = recorded(root, words);
    last.settled = valid && unchanged && words == last.words;
    last.words = std::move(words);
    last.valid = valid;
}

}  // namespace bv::ui
