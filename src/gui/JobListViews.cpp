// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/JobListViews.h"

#include "app/MainSession.h"
#include "base/Guarded.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTreeView>
#include <QUrl>

namespace {

void showModel(QTreeView* view, QAbstractItemModel* model, QItemSelectionModel* selection,
               const QList<int>& widths)
{
    QAbstractItemModel* old = view->model();
    view->setModel(model);
    view->setSelectionModel(selection);
    if (old && old->parent() == view)
        old->deleteLater();
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->header()->setSectionsClickable(false);
    view->header()->setSectionsMovable(false);
    view->header()->setStretchLastSection(false);
    for (int i = 0; i < widths.size(); ++i)
        view->setColumnWidth(i, widths[i]);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    // Files dropped on a list go to the window, which takes them anywhere.
    view->setDragDropMode(QAbstractItemView::NoDragDrop);
    view->setAcceptDrops(false);
    view->viewport()->setAcceptDrops(false);
}

// The segment list has no prescribed widths; its columns are sized to the
// widest text they can hold ("Converting", a full range), and the font steps
// down where the list would otherwise cut the status or scroll sideways.
void fitSegmentColumns(QTreeView* view)
{
    const QStringList widest = {QStringLiteral("00:00:00 - 00:00:00"), QStringLiteral("00:00:00"),
                                QStringLiteral("Converting")};
    constexpr int padding = 12;       // the item's margins on both sides, with room to spare
    constexpr int scrollBarRoom = 10; // the style sheet's scroll bar, once many rows show
    const int available = view->width() - 2 * view->frameWidth() - scrollBarRoom;
    QFont font = view->font();
    QList<int> widths;
    for (;;) {
        const QFontMetrics metrics(font);
        widths.clear();
        int total = 0;
        for (int i = 0; i < widest.size(); ++i) {
            const QString caption = view->model()->headerData(i, Qt::Horizontal).toString();
            widths << std::max(metrics.horizontalAdvance(widest[i]),
                               metrics.horizontalAdvance(caption)) +
                          padding;
            total += widths.back();
        }
        if (total <= available)
            break;
        // The style may give the font in pixels or in points.
        if (font.pixelSize() > 0) {
            if (font.pixelSize() <= 9)
                break;
            font.setPixelSize(font.pixelSize() - 1);
        } else {
            if (font.pointSizeF() <= 7.0)
                break;
            font.setPointSizeF(font.pointSizeF() - 0.5);
        }
    }
    view->setFont(font);
    view->header()->setFont(font);
    // The last column takes what is left, so no gap shows after it.
    const int used = widths[0] + widths[1];
    widths[2] = std::max(widths[2], available - used);
    for (int i = 0; i < widths.size(); ++i)
        view->setColumnWidth(i, widths[i]);
}

// Rows placed below a second ("00:01:02.345 - 00:02:03.456") are wider than
// the list: their columns widen to the texts they hold, never below the
// fitted widths, and the list scrolls sideways rather than cut the times.
void widenSegmentColumns(QTreeView* view, const QList<int>& fitted)
{
    constexpr int padding = 12;
    const QFontMetrics metrics(view->font());
    const QAbstractItemModel* model = view->model();
    QList<int> widths = fitted;
    for (int column = 0; column < 2; ++column)
        for (int row = 0; row < model->rowCount(); ++row)
            widths[column] = std::max(
                widths[column],
                metrics.horizontalAdvance(model->index(row, column).data().toString()) + padding);
    const int grown = widths[0] - fitted[0] + widths[1] - fitted[1];
    widths[2] = std::max(fitted[2] - grown,
                         metrics.horizontalAdvance(QStringLiteral("Converting")) + padding);
    for (int i = 0; i < widths.size(); ++i)
        view->setColumnWidth(i, widths[i]);
}

} // namespace

