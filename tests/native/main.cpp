// Runs every TEST registered by the files of this directory.
#include "check.hpp"

int main() {
    int count = 0;
    for (native_tests::Test* t = native_tests::registry(); t; t = t->next) {
        t->fn();
        ++count;
    }
    std::printf("%d native tests, %d failed checks\n", count, native_tests::failures());
    return native_tests::failures() ? 1 : 0;
}
