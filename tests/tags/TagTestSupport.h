// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/ChildChecks.h"
#include "support/FileSizeLimit.h"
#include "support/Judges.h"
#include "support/Printers.h"
#include "support/TestSupport.h"
#include "tags/Id3Tags.h"
#include "tags/OggComments.h"
#include "tags/TagError.h"
#include "tags/TagFields.h"
#include "tags/WmaTags.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <sys/types.h>

inline void PrintTo(const TagFields& t, std::ostream* os)
{
    QStringList texts;
    for (const TagField field : allTagFields)
        texts << tagFieldName(field) + "=" + t[field];
    *os << texts.join(" | ").toStdString();
}

namespace tagtest {

// A two-second stereo tone in the container of the file's extension, made
// by ffmpeg with no tags at all but the `extra` options (tags to start with).
QString untaggedAudio(const QString& path, const QStringList& extra = {});

// The decoded audio as 32-bit floats, for comparing before and after a tag
// write; fails the test when nothing was decoded.
QByteArray decodedAudio(const QString& path);

// Runs a Python snippet with mutagen (the system interpreter has it) and
// returns its standard output; fails the test when it does not succeed.
QString python(const QString& script, const QStringList& args = {});

mode_t modeOf(const QString& path);
void setMode(const QString& path, mode_t mode);

// Files in a folder, for checking that no temporary file is left behind.
QStringList filesIn(const QString& folder);

QString dataFile(const QString& name);

// Runs a check in a child process without root's privileges (the shared
// test support's); folders and files the child needs must be open to it.
using testsupport::asUnprivileged;

} // namespace tagtest

// `action` must fail with a TagError whose message starts with `prefix`
// (the message names the file, then the cause).
template <typename Action> void ExpectTagError(Action&& action, const QString& prefix)
{
    try {
        action();
        ADD_FAILURE() << "no error";
    } catch (const TagError& e) {
        EXPECT_TRUE(e.message().startsWith(prefix)) << e.what();
    }
}
