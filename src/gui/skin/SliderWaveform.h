// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "player/Waveform.h"

#include <QObject>
#include <QRectF>

class MainSession;
class QPainter;
class SkinSlider;
class SkinView;

// Draws the selected file's waveform behind the position slider's track,
// with the current plan on it: confirmed segments shaded, the open segment
// outlined, the pieces of the computed choices as ticks. The envelope is
// computed off the GUI thread and asked for again when the selection moves.
class SliderWaveform : public QObject {
    Q_OBJECT
public:
    SliderWaveform(MainSession& session, SkinView& view);

    void paint(QPainter& p, const SkinSlider& slider) const;

    const WaveformLoader& loader() const { return m_loader; }
    // Asks for the selected file's envelope (or none) at the track's width.
    void refresh();

private:
    int columns() const;
    void repaint();

    MainSession& m_session;
    SkinView& m_view;
    WaveformLoader m_loader;
};
