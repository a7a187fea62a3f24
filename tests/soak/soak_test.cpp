// Drives the desktop program through thousands of mixed commands, as a long session at the
// radio would, and checks that nothing is lost and memory does not creep up.

#include "decoder/decoder.h"
#include "dialogs/frminfo.h"
#include "files/windows1252.h"
#include "support/fakeplatform.h"
#include "windows/frmausgabe.h"
#include "windows/frmtelemetrie.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

#include <random>

namespace orvinta {
namespace {

long residentKilobytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

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

QStringList shownTexts(frmAusgabe* out) {
    QStringList texts{out->lblO1->text(), out->lblStatus->text()};
    for (QLabel* box : out->channelBoxes)
        texts << box->text();
    return texts;
}

TEST(Soak, TenThousandMixedCommandsLoseNothingAndDoNotGrow) {
    test::FakePlatform platform;
    frmTelemetrie window(1);
    window.Form_Load();

    std::mt19937 random(19);
    constexpr int kCommands = 10000;
    constexpr int kWarmUp = 1000;
    long residentAfterWarmUp = 0;
    QString lastDecoded;

    for (int command = 0; command < kCommands; ++command) {
        switch (random() % 8) {
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
        }
        QApplication::processEvents();
        if (command + 1 == kWarmUp)
            residentAfterWarmUp = residentKilobytes();
    }

    // The output window shows the last decoding (or nothing, if cleared or closed since).
    frmAusgabe* out = window.ausgabe();
    if (lastDecoded.isEmpty()) {
        EXPECT_EQ(shownTexts(out), QStringList(10, QString()));
    } else {
        VarModul record;
        const QByteArray bytes = toWindows1252(lastDecoded);
        const DecodedFrame expected = *decode(bytes.toStdString(), record);
        EXPECT_EQ(out->lblO1->text(), QString::fromStdString(expected.block));
        EXPECT_EQ(out->channelBoxes[7]->text(), fromWindows1252(expected.channels[7]));
    }
    EXPECT_TRUE(platform.messages.empty());

    const long growth = residentKilobytes() - residentAfterWarmUp;
    std::printf("resident memory growth after the first %d commands: %ld kB\n", kWarmUp, growth);
    EXPECT_LT(growth, 5 * 1024);
}

} // namespace
} // namespace orvinta
