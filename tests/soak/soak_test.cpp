// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the desktop program through thousands of mixed commands, as a long session at the
// radio would, and checks that nothing is lost and memory does not creep up.

#include "decoder/decoder.h"
#include "dialogs/frminfo.h"
#include "files/frmspeichern.h"
#include "files/telemetryload.h"
#include "formats/resultformats.h"
#include "formats/windows1252.h"
#include "support/fakeplatform.h"
#include "support/outputvalues.h"
#include "tools/procstatus/residentmemory.h"
#include "windows/frmausgabe.h"
#include "windows/frmtelemetrie.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace orvinta {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kUnderAddressSanitizer = true;
#else
constexpr bool kUnderAddressSanitizer = false;
#endif

/// A random telemetry line: mostly well-formed frames, some with typing slips.
QString randomLine(std::mt19937& random) {
    static const QString digits = QStringLiteral("AUV4E6BDNT0123456789");
    static const QString noise = QStringLiteral("xyz?.,- äöü");
    QString line = QStringLiteral("E LUSAT HI HI ");
    line += QChar(u'0' + static_cast<char16_t>(random() % 10));
    line += (random() % 4 == 0) ? QChar(u'X') : QChar(u'O');
    for (int group = 0; group < 8; ++group) {
        line += QLatin1Char(' ');
        for (int i = 0; i < 3; ++i) {
            const bool slip = random() % 50 == 0;
            const QString& alphabet = slip ? noise : digits;
            line +=
                alphabet[static_cast<qsizetype>(random() % static_cast<unsigned>(alphabet.size()))];
        }
    }
    return line;
}

QByteArray crLfLines(const std::vector<std::string>& lines) {
    QByteArray bytes;
    for (const std::string& line : lines)
        bytes += QByteArray::fromStdString(line) + "\r\n";
    return bytes;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

TEST(Soak, TenThousandMixedCommandsLoseNothingAndDoNotGrow) {
    test::FakePlatform platform;
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    frmTelemetrie window(1);
    window.Form_Load();

    std::mt19937 random(19);
    constexpr int kCommands = 10000;
    constexpr int kWarmUp = 1000;
    long residentAfterWarmUp = 0;
    QString lastDecoded;
    // What each file the session saved must hold, byte for byte.
    std::map<QString, QByteArray> expectedFiles;
    const auto fileName = [&](const char* stem, const char* extension) {
        return folder.filePath(QString::fromLatin1(stem) + QString::number(random() % 8) +
                               QString::fromLatin1(extension));
    };
    const auto nothingShown = [&] { return window.ausgabe()->lblO1->text().isEmpty(); };

    for (int command = 0; command < kCommands; ++command) {
        switch (random() % 12) {
        case 0:
        case 1:
        case 2:
            window.txtEingabe->setText(randomLine(random));
            window.cmdOK->click();
            lastDecoded = window.txtEingabe->text();
            break;
        case 3:
            window.mnuNeu->trigger();
            lastDecoded.clear();
            break;
        case 4:
            window.cmdAusgabe->click();
            break;
        case 5:
            if (frmAusgabe* out = window.existingAusgabe()) {
                out->close();
                lastDecoded.clear();
            }
            break;
        case 6:
            window.mnuEingabe->trigger();
            break;
        case 7:
            // An information window shown and closed through its frame is discarded.
            window.info()->show();
            window.info()->close();
            break;
        case 8: {
            const QString path = fileName("eingabe", ".tlm");
            platform.answers.push_back(path);
            window.mnuEingabeSpeichern->trigger();
            expectedFiles[path] = toWindows1252(window.txtEingabe->text()) + "\r\n";
            break;
        }
        case 9: {
            if (nothingShown())
                break;
            const QString path = fileName("ergebnis", ".txt");
            platform.answers.push_back(path);
            window.mnuSpeichern->trigger();
            const auto lines = resultTextLines(window.ausgabe()->valueTexts());
            expectedFiles[path] = crLfLines({lines.begin(), lines.end()});
            break;
        }
        case 10: {
            if (nothingShown())
                break;
            const QString path = fileName("tabelle", ".txt");
            frmSpeichern* dialog = window.speichern();
            dialog->txtDateiname->setText(path);
            const bool extend = expectedFiles.count(path) != 0 && random() % 4 != 0;
            (extend ? dialog->optalteTabelle : dialog->optNeueTabelle)->setChecked(true);
            dialog->cmdSpeichern_Click();
            const std::string row = tableRow(window.ausgabe()->valueTexts());
            if (extend)
                expectedFiles[path] += crLfLines({row});
            else
                expectedFiles[path] = crLfLines({std::string(tableHeader()), row});
            break;
        }
        case 11: {
            // Reload a saved input file: it comes back as exactly the saved line.
            const QString path = fileName("eingabe", ".tlm");
            if (expectedFiles.count(path) == 0)
                break;
            const LoadResult loaded = loadTelemetryFile(path);
            ASSERT_TRUE(loaded.loaded) << loaded.message.toStdString();
            EXPECT_EQ(toWindows1252(loaded.text) + "\r\n", expectedFiles[path]);
            window.txtEingabe->setText(loaded.text);
            break;
        }
        }
        QApplication::processEvents();
        if (command + 1 == kWarmUp)
            residentAfterWarmUp = residentKilobytes();
    }

    // The output window shows the last decoding (or nothing, if cleared or closed since).
    frmAusgabe* out = window.ausgabe();
    if (lastDecoded.isEmpty()) {
        EXPECT_EQ(test::shownValues(out), QStringList(10, QString()));
    } else {
        VarModul record;
        const QByteArray bytes = toWindows1252(lastDecoded);
        const DecodedFrame expected = *decode(bytes.toStdString(), record);
        EXPECT_EQ(out->lblO1->text(), QString::fromStdString(expected.block));
        EXPECT_EQ(out->channelBoxes[7]->text(), fromWindows1252(expected.channels[7]));
    }
    for (const auto& [path, content] : expectedFiles)
        EXPECT_EQ(readAll(path), content) << path.toStdString();
    EXPECT_EQ(expectedFiles.size(), 24u) << "every file name was used";
    for (const auto& message : platform.messages)
        ADD_FAILURE() << "unexpected message: " << message.text.toStdString();

    if (kUnderAddressSanitizer) {
        // AddressSanitizer holds freed memory back in quarantine, so resident memory says
        // nothing there; LeakSanitizer checks for leaks at the end instead.
        return;
    }
    const long growth = residentKilobytes() - residentAfterWarmUp;
    std::printf("resident memory growth after the first %d commands: %ld kB\n", kWarmUp, growth);
    EXPECT_LT(growth, 5 * 1024);
}

} // namespace
} // namespace orvinta
