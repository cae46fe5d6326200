// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/mpeg/Mp3PieceWriter.h"

#include "audio/OutputFile.h"
#include "audio/mpeg/SilentFrames.h"
#include "audio/mpeg/StreamTag.h"

#include <QFile>
#include <QFileInfo>

#include <limits>

using mpeg::FrameHeader;
using mpeg::IndexedFrame;
using mpeg::LameTag;
using mpeg::StreamTag;

namespace {

// The decoder's own delay, which the LAME delay field leaves out.
constexpr int64_t kDecoderDelay = 529;
// The LAME delay and padding fields have 12 bits.
constexpr int64_t kLargestDelay = 4095;
// Frames are copied in runs of about this many bytes.
constexpr int64_t kCopyBlock = 256 * 1024;

[[noreturn]] void cannotRead(const QString& path, const QString& cause)
{
    throw AudioError(QStringLiteral("Cannot read \"%1\": %2.").arg(path, cause));
}

QByteArray readAt(QFile& in, int64_t offset, int64_t size)
{
    QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
    if (!in.seek(offset) || in.read(bytes.data(), size) != size)
        cannotRead(in.fileName(), in.error() != QFileDevice::NoError
                                      ? in.errorString()
                                      : QStringLiteral("the file changed while it was read"));
    return bytes;
}

const uint8_t* bytesOf(const QByteArray& data)
{
    return reinterpret_cast<const uint8_t*>(data.constData());
}

} // namespace

Mp3PieceWriter::Mp3PieceWriter(const QString& source)
    : m_source(source), m_modified(QFileInfo(source).lastModified()), m_index(indexOf(source))
{
    if (m_index.empty())
        refuse(m_index.damage());
    if (m_index.firstHeader().layer() != 3)
        refuse(QStringLiteral("it is an MPEG audio Layer %1 file, not MP3")
                   .arg(m_index.firstHeader().layer() == 1 ? QStringLiteral("I")
                                                           : QStringLiteral("II")));
    if (!m_index.intact())
        refuse(m_index.damage());
}

mpeg::MpegFrameIndex Mp3PieceWriter::indexOf(const QString& source)
{
    QFile file(source);
    if (!QFileInfo(source).isFile())
        cannotRead(source, QStringLiteral("it is not a regular file"));
    if (!file.open(QIODevice::ReadOnly))
        cannotRead(source, file.errorString());
    return mpeg::MpegFrameIndex(file);
}

void Mp3PieceWriter::refuse(const QString& reason) const
{
    throw Mp3CopyRefused(QStringLiteral("Cannot copy \"%1\": %2.").arg(m_source, reason));
}

int Mp3PieceWriter::prerollFrames(const FrameHeader& header)
{
    return header.lowSamplingFrequency() ? 2 : 1;
}

void Mp3PieceWriter::write(int64_t first, int64_t end, const QString& target) const
{
    if (first < 0 || end < first || end > sampleCount())
        throw AudioError(QStringLiteral("Cannot copy \"%1\": the piece %2 to %3 lies outside "
                                        "its %4 samples.")
                             .arg(m_source)
                             .arg(first)
                             .arg(end)
                             .arg(sampleCount()));
    QFile in(m_source);
    if (!in.open(QIODevice::ReadOnly))
        cannotRead(m_source, in.errorString());
    if (in.size() != m_index.fileSize() || QFileInfo(m_source).lastModified() != m_modified)
        changed();
    if (first == end) {
        OutputFile out(target);
        const QByteArray empty = mpeg::emptyStream(m_index.firstHeader());
        out.write(empty.constData(), static_cast<size_t>(empty.size()));
        out.close();
        return;
    }
    writePiece(in, plan(in, first, end), target);
}

void Mp3PieceWriter::changed() const
{
    cannotRead(m_source, QStringLiteral("the file changed while it was read"));
}

FrameHeader Mp3PieceWriter::headerOf(QFile& in, size_t frame) const
{
    const IndexedFrame& f = m_index.frame(frame);
    const std::optional<FrameHeader> h = FrameHeader::parse(bytesOf(readAt(in, f.offset(), 4)));
    if (!h || h->frameBytes() != f.size() || !h->sameStream(m_index.firstHeader()))
        changed();
    return *h;
}

