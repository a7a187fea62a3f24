// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/windows1252.h"

#include <gtest/gtest.h>

namespace orvinta {
namespace {

TEST(Windows1252, EncodesTheDegreeSignAsOneByte) {
    EXPECT_EQ(toWindows1252(u"3.7878 °C"), QByteArray("3.7878 \xB0"
                                                      "C"));
    EXPECT_EQ(toWindows1252(u"Größe €"), QByteArray("Gr\xF6\xDF"
                                                    "e \x80"));
}

TEST(Windows1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(toWindows1252(u"A✓B"), QByteArray("A?B"));
    EXPECT_EQ(toWindows1252(QString::fromUtf8("x\xF0\x9F\x93\xA1y")), QByteArray("x?y"))
        << "a character outside the basic plane is one question mark";
    EXPECT_EQ(toWindows1252(u"Ωμ°"), QByteArray("??\xB0"));
}

TEST(Windows1252, DecodesEveryByte) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) {
        all.append(static_cast<char>(b));
    }
    const QString text = fromWindows1252(all);
    EXPECT_EQ(text.size(), 256);
    EXPECT_EQ(text[0xB0], QChar(0x00B0));
    EXPECT_EQ(text[0x80], QChar(0x20AC));
    EXPECT_EQ(toWindows1252(text), all) << "every byte survives the round trip";
}

TEST(Windows1252, ToUtf8) {
    EXPECT_EQ(windows1252ToUtf8("plain"), "plain");
    EXPECT_EQ(windows1252ToUtf8("\x80"), "\xE2\x82\xAC") << "0x80 is the euro sign";
    EXPECT_EQ(windows1252ToUtf8("\x7F\x80"), "\x7F\xE2\x82\xAC");
    EXPECT_EQ(windows1252ToUtf8("7.832 \xB0"
                                "C"),
              "7.832 \xC2\xB0"
              "C");
}

} // namespace
} // namespace orvinta
