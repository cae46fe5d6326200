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

void FrontPanelJobs::setOutputFormat(int format)
{
    if (format == m_format)
        return;
    m_format = format;
    if (onFormatChanged)
        onFormatChanged(format);
}
