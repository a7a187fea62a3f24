// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace orvinta {

/// Upper case of a Windows-1252 character: ASCII letters, the accented Latin letters
/// and š, œ, ž, ÿ. Characters without an upper-case form (ß, µ, ...) stay as they are.
constexpr char toUpperWindows1252(char c) {
    const auto byte = static_cast<unsigned char>(c);
    unsigned char upper = byte;
    const bool ascii = byte >= 'a' && byte <= 'z';
    const bool latin1 = byte >= 0xE0 && byte <= 0xFE && byte != 0xF7; // à..þ, except the sign ÷
    if (ascii || latin1) {
        upper = static_cast<unsigned char>(byte - 0x20);
    } else if (byte == 0x9A || byte == 0x9C || byte == 0x9E) { // š œ ž
        upper = static_cast<unsigned char>(byte - 0x10);
    } else if (byte == 0xFF) { // ÿ
        upper = 0x9F;
    }
    return static_cast<char>(upper);
}

} // namespace orvinta
