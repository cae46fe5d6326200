#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// The names of a job's output files. A name is free only when no file or
// link of that name exists, no source of the job list has it and no earlier
// piece of the same job took it; numbered names go on until a free one is
// found, so no file is ever replaced.
class OutputNaming {
public:
    // The extension of an output format index (0 ".mp3", 1 ".wav", 2 ".wma",
    // 3 ".ogg"); empty for any other index.
    static QString OutputExtension(int format);
    // The caption up to its first "."; the whole caption when it has none or
    // begins with one.
    static QString BaseName(const QString& caption);
    // Replaces the text from the last "." on by `extension`, or appends it.
    static QString WithExtension(const QString& name, const QString& extension);

    // `folder` ends in a separator or is completed with one.
    explicit OutputNaming(QString folder);

    const QString& folder() const { return m_folder; }

    // Files that must never be written over: the sources of the job list.
    void protect(const QStringList& paths);

    // The first free name for a piece of the file with this caption:
    // base (or base_1 when `numberedFirst`), then base_1, base_2, ...
    QString choose(const QString& caption, const QString& extension, bool numberedFirst);
    // The name used when the chosen one cannot be created: the source's file
    // name with the output extension, searched on in the same way.
    QString fallback(const QString& sourcePath, const QString& extension);

    // Whether a name is taken (exists, is a source, or was given out).
    bool isTaken(const QString& path) const;
    // Gives back a name that was never written, so the next piece may use it.
    void release(const QString& path);

private:
    QString search(const QString& first, const QString& stem, const QString& extension);
    static QString key(const QString& path);

    QString m_folder;
    QSet<QString> m_protected;
    QSet<QString> m_given;
};
