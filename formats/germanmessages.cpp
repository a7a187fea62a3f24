// SPDX-License-Identifier: GPL-3.0-or-later
#include "germanmessages.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <clocale>
#include <mutex>

namespace orvinta {

namespace {

/// The German locales a Debian system may have; locales-all brings them all.
constexpr const char* kGermanLocales[] = {"de_DE.UTF-8", "de_DE.utf8", "de_AT.UTF-8",
                                          "de_CH.UTF-8"};

void useGermanLocaleMessages() {
    for (const char* locale : kGermanLocales) {
        if (std::setlocale(LC_MESSAGES, locale) != nullptr)
            return;
    }
}

void loadQtTranslation() {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace

void useGermanSystemMessages() {
    // The C library looks in LANGUAGE before LC_MESSAGES, and a desktop in another
    // language sets it ("en_GB:en"): without it, LC_MESSAGES decides.
    if (qEnvironmentVariableIsSet("LANGUAGE"))
        qunsetenv("LANGUAGE");
    static std::once_flag localeSet;
    std::call_once(localeSet, useGermanLocaleMessages);
    // Qt's translation belongs to the application object, which tests make anew.
    static const QCoreApplication* translated = nullptr;
    if (QCoreApplication::instance() != nullptr && QCoreApplication::instance() != translated) {
        translated = QCoreApplication::instance();
        loadQtTranslation();
    }
}

} // namespace orvinta
