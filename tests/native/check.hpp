// A minimal test registry for the native unit tests: TEST(name) { CHECK(...); }
#pragma once
#include <cstdio>
#include <vector>

namespace native_tests {

struct Case {
    const char* name;
    void (*fn)();
};
inline std::vector<Case>& cases() {
    static std::vector<Case> v;
    return v;
}
inline int& failures() {
    static int n = 0;
    return n;
}
struct Register {
    Register(const char* name, void (*fn)()) { cases().push_back({name, fn}); }
};

}  // namespace native_tests

#define TEST(name)                                                  \
    static void name();                                             \
    static native_tests::Register name##_registration(#name, name); \
    static void name()

#define CHECK(cond)                                                                      \
    do {                                                                                 \
        if (!(cond)) {                                                                   \
            std::printf("%s:%d: CHECK failed: %s\n", __FILE__, __LINE__, #cond);         \
            ++native_tests::failures();                                                  \
        }                                                                                \
    } while (0)
