// SPDX-License-Identifier: GPL-3.0-or-later
// The wall-clock time of live audio: samples take their time from when their block
// arrived, so that a stretch in which the device delivered nothing is not lost.
#include "listening/streamclock.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvinta::listening {
namespace {

constexpr int kRate = 8000;
constexpr qint64 kStartMs = 1'700'000'000'000;

struct Block {
    std::size_t samples;
    qint64 arrivedMs; ///< after kStartMs
};

struct ClockCase {
    const char* name;
    std::vector<Block> blocks;
    double streamSeconds; ///< counted in samples
    double expectedMs;    ///< after kStartMs
};

void PrintTo(const ClockCase& c, std::ostream* os) {
    *os << c.name;
}

class StreamClockTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(StreamClockTest, TimesASampleByWhenItsBlockArrived) {
    StreamClock clock(kRate);
    for (const Block& block : GetParam().blocks)
        clock.arrived(block.samples, kStartMs + block.arrivedMs);
    EXPECT_NEAR(clock.msOf(GetParam().streamSeconds) - kStartMs, GetParam().expectedMs, 0.5);
}

// Blocks of 0.1 s (800 samples); the first arrives at 100 ms, so the stream began at 0.
const std::vector<Block> kSteady{{800, 100}, {800, 200}, {800, 300}, {800, 400}};
const std::vector<Block> kGap{{800, 100}, {800, 200}, {800, 49'300}, {800, 49'400}};
const std::vector<Block> kBurst{{800, 100}, {800, 200}, {2400, 300}};

INSTANTIATE_TEST_SUITE_P(
    Blocks, StreamClockTest,
    ::testing::Values(
        ClockCase{"start", kSteady, 0.0, 0.0}, ClockCase{"steady", kSteady, 0.25, 250.0},
        ClockCase{"beyond_the_last_block", kSteady, 0.5, 500.0},
        // Nothing came for 49 s: the sample after it is that much later.
        ClockCase{"before_a_gap", kGap, 0.15, 150.0}, ClockCase{"after_a_gap", kGap, 0.2, 49'200.0},
        ClockCase{"in_the_block_after_a_gap", kGap, 0.25, 49'250.0},
        // 0.3 s came at once after 0.1 s: squeezed into the time since.
        ClockCase{"burst_start", kBurst, 0.2, 200.0}, ClockCase{"burst_end", kBurst, 0.5, 300.0}),
    ::testing::PrintToStringParamName());

TEST(StreamClock, GivesTheTimeLineWithItsGapsAndForgetsOldBlocks) {
    StreamClock clock(kRate, 1.0);
    EXPECT_FALSE(clock.started());
    clock.arrived(800, kStartMs + 100);
    EXPECT_TRUE(clock.started());
    clock.arrived(800, kStartMs + 60'200);
    EXPECT_DOUBLE_EQ(clock.startMs(), static_cast<double>(kStartMs));
    EXPECT_NEAR(clock.timelineSeconds(0.15), 60.15, 1e-6);
    // Ten more seconds: only the last second of blocks is kept, and a sample before
    // them is counted back from the oldest kept.
    for (qint64 ms = 60'300; ms <= 70'200; ms += 100)
        clock.arrived(800, kStartMs + ms);
    EXPECT_NEAR(clock.timelineSeconds(10.15), 70.15, 1e-6);
    EXPECT_NEAR(clock.timelineSeconds(0.15), 60.15, 1e-6);
    EXPECT_DOUBLE_EQ(clock.startMs(), static_cast<double>(kStartMs));
}

} // namespace
} // namespace orvinta::listening
