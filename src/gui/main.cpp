#include "app/SingleInstance.h"
#include "gui/DesktopShell.h"
#include "gui/Tfm_main.h"
#include "gui/WidgetPrompts.h"
#include "gui/dialogs/Tfm_about.h"
#include "gui/dialogs/Tfm_dir.h"
#include "gui/settings/Tfm_set.h"
#include "gui/tags/Tfm_id3.h"
#include "jobs/JobList.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTextStream>
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
    // Relative names count from the working folder and are kept absolute,
    // as the file dialog gives them.
    QStringList paths;
    for (const QString& argument : QCoreApplication::arguments().mid(1))
        if (!argument.isEmpty())
            paths << QDir::cleanPath(QFileInfo(argument).absoluteFilePath());
    // VESSIMO_PRINT_FILES=1 makes a start with files observable from
    // outside (scripts, the tests): once they are added, the file list's rows
    // go to standard output, one "name<TAB>time<TAB>path" a line, and the
    // window closes as if the user had closed it.
    const bool printFiles = qEnvironmentVariableIntValue("VESSIMO_PRINT_FILES") != 0;
    if (!paths.isEmpty() || printFiles)
        QTimer::singleShot(0, &fm_main, [&fm_main, paths, printFiles] {
            if (!paths.isEmpty())
                fm_main.addPaths(paths);
            if (!printFiles)
                return;
            const JobList& list = fm_main.session().jobs().list();
            QTextStream out(stdout);
            for (int row = 0; row < list.count(); ++row)
                out << list.caption(row) << '\t' << list.timeText(row) << '\t'
                    << list.entry(row).path << '\n';
            out.flush();
            fm_main.close();
        });
    return app.exec();
}
