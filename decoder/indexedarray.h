// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cassert>
#include <cstddef>

namespace orvinta {

/// A fixed array whose valid indices run from First to Last, so that code keeps the
/// frame's own numbering: Wert(0) is the block number, Gruppe(1) to Gruppe(8) the channels.
template <typename T, int First, int Last> class IndexedArray {
public:
    static_assert(First <= Last);
    static constexpr int first = First;
    static constexpr int last = Last;

    T& operator()(int index) { return m_items[offset(index)]; }
    const T& operator()(int index) const { return m_items[offset(index)]; }

    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

    friend bool operator==(const IndexedArray&, const IndexedArray&) = default;

private:
    static constexpr std::size_t offset(int index) {
        // An index outside the range is a programming error, never an input condition.
        assert(index >= First && index <= Last);
        return static_cast<std::size_t>(index - First);
    }

    std::array<T, static_cast<std::size_t>(Last - First + 1)> m_items{};
};

} // namespace orvinta
