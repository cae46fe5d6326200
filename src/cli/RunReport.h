// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What every subcommand reports, in one shape: the files it read, the
// outputs it wrote (or would write), its warnings and its errors. As text,
// warnings and errors go to standard error as they happen and the rest to
// standard output; with --json, one object holds all four, on success and
// on failure alike. Numbers are seconds and frames, never display texts.

#include "cli/OptionTable.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QTextStream>

namespace cli {

class RunReport {
public:
    RunReport(Command command, const ParsedLine& line);

    bool json() const { return m_json; }
    bool quiet() const { return m_quiet; }

    void addFile(const QJsonObject& file) { m_files.append(file); }
    void addOutput(const QJsonObject& output) { m_outputs.append(output); }
    // A warning about `path`, and the segment it concerns when there is one;
    // one that `counts` makes the exit status 1 (something asked for was not
    // done), a note (a clipped segment) does not.
    void warn(const QString& path, const QString& segment, const QString& message,
              bool counts = true);
    // An error about `path`: "PATH: MESSAGE" on standard error.
    void fail(const QString& path, const QString& message);
    bool hasErrors() const { return !m_errors.isEmpty(); }
    bool hasWarnings() const { return m_countedWarnings > 0; }

    // A line of the text output; nothing with --json.
    void print(const QString& line);
    // Prints the JSON object with --json; returns the exit status: 1 after
    // an error or a warning, else 0.
    int finish();

private:
    Command m_command;
    bool m_json;
    bool m_quiet;
    QTextStream m_out;
    QTextStream m_err;
    QJsonArray m_files;
    QJsonArray m_outputs;
    QJsonArray m_warnings;
    QJsonArray m_errors;
    int m_countedWarnings = 0;
};

// The cause that keeps `path` from being read, in the words every
// subcommand uses: "no such file", "permission denied", "is a folder",
// "not an audio file" (when `readable` is false and nothing else is
// wrong), or an empty text.
QString fileProblem(const QString& path, bool folderAllowed = false);
inline QString notAudio()
{
    return QStringLiteral("not an audio file");
}
// The cause in a reader's message ("Cannot read "x": CAUSE."): "not an
// audio file" for one whose format is not recognised, else the cause
// itself (a rate or channel count out of range, a damaged stream).
QString readerCause(const QString& readerMessage);

// A file name from the command line or --files-from: decoded when it is
// UTF-8 text, the one encoding file names are opened by here; otherwise its
// bytes escaped (\xE9), and fileProblem then says that its name is not
// UTF-8 text.
QString decodeName(const QByteArray& bytes);

// Seconds of `frames` at `rate`, for JSON.
double secondsOf(int64_t frames, int rate);

} // namespace cli
