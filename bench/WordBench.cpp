// The Word engine against the tests' stand-in automation server: how many Word starts and
// automation calls one generation run makes (from the stand-in's call log), and the median time
// of a whole run, from the click to the preview bitmap, both Word starts included: with a Word
// that answers at once, and with one that turns its first three calls away as busy, as a Word
// still loading its add-ins does. The stand-in is registered for the benchmark and removed
// afterwards; run it where no real Word is registered (a Wine prefix).
#include "BenchSupport.h"
#include "app/FileHelpers.h"
#include "app/PrivateClipboard.h"
#include "app/TimeSeededRandom.h"
#include "engine/DeadlineEngine.h"
#include "engine/word/WordEngine.h"
#include "generate/Generation.h"
#include "generate/WorkingFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using namespace brindlecast;
using namespace brindlecast::bench;

QString standinProgram() {
    const QString relative = QDir(QStringLiteral(BRINDLECAST_BENCH_DIR))
                                 .relativeFilePath(QStringLiteral(BRINDLECAST_WORD_STANDIN));
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(relative);
}

bool registerStandin(bool on) {
    return QProcess::execute(standinProgram(), {on ? QStringLiteral("/RegServer")
                                                   : QStringLiteral("/UnregServer")}) == 0;
}

struct Run {
    PrivateClipboard clipboard;
    engine::word::WordEngine word{clipboard};
    engine::DeadlineEngine engine{word, {std::chrono::seconds(60), {}, {}}};
    CountingBoxes boxes;
    TimeSeededRandom random;
    Generation generation{engine, boxes, clipboard, random, [] {}};

    // One run as the window makes it; its working files go again afterwards.
    double once() {
        const GenerationInput input{1,
                                    [](int i) { return QStringLiteral("Field value %1").arg(i); },
                                    [] { return QDateTime::currentDateTime(); }};
        const auto start = Clock::now();
        GenerationOutcome outcome = generation.run(input);
        const double seconds = secondsSince(start);
        if (boxes.shown || !outcome.pictureMade) {
            std::fprintf(stderr, "the generation failed\n");
            std::exit(1);
        }
        outcome.documentLock.release();
        QFile::remove(outcome.workingDocument);
        QFile::remove(PreviewBitmapPath());
        outcome.runLock.release();
        return seconds;
    }
};

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (!registerStandin(true)) {
        std::fprintf(stderr, "the stand-in cannot be registered (is a real Word registered?)\n");
        return 1;
    }
    QTemporaryDir log;
    int calls = 0, sessions = 0;
    // Counted, and timed, with the stand-in's control folder and call log on: the busy Word
    // needs them, and both settings are then timed alike.
    qputenv("BRINDLECAST_STANDIN_DIR", QDir::toNativeSeparators(log.path()).toUtf8());
    Run().once();
    QFile file(log.filePath(QStringLiteral("calls.log")));
    file.open(QIODevice::ReadOnly);
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QByteArray call = line.mid(line.indexOf(' ') + 1);
        calls += !line.isEmpty() && !call.startsWith("* ");
        sessions += call.startsWith("* created");
    }
    double medians[2] = {};
    for (const bool busy : {false, true}) {
        QFile control(log.filePath(QStringLiteral("control.txt")));
        control.open(QIODevice::WriteOnly | QIODevice::Truncate);
        control.write(busy ? "busy 3\n" : "");
        control.close();
        std::vector<double> times;
        Run run;
        for (int i = 0; i < 5; ++i)
            times.push_back(run.once());
        medians[busy] = median(times);
    }
    qunsetenv("BRINDLECAST_STANDIN_DIR");
    registerStandin(false);
    std::printf("Word engine against the stand-in: %d Word starts and %d automation calls per "
                "generation; one generation (both Word starts included) %.2f s median of 5, "
                "%.2f s when each Word rejects its first 3 calls as busy (%.2fx)\n",
                sessions, calls, medians[0], medians[1], medians[1] / medians[0]);
    return 0;
}
