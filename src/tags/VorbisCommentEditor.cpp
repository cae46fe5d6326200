// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/VorbisCommentEditor.h"

#include <QIODevice>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <memory>
#include <ogg/ogg.h>

namespace {

constexpr qint64 readSize = 1 << 16;
// A stream that shows no page in its first block is no Ogg stream; one whose
// headers go on for this long is broken, and reading on would only fill memory.
constexpr qint64 firstPageLimit = 1 << 16;
constexpr qint64 headerLimit = qint64(64) << 20;

constexpr int pageHeaderSize = 27;

struct SyncState {
    ogg_sync_state state;
    SyncState() { ogg_sync_init(&state); }
    ~SyncState() { ogg_sync_clear(&state); }
};

struct StreamState {
    ogg_stream_state state;
    explicit StreamState(int serial) { ogg_stream_init(&state, serial); }
    ~StreamState() { ogg_stream_clear(&state); }
};

struct PacketOwner {
    ogg_packet packet{};
    ~PacketOwner() { ogg_packet_clear(&packet); }
};

bool isVorbisIdentPage(const ogg_page& page)
{
    return page.body_len >= 7 && page.body[0] == 1 && std::memcmp(page.body + 1, "vorbis", 6) == 0;
}

QString outputError()
{
    return QStringLiteral("Error writing stream to output. Output stream may be corrupted or "
                          "truncated.");
}

void writeBytes(QIODevice& output, const void* data, qint64 size)
{
    if (output.write(static_cast<const char*>(data), size) != size)
        throw VorbisEditError(outputError() + QLatin1Char(' ') + output.errorString());
}

void writePage(QIODevice& output, const ogg_page& page)
{
    writeBytes(output, page.header, page.header_len);
    writeBytes(output, page.body, page.body_len);
}

void copyBytes(QIODevice& input, QIODevice& output, qint64 offset, qint64 length)
{
    if (!input.seek(offset))
        throw VorbisEditError(QStringLiteral("Cannot seek in the input."));
    QByteArray block(readSize, Qt::Uninitialized);
    while (length > 0) {
        const qint64 got = input.read(block.data(), std::min(length, readSize));
        if (got <= 0)
            throw VorbisEditError(QStringLiteral("Input truncated while copying."));
        writeBytes(output, block.constData(), got);
        length -= got;
    }
}

ogg_packet headerPacket(const QByteArray& bytes, long packetNo)
{
    ogg_packet packet{};
    packet.packet = reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.constData()));
    packet.bytes = bytes.size();
    packet.packetno = packetNo;
    return packet;
}

} // namespace

VorbisCommentEditor::VorbisCommentEditor(QIODevice& input) : m_input(input)
{
    vorbis_info_init(&m_info);
    vorbis_comment_init(&m_comments);
    try {
        readHeaders();
    } catch (...) {
        vorbis_comment_clear(&m_comments);
        vorbis_info_clear(&m_info);
        throw;
    }
}

VorbisCommentEditor::~VorbisCommentEditor()
{
    vorbis_comment_clear(&m_comments);
    vorbis_info_clear(&m_info);
}

void VorbisCommentEditor::readHeaders()
{
    SyncState sync;
    qint64 offset = m_input.pos();
    bool sawPage = false;
    const auto nextPage = [&](ogg_page& page, qint64& pageOffset) {
        for (;;) {
            const long result = ogg_sync_pageseek(&sync.state, &page);
            if (result > 0) {
                pageOffset = offset;
                offset += result;
                sawPage = true;
                return true;
            }
            if (result < 0) {
                offset -= result;
                continue;
            }
            if (!sawPage && offset >= firstPageLimit)
                throw VorbisEditError(QStringLiteral("Input is not an Ogg bitstream."));
            if (offset >= headerLimit)
                throw VorbisEditError(QStringLiteral("Vorbis headers too long or corrupt."));
            char* buffer = ogg_sync_buffer(&sync.state, readSize);
            const qint64 got = buffer ? m_input.read(buffer, readSize) : -1;
            if (got <= 0)
                return false;
            ogg_sync_wrote(&sync.state, long(got));
        }
    };

    std::unique_ptr<StreamState> stream;
    int packets = 0;
    while (packets < 3) {
        ogg_page page;
        qint64 pageOffset = 0;
        if (!nextPage(page, pageOffset)) {
            if (!sawPage)
                throw VorbisEditError(offset == 0
                                          ? QStringLiteral("Input truncated or empty.")
                                          : QStringLiteral("Input is not an Ogg bitstream."));
            throw VorbisEditError(stream ? QStringLiteral("EOF before end of Vorbis headers.")
                                         : QStringLiteral("Ogg bitstream does not contain Vorbis "
                                                          "data."));
        }
        const qint64 pageLength = page.header_len + page.body_len;
        if (!stream) {
            // Streams open with their first pages; the Vorbis one may follow
            // other streams' opening pages, which are kept as they are.
            if (!ogg_page_bos(&page))
                throw VorbisEditError(
                    QStringLiteral("Ogg bitstream does not contain Vorbis data."));
            if (!isVorbisIdentPage(page)) {
                m_pieces.push_back({Piece::CopyPage, pageOffset, pageLength});
                continue;
            }
            m_serial = ogg_page_serialno(&page);
            m_firstPageNo = ogg_page_pageno(&page);
            stream = std::make_unique<StreamState>(m_serial);
        } else if (ogg_page_serialno(&page) != m_serial) {
            m_pieces.push_back({Piece::CopyPage, pageOffset, pageLength});
            continue;
        }
        if (ogg_stream_pagein(&stream->state, &page) != 0)
            throw VorbisEditError(QStringLiteral("Error reading the Vorbis header pages."));
        ogg_packet packet;
        while (packets < 3) {
            const int result = ogg_stream_packetout(&stream->state, &packet);
            if (result == 0)
                break;
            if (result < 0 || vorbis_synthesis_headerin(&m_info, &m_comments, &packet) != 0)
                throw VorbisEditError(packets == 0 ? QStringLiteral("Error reading initial header "
                                                                    "packet.")
                                                   : QStringLiteral("Corrupt secondary header."));
            const QByteArray bytes(reinterpret_cast<const char*>(packet.packet), packet.bytes);
            if (packets == 0) {
                m_identPacket = bytes;
                m_pieces.push_back({Piece::IdentPages, 0, 0});
            } else if (packets == 2) {
                m_setupPacket = bytes;
            }
            ++packets;
        }
        if (packets == 3) {
            m_pieces.push_back({Piece::RestPages, 0, 0});
            m_lastHeaderPageNo = ogg_page_pageno(&page);
            m_headersEndStream = ogg_page_eos(&page);
            m_audioOnHeaderPage = stream->state.lacing_returned < stream->state.lacing_fill;
            m_tailOffset = offset;
        }
    }
}

