// SPDX-License-Identifier: GPL-3.0-or-later
// Test main for suites that need widgets.
#include "guitestrun.h"

int main(int argc, char* argv[]) {
    return orvinta::test::runGuiTests(argc, argv);
}
