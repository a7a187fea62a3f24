// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/decoder.h"

#include "support/sampleline.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace orvinta {
namespace {

using test::kSampleLine;

const std::array<std::string, 8> kSampleResults{
    " 4.892308", " 10.944", " 3.7878", " 947.282044887781", " 7.832", " 119", " .3", " 8.68"};

TEST(Decode, SampleFrame) {
    VarModul record;
    const std::optional<DecodedFrame> frame = decode(kSampleLine, record);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->block, "6");
    EXPECT_TRUE(frame->statusOk);
    EXPECT_EQ(frame->statusText(), "OK");
    EXPECT_EQ(frame->channels, kSampleResults);

    EXPECT_EQ(record.Eingabe, "6O AVT ABA AU4 AD4 AA4 ABT TTU AEE");
    const float raw[] = {6, 130, 171, 124, 184, 114, 170, 2, 155};
    for (int k = 0; k <= kChannelCount; ++k) {
        EXPECT_EQ(record.Wert(k), raw[k]) << "Wert(" << k << ")";
    }
    for (int k = 1; k <= kChannelCount; ++k) {
        EXPECT_EQ(record.Ergebnis(k), kSampleResults[static_cast<std::size_t>(k - 1)]);
        EXPECT_EQ(record.FehlerFlag(k), 0);
    }
}

TEST(Decode, FlaggedChannelShowsFehlerAndStatusFalse) {
    VarModul record;
    const std::optional<DecodedFrame> frame = decode("6X AXT ABA AU4 AD4 AA4 ABT TTU AEE", record);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->statusText(), "FALSE");
    EXPECT_EQ(frame->block, "6");
    EXPECT_EQ(frame->channels[0], "FEHLER");
    for (std::size_t i = 1; i < 8; ++i) {
        EXPECT_EQ(frame->channels[i], kSampleResults[i]);
    }
}

TEST(Decode, EmptyLineOnlyResetsTheRecord) {
    VarModul record;
    ASSERT_TRUE(decode(kSampleLine, record));
    const VarModul before = record;

    EXPECT_FALSE(decode("", record));
    EXPECT_EQ(record.Eingabe, before.Eingabe);
    EXPECT_EQ(record.Ergebnis, before.Ergebnis);
    EXPECT_EQ(record.Wert(0), 6.0F);
    for (int k = 1; k <= kChannelCount; ++k) {
        EXPECT_EQ(record.FehlerFlag(k), 0);
        EXPECT_EQ(record.Wert(k), 0.0F);
        EXPECT_EQ(record.Gruppe(k), "");
    }
}

TEST(Decode, BlanksAreNotEmpty) {
    VarModul record;
    const std::optional<DecodedFrame> frame = decode("   ", record);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->block, "0");
    EXPECT_FALSE(frame->statusOk);
    for (const std::string& text : frame->channels) {
        EXPECT_EQ(text, "FEHLER");
    }
}

TEST(Decode, TwiceGivesTheSameTexts) {
    VarModul record;
    const std::optional<DecodedFrame> first = decode(kSampleLine, record);
    const VarModul afterFirst = record;
    EXPECT_EQ(decode(kSampleLine, record), first);
    EXPECT_EQ(record, afterFirst);
}

TEST(Decode, ChannelOneAtZeroShowsFehlerAndTheRestAsUsual) {
    for (const char* line :
         {"6O TTT ABA AU4 AD4 AA4 ABT TTU AEE", "6O 000 ABA AU4 AD4 AA4 ABT TTU AEE"}) {
        VarModul record;
        const std::optional<DecodedFrame> frame = decode(line, record);
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->channels[0], "FEHLER") << line;
        EXPECT_EQ(record.FehlerFlag(1), 0) << "the group itself is well-formed";
        EXPECT_EQ(frame->block, "6");
        EXPECT_TRUE(frame->statusOk);
        for (std::size_t i = 1; i < 8; ++i) {
            EXPECT_EQ(frame->channels[i], kSampleResults[i]);
        }
    }
}

TEST(Decode, ProgramRecordIsOneInstance) {
    EXPECT_EQ(&frameRecord(), &frameRecord());
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Random lines drawn from the characters an operator is likely to type, in random
// lengths, must always keep the record's invariants.
TEST(Decode, RandomLinesKeepTheInvariants) {
    std::mt19937 random(20261207);
    const std::string alphabet = "AUVEBDNTOXaeuv0123456789 \t\r\n.-+&H\xE4\xB0";
    std::uniform_int_distribution<std::size_t> length(0, 60);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    VarModul record;

    for (int n = 0; n < 50000; ++n) {
        std::string line(length(random), ' ');
        for (char& c : line) {
            c = alphabet[pick(random)];
        }
        const std::optional<DecodedFrame> frame = decode(line, record);
        if (line.empty()) {
            EXPECT_FALSE(frame);
            continue;
        }
        ASSERT_TRUE(frame) << line;
        ASSERT_EQ(record.Eingabe.size(), 34U) << line;
        EXPECT_EQ(frame->statusOk, record.Eingabe[1] == 'O');
        EXPECT_GE(record.Wert(0), 0.0F);
        EXPECT_LE(record.Wert(0), 9.0F);
        EXPECT_EQ(frame->block.size(), 1U);
        for (int k = 1; k <= kChannelCount; ++k) {
            const std::string& group = record.Gruppe(k);
            ASSERT_EQ(group.size(), 3U);
            const bool allDigits = isDigit(group[0]) && isDigit(group[1]) && isDigit(group[2]);
            EXPECT_EQ(record.FehlerFlag(k), allDigits ? 0 : 1) << line;
            const bool channelOneAtZero = k == 1 && allDigits && record.Wert(1) == 0.0F;
            const bool fehler = record.Ergebnis(k) == "FEHLER";
            EXPECT_EQ(fehler, !allDigits || channelOneAtZero) << line << " channel " << k;
            EXPECT_EQ(frame->channels[static_cast<std::size_t>(k - 1)], record.Ergebnis(k));
            if (allDigits) {
                EXPECT_EQ(record.Wert(k), std::stof(group));
            }
        }
    }
}

} // namespace
} // namespace orvinta
