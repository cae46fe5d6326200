// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstance.h"
#include "base/DataFolder.h"
#include "base/EndRequests.h"
#include "gui/DesktopShell.h"
#include "gui/ProgramInfo.h"
#include "gui/Tfm_main.h"
#include "gui/WidgetPrompts.h"
#include "gui/dialogs/Tfm_about.h"
#include "gui/dialogs/Tfm_dir.h"
#include "gui/dialogs/Tfm_silence.h"
#include "gui/settings/Tfm_set.h"
#include "gui/skin/SkinLook.h"
#include "gui/tags/Tfm_id3.h"
#include "jobs/JobList.h"
#include "skin/SkinFile.h"
#include "skin/SkinPalette.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

namespace {

QStringList fileArguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return SingleInstance::filesFromArguments(arguments, QDir::currentPath());
}

// One "name<TAB>time<TAB>path" line per row of the file list.
void printFileList(const JobList& list)
{
    QTextStream out(stdout);
    for (int row = 0; row < list.count(); ++row)
        out << list.caption(row) << '\t' << list.timeText(row) << '\t' << list.entry(row).path
            << '\n';
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> status = AnswerInfoOption(argc, argv))
        return *status;
    SingleInstance instance;
    if (!instance.acquire()) {
        // A second start without files ends at once and silently, leaving the
        // running instance alone; with files it hands them over.
        const QStringList files = fileArguments(argc, argv);
        if (files.isEmpty())
            return 0;
        QCoreApplication app(argc, argv);
        if (SingleInstance::handOver(QStringLiteral("Vessimo V1.00"), files))
            return 0;
        std::fputs("vessimo: the running Vessimo did not take the files; try again once it "
                   "responds\n",
                   stderr);
        return 1;
    }

    // A style the user asks for (-style, QT_STYLE_OVERRIDE) keeps its own
    // drawing; the skin's colours apply to it all the same.
    bool styleAsked = !qEnvironmentVariableIsEmpty("QT_STYLE_OVERRIDE");
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        styleAsked = styleAsked || argument == "-style" || argument == "--style" ||
                     argument.startsWith("-style=") || argument.startsWith("--style=");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vessimo"));
    // One look for the whole program: the dialogs, menus and message boxes
    // take the skin's colours. A skin that cannot be read leaves Qt's look;
    // the front panel reports nothing of it either.
    try {
        ApplySkinLook(PaletteOf(LoadSkinDocument(SkinFilePath())), !styleAsked);
    } catch (const std::exception&) {
    }
    QGuiApplication::setDesktopFileName(kApplicationId);
    // The main window ends the program, even while the about box is open.
    QApplication::setQuitOnLastWindowClosed(false);
    // QApplication has taken its own options (-platform …) out of argv.
    const QStringList files = fileArguments(argc, argv);

    DesktopShell shell;
    WidgetPrompts prompts;

    // The windows in their fixed order: main window, settings, folder
    // chooser, about box, tag editor.
    Tfm_main fm_main(prompts, shell);
    // The title bar shows the version; the single-instance key keeps its fixed title.
    fm_main.setWindowTitle(VersionedCaption(fm_main.windowTitle()));
    prompts.setOwner(&fm_main);
    MainSession& session = fm_main.session();
    prompts.setState(&session.state());
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
    Tfm_silence fm_silence(session.pieces().silenceQuestion(), &fm_main);
    prompts.setDialog(Prompts::Dialog::FindSilences, &fm_silence);

    QObject::connect(&fm_main, &Tfm_main::closed, &app, &QCoreApplication::quit);
    // A logout or a kill: the window closes as if the user had closed it,
    // stopping a job and saving the options; a second signal ends the
    // program at once, removing the output under way.
    EndRequests endRequests;
    QObject::connect(&endRequests, &EndRequests::endRequested, &fm_main, &QWidget::close);
    fm_main.show();
    // Files of this start are added once the window shows; those of later
    // starts when they arrive, from the event loop rather than from inside
    // the channel's handler.
    // VESSIMO_PRINT_FILES=1 makes a start with files observable from outside
    // (scripts, the tests): once they are added, the file list's rows go to
    // standard output and the window closes as if the user had closed it.
    const bool printFiles = qEnvironmentVariableIntValue("VESSIMO_PRINT_FILES") != 0;
    if (!files.isEmpty() || printFiles)
        QTimer::singleShot(0, &fm_main, [&fm_main, files, printFiles] {
            if (!files.isEmpty())
                fm_main.receiveFiles(files);
            if (printFiles) {
                printFileList(fm_main.session().jobs().list());
                fm_main.close();
            }
        });
    QObject::connect(&instance, &SingleInstance::filesHandedOver, &fm_main, &Tfm_main::receiveFiles,
                     Qt::QueuedConnection);
    if (!instance.listen())
        std::fprintf(stderr, "vessimo: later starts cannot hand files to this one: %s\n",
                     qUtf8Printable(instance.errorString()));
    return app.exec();
}
