// A program instance in miniature: the real run on an engine of its own, in a shared TEMP.
//   race LOOK TAG ROUNDS  runs and hands over ROUNDS times; exits 0 when every working document
//                         held this instance's look and values and no other run was under way
//   hold LOOK TAG         starts as the program does, runs once, keeps the working document as
//                         an open preview does, prints its path and waits to be killed
#include "app/EventPumps.h"
#include "app/FileHelpers.h"
#include "app/TimeSeededRandom.h"
#include "engine/writer/WriterEngine.h"
#include "fakes/FakeDialogs.h"
#include "generate/Generation.h"
#include "generate/TemplateStore.h"
#include "generate/WorkingFiles.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QImage>
#include <QProcess>
#include <cstdio>
#include <thread>

using namespace brindlecast;

namespace {

struct Instance {
    Instance(int look, QString tag)
        : look(look)
        , tag(std::move(tag)) {
        engine.createApplication()->quit(); // the start-up check
    }

    QString value(int round, int field) const {
        return QStringLiteral("%1r%2f%3z").arg(tag).arg(round).arg(field);
    }

    // Hands over as the main window does; the outcome keeps the working document.
    GenerationOutcome run(int round) {
        GenerationInput input{look, [&](int field) { return value(round, field); },
                              [] { return QDateTime(QDate(2026, 5, 4), QTime(12, 0)); }};
        GenerationOutcome outcome = generation.run(input);
        // Under way, another run's template would be there.
        problems += FileExists(TemplatePath()) || QImage(PreviewBitmapPath(), "BMP").isNull();
        DeleteFileQuietly(PreviewBitmapPath());
        outcome.runLock.release();
        return outcome;
    }

    // Each look has a field the other lacks (1: recipient name, 3: fax number): a document made
    // from the other's template misses its own and holds the other's.
    bool check(int round, const GenerationOutcome& outcome) {
        QProcess antiword;
        antiword.start("antiword", {"-w", "0", "-m", "UTF-8.txt", outcome.workingDocument});
        antiword.waitForFinished(30000);
        const QString text = QString::fromUtf8(antiword.readAllStandardOutput());
        const bool ok = boxes.shown.empty() && problems == 0 && text.contains(value(round, 0)) &&
                        text.contains(value(round, look == 1 ? 12 : 9)) &&
                        !text.contains(value(round, look == 1 ? 9 : 12));
        if (!ok)
            std::fprintf(stderr, "round %d: %d boxes, %d problems, document:\n%s\n", round,
                         int(boxes.shown.size()), problems, qPrintable(text));
        return ok;
    }

    int look;
    QString tag;
    int problems = 0;
    fakes::FakeClipboard clipboard;
    fakes::FakeMessageBoxes boxes;
    TimeSeededRandom random;
    engine::writer::WriterEngine engine{clipboard};
    Generation generation{engine, boxes, clipboard, random, ProcessEventsWhileRunWaits};
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const bool race = arguments.value(1) == QLatin1String("race");
    if (!race)
        RemoveDeadWorkingFiles();
    Instance instance(arguments.value(2).toInt(), arguments.value(3));
    const qint64 start = QDateTime::currentMSecsSinceEpoch();
    for (int round = 1; round <= (race ? arguments.value(4).toInt() : 1); ++round) {
        GenerationOutcome outcome = instance.run(round);
        if (!instance.check(round, outcome))
            return 1;
        if (!race) {
            std::printf("%s\n", qPrintable(outcome.workingDocument));
            std::fflush(stdout);
            std::this_thread::sleep_for(std::chrono::minutes(10));
        }
        DeleteFileQuietly(outcome.workingDocument);
    }
    // When the rounds began and ended, so that the test sees that the instances overlapped.
    std::printf("%lld %lld\n", start, QDateTime::currentMSecsSinceEpoch());
    return 0;
}
