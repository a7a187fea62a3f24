// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels.h"

namespace orvinta::history {

std::string_view unitSymbol(Unit unit) {
    switch (unit) {
    case Unit::Volt:
        return "V";
    case Unit::Celsius:
        return "°C";
    case Unit::Milliwatt:
        return "mW";
    case Unit::Milliampere:
        return "mA";
    }
    return "";
}

std::string_view unitTitle(Unit unit) {
    switch (unit) {
    case Unit::Volt:
        return "Spannungen";
    case Unit::Celsius:
        return "Temperaturen";
    case Unit::Milliwatt:
        return "Sendeleistung";
    case Unit::Milliampere:
        return "Strom";
    }
    return "";
}

} // namespace orvinta::history
