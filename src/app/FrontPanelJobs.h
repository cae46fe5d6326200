// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/JobPanel.h"

#include <functional>

class FrontPanel;
struct Options;

// The jobs' panel in the window: "pbpos" and "convertpb" of the front panel
// and the format box, whose item the window keeps in step with this one.
class FrontPanelJobs : public JobPanel {
public:
    FrontPanelJobs(FrontPanel& panel, const Options& options) : m_panel(panel), m_options(options)
    {
    }

    void showPercent(const QString& text) override;
    void SetConversionBar(int progress) override;
    OutputFormat outputFormat() const override { return m_format; }
    void setOutputFormat(OutputFormat format) override;
    // The format box's item index; one outside its four items (an empty box)
    // leaves the format as it is.
    void setOutputFormat(int index);

    // Called with the item index when a job changes the format (the join's
    // save dialog), so the format box shows it.
    std::function<void(int)> onFormatChanged;

private:
    FrontPanel& m_panel;
    const Options& m_options;
    OutputFormat m_format = OutputFormat::Mp3;
};
