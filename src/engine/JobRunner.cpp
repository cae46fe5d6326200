// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/JobRunner.h"

#include "audio/AudioFile.h"
#include "base/Prompts.h"
#include "base/SessionState.h"
#include "engine/CutJob.h"
#include "engine/CutPlan.h"
#include "engine/FrameMath.h"
#include "engine/JobError.h"
#include "engine/JobPanel.h"
#include "engine/JobView.h"
#include "engine/JoinJob.h"
#include "settings/Options.h"

#include <QFile>
#include <QFileInfo>
#include <unistd.h>

JobRunner::JobRunner(Parts parts, SessionState& state)
    : m_parts(parts), m_state(state), m_unfinished(parts.writer)
{
}

bool JobRunner::JobRunning() const
{
    return m_state.JobRunning();
}

void JobRunner::startJob()
{
    m_state.setMode(SessionState::Mode::Running);
}

void JobRunner::StopJob()
{
    m_state.leave(SessionState::Mode::Running);
    SetConversionBar(0);
}

void JobRunner::SetConversionBar(int progress)
{
    m_parts.panel.SetConversionBar(progress);
}

bool JobRunner::pump()
{
    if (!m_parts.surroundings.pump() && JobRunning())
        StopJob();
    return JobRunning();
}

void JobRunner::progress(int64_t done, int64_t total)
{
    m_parts.surroundings.progress(done, total);
    const int32_t value = framemath::Progress(done, total);
    m_parts.panel.showPercent(QString::number(value / 100) + QLatin1Char('%'));
    SetConversionBar(value);
}

bool JobRunner::Cut()
{
    m_written.clear();
    if (const auto choice = cutplan::choiceOf(m_parts.options.functionChoice)) {
        CutJob job(*this);
        job.run(*choice);
        if (!job.outputs().isEmpty())
            m_written = job.outputs().constLast();
    }
    return true;
}

bool JobRunner::Join()
{
    m_written.clear();
    JoinJob job(*this);
    if (!job.ChooseJoinTarget())
        return false;
    if (const auto choice = cutplan::choiceOf(m_parts.options.functionChoice)) {
        m_unfinished.forgetEnded();
        job.run(*choice);
        m_written = m_unfinished.lastEnded();
    }
    return true;
}

QString JobRunner::writtenFolder() const
{
    if (m_written.isEmpty() || !QFileInfo::exists(m_written))
        return {};
    return QFileInfo(m_written).absolutePath() + QLatin1Char('/');
}

void JobRunner::checkOutputFolder(const QString& folder)
{
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir())
        throw JobError(QStringLiteral("The output folder %1 does not exist.").arg(folder));
    if (::access(QFile::encodeName(info.absoluteFilePath()).constData(), W_OK | X_OK) != 0)
        throw JobError(QStringLiteral("The output folder %1 cannot be written to.").arg(folder));
}

void JobRunner::fail(const QString& message)
{
    m_unfinished.abandon();
    m_parts.prompts.error(message);
}

void JobRunner::finish()
{
    m_state.leave(SessionState::Mode::Running);
    m_parts.panel.showPercent(QString());
    SetConversionBar(0);
    for (AudioFile* component : {&m_parts.reader, &m_parts.writer}) {
        try {
            if (component->IsOpen())
                component->Close();
        } catch (const std::exception& e) {
            m_parts.prompts.error(QString::fromUtf8(e.what()));
        }
    }
}
