// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTest>
#include <QWidget>

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

} // namespace orvinta::test