JobListViews::JobListViews(MainSession& session, QTreeView* lv, QTreeView* lv_time,
                           QPlainTextEdit* sm, QMenu* p_lv)
    : QObject(lv), m_session(session), m_lvViewport(lv->viewport()),
      m_lvTimeViewport(lv_time->viewport()), m_sm(sm)
{
    JobArea& jobs = session.jobs();
    showModel(lv, &jobs.list(), jobs.list().selectionModel(), {jobs.list().nameColumnWidth(), 61});
    showModel(lv_time, &jobs.segments(), jobs.segments().selectionModel(), {});
    fitSegmentColumns(lv_time);
    const QList<int> fitted{lv_time->columnWidth(0), lv_time->columnWidth(1),
                            lv_time->columnWidth(2)};
    const auto widen = [lv_time, fitted] { widenSegmentColumns(lv_time, fitted); };
    SegmentList* segments = &jobs.segments();
    connect(segments, &QAbstractItemModel::modelReset, lv_time, widen);
    connect(segments, &QAbstractItemModel::rowsInserted, lv_time, widen);
    connect(segments, &QAbstractItemModel::rowsRemoved, lv_time, widen);
    connect(segments, &QAbstractItemModel::dataChanged, lv_time, widen);
    // The file list's two fixed columns are laid out for its width, one pixel
    // of border aside; a scroll bar for that pixel would only cover a row.
    lv->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (QTreeView* view : {lv, lv_time}) {
        view->viewport()->installEventFilter(this);
        connect(view, &QWidget::customContextMenuRequested, p_lv,
                [view, p_lv](const QPoint& at) { p_lv->popup(view->viewport()->mapToGlobal(at)); });
    }

    connect(&jobs.list(), &JobList::nameColumnWidthChanged, lv,
            [lv](int width) { lv->setColumnWidth(JobList::NameColumn, width); });
    connect(&jobs, &JobArea::helpMemoVisibleChanged, sm, &QWidget::setVisible);
    connect(&jobs, &JobArea::fileListFocusRequested, lv, [lv] { lv->setFocus(); });
    sm->setVisible(jobs.helpMemoVisible());
}

QStringList JobListViews::droppedPaths(const QEvent* event)
{
    const auto* drop = static_cast<const QDropEvent*>(event);
    const QMimeData* data = drop->mimeData();
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

void JobListViews::addPaths(const QStringList& paths)
{
    // Cue sheets come last: the files they name may be among the paths, and
    // are then listed before their sheets look for them.
    QStringList sheets;
    RunGuarded(m_session.prompts(), [&] {
        QStringList files;
        const auto flush = [&] {
            if (!files.isEmpty())
                m_session.jobs().addFilePaths(files);
            files.clear();
        };
        for (const QString& path : paths) {
            if (PieceCommands::isCueSheet(path)) {
                sheets << path;
            } else if (QFileInfo(path).isDir()) {
                flush();
                m_session.jobs().addFolderPath(path);
            } else {
                files << path;
            }
        }
        flush();
    });
    // Each on its own: a bad sheet is reported and the others still come.
    for (const QString& sheet : sheets)
        RunGuarded(m_session.prompts(), [&] { m_session.pieces().importCueSheet(sheet); });
}

bool JobListViews::eventFilter(QObject* watched, QEvent* event)
{
    const bool onFiles = watched == m_lvViewport;
    if (!onFiles && watched != m_lvTimeViewport)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonRelease: {
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return false;
        // The view finishes the click first (a click on empty space may
        // clear the selection then); the handlers read what it leaves.
        watched->removeEventFilter(this);
        QCoreApplication::sendEvent(watched, event);
        watched->installEventFilter(this);
        RunGuarded(m_session.prompts(), [&] {
            if (onFiles)
                m_session.jobs().lvClick();
            else
                m_session.jobs().lv_timeClick();
        });
        return true;
    }
    case QEvent::MouseButtonDblClick:
        if (!onFiles)
            RunGuarded(m_session.prompts(), [&] { m_session.jobs().lv_timeDblClick(); });
        return false;
    default:
        return false;
    }
}
