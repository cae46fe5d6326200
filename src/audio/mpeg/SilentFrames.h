// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/mpeg/MpegHeader.h"

#include <QByteArray>
#include <optional>

// Layer III frames that the program makes itself. Their side information is
// all zero but for the lengths below, so they decode to silence; their header
// keeps the version, sample rate, channel mode, copyright, original and
// emphasis bits of the stream they join (decoders take a frame that differs
// there for junk), without CRC.
namespace mpeg {

// The header like `like` with the lowest bitrate whose frames hold `bytes`
// bytes (the header included); nullopt when none does.
std::optional<FrameHeader> smallestFrameHolding(const FrameHeader& like, int bytes);

// A silent frame whose main data area ends with `reservoir`: the bytes that
// the main data of the frame after it reaches back to (at most 511).
std::optional<QByteArray> reservoirFrame(const FrameHeader& like, const QByteArray& reservoir);

// A silent frame whose granules use up its main data area, so that the frame
// after it finds the bit reservoir empty, as at the start of a stream.
QByteArray drainingFrame(const FrameHeader& like);

// Decoders that tell a file's format from its first bytes take a stream for
// MPEG audio only after several frames in a row: FFmpeg wants seven, and with
// fewer a few bytes that happen to look like video can win.
constexpr int kRecognisedFrames = 7;
constexpr int kEmptyStreamFrames = kRecognisedFrames - 1;

// A stream that decoders open and decode to 0 samples: a Xing frame and
// silent frames, whose LAME delay and padding cut all of them.
QByteArray emptyStream(const FrameHeader& like);

} // namespace mpeg
