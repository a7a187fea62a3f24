// SPDX-License-Identifier: GPL-3.0-or-later
// No access key may do two things at one level: Qt takes such a key as ambiguous, and
// each press only moves the focus between the two instead of doing either.
#include "charts/frmverlauf.h"
#include "dialogs/frmabout.h"
#include "dialogs/frmboxeingabe.h"
#include "dialogs/frminfo.h"
#include "dialogs/frmintro.h"
#include "dialogs/frmlo19.h"
#include "files/frmopen.h"
#include "files/frmspeichern.h"
#include "listening/frmempfang.h"
#include "support/accesskeys.h"
#include "support/testnames.h"
#include "windows/frmausgabe.h"
#include "windows/frmstation.h"
#include "windows/frmtelemetrie.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <utility>

namespace orvinta {
namespace {

struct WindowCase {
    const char* name;
    std::function<QWidget*(frmTelemetrie&)> window;
    /// Keys that are meant to stand twice at one level: (level, key).
    std::set<std::pair<QString, QChar>> doubles;
};

void PrintTo(const WindowCase& c, std::ostream* os) {
    *os << c.name;
}

class AccessKeys : public testing::TestWithParam<WindowCase> {};

TEST_P(AccessKeys, NoKeyIsAmbiguousAtOneLevel) {
    frmTelemetrie main(0);
    QWidget* window = GetParam().window(main);
    for (const test::AccessKeyLevel& level : test::accessKeyLevels(window)) {
        for (const auto& [key, captions] : level.captions) {
            if (captions.size() > 1 && !GetParam().doubles.contains({level.name, key}))
                ADD_FAILURE() << level.name.toStdString() << ": Alt+" << QString(key).toStdString()
                              << " is used by "
                              << captions.join(QStringLiteral(", ")).toStdString();
        }
    }
}

template <typename Window>
std::function<QWidget*(frmTelemetrie&)> get(Window* (frmTelemetrie::*slot)()) {
    return [slot](frmTelemetrie& main) { return (main.*slot)(); };
}

INSTANTIATE_TEST_SUITE_P(
    Windows, AccessKeys,
    testing::Values(
        // "&Eingabe leeren" and "&Eingabe" share E inside their menu by design. Alt+B in
        // the main window presses "&Berechnen"; "&Bearbeiten" is reached with Alt released.
        WindowCase{
            "frmTelemetrie",
            [](frmTelemetrie& main) { return static_cast<QWidget*>(&main); },
            {{QStringLiteral("mnuBearbeiten"), u'E'}, {QStringLiteral("frmTelemetrie"), u'B'}}},
        WindowCase{"frmAusgabe", get(&frmTelemetrie::ausgabe), {}},
        WindowCase{"frmOpen", get(&frmTelemetrie::openDialog), {}},
        WindowCase{"frmSpeichern", get(&frmTelemetrie::speichern), {}},
        WindowCase{"frmBoxEingabe", get(&frmTelemetrie::boxEingabe), {}},
        WindowCase{"frmIntro", get(&frmTelemetrie::intro), {}},
        WindowCase{"frmInfo", get(&frmTelemetrie::info), {}},
        WindowCase{"frmlo19", get(&frmTelemetrie::lo19), {}},
        WindowCase{"frmAbout", get(&frmTelemetrie::about), {}},
        WindowCase{"frmEmpfang", get(&frmTelemetrie::empfang), {}},
        WindowCase{"frmEmpfang's table export",
                   [](frmTelemetrie& main) -> QWidget* { return main.empfang()->tabelle(); },
                   {}},
        WindowCase{"frmVerlauf", get(&frmTelemetrie::verlauf), {}},
        WindowCase{"frmStation", get(&frmTelemetrie::station), {}}),
    test::PrintedName());

} // namespace
} // namespace orvinta
