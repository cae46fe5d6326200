// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

// The texts of ID3 frames, in the four encodings a frame may name in its
// first byte: 0 ISO-8859-1, 1 UTF-16 with a byte order mark, 2 UTF-16 big
// endian, 3 UTF-8.
namespace id3 {

// Where a text ends: at its terminator (one zero, two in UTF-16), else at
// the end (in UTF-16 at the last whole unit). What may follow a terminator
// (a second value, junk left by an editor) is not part of the text.
qsizetype terminatorAt(QByteArrayView bytes, bool wide);

bool isWideEncoding(quint8 encoding);
bool isKnownEncoding(quint8 encoding);

// The value of a text frame (encoding byte, then the text), trimmed. `cut`
// says that the content was cut short: a character the cut falls inside is
// left out rather than shown as a replacement character.
QString textFrameValue(QByteArrayView content, bool cut = false);

// The text of a comment frame (encoding byte, language code, a terminated
// short description, then the text), trimmed.
QString commentFrameValue(QByteArrayView content, bool cut = false);

// A user text frame (TXXX): encoding byte, a terminated description, then
// the value, both trimmed.
struct UserText {
    QString description;
    QString value;
};
UserText userTextFrame(QByteArrayView content, bool cut = false);

} // namespace id3
