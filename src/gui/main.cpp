#include "app/SingleInstance.h"
#include "gui/DesktopShell.h"
#include "gui/Tfm_main.h"
#include "gui/WidgetPrompts.h"
#include "gui/dialogs/Tfm_about.h"
#include "gui/dialogs/Tfm_dir.h"

#include <QApplication>
#include <QLineEdit>

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
    Tfm_dir fm_dir(prompts, fm_main.session().options(), fm_main.session().ini(), *fm_main.edt_dir,
                   &fm_main);
    prompts.setFolderChooser(&fm_dir);
    Tfm_about fm_about(shell, &fm_main);
    fm_main.setAboutBox(&fm_about);

    QObject::connect(&fm_main, &Tfm_main::closed, &app, &QCoreApplication::quit);
    fm_main.show();
    return app.exec();
}
