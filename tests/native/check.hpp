// A minimal test harness for the plain C++ code: TEST(name) { CHECK(...); CHECK_EQ(a, b); }
#pragma once
#include <cstdio>

namespace native_tests {

struct Test {
    const char* name;
    void (*fn)();
    Test* next;
};

inline Test*& registry() {
    static Test* head = nullptr;
    return head;
}
inline int& failures() {
    static int n = 0;
    return n;
}

struct Register {
    Test node;
    Register(const char* name, void (*fn)()) : node{name, fn, registry()} { registry() = &node; }
};

inline void fail(const char* file, int line, const char* what) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    ++failures();
}

}  // namespace native_tests

#define TEST(name)                                                     \
    static void name();                                                \
    static native_tests::Register name##_registration(#name, name);    \
    static void name()

#define CHECK(cond)                                                              \
    do {                                                                         \
        if (!(cond)) native_tests::fail(__FILE__, __LINE__, #cond);              \
    } while (0)

#define CHECK_EQ(a, b)                                                                                  \
    do {                                                                                                \
        auto bv_a_ = (a);                                                                               \
        auto bv_b_ = (b);                                                                               \
        if (!(bv_a_ == bv_b_)) {                                                                        \
            native_tests::fail(__FILE__, __LINE__, #a " == " #b);                                       \
            std::fprintf(stderr, "    0x%llx != 0x%llx\n", (unsigned long long)bv_a_, (unsigned long long)bv_b_); \
        }                                                                                               \
    } while (0)
