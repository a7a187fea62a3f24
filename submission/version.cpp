// SPDX-License-Identifier: GPL-3.0-or-later
#include "version.h"

namespace orvinta::submission {

std::string_view programVersion() {
    return ORVINTA_VERSION;
}

} // namespace orvinta::submission
