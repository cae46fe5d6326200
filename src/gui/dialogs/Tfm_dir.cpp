// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/Tfm_dir.h"

#include "base/Guarded.h"
#include "base/IniFile.h"
#include "dialogs/OutputFolder.h"
#include "gui/dialogs/PlaceBesideMainWindow.h"
#include "settings/Options.h"
#include "ui_Tfm_dir.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <QTreeView>

namespace {

// Leaves out the folders the tree does not offer.
class FolderTreeFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const auto* folders = static_cast<const QFileSystemModel*>(sourceModel());
        return !IsHiddenFromFolderTree(folders->filePath(folders->index(row, 0, parent)));
    }
};

} // namespace

Tfm_dir::Tfm_dir(Prompts& prompts, Options& options, IniFile& ini, QLineEdit& edtDir,
                 QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      m_prompts(prompts), m_options(options), m_ini(ini), m_edtDir(edtDir), m_mainWindow(mainWindow)
{
    Ui::Tfm_dir form;
    form.setupUi(this);
    ShellTreeView1 = form.ShellTreeView1;
    Button1 = form.Button1;
    btn_ok = form.btn_ok;
    btn_cancel = form.btn_cancel;

    m_model = new QFileSystemModel(this);
    // No automatic refresh: a folder removed behind the tree's back must not
    // move the selection to a neighbour that Ok would then take.
    m_model->setOption(QFileSystemModel::DontWatchForChanges);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_model->setReadOnly(true);
    m_model->setRootPath(QDir::rootPath());
    m_folders = new FolderTreeFilter(this);
    m_folders->setSourceModel(m_model);

    ShellTreeView1->setModel(m_folders);
    // A screen reader names the tree by this; it has no label of its own.
    ShellTreeView1->setAccessibleName(QStringLiteral("Folders"));
    for (int column = 1; column < m_folders->columnCount(); ++column)
        ShellTreeView1->hideColumn(column);
    // The tree reads folders in the background; rows arriving above the
    // first selection push it out of sight until the user takes over.
    connect(m_model, &QFileSystemModel::directoryLoaded, this,
            [this](const QString& folder) { folderLoaded(folder); });
    connect(m_folders, &QAbstractItemModel::layoutChanged, this, [this] { revealSelection(); });
    connect(ShellTreeView1->verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this] { m_revealing = false; });
    connect(ShellTreeView1, &QAbstractItemView::pressed, this, [this] { m_revealing = false; });

    connect(btn_ok, &QPushButton::clicked, this, [this] { btn_okClick(); });
    connect(btn_cancel, &QPushButton::clicked, this, [this] { btn_cancelClick(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

QString Tfm_dir::selectedFolder() const
{
    const QModelIndex current = m_folders->mapToSource(ShellTreeView1->currentIndex());
    return current.isValid() ? m_model->filePath(current) : QString();
}

void Tfm_dir::selectFolder(const QString& path)
{
    const QModelIndex index = m_folders->mapFromSource(m_model->index(path));
    if (!index.isValid())
        return;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        ShellTreeView1->expand(up);
    ShellTreeView1->expand(index);
    ShellTreeView1->setCurrentIndex(index);
    ShellTreeView1->scrollTo(index);
}

void Tfm_dir::folderLoaded(const QString& folder)
{
    if (!m_unrevealed.remove(QDir::cleanPath(folder)))
        return;
    revealSelection();
    // The model sorts the rows it has just added a moment later.
    if (m_unrevealed.isEmpty()) {
        QTimer::singleShot(250, this, [this] {
            revealSelection();
            m_revealing = false;
        });
    }
}

void Tfm_dir::revealSelection()
{
    // Centred, so that the folders inside it show too.
    if (m_revealing)
        ShellTreeView1->scrollTo(ShellTreeView1->currentIndex(),
                                 QAbstractItemView::PositionAtCenter);
}

void Tfm_dir::showEvent(QShowEvent* event)
{
    m_chosenFolder.clear();
    if (m_mainWindow)
        PlaceBesideMainWindow(*this, *m_mainWindow);
    // The tree keeps its expansion and selection between showings, unless the
    // output folder has changed elsewhere since.
    const QString outputDir = m_options.outputDir;
    if (!m_shownBefore || outputDir != m_openedFor) {
        m_shownBefore = true;
        m_openedFor = outputDir;
        const QString folder = FolderToOpenOn(outputDir);
        m_unrevealed.clear();
        for (QDir up(folder);;) {
            m_unrevealed.insert(up.absolutePath());
            if (!up.cdUp())
                break;
        }
        m_revealing = true;
        selectFolder(folder);
    }
    QDialog::showEvent(event);
}

void Tfm_dir::btn_okClick()
{
    const QString path = selectedFolder();
    if (path.isEmpty())
        return;
    RunGuarded(m_prompts, [&] {
        m_chosenFolder = path;
        ConfirmOutputFolder(path, m_options, m_ini,
                            [this](const QString& dir) { m_edtDir.setText(dir); });
        accept();
    });
}

void Tfm_dir::done(int result)
{
    if (result != QDialog::Accepted)
        m_chosenFolder.clear();
    QDialog::done(result);
}

void Tfm_dir::btn_cancelClick()
{
    reject();
}

void Tfm_dir::Button1Click()
{
    const QString parent = selectedFolder();
    if (parent.isEmpty())
        return;
    // Made through the tree, which does not watch the disk, so that it shows.
    CreateNewFolder(parent, [this](const QString& in, const QString& name) {
        return m_model->mkdir(m_model->index(in), name).isValid();
    });
}
