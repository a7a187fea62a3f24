// SPDX-License-Identifier: GPL-3.0-or-later
#include "counttext.h"

namespace orvinta {

std::string countText(long long count, std::string_view singular, std::string_view plural) {
    std::string text = std::to_string(count);
    text += ' ';
    text += count == 1 ? singular : plural;
    return text;
}

} // namespace orvinta
