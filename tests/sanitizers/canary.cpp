// SPDX-License-Identifier: GPL-3.0-or-later
// Commits one deliberate fault, named by the argument. The sanitizer build must stop
// each of them with a report: that shows the sanitizers, LeakSanitizer included, are
// compiled in and switched on by the test environment, and that the leak suppressions
// do not hide a leak in our own code.

#include <climits>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

char* volatile gBytes = nullptr;
volatile int gLarge = INT_MAX;
volatile std::size_t gSize = 9;

/// LeakSanitizer scans memory for pointers conservatively, and a stale copy of one
/// pointer left in a register or stack slot would keep its block reachable: so leak
/// several blocks from a frame that is gone when the program ends.
[[gnu::noinline]] void loseBlocks() {
    for (int i = 0; i < 16; ++i) {
        gBytes = new char[77];
        gBytes = nullptr;
    }
}

int leak() {
    loseBlocks();
    return 0;
}

int heapOverflow() {
    char* bytes = new char[8];
    std::memset(bytes, 0, gSize);
    const int value = bytes[0];
    delete[] bytes;
    return value;
}

int signedOverflow() {
    const int large = gLarge;
    return large + 1;
}

} // namespace

int main(int argc, char* argv[]) {
    const std::string_view fault = argc > 1 ? argv[1] : "";
    int result = 0;
    if (fault == "leak") {
        result = leak();
    } else if (fault == "heap-overflow") {
        result = heapOverflow();
    } else if (fault == "signed-overflow") {
        result = signedOverflow();
    } else {
        std::fprintf(stderr, "usage: sanitizer-canary leak|heap-overflow|signed-overflow\n");
        return 2;
    }
    std::printf("canary survived (%d)\n", result);
    return 0;
}
