// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The wall-clock time of live audio. A device delivers its audio in blocks as it records
// them; when it delivers nothing for a while (a receiver's sound card that stalls, an
// audio server that stops), counting samples since the start would put everything after
// the stretch too early. So each block's samples take their time from when the block
// arrived:
//
//   block of n samples arrives at T -> its samples span [max(T - n / rate, previous T), T]
//   sample index -> the block it came in -> its time in that span
//
// A block read late (the listening thread was busy) still ends at its arrival, since the
// device went on filling it until then.

#include <QtGlobal>

#include <cstddef>
#include <deque>

namespace orvinta::listening {

class StreamClock {
public:
    /// For a stream of `sampleRate` samples per second; blocks that arrived longer ago
    /// than `keptSeconds` of audio are forgotten (a frame is given out well within that).
    explicit StreamClock(int sampleRate, double keptSeconds = kKeptSeconds);

    /// `count` samples arrived at `arrivedMs` (milliseconds since the epoch, UTC).
    void arrived(std::size_t count, qint64 arrivedMs);

    /// Whether any audio arrived yet.
    bool started() const { return !m_blocks.empty() || m_forgotten; }
    /// The time (milliseconds since the epoch) of the sample `streamSeconds` into the
    /// stream, counted in samples; before the blocks kept and after the last one it goes on
    /// at the sample rate.
    double msOf(double streamSeconds) const;
    /// When the stream's first sample was recorded.
    double startMs() const { return m_startMs; }
    /// Seconds of wall-clock time from the stream's start to the sample `streamSeconds`
    /// into it: the stream's time with the stretches in which nothing arrived.
    double timelineSeconds(double streamSeconds) const;

    /// Blocks of audio are kept for ten minutes: a frame comes out at most a minute or
    /// two after it began.
    static constexpr double kKeptSeconds = 600.0;

private:
    struct Block {
        std::size_t end; ///< one past its last sample, counted from the stream's start
        double startMs;  ///< the time of its first sample
        double endMs;    ///< the time just after its last sample: its arrival
    };

    double m_sampleRate;
    std::size_t m_keptSamples;
    std::deque<Block> m_blocks;
    std::size_t m_fed = 0;
    double m_startMs = 0.0;
    bool m_forgotten = false;
};

} // namespace orvinta::listening
