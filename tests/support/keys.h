// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <initializer_list>

namespace orvinta::test {

/// Gives each of `targets` the focus in turn and presses Return, Enter and Escape on it:
/// the keys that would press a default or cancel button.
inline void pressEnterAndEscapeOn(std::initializer_list<QWidget*> targets) {
    for (QWidget* target : targets) {
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        QTest::keyClick(target, Qt::Key_Enter);
        QTest::keyClick(target, Qt::Key_Escape);
    }
}

/// Makes `window` the active window, as clicking into it would.
inline bool activate(QWidget* window) {
    window->show();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

/// Presses `key` `count` times in the active `window`, as the keyboard would deliver it,
/// and gives the object name of the focus widget after each press.
inline QStringList focusAfterEachPress(QWidget* window, int count, Qt::Key key = Qt::Key_Tab,
                                       Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QStringList names;
    for (int i = 0; i < count; ++i) {
        QTest::keyClick(window->windowHandle(), key, modifiers);
        const QWidget* focus = QApplication::focusWidget();
        names << (focus != nullptr ? focus->objectName() : QStringLiteral("(none)"));
    }
    return names;
}

/// Presses Alt+`key` on `window`, as the operator presses an access key. A button shows
/// itself pressed for a moment before it clicks; this returns once it has clicked, or
/// false when it does not within `timeoutMs`.
inline bool pressAccessKey(QWidget* window, Qt::Key key, int timeoutMs = 5000) {
    QTest::keyClick(window->windowHandle(), key, Qt::AltModifier);
    const QList<QAbstractButton*> buttons = window->findChildren<QAbstractButton*>();
    return QTest::qWaitFor(
        [&] {
            return std::none_of(buttons.begin(), buttons.end(),
                                [](const QAbstractButton* button) { return button->isDown(); });
        },
        timeoutMs);
}

} // namespace orvinta::test
