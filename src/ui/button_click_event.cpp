// ButtonClickEvent: a mouse click that activated a UIButton.
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "input/events.hpp"
#include "ui/objects.hpp"

namespace bv {

PyTypeObject* ButtonClickEventType;

namespace {

struct ButtonClickEventObject : MouseClickEventObject {
    PyObject* target;  // UIButton or None

    void refs(auto&& f) { f(target); }
};

int ButtonClickEvent_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("ButtonClickEvent", 4, "target", "x", "y", "mouseButton");
        checkArg(a[0], UIButtonType, "target");
        Ref clickArgs = Ref::checked(PyTuple_Pack(3, a[1], a[2], a[3]));
        check(MouseClickEventType->tp_init(self, clickArgs, nullptr));
        setRef(reinterpret_cast<ButtonClickEventObject*>(self)->target, a[0]);
        return 0;
    });
}

PyGetSetDef props[] = {
    ro<&ButtonClickEventObject::target>("target"),
    rwTyped<&ButtonClickEventObject::target, &UIButtonType>("_target"),
    propsEnd(),
};

ClassRegistration reg("ButtonClickEvent", [] {
    ClassSpec spec = specFor<ButtonClickEventObject>("ButtonClickEvent", MouseClickEventType);
    spec.doc = "A click that activated a UIButton; target is the button.";
    spec.getset = props;
    spec.init = ButtonClickEvent_init;
    return ButtonClickEventType = createType(spec);
});

}  // namespace

}  // namespace bv