QByteArray Mp3PieceWriter::reservoirBefore(QFile& in, size_t frame) const
{
    const int reach = m_index.frame(frame).mainDataBegin();
    QByteArray reservoir;
    for (size_t j = frame; j-- > 0 && reservoir.size() < reach;) {
        const IndexedFrame& f = m_index.frame(j);
        const FrameHeader h = headerOf(in, j);
        const int mainData = h.sideInfoOffset() + h.sideInfoBytes();
        reservoir.prepend(readAt(in, f.offset() + mainData, f.size() - mainData));
    }
    return reservoir.right(reach);
}

Mp3PieceWriter::Piece Mp3PieceWriter::plan(QFile& in, int64_t first, int64_t end) const
{
    // Decoder output positions: sample x of the reader's timeline is decoder
    // output sample x + delay, in the frame (x + delay) / samples per frame.
    Piece p;
    const int spf = m_index.samplesPerFrame();
    const int64_t start = first + m_index.decoderDelay();
    const int preroll = m_preroll >= 0 ? m_preroll : prerollFrames(m_index.firstHeader());
    p.lastFrame = static_cast<size_t>((end - 1 + m_index.decoderDelay()) / spf);
    p.firstFrame = static_cast<size_t>(std::max<int64_t>(start / spf - preroll, 0));
    // The delay cuts the silent frame, the frames before `first` and the
    // decoder's own delay; the padding what follows end - 1 in its frame, the
    // silent frames after it, and the 529 samples by which the output lags.
    const auto layout = [&] {
        p.frames = 1 + static_cast<int64_t>(p.lastFrame - p.firstFrame) + 1 + p.trailing;
        p.firstOutput = spf + start - static_cast<int64_t>(p.firstFrame) * spf;
        p.delay = p.firstOutput - kDecoderDelay;
        p.padding = p.frames * spf - (p.firstOutput + end - first) + kDecoderDelay;
    };
    layout();
    // A short piece gets more frames before it while the delay holds them,
    // so that format probes recognise it.
    while (1 + p.frames < mpeg::kRecognisedFrames && p.firstFrame > 0 &&
           p.delay + spf <= kLargestDelay) {
        --p.firstFrame;
        layout();
    }

    // The bytes of earlier frames that the first copied frame's main data
    // begins with. Where the source lacks them (it was itself cut from a
    // stream), its decoder found them missing at the start; the piece then
    // starts there too, after a frame that leaves the reservoir empty.
    const QByteArray reservoir = reservoirBefore(in, p.firstFrame);
    if (reservoir.size() < m_index.frame(p.firstFrame).mainDataBegin()) {
        p.firstFrame = 0;
        layout();
    }
    const FrameHeader like = headerOf(in, p.firstFrame);
    p.leading =
        p.firstFrame == 0 && m_index.frame(0).mainDataBegin() > 0
            ? mpeg::drainingFrame(like)
            : mpeg::reservoirFrame(like, p.firstFrame == 0 ? QByteArray() : reservoir).value();
    p.silent = mpeg::reservoirFrame(like, {}).value();
    p.tagHeader = mpeg::smallestFrameHolding(like, StreamTag::composedBytes(like)).value();
    // And silent frames after it while the padding holds them.
    while (1 + p.frames < mpeg::kRecognisedFrames && p.padding + spf <= kLargestDelay) {
        ++p.trailing;
        layout();
    }

    if (p.delay < 0 || p.delay > kLargestDelay || p.padding < 0 || p.padding > kLargestDelay)
        throw Mp3CopyRefused(QStringLiteral("Cannot copy \"%1\" from sample %2: its frames "
                                            "there depend on data missing from the file.")
                                 .arg(m_source)
                                 .arg(first));
    // A piece that ends in the decoder frame it starts in cannot be cut
    // there: FFmpeg drops the rest of the skip in a frame it discards from.
    if (mpeg::MpegFrameIndex::deliveredSamples(p.frames, spf, p.firstOutput,
                                               p.frames * spf - p.padding + kDecoderDelay) !=
        end - first)
        throw Mp3CopyRefused(QStringLiteral("Cannot copy \"%1\" from sample %2 to %3: a piece "
                                            "that short ends in the frame it starts in.")
                                 .arg(m_source)
                                 .arg(first)
                                 .arg(end));
    const IndexedFrame& head = m_index.frame(p.firstFrame);
    const IndexedFrame& tail = m_index.frame(p.lastFrame);
    p.bytes = p.tagHeader->frameBytes() + p.leading.size() + tail.offset() + tail.size() -
              head.offset() + p.trailing * p.silent.size();
    if (p.bytes > std::numeric_limits<uint32_t>::max())
        throw Mp3CopyRefused(
            QStringLiteral("Cannot copy \"%1\": the piece is too large for an MP3 header.")
                .arg(m_source));
    return p;
}

