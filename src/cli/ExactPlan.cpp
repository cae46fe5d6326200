// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ExactPlan.h"

#include "cli/OptionTable.h"

namespace cli {

namespace {

QString secondsText(int64_t frames, int rate)
{
    return QString::number(rate > 0 ? double(frames) / rate : 0.0, 'f', 3) + QStringLiteral(" s");
}

} // namespace

int64_t frameOf(const SegmentPoint& point, int rate)
{
    if (const auto frame = point.exactFrame())
        return *frame;
    return point.ms() * rate / 1000;
}

QVector<Segment> labelledPieces(const PiecePlan& plan)
{
    QVector<Segment> pieces;
    for (const PlannedPiece& piece : plan.pieces) {
        SegmentLabel label;
        label.track = piece.track;
        label.trackTotal = plan.trackTotal;
        label.title = piece.title;
        label.performer = piece.performer;
        label.album = plan.album;
        label.date = plan.date;
        label.genre = plan.genre;
        pieces.append(Segment(piece.begin, piece.end, label));
    }
    return pieces;
}

QVector<TimeRange> parseTimeRanges(const QString& list)
{
    QVector<TimeRange> ranges;
    for (const QString& raw : list.split(QLatin1Char(','))) {
        const QString item = raw.trimmed();
        const QStringList ends = item.split(QLatin1Char('-'));
        if (ends.size() != 2 || ends[0].trimmed().isEmpty())
            throw UsageError(
                QStringLiteral("bad segment \"%1\": write BEGIN-END, e.g. 1:00-2:30, or BEGIN- "
                               "to the end")
                    .arg(item));
        const QString what = QStringLiteral("segment \"%1\"").arg(item);
        TimeRange range;
        range.text = item;
        range.begin = TimeText::parse(ends[0].trimmed(), what);
        const QString end = ends[1].trimmed();
        if (!end.isEmpty() && end != QLatin1String("end")) {
            range.end = TimeText::parse(end, what);
            if (*range.end < range.begin)
                throw UsageError(
                    QStringLiteral("bad segment \"%1\": it ends before it begins").arg(item));
            if (*range.end == range.begin)
                throw UsageError(QStringLiteral("bad segment \"%1\": it is empty").arg(item));
        }
        ranges.append(range);
    }
    return ranges;
}

QVector<Segment> exactPieces(const ExactRequest& request, int64_t frames, int rate,
                             QVector<PlanNote>& notes)
{
    QVector<Segment> pieces;
    const auto add = [&](int64_t begin, int64_t end) {
        pieces.append(Segment(SegmentPoint::frame(begin, rate), SegmentPoint::frame(end, rate)));
    };
    switch (request.kind) {
    case ExactRequest::Whole:
        if (frames > 0)
            add(0, frames);
        break;
    case ExactRequest::Every: {
        const int64_t step = std::max<int64_t>(1, request.every.frameAt(rate));
        for (int64_t at = 0; at < frames; at += step)
            add(at, std::min(frames, at + step));
        break;
    }
    case ExactRequest::Pieces: {
        // Bounds k × N / n, so that the pieces differ by one frame at most
        // and the last one ends on the last sample; a count above the frames
        // makes no empty pieces.
        const int64_t n = std::min<int64_t>(request.pieces, frames);
        for (int64_t k = 0; k < n; ++k)
            add(k * frames / n, (k + 1) * frames / n);
        break;
    }
    case ExactRequest::Segments:
        for (const TimeRange& range : request.segments) {
            const int64_t begin = range.begin.frameAt(rate);
            const int64_t wanted = range.end ? range.end->frameAt(rate) : frames;
            if (begin >= frames) {
                notes.append({range.text, true,
                              QStringLiteral("segment %1 starts at or past the end (%2); skipped")
                                  .arg(range.text, secondsText(frames, rate))});
                continue;
            }
            if (wanted > frames)
                notes.append({range.text, false,
                              QStringLiteral("segment %1 runs past the end; clipped to %2")
                                  .arg(range.text, secondsText(frames, rate))});
            // A fraction below one frame still gives a piece of one frame.
            add(begin, std::clamp(wanted, begin + 1, frames));
        }
        break;
    case ExactRequest::Cue:
    case ExactRequest::Chapters:
    case ExactRequest::Silence:
        break;
    }
    return pieces;
}

} // namespace cli
