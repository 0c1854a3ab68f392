#include "app/DesktopShell.h"
#include "app/EventPumps.h"
#include "app/FileHelpers.h"
#include "app/PrivateClipboard.h"
#include "app/ProgramEnd.h"
#include "app/ProgramIcon.h"
#include "app/QtDialogs.h"
#include "app/Services.h"
#include "app/TerminationSignals.h"
#include "app/TimeSeededRandom.h"
#include "cli/CommandLine.h"
#include "engine/DeadlineEngine.h"
#include "engine/ModuleEngine.h"
#include "entry/Form1.h"
#include "generate/ListFolders.h"
#include "generate/WorkingFiles.h"
#include "merge/MergeWindow.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    using namespace brindlecast;
    // Arguments select the command line, which needs no window and no display.
    if (cli::WantsCommandLine(argc, argv))
        return cli::Run(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brindlecast"));
    QApplication::setOrganizationName(QStringLiteral("Quillmark"));
    QApplication::setWindowIcon(ProgramIcon());

    QtMessageBoxes boxes;
    QtSaveDialog saveDialog;
    PrivateClipboard clipboard;
    DesktopShell shell;
    TimeSeededRandom random;
    engine::ModuleEngine module(engine::ModulePath(ProgramFolder()), clipboard);
    engine::DeadlineEngine engine(module, {engine::EngineTimeLimit(std::chrono::seconds(60)),
                                           ProcessEventsWhileBusy, ProgramEnding});
    // Ending leaves the event loop rather than quitting, which would close the hidden preview
    // window and run its closing steps, which belong to closing that window only.
    Services services{boxes,  saveDialog,      clipboard,         shell,        random,
                      engine, ProgramFolder(), RequestProgramEnd, ProgramEnding};

    QuitOnTerminationSignals(RequestProgramEnd);
    // Working files of instances that were killed; their engine folders go when the engine
    // starts. Here rather than in the window's load, which follows its own numbered steps.
    RemoveDeadWorkingFiles();
    RemoveDeadListFolders(TempFolder());

    // "brindlecast mail-merge [LIST]", and the desktop's launcher of that name.
    if (const auto list = cli::MailMergeRequest(QCoreApplication::arguments())) {
        MergeWindow merge;
        if (!list->isEmpty())
            merge.openList(*list);
        merge.show();
        return QApplication::exec();
    }

    Form1 form(services);
    // A list dropped on the main window opens in a mail merge window of its own, once the drop
    // is over.
    QObject::connect(
        &form, &Form1::listDropped, &form,
        [](const QString& path) {
            auto* merge = new MergeWindow;
            merge->setAttribute(Qt::WA_DeleteOnClose);
            merge->openList(path);
            merge->show();
        },
        Qt::QueuedConnection);
    // A termination signal may arrive while a start-up box is open: the window never shows.
    if (!form.Form_Load() || ProgramEnding())
        return 0;
    form.showCentred();
    return QApplication::exec();
}
