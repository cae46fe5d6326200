// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/PositionSlider.h"

#include <QElapsedTimer>
#include <QObject>

class FrontPanel;

// What the front panel's display elements show of the job list and the
// preview: the position slider "pb", which both set up, move and read, the
// times they report for "timecaption" and "tataltime", and how far an add
// of many files has come, in "pbpos". Neither the job list nor the preview
// knows the skin; they report, and this writes.
class FrontPanelDisplays : public QObject, public PositionSlider {
    Q_OBJECT
public:
    explicit FrontPanelDisplays(FrontPanel& panel, QObject* parent = nullptr);

    int32_t GetPosition() const override;
    void SetPosition(int32_t position) override;
    int32_t GetMax() const override;
    int32_t GetThumbSize() const override;
    void setRange(int32_t maximum, int32_t thumbSize) override;

    // "timecaption" and "tataltime" take the text and are redrawn.
    void showPositionTime(const QString& text);
    void showTotalLength(const QString& text);
    // `done` of `total` files added: "pbpos" shows the count once adding has
    // taken more than a moment, and is emptied at the end.
    void showAddingProgress(int done, int total);
    // What "pbpos" shows for `done` of `total`: the count while it fits the
    // element (five characters, as "100%" does), else the share in percent,
    // so that a count of thousands is never cut to "/1500".
    static QString addingProgressText(int done, int total);

private:
    FrontPanel& m_panel;
    QElapsedTimer m_adding;
    bool m_progressShown = false;
};
