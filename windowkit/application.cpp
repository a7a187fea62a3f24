// SPDX-License-Identifier: GPL-3.0-or-later
#include "application.h"

#include "fonts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QProxyStyle>
#include <QTranslator>

#include <clocale>

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

/// Qt's German catalogue (Debian's qt6-translations-l10n): "Abbrechen" instead of
/// "Cancel" in the input box, and the reasons Qt words itself.
void loadQtTranslations() {
    auto* translator = new QTranslator(qApp);
    if (translator->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

/// Most reasons for a failing file come from the C library, in the language of
/// LC_MESSAGES. The program speaks German whatever the desktop's language, so its
/// messages take the German ones when the system has a German locale; otherwise they
/// stay as the system words them.
void useGermanSystemMessages() {
    // The C library looks in LANGUAGE before LC_MESSAGES, and a desktop in another
    // language sets it ("en_GB:en"): without it, LC_MESSAGES decides.
    qunsetenv("LANGUAGE");
    for (const char* locale : {"de_DE.UTF-8", "de_DE.utf8", "de_AT.UTF-8", "de_CH.UTF-8"}) {
        if (std::setlocale(LC_MESSAGES, locale) != nullptr)
            return;
    }
}

} // namespace

void prepareApplication() {
    useProgramFont();
    QApplication::setStyle(new ProgramStyle);
    loadQtTranslations();
    useGermanSystemMessages();
}

} // namespace orvinta
