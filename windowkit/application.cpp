// SPDX-License-Identifier: GPL-3.0-or-later
#include "application.h"

#include "fonts.h"
#include "formats/germanmessages.h"

#include <QApplication>
#include <QProxyStyle>

namespace orvinta {

namespace {

/// The platform's style with two changes: buttons never carry icons (a message box's
/// "OK" would otherwise show a stock glyph), and pressing and releasing Alt moves into
/// the menu bar, so that a menu whose access key a button of the window also uses stays
/// reachable from the keyboard.
class ProgramStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        switch (hint) {
        case SH_DialogButtonBox_ButtonsHaveIcons:
            return 0;
        case SH_MenuBar_AltKeyNavigation:
            return 1;
        default:
            return QProxyStyle::styleHint(hint, option, widget, returnData);
        }
    }
};

} // namespace

void prepareApplication() {
    useProgramFont();
    QApplication::setStyle(new ProgramStyle);
    useGermanSystemMessages();
}

} // namespace orvinta
