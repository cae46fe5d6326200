// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FrontPanelDisplays.h"

#include "app/FrontPanel.h"

FrontPanelDisplays::FrontPanelDisplays(FrontPanel& panel, QObject* parent)
    : QObject(parent), m_panel(panel)
{
}

int32_t FrontPanelDisplays::GetPosition() const
{
    return m_panel.pb().GetPosition();
}

void FrontPanelDisplays::SetPosition(int32_t position)
{
    m_panel.pb().SetPosition(position);
    m_panel.pbFrame().Redraw();
}

int32_t FrontPanelDisplays::GetMax() const
{
    return m_panel.pb().GetMax();
}

int32_t FrontPanelDisplays::GetThumbSize() const
{
    return m_panel.pb().GetThumbSize();
}

void FrontPanelDisplays::setRange(int32_t maximum, int32_t thumbSize)
{
    m_panel.pb().SetMax(maximum);
    m_panel.pb().SetThumbSize(thumbSize);
    m_panel.pbFrame().Redraw();
}

void FrontPanelDisplays::showPositionTime(const QString& text)
{
    m_panel.timecaption().SetText(text);
    m_panel.timecaptionFrame().Redraw();
}

void FrontPanelDisplays::showTotalLength(const QString& text)
{
    m_panel.tataltime().SetText(text);
    m_panel.tataltimeFrame().Redraw();
}

QString FrontPanelDisplays::addingProgressText(int done, int total)
{
    constexpr qsizetype kFits = 5;
    const QString count = QStringLiteral("%1/%2").arg(done).arg(total);
    if (count.size() <= kFits || total <= 0)
        return count;
    return QString::number(int64_t(done) * 100 / total) + QLatin1Char('%');
}

void FrontPanelDisplays::showAddingProgress(int done, int total)
{
    // Only an add that takes more than a moment shows where it is.
    if (done == 0) {
        m_adding.start();
        m_progressShown = false;
    }
    const bool finished = done >= total;
    if (!m_progressShown && (finished || m_adding.elapsed() < 400))
        return;
    m_progressShown = !finished;
    m_panel.pbpos().SetText(finished ? QString() : addingProgressText(done, total));
    m_panel.pbposFrame().Redraw();
}
