// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// The names of a job's output files. A name is free only when no file or
// link of that name exists, no source of the job list has it and no earlier
// piece of the same job took it; numbered names go on until a free one is
// found, so no file is ever replaced. A name is never hidden or empty.
class OutputNaming {
public:
    // The base of a piece's names: the caption, cleaned of what file names
    // cannot hold, without its leading dots and blanks, up to its first ".".
    // A caption that leaves nothing gives way to the source's file name, read
    // the same way, and that to "audio".
    static QString BaseName(const QString& caption, const QString& sourcePath = {});
    // Replaces the text from the last "." on by `extension`, or appends it.
    static QString WithExtension(const QString& name, const QString& extension);

    // `folder` ends in a separator or is completed with one.
    explicit OutputNaming(QString folder);

    const QString& folder() const { return m_folder; }

    // Files that must never be written over: the sources of the job list.
    void protect(const QStringList& paths);

    // The first free name for a piece of the source with this caption:
    // base (or base_1 when `numberedFirst`), then base_1, base_2, ...
    QString choose(const QString& caption, const QString& sourcePath, const QString& extension,
                   bool numberedFirst);
    // The first free name for a piece named by a whole stem ("01 Mr. Jones",
    // a template's result): stem + extension, then stem_1, stem_2, ... The
    // stem is taken as it is, never cut at a dot; the caller has cleaned it.
    QString chooseStem(const QString& stem, const QString& extension);
    // The name used when the chosen one cannot be created: the source's file
    // name with the output extension (cleaned and never hidden like a base),
    // searched on in the same way.
    QString fallback(const QString& sourcePath, const QString& extension);

    // Names decided from the job's plan alone: a file that exists does not
    // take its name, so that every process that plans the same list decides
    // the same names, whatever the others have written meanwhile. Whoever
    // writes such a name must refuse to replace a file found there.
    void ignoreExistingFiles() { m_planOnly = true; }

    // Whether a name is taken (exists, is a source, or was given out).
    bool isTaken(const QString& path) const;
    // Gives back a name that was never written, so the next piece may use it.
    void release(const QString& path);

private:
    // `first` is the first candidate's whole file name, extension included.
    QString search(const QString& first, const QString& stem, const QString& extension);
    static QString key(const QString& path);

    QString m_folder;
    QSet<QString> m_protected;
    QSet<QString> m_given;
    bool m_planOnly = false;
};
