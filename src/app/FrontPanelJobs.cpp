// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FrontPanelJobs.h"

#include "app/FrontPanel.h"
#include "settings/Options.h"

void FrontPanelJobs::showPercent(const QString& text)
{
    m_panel.pbpos().SetText(text);
    m_panel.pbposFrame().Redraw();
}

void FrontPanelJobs::SetConversionBar(int progress)
{
    m_panel.SetConversionBar(progress, m_options.wideConversionBar);
}

void FrontPanelJobs::setOutputFormat(OutputFormat format)
{
    if (format == m_format)
        return;
    m_format = format;
    if (onFormatChanged)
        onFormatChanged(formatIndex(format));
}

void FrontPanelJobs::setOutputFormat(int index)
{
    if (const std::optional<OutputFormat> format = outputFormatAt(index))
        setOutputFormat(*format);
}
