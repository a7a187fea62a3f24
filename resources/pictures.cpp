// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures.h"

namespace orvinta::pictures {

QString programIcon() {
    return QStringLiteral(":/resources/orvinta-32.png");
}

QString programIconLarge() {
    return QStringLiteral(":/resources/orvinta-64.png");
}

QString satellite() {
    return QStringLiteral(":/resources/satellite.gif");
}

QString logo() {
    return QStringLiteral(":/resources/logo.gif");
}

} // namespace orvinta::pictures
