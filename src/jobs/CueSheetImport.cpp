// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/CueSheetImport.h"

#include "audio/AudioFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Sheets are a few kilobytes; anything far larger is not one, and is not
// read into memory whole.
constexpr qint64 kMaxSheetBytes = 1 << 20;

bool isAudioExtension(const QString& suffix)
{
    static const QStringList kinds{
        QStringLiteral("mp3"), QStringLiteral("mp2"), QStringLiteral("wav"), QStringLiteral("ogg"),
        QStringLiteral("wma"), QStringLiteral("raw"), QStringLiteral("vox")};
    return kinds.contains(suffix.toLower());
}

[[noreturn]] void notFound(const QString& sheetPath, const CueFile& file, const QString& why)
{
    throw CueSheetError(QStringLiteral("%1, line %2: %3 %4.")
                            .arg(QFileInfo(sheetPath).fileName())
                            .arg(file.line)
                            .arg(file.name, why));
}

} // namespace

CueSheet ReadCueSheet(const QString& sheetPath)
{
    const QString name = QFileInfo(sheetPath).fileName();
    QFile file(sheetPath);
    if (!file.open(QIODevice::ReadOnly))
        throw CueSheetError(
            QStringLiteral("Cannot read the cue sheet %1: %2").arg(sheetPath, file.errorString()));
    // Read one byte past the limit, so that a device or a pipe of unknown
    // size is refused as well as a large file.
    const QByteArray bytes = file.read(kMaxSheetBytes + 1);
    if (bytes.size() > kMaxSheetBytes)
        throw CueSheetError(QStringLiteral("%1 is too large to be a cue sheet.").arg(sheetPath));
    if (file.error() != QFileDevice::NoError)
        throw CueSheetError(
            QStringLiteral("Cannot read the cue sheet %1: %2").arg(sheetPath, file.errorString()));
    return ParseCueSheet(bytes, name);
}

QString ResolveCueFile(const QString& sheetPath, const CueFile& file)
{
    const QDir sheetDir = QFileInfo(sheetPath).absoluteDir();
    QString written = file.name;
    written.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // "C:/Music/x.wav" or "/home/old/x.wav": written on another machine.
    const bool absolute = written.startsWith(QLatin1Char('/')) ||
                          (written.size() > 1 && written.at(1) == QLatin1Char(':'));
    const QString relative = absolute ? QFileInfo(written).fileName() : written;

    const QFileInfo exact(sheetDir.filePath(relative));
    if (exact.isFile())
        return exact.absoluteFilePath();

    // Look in the folder the name points into, if it is there, else beside
    // the sheet.
    QDir dir(exact.absolutePath());
    if (!dir.exists())
        dir = sheetDir;
    const QString wanted = exact.fileName();
    const QString wantedStem = QFileInfo(wanted).completeBaseName();
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);

    QStringList sameName;
    QStringList sameStem;
    for (const QFileInfo& entry : entries) {
        if (entry.fileName().compare(wanted, Qt::CaseInsensitive) == 0)
            sameName.append(entry.absoluteFilePath());
        else if (entry.completeBaseName().compare(wantedStem, Qt::CaseInsensitive) == 0 &&
                 isAudioExtension(entry.suffix()))
            sameStem.append(entry.absoluteFilePath());
    }
    for (const QStringList& found : {sameName, sameStem}) {
        if (found.size() == 1)
            return found.first();
        if (found.size() > 1) {
            QStringList names;
            for (const QString& path : found)
                names.append(QFileInfo(path).fileName());
            notFound(sheetPath, file,
                     QStringLiteral("could be any of %1").arg(names.join(QStringLiteral(", "))));
        }
    }
    notFound(sheetPath, file,
             QStringLiteral("is not in %1").arg(QDir::toNativeSeparators(dir.path())));
}

QVector<CueSource> ImportCueSheet(const QString& sheetPath)
{
    const CueSheet sheet = ReadCueSheet(sheetPath);
    QVector<CueSource> sources;
    for (int i = 0; i < sheet.files.size(); ++i) {
        CueSource source;
        source.audioPath = ResolveCueFile(sheetPath, sheet.files[i]);
        AudioFile reader;
        reader.SetEnabled(true);
        reader.OpenRead(source.audioPath);
        source.plan = PlaceCueFile(sheet, i, reader.GetSampleRate(), reader.GetSampleCount());
        sources.append(source);
    }
    return sources;
}
