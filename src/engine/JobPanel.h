// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/OutputFormat.h"

#include <QString>

// The front panel as a job sees it: the percentage label "pbpos", the
// conversion bar "convertpb" and the output format box `cb_format`.
class JobPanel {
public:
    virtual ~JobPanel() = default;

    // Gives "pbpos" its text and redraws it.
    virtual void showPercent(const QString& text) = 0;
    // Moves the right edge of "convertpb" (progress in hundredths of a percent).
    virtual void SetConversionBar(int progress) = 0;
    // The format of `cb_format`'s item.
    virtual OutputFormat outputFormat() const = 0;
    virtual void setOutputFormat(OutputFormat format) = 0;
};

// A panel that shows nothing, for jobs run without a window.
class SilentPanel : public JobPanel {
public:
    explicit SilentPanel(OutputFormat format = OutputFormat::Mp3) : m_format(format) {}
    void showPercent(const QString&) override {}
    void SetConversionBar(int) override {}
    OutputFormat outputFormat() const override { return m_format; }
    void setOutputFormat(OutputFormat format) override { m_format = format; }

private:
    OutputFormat m_format;
};
