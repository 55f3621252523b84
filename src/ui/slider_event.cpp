// SliderValueChangedEvent: a UISlider's value changed.
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "input/events.hpp"
#include "ui/objects.hpp"

namespace bv {

PyTypeObject* SliderValueChangedEventType;

namespace {

struct SliderValueChangedEventObject : EventObject {
    PyObject* target;  // UISlider or None
    int32_t oldValue, newValue;

    void refs(auto&& f) { f(target); }
};

int SliderValueChangedEvent_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("SliderValueChangedEvent", 3, "target", "oldValue", "newValue");
        checkArg(a[0], UISliderType, "target");
        auto* e = reinterpret_cast<SliderValueChangedEventObject*>(self);
        e->isAlreadyHandled = false;
        e->oldValue = toInt32(a[1]);
        e->newValue = toInt32(a[2]);
        setRef(e->target, a[0]);
        return 0;
    });
}

PyGetSetDef props[] = {
    ro<&SliderValueChangedEventObject::target>("target"),
    ro<&SliderValueChangedEventObject::oldValue>("oldValue"),
    ro<&SliderValueChangedEventObject::newValue>("newValue"),
    propsEnd(),
};

ClassRegistration reg("SliderValueChangedEvent", [] {
    ClassSpec spec = specFor<SliderValueChangedEventObject>("SliderValueChangedEvent", EventType);
    spec.doc = "A UISlider's value changed from oldValue to newValue.";
    spec.getset = props;
    spec.init = SliderValueChangedEvent_init;
    return SliderValueChangedEventType = createType(spec);
});

}  // namespace

}  // namespace bv
