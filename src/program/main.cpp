#include "app/FileHelpers.h"
#include "app/ProgramIcon.h"
#include "app/QtDialogs.h"
#include "app/QtPlatform.h"
#include "app/Services.h"
#include "app/TerminationSignals.h"
#include "engine/ModuleEngine.h"
#include "entry/Form1.h"
#include "generate/WorkingFiles.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    using namespace brindlecast;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brindlecast"));
    QApplication::setOrganizationName(QStringLiteral("Quillmark"));
    QApplication::setWindowIcon(ProgramIcon());

    QtMessageBoxes boxes;
    QtSaveDialog saveDialog;
    QtClipboard clipboard;
    DesktopShell shell;
    TimeSeededRandom random;
    engine::ModuleEngine engine(ProgramFolder() + QStringLiteral("/brindlecast-writer.so"),
                                clipboard);
    // exit() rather than quit(): quitting would close the hidden preview window and run its
    // closing steps, which belong to closing that window only.
    Services services{boxes,  saveDialog, clipboard,       shell,
                      random, engine,     ProgramFolder(), [] { QCoreApplication::exit(0); }};

    QuitOnTerminationSignals([] { QCoreApplication::exit(0); });
    // Working files of instances that were killed; their engine folders go when the engine
    // starts. Here rather than in the window's load, which follows its own numbered steps.
    RemoveDeadWorkingFiles();

    Form1 form(services);
    if (!form.Form_Load())
        return 0;
    form.showCentred();
    return QApplication::exec();
}
