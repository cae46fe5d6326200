#include "app/SingleInstance.h"
#include "gui/DesktopShell.h"
#include "gui/Tfm_main.h"
#include "gui/WidgetPrompts.h"
#include "gui/dialogs/Tfm_about.h"
#include "gui/dialogs/Tfm_dir.h"
#include "gui/settings/Tfm_set.h"
#include "gui/tags/Tfm_id3.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

int main(int argc, char** argv)
{
    // A second start ends at once and silently; the running instance is left alone.
    SingleInstance instance;
    if (!instance.acquire())
        return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vessimo"));
    QGuiApplication::setDesktopFileName(QStringLiteral("vessimo"));
    // The main window ends the program, even while the about box is open.
    QApplication::setQuitOnLastWindowClosed(false);

    DesktopShell shell;
    WidgetPrompts prompts;

    // The windows in their fixed order: main window, settings, folder
    // chooser, about box, tag editor.
    Tfm_main fm_main(prompts, shell);
    prompts.setOwner(&fm_main);
    MainSession& session = fm_main.session();
    session.settingsDialog().setOutputDirBox(
        [&fm_main] { return fm_main.edt_dir->text(); },
        [&fm_main](const QString& dir) { fm_main.edt_dir->setText(dir); });
    Tfm_set fm_set(session.settingsDialog(), prompts, &fm_main);
    prompts.setDialog(Prompts::Dialog::Settings, &fm_set);
    Tfm_dir fm_dir(prompts, fm_main.session().options(), fm_main.session().ini(), *fm_main.edt_dir,
                   &fm_main);
    prompts.setFolderChooser(&fm_dir);
    Tfm_about fm_about(shell, &fm_main);
    fm_main.setAboutBox(&fm_about);
    Tfm_id3 fm_id3(session.tagEditor(), session.tagRecords(), prompts, &fm_main);
    prompts.setDialog(Prompts::Dialog::TagEditor, &fm_id3);

    QObject::connect(&fm_main, &Tfm_main::closed, &app, &QCoreApplication::quit);
    fm_main.show();
    // Files and folders named on the command line (the desktop entry's %F)
    // are added once the window has been shown and has read its options.
    const QStringList paths = QCoreApplication::arguments().mid(1);
    if (!paths.isEmpty())
        QTimer::singleShot(0, &fm_main, [&fm_main, paths] { fm_main.addPaths(paths); });
    return app.exec();
}
