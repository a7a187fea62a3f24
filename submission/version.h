// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace orvinta::submission {

/// Orvinta's version, as the project's build names it ("6.1.0"): a submission carries it,
/// so that the community can tell which frames a faulty version sent.
std::string_view programVersion();

} // namespace orvinta::submission
