// SPDX-License-Identifier: GPL-3.0-or-later
#include "listening/audioblocks.h"

#include "support/testnames.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace orvinta::listening {
namespace {

QAudioFormat format(QAudioFormat::SampleFormat sampleFormat, int channels) {
    QAudioFormat f;
    f.setSampleRate(8000);
    f.setChannelCount(channels);
    f.setSampleFormat(sampleFormat);
    return f;
}

template <typename T> QByteArray bytesOf(const std::vector<T>& samples) {
    QByteArray bytes(static_cast<qsizetype>(samples.size() * sizeof(T)), '\0');
    std::memcpy(bytes.data(), samples.data(), static_cast<std::size_t>(bytes.size()));
    return bytes;
}

struct ConversionCase {
    const char* name;
    QAudioFormat format;
    QByteArray bytes;
    std::vector<float> mono;
};

void PrintTo(const ConversionCase& c, std::ostream* os) {
    *os << c.name;
}

class ToMono : public testing::TestWithParam<ConversionCase> {};

TEST_P(ToMono, ScalesToFullScaleAndAveragesTheChannels) {
    std::vector<float> mono{42.0f};
    toMono(GetParam().bytes, GetParam().format, mono);
    ASSERT_EQ(mono.size(), GetParam().mono.size());
    for (std::size_t i = 0; i < mono.size(); ++i)
        EXPECT_FLOAT_EQ(mono[i], GetParam().mono[i]) << "sample " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ToMono,
    testing::Values(ConversionCase{"unsigned 8 bit centred on 128",
                                   format(QAudioFormat::UInt8, 1),
                                   bytesOf<std::uint8_t>({128, 255, 0, 192}),
                                   {0.0f, 127.0f / 128.0f, -1.0f, 0.5f}},
                    ConversionCase{"16 bit stereo averaged",
                                   format(QAudioFormat::Int16, 2),
                                   bytesOf<std::int16_t>({16384, -16384, 32767, 32767, -32768, 0}),
                                   {0.0f, 32767.0f / 32768.0f, -0.5f}},
                    ConversionCase{"32 bit",
                                   format(QAudioFormat::Int32, 1),
                                   bytesOf<std::int32_t>({1073741824, -2147483647 - 1}),
                                   {0.5f, -1.0f}},
                    ConversionCase{"float with a partial frame left out",
                                   format(QAudioFormat::Float, 2),
                                   bytesOf<float>({0.25f, 0.75f, -1.0f}),
                                   {0.5f}}),
    test::PrintedName());

TEST(AudioBlocks, WholeFramesAndPeakLevel) {
    EXPECT_EQ(wholeFrameBytes(13, format(QAudioFormat::Int16, 2)), 12);
    EXPECT_EQ(wholeFrameBytes(3, format(QAudioFormat::Float, 1)), 0);
    const std::vector<float> half{0.1f, -0.5f, 0.25f};
    EXPECT_NEAR(peakDbfs(half.data(), half.size()), -6.02, 0.01);
    const std::vector<float> silence(100, 0.0f);
    EXPECT_EQ(peakDbfs(silence.data(), silence.size()), kSilenceDb);
}

} // namespace
} // namespace orvinta::listening