void VorbisCommentEditor::write(QIODevice& output)
{
    if (m_audioOnHeaderPage)
        throw VorbisEditError(QStringLiteral("The audio data begins on the last header page; "
                                             "such a stream is not rewritten."));
    PacketOwner comment;
    if (vorbis_commentheader_out(&m_comments, &comment.packet) != 0)
        throw VorbisEditError(QStringLiteral("Cannot build the comment header."));
    comment.packet.packetno = 1;

    StreamState stream(m_serial);
    stream.state.pageno = m_firstPageNo;
    const auto flush = [&] {
        ogg_page page;
        while (ogg_stream_flush(&stream.state, &page) != 0)
            writePage(output, page);
    };
    for (const Piece& piece : m_pieces) {
        switch (piece.kind) {
        case Piece::CopyPage:
            copyBytes(m_input, output, piece.offset, piece.length);
            break;
        case Piece::IdentPages: {
            ogg_packet ident = headerPacket(m_identPacket, 0);
            ident.b_o_s = 1;
            ogg_stream_packetin(&stream.state, &ident);
            flush();
            break;
        }
        case Piece::RestPages: {
            ogg_stream_packetin(&stream.state, &comment.packet);
            ogg_packet setup = headerPacket(m_setupPacket, 2);
            setup.e_o_s = m_headersEndStream;
            ogg_stream_packetin(&stream.state, &setup);
            flush();
            break;
        }
        }
    }
    const long shift = stream.state.pageno - (m_lastHeaderPageNo + 1);
    if (!m_input.seek(m_tailOffset))
        throw VorbisEditError(QStringLiteral("Cannot seek in the input."));
    copyTail(output, m_headersEndStream ? 0 : shift);
}

// The pages after the headers, with the Vorbis stream's sequence numbers
// moved by shift up to its last page. Bytes that are no page, and pages
// whose checksum is wrong already, are copied as they are.
void VorbisCommentEditor::copyTail(QIODevice& output, long shift)
{
    QByteArray block(readSize, Qt::Uninitialized);
    if (shift == 0) {
        for (;;) {
            const qint64 got = m_input.read(block.data(), readSize);
            if (got <= 0)
                return;
            writeBytes(output, block.constData(), got);
        }
    }
    bool streamEnded = false;
    QByteArray page;
    for (;;) {
        page = m_input.read(pageHeaderSize);
        if (page.isEmpty())
            return;
        if (page.size() < pageHeaderSize || !page.startsWith("OggS")) {
            // Copy up to the next capture pattern.
            const qint64 start = m_input.pos() - page.size();
            const qint64 got = m_input.peek(block.data(), readSize);
            QByteArray window = page + block.left(std::max<qint64>(got, 0));
            qsizetype next = window.indexOf("OggS", 1);
            if (next < 0)
                next = std::max<qsizetype>(window.size() - 3, 1);
            if (got <= 0 && page.size() < pageHeaderSize)
                next = window.size();
            writeBytes(output, window.constData(), next);
            if (!m_input.seek(start + next))
                throw VorbisEditError(QStringLiteral("Cannot seek in the input."));
            continue;
        }
        const int segments = quint8(page[26]);
        page += m_input.read(segments);
        qint64 bodyLength = 0;
        for (int i = 0; i < segments && pageHeaderSize + i < page.size(); ++i)
            bodyLength += quint8(page[pageHeaderSize + i]);
        const qsizetype headerLength = page.size();
        page += m_input.read(bodyLength);
        const bool whole =
            headerLength == pageHeaderSize + segments && page.size() == headerLength + bodyLength;
        char* h = page.data();
        if (whole && !streamEnded && qFromLittleEndian<qint32>(h + 14) == m_serial) {
            ogg_page og{reinterpret_cast<unsigned char*>(h), long(headerLength),
                        reinterpret_cast<unsigned char*>(h + headerLength), long(bodyLength)};
            char stored[4];
            std::memcpy(stored, h + 22, 4);
            ogg_page_checksum_set(&og);
            if (std::memcmp(stored, h + 22, 4) == 0) {
                qToLittleEndian<quint32>(qFromLittleEndian<quint32>(h + 18) + quint32(shift),
                                         h + 18);
                ogg_page_checksum_set(&og);
            } else {
                std::memcpy(h + 22, stored, 4);
            }
            streamEnded = ogg_page_eos(&og);
        }
        writeBytes(output, page.constData(), page.size());
    }
}
