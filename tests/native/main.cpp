// Runs every registered native test and reports the failures.
#include "check.hpp"

int main() {
    for (const auto& c : native_tests::cases()) {
        int before = native_tests::failures();
        c.fn();
        std::printf("%s %s\n", native_tests::failures() == before ? "ok  " : "FAIL", c.name);
    }
    std::printf("%zu tests, %d failed checks\n", native_tests::cases().size(), native_tests::failures());
    return native_tests::failures() ? 1 : 0;
}
