// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The entries of a folder that adding a folder takes: every kind of entry
// whose extension (in any case) is .mp3, .wav, .ogg, .wma, .raw or .vox,
// sub-folders not entered. The folder is read byte for byte rather than
// through Qt's listing, which cannot say that a folder could not be read
// and leaves out names that are not valid UTF-8.
struct FolderListing {
    // The names to add, sorted, so that a folder is added in the same order
    // every time whatever the file system's own order.
    QStringList names;
    // Names of those kinds that are not valid UTF-8: no Qt string can name
    // such a file to open it again.
    QList<QByteArray> unnamed;
    // Why the folder could not be read; empty when it was.
    QString error;
};

FolderListing ListFolder(const QString& folder);

// A name as bytes, readable: printable ASCII as it is, every other byte as \xNN.
QString EscapedName(const QByteArray& name);
