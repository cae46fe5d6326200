// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Error.h"
#include <QByteArray>

#include <QString>
#include <vector>
#include <vorbis/codec.h>

class QIODevice;

// Why a stream could not be read or rewritten, in words for the user.
class VorbisEditError : public Error {
public:
    using Error::Error;
};

// Reads the three header packets of the first Vorbis stream of an Ogg file
// and writes the file again with a new comment header. Only the header pages
// are paginated anew; every other page is copied as it is, the later pages of
// the Vorbis stream with their sequence numbers (and so their checksums)
// shifted when the header takes a different number of pages than before.
// Reading stops at the end of the headers; memory stays flat in file length.
class VorbisCommentEditor {
public:
    // Throws VorbisEditError when the input holds no readable Vorbis headers.
    explicit VorbisCommentEditor(QIODevice& input);
    ~VorbisCommentEditor();
    VorbisCommentEditor(const VorbisCommentEditor&) = delete;
    VorbisCommentEditor& operator=(const VorbisCommentEditor&) = delete;

    // The comment list as read; edit it with vorbis_comment_clear,
    // vorbis_comment_init and vorbis_comment_add before write().
    vorbis_comment* comments() { return &m_comments; }

    // Writes the whole stream with the comment list as its comment header.
    // The input must be seekable. Throws VorbisEditError on failure.
    void write(QIODevice& output);

private:
    // Where the header region's pages go on writing: other streams' pages
    // are copied, the Vorbis header pages become the new ones.
    struct Piece {
        enum Kind { CopyPage, IdentPages, RestPages } kind;
        qint64 offset = 0;
        qint64 length = 0;
    };

    void readHeaders();
    void copyTail(QIODevice& output, long shift);

    QIODevice& m_input;
    vorbis_info m_info;
    vorbis_comment m_comments;
    QByteArray m_identPacket;
    QByteArray m_setupPacket;
    std::vector<Piece> m_pieces;
    int m_serial = 0;
    long m_firstPageNo = 0;
    long m_lastHeaderPageNo = 0;
    bool m_headersEndStream = false;
    bool m_audioOnHeaderPage = false;
    qint64 m_tailOffset = 0;
};
