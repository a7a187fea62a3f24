// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the fuzz targets share: the entry point libFuzzer calls, and the way a target
// reports a property that does not hold.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace orvinta::fuzz {

/// Stops at once when a checked property does not hold. libFuzzer then saves the input
/// as a crash, and a replay of that input in the test suite fails.
inline void require(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property does not hold: %s\n", property);
        std::abort();
    }
}

inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size) {
    return size == 0 ? std::string_view()
                     : std::string_view(reinterpret_cast<const char*>(data), size);
}

} // namespace orvinta::fuzz
