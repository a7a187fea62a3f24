// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Waiting for the event loop in GoogleTest suites. QtTest's QTRY_ macros report to a
// QtTest run, of which a GoogleTest case knows nothing: a QTRY_ that times out there
// returns from the test without failing it. These helpers return a result to check.

#include <QTest>

namespace orvinta::test {

/// Runs the event loop until `condition` holds, at most `timeoutMs`; whether it held.
template <typename Condition> bool eventually(Condition condition, int timeoutMs = 5000) {
    return QTest::qWaitFor(condition, timeoutMs);
}

} // namespace orvinta::test
