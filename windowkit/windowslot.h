// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <utility>

namespace orvinta {

/// Holds the one instance of a window. The window is created on first use, which does
/// not show it; it leaves by hiding and then keeps its state. Closing it through its
/// frame discards it, and the next use creates it anew with its initial content.
template <typename Window> class WindowSlot {
public:
    explicit WindowSlot(std::function<Window*()> create)
        : m_create(std::move(create)) {}
    ~WindowSlot() { delete m_window.data(); }

    WindowSlot(const WindowSlot&) = delete;
    WindowSlot& operator=(const WindowSlot&) = delete;

    /// The window, created hidden when it does not exist.
    Window* get() {
        if (m_window.isNull()) {
            m_window = m_create();
            m_window->setAttribute(Qt::WA_DeleteOnClose);
        }
        return m_window.data();
    }

    /// The window if it exists, without creating it.
    Window* existing() const { return m_window.data(); }

private:
    std::function<Window*()> m_create;
    QPointer<Window> m_window;
};

} // namespace orvinta
