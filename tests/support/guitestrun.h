// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace orvinta::test {

/// Runs the suites that need widgets under one QApplication, with the user's folders and
/// settings moved to a temporary folder that is gone again when it returns.
int runGuiTests(int argc, char* argv[]);

} // namespace orvinta::test
