// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

class QIODevice;

// The frames of an ID3 version 2 tag, for the reader, the updater and the
// chapter reader alike. Versions differ in how a frame is framed: 2.2 has
// three-letter identifiers, three size bytes and no flags; 2.3 four letters,
// a plain 32-bit size and two flag bytes; 2.4 the same with a size in
// seven-bit bytes. Unsynchronisation (a zero put after every 0xff that could
// pass for the start of an MPEG frame) covers the whole tag in 2.2 and 2.3
// and single frames in 2.4; it is undone here, once, and nowhere else.
namespace id3 {

inline constexpr qint64 kTagHeaderSize = 10;

// The header flags the walk depends on.
inline constexpr quint8 kTagUnsynchronised = 0x80;
inline constexpr quint8 kTagExtendedHeader = 0x40;

// The whole tag at the start of the file (header included) in one read, so
// that a tag of countless tiny frames costs no file access per frame. Empty
// when the file does not start with "ID3" or the tag would end past the
// file. The size bytes are taken whole, as old writers did not always keep
// their top bit clear.
std::optional<QByteArray> readTagAtStart(QIODevice& file);

// The frame area of a whole tag (its header and the bytes the header
// declares): the tag-wide unsynchronisation of version 2.2 and 2.3 undone,
// an extended header (2.3, 2.4) skipped. Empty when the extended header does
// not fit, or when a version 2.2 tag says it is compressed.
std::optional<QByteArray> frameArea(QByteArrayView tag);

// One frame as the area holds it.
class Frame {
public:
    QByteArrayView id;       // "TIT2"; three letters in version 2.2 ("TT2")
    QByteArrayView stored;   // header and content as held, for copying it whole
    qint64 declaredSize = 0; // the content size its header gives
    quint8 formatFlags = 0;  // the second flag byte (none in 2.2)
    // The declared size runs past the area: `stored` holds what there is,
    // and no frame follows.
    bool truncated = false;

    // Compressed or encrypted content cannot be read.
    bool readable() const;
    // The content as the frame's readers want it: the group, encryption and
    // data length bytes in front of it skipped, unsynchronisation undone.
    // Empty for an unreadable frame.
    QByteArray content() const;
    // What the area holds of the content, transformed or not.
    QByteArrayView storedContent() const;

private:
    friend class FrameIterator;
    int m_version = 3;
    int m_headerSize = 10;
    bool m_tagUnsynchronised = false;
};

// Walks the frames of a frame area (or of the sub-frames inside a chapter
// frame) front to back.
class FrameIterator {
public:
    // `tagUnsynchronised`: a version 2.4 tag whose header flag says every
    // frame is unsynchronised, whatever the frame's own flag.
    FrameIterator(QByteArrayView area, int version, bool tagUnsynchronised = false);

    // The next frame; none at the end of the area, at the padding (a zero
    // where an identifier belongs) or after a truncated frame.
    std::optional<Frame> next();

private:
    QByteArrayView m_area;
    int m_version;
    bool m_tagUnsynchronised;
    qint64 m_position = 0;
    bool m_done = false;
};

// The bytes with every zero that follows 0xff dropped.
QByteArray resynchronised(QByteArrayView bytes);

// A syncsafe 32-bit number: four bytes of seven bits, most significant first.
quint32 syncsafe32(const char* p);

} // namespace id3