QByteArray Mp3PieceWriter::tagFrame(const Piece& p, uint16_t musicCrc) const
{
    // The seek table: where each percent of the piece's frames begins.
    const int64_t copyStart = m_index.frame(p.firstFrame).offset();
    const int64_t copied = static_cast<int64_t>(p.lastFrame - p.firstFrame) + 1;
    std::array<uint8_t, StreamTag::kTocEntries> toc{};
    for (int i = 0; i < StreamTag::kTocEntries; ++i) {
        const int64_t frame = i * p.frames / StreamTag::kTocEntries;
        int64_t at = p.tagHeader->frameBytes();
        if (frame > 0)
            at += p.leading.size() +
                  (frame <= copied
                       ? m_index.frame(p.firstFrame + size_t(frame - 1)).offset() - copyStart
                       : m_index.frame(p.lastFrame).offset() + m_index.frame(p.lastFrame).size() -
                             copyStart + (frame - 1 - copied) * p.silent.size());
        toc[static_cast<size_t>(i)] =
            static_cast<uint8_t>(std::min<int64_t>(at * 256 / p.bytes, 255));
    }
    const std::optional<StreamTag>& sourceTag = m_index.tag();
    const StreamTag::Kind kind = sourceTag && sourceTag->kind == StreamTag::Kind::Info
                                     ? StreamTag::Kind::Info
                                     : StreamTag::Kind::Xing;
    LameTag lame = sourceTag && sourceTag->lame && sourceTag->lame->gapless() ? *sourceTag->lame
                                                                              : LameTag::standard();
    lame.clearLoudness();
    lame.setDelayAndPadding(static_cast<int>(p.delay), static_cast<int>(p.padding));
    lame.setMusicCrc(musicCrc);
    return StreamTag::compose(*p.tagHeader, kind, static_cast<uint32_t>(p.frames),
                              static_cast<uint32_t>(p.bytes), toc,
                              sourceTag ? sourceTag->quality.value_or(0) : 0, lame)
        .value();
}

void Mp3PieceWriter::writePiece(QFile& in, const Piece& p, const QString& target) const
{
    OutputFile out(target);
    const auto put = [&out](const QByteArray& bytes, uint16_t crc) {
        out.write(bytes.constData(), static_cast<size_t>(bytes.size()));
        return mpeg::crc16(bytesOf(bytes), static_cast<size_t>(bytes.size()), crc);
    };
    put(tagFrame(p, 0), 0);
    // The CRC of the frames after the tag frame, for the LAME extension.
    uint16_t crc = put(p.leading, 0);
    for (size_t j = p.firstFrame; j <= p.lastFrame;) {
        // A run of whole frames, each checked against the index as it is
        // copied: the source may have changed on disk.
        const int64_t runStart = m_index.frame(j).offset();
        size_t k = j + 1;
        while (k <= p.lastFrame &&
               m_index.frame(k).offset() + m_index.frame(k).size() - runStart <= kCopyBlock)
            ++k;
        const IndexedFrame& runLast = m_index.frame(k - 1);
        const QByteArray run = readAt(in, runStart, runLast.offset() + runLast.size() - runStart);
        for (size_t m = j; m < k; ++m) {
            const IndexedFrame& f = m_index.frame(m);
            const std::optional<FrameHeader> h =
                FrameHeader::parse(bytesOf(run) + (f.offset() - runStart));
            if (!h || h->frameBytes() != f.size() || !h->sameStream(m_index.firstHeader()))
                changed();
        }
        crc = put(run, crc);
        j = k;
    }
    for (int i = 0; i < p.trailing; ++i)
        crc = put(p.silent, crc);
    out.seek(0);
    put(tagFrame(p, crc), 0);
    out.close();
}
