#pragma once

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
    // The item index of `cb_format`: 0 MP3, 1 WAV, 2 WMA, 3 OGG.
    virtual int outputFormat() const = 0;
    virtual void setOutputFormat(int format) = 0;
};

// A panel that shows nothing, for jobs run without a window.
class SilentPanel : public JobPanel {
public:
    explicit SilentPanel(int format = 0) : m_format(format) {}
    void showPercent(const QString&) override {}
    void SetConversionBar(int) override {}
    int outputFormat() const override { return m_format; }
    void setOutputFormat(int format) override { m_format = format; }

private:
    int m_format;
};
