// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A whole session without a window: the real job list, front panel (with the
// program's skin), reader, writer and encoders, with scripted prompts and a
// recording shell. The jobs run exactly as the window runs them.

#include "EngineTesting.h"
#include "app/MainSession.h"
#include "support/FakeSeams.h"

#include <QDir>
#include <QFileInfo>
#include <QObject>
#include <QTemporaryDir>
#include <map>
#include <memory>

namespace enginetest {

class JobSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkdir("src");
        QDir(dir.path()).mkdir("out");
        session = std::make_unique<MainSession>(prompts, shell, dir.filePath("Vessimo.ini"),
                                                testsupport::sourceDir() + "/skin/vessimo.skin");
        session->FormShow(&window, [](const QString&) {});
        session->options().outputDir = outDir();
        // Every status a segment row goes through, in order, per row.
        QObject::connect(
            &session->jobs().segments(), &QAbstractItemModel::dataChanged,
            [this](const QModelIndex& from, const QModelIndex& to, const QList<int>& roles) {
                // A tooltip that changes leaves the status as it was.
                if (!roles.isEmpty() && !roles.contains(Qt::DisplayRole))
                    return;
                const SegmentList& rows = session->jobs().segments();
                for (int r = from.row(); r <= to.row(); ++r)
                    statusLog[r] << rows.status(r);
            });
    }

    QString src(const QString& name) const { return dir.filePath("src/" + name); }
    QString outDir() const { return dir.filePath("out") + "/"; }
    QString out(const QString& name) const { return outDir() + name; }
    QStringList outputs() const
    {
        return QDir(outDir()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    // Adds the files as the file dialog would and remembers their checksums.
    void add(const QStringList& paths)
    {
        for (const QString& p : paths)
            sums[p] = md5(p);
        session->jobs().addFilePaths(paths);
        ASSERT_EQ(prompts.informations, QStringList()) << "a source was refused";
    }
    // Every source is as it was before the job.
    void expectSourcesUnchanged() const
    {
        for (const auto& [path, sum] : sums)
            EXPECT_EQ(md5(path), sum) << path.toStdString();
    }
    // The state every job leaves behind, however it ended.
    void expectJobEnded()
    {
        EXPECT_FALSE(session->state().JobRunning());
        EXPECT_EQ(session->panel().pbpos().GetText(), "");
        EXPECT_EQ(session->panel().convertpb().GetBounds().width(), 0);
        EXPECT_FALSE(session->AudioFileRead().IsOpen());
        EXPECT_FALSE(session->AudioFile2write().IsOpen());
    }
    void setFormat(int format) { session->jobPanel().setOutputFormat(format); }

    QTemporaryDir dir;
    QObject window;
    RecordingPrompts prompts;
    RecordingShell shell;
    std::unique_ptr<MainSession> session;
    std::map<int, QStringList> statusLog;
    std::map<QString, QByteArray> sums;
};

} // namespace enginetest
