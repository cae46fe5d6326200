// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/skin/SliderWaveform.h"

#include "app/MainSession.h"
#include "gui/skin/SkinView.h"
#include "jobs/SegmentPlan.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

const QColor kWave(0x6d, 0x8f, 0xc4, 170);
const QColor kConfirmed(0x2e, 0xc4, 0xa6, 70);
const QColor kOpen(0xff, 0xd4, 0x4d, 200);
const QColor kTick(0xe6, 0xec, 0xf5, 170);
// Opaque: at least 4.5:1 against the panel behind the waveform and 3:1
// against the waveform and the shading of confirmed segments.
const QColor kBoundary(0xe6, 0xec, 0xf5);

} // namespace

SliderWaveform::SliderWaveform(MainSession& session, SkinView& view)
    : QObject(&view), m_session(session), m_view(view)
{
    JobList& list = m_session.jobs().list();
    connect(list.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &SliderWaveform::refresh);
    connect(&list, &QAbstractItemModel::modelReset, this, &SliderWaveform::refresh);
    connect(&list, &QAbstractItemModel::rowsRemoved, this, &SliderWaveform::refresh);
    connect(&list, &QAbstractItemModel::rowsMoved, this, &SliderWaveform::refresh);
    connect(&list, &QAbstractItemModel::dataChanged, this, &SliderWaveform::refresh);
    // The plan drawn on the waveform follows the segment list.
    SegmentList& segments = m_session.jobs().segments();
    connect(&segments, &QAbstractItemModel::modelReset, this, &SliderWaveform::repaint);
    connect(&segments, &QAbstractItemModel::layoutChanged, this, &SliderWaveform::repaint);
    connect(&segments, &QAbstractItemModel::rowsInserted, this, &SliderWaveform::repaint);
    connect(&segments, &QAbstractItemModel::rowsRemoved, this, &SliderWaveform::repaint);
    connect(&segments, &QAbstractItemModel::dataChanged, this, &SliderWaveform::repaint);
    connect(&m_loader, &WaveformLoader::changed, this, &SliderWaveform::repaint);
}

int SliderWaveform::columns() const
{
    const auto* slider = dynamic_cast<const SkinSlider*>(&m_session.panel().pb());
    if (!slider)
        return 0;
    const int travel = slider->GetBounds().width() - slider->thumbPixels();
    // One column per device pixel, so that the drawing stays sharp at 200 %.
    return std::max(0, static_cast<int>(travel * m_view.devicePixelRatioF()));
}

void SliderWaveform::refresh()
{
    const JobList& list = m_session.jobs().list();
    const int row = list.selectedRow();
    if (!list.isRow(row) || columns() <= 0) {
        m_loader.clear();
        return;
    }
    m_loader.request(list.entry(row).path, columns());
    repaint();
}

void SliderWaveform::repaint()
{
    if (const auto* slider = dynamic_cast<const SkinSlider*>(&m_session.panel().pb()))
        m_view.update(slider->GetBounds().toQRect().adjusted(-2, -2, 2, 2));
}

void SliderWaveform::paint(QPainter& p, const SkinSlider& slider) const
{
    const JobList& list = m_session.jobs().list();
    const int row = list.selectedRow();
    if (!list.isRow(row))
        return;
    const QRectF r = slider.GetBounds().toQRect();
    const qreal left = r.left() + slider.thumbPixels() / 2.0;
    const qreal width = r.width() - slider.thumbPixels();
    const qreal cy = r.center().y();
    const qreal half = r.height() / 2.0 - 0.5;
    p.save();

    // The envelope, mirrored around the track's centre line.
    const auto& peaks = m_loader.peaks();
    const float loudest = peaks.empty() ? 0.0f : *std::max_element(peaks.begin(), peaks.end());
    if (m_loader.path() == list.entry(row).path && loudest > 0.0f) {
        // Scaled to the file's loudest moment: a quiet recording still shows
        // its shape, a silent one a flat line.
        const qreal gain = half / std::max(loudest, 0.02f);
        const qreal step = width / peaks.size();
        QPainterPath path;
        path.moveTo(left, cy);
        for (size_t i = 0; i < peaks.size(); ++i)
            path.lineTo(left + (i + 0.5) * step, cy - std::max<qreal>(peaks[i] * gain, 0.3));
        path.lineTo(left + width, cy);
        for (size_t i = peaks.size(); i-- > 0;)
            path.lineTo(left + (i + 0.5) * step, cy + std::max<qreal>(peaks[i] * gain, 0.3));
        path.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(kWave);
        p.drawPath(path);
    }

    // The plan: under Unification the first file's segments, over the first
    // file's length, as the slider stands for it.
    const int choice = m_session.options().functionChoice;
    const listrecord& entry = list.entry(choice == segmentplan::Unification ? 0 : row);
    const qreal duration = entry.duration;
    if (duration > 0) {
        const auto x = [&](const SegmentPoint& point) {
            return left + width * std::clamp<qreal>(point.ms() / 1000.0 / duration, 0, 1);
        };
        if (segmentplan::isStoredChoice(choice)) {
            const int used = entry.usedSegments();
            QVector<int> boundaries;
            for (int i = 0; i < used; ++i) {
                const Segment s = entry.segment(i);
                // By value: the two-argument minmax would refer to the temporaries.
                const auto [from, to] = std::minmax({x(s.begin), x(s.end)});
                const QRectF area(QPointF(from, r.top()), QPointF(to, r.bottom()));
                if (i + 1 < used) {
                    p.fillRect(area, kConfirmed);
                    for (const qreal at : {from, to})
                        boundaries << static_cast<int>(std::round(at));
                } else if (s.begin.ms() != 0 || s.end.ms() != 0) {
                    p.setPen(QPen(kOpen, 1, Qt::DashLine));
                    p.setBrush(Qt::NoBrush);
                    p.drawRect(area.adjusted(0.5, 0.5, -0.5, -0.5));
                }
            }
            // Where one piece ends and the next begins the shading runs on
            // without a seam; a line marks every bound inside the file, so
            // that the pieces of a cue sheet or a silence search can be told
            // apart before they are cut.
            p.setPen(QPen(kBoundary, 1));
            const int first = static_cast<int>(std::round(left));
            const int last = static_cast<int>(std::round(left + width));
            for (const int at : boundaries)
                if (at > first && at < last)
                    p.drawLine(QPointF(at + 0.5, r.top()), QPointF(at + 0.5, r.bottom()));
        } else {
            const QVector<Segment> pieces =
                choice == segmentplan::EverySeconds
                    ? segmentplan::TimedPieces(entry.duration, m_session.options().pieceSeconds)
                    : segmentplan::EqualPieces(entry.duration, m_session.options().pieceCount);
            p.setPen(QPen(kTick, 1));
            for (const Segment& s : pieces) {
                if (s.begin.ms() <= 0)
                    continue;
                const qreal at = std::round(x(s.begin)) + 0.5;
                p.drawLine(QPointF(at, r.top() + 1), QPointF(at, r.bottom() - 1));
            }
        }
    }
    p.restore();
}
