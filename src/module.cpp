// The module's initialisation: classes in their documented order, then the start-up steps.
#include "common/registry.hpp"

namespace {

// Native classes, in the order they are added to the module.
constexpr const char* kClassOrder[] = {
    "Event", "KeyEvent", "MouseClickEvent", "MouseWheelEvent", "FullscreenEvent", "Joystick", "JoystickAddedEvent",
    "Vector2", "Resource", "Texture", "SpriteAnimation", "Sprite", "SpriteComponent", "Entity", "PositionComponent",
    "VelocityComponent", "RotationComponent", "CollisionComponent", "Ecs", "AbstractSystem", "Font", "Level",
    "SoundHandle", "Sound", "MusicStoppedEvent", "Music", "CollisionEvent", "CollisionBodySystem", "MovementSystem",
    "Renderer", "Camera", "RaycastingRenderer", "UITheme", "UIRenderer", "UIWidget", "AbstractUIContainer",
    "UIListContainer", "_UIAnchorWrapper", "UIAnchoredContainer", "UIText", "ButtonClickEvent", "UIButton", "UIImage",
    "UIPanel", "SliderValueChangedEvent", "UISlider", "UIScrollPanel", "Engine",
};

PyModuleDef moduleDef = {PyModuleDef_HEAD_INIT, "brovaline", nullptr, -1, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit_brovaline() {
    PyObject* module = PyModule_Create(&moduleDef);
    if (!module) return nullptr;
    return bv::guard([&]() -> PyObject* {
        try {
            bv::populateModule(module, kClassOrder, sizeof(kClassOrder) / sizeof(kClassOrder[0]));
        } catch (...) {
            Py_DECREF(module);
            throw;
        }
        return module;
    });
}
