// Times, in one run, the mail merge window on the real engine: how long a selected row's
// preview takes to show once the engine is warm (median of ten rows), and the window's run of
// 200 recipients to one .doc each against the command line's own run of the same list (the
// program as a process, median of three each; the ratio is the window's cost). With
// "--screenshot FILE LIST" it only saves a picture of the window on LIST with a preview, as the
// README shows it.
#include "BenchSupport.h"
#include "merge/MergeWindow.h"
#include "merge/RunDialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

using namespace brindlecast;
using namespace brindlecast::bench;

void writeList(const QString& path, int count) {
    QByteArray text = "Name,Company,Email\n";
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("Person %1,Company %1,person%1@example.org\n").arg(i).toUtf8();
    writeFile(path, text);
}

void fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::exit(1);
}

double previewMedian(MergeWindow& window, QSignalSpy& shown) {
    auto* table = window.findChild<QTableView*>(QStringLiteral("recipients"));
    std::vector<double> times;
    for (int row = 1; row <= 10; ++row) {
        shown.clear();
        const auto start = Clock::now();
        table->setCurrentIndex(table->model()->index(row, 0));
        if (!shown.wait(120000))
            fail("a preview did not come");
        times.push_back(secondsSince(start));
    }
    return median(times);
}

double windowRun(MergeWindow& window, const QString& folder) {
    QDir(folder).removeRecursively();
    cli::MakeOptions options = window.runOptions();
    options.output = folder;
    const auto start = Clock::now();
    RunDialog* run = window.startRun(QStringLiteral("Making"), folder, options);
    QSignalSpy ended(run, &RunDialog::ended);
    if (!ended.wait(900000) || ended.front().front().toInt() != 0)
        fail("the window's run failed");
    const double seconds = secondsSince(start);
    run->close();
    return seconds;
}

double commandRun(const QString& list, const QString& folder) {
    QDir(folder).removeRecursively();
    const auto start = Clock::now();
    QProcess program;
    program.start(QStringLiteral(BRINDLECAST_PROGRAM),
                  {QStringLiteral("make"), QStringLiteral("--recipients"), list,
                   QStringLiteral("--keep-duplicates"), QStringLiteral("--output"), folder});
    if (!program.waitForFinished(900000) || program.exitCode() != 0)
        fail("the command line's run failed");
    return secondsSince(start);
}

// The README's picture: the window on `list`, its first recipient's newsletter scrolled to where
// the look addresses them.
int screenshot(const QString& file, const QString& list) {
    MergeWindow window;
    QSignalSpy shown(&window, &MergeWindow::previewShown);
    window.openList(list);
    if (!shown.wait(180000))
        fail("the first preview did not come");
    window.resize(1100, 700);
    window.show();
    auto* preview = window.findChild<QScrollArea*>(QStringLiteral("preview"));
    preview->verticalScrollBar()->setValue(preview->verticalScrollBar()->maximum());
    return window.grab().save(file) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir folder;
    keepAwayFromTheUser(folder.path());
    QApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--screenshot")
        return screenshot(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    const QString list = folder.filePath(QStringLiteral("list.csv"));
    writeList(list, 200);
    MergeWindow window;
    QSignalSpy shown(&window, &MergeWindow::previewShown);
    window.openList(list);
    // The first preview starts the engine; the ones timed find it warm.
    if (!shown.wait(180000))
        fail("the first preview did not come");
    std::printf("row to preview, warm engine: median %.2f s of 10\n", previewMedian(window, shown));
    std::vector<double> windowTimes, commandTimes;
    for (int round = 0; round < 3; ++round) {
        windowTimes.push_back(windowRun(window, folder.filePath(QStringLiteral("window"))));
        commandTimes.push_back(commandRun(list, folder.filePath(QStringLiteral("command"))));
    }
    const double inWindow = median(windowTimes), onCommandLine = median(commandTimes);
    std::printf("200 recipients to .doc: window %.1f s, command line %.1f s (medians of 3); "
                "ratio %.2f\n",
                inWindow, onCommandLine, inWindow / onCommandLine);
    return 0;
}
