// Times, in one run: start-up to the main window shown, a generation run from the click to the
// preview picture on a warm and on a cold engine for each look, and as the outside baseline a
// one-shot `soffice --convert-to doc` of the same template. Prints medians and ratios.
#include "BenchSupport.h"
#include "app/DesktopShell.h"
#include "app/PrivateClipboard.h"
#include "app/QtDialogs.h"
#include "app/Services.h"
#include "app/TimeSeededRandom.h"
#include "engine/ModuleEngine.h"
#include "engine/writer/WriterEngine.h"
#include "entry/Form1.h"
#include "generate/TemplateStore.h"
#include "preview/Form2.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

using namespace brindlecast;
using namespace brindlecast::bench;

long long realtimeMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The window reads the page picture from the clipboard the engine was given: the same one.
struct Session {
    Session(engine::Engine& engine, Clipboard& clipboard)
        : services{boxes,     saveDialog, clipboard,           shell, random, engine,
                   QString(), [] {},      [] { return false; }} {}
    CountingBoxes boxes;
    QtSaveDialog saveDialog;
    DesktopShell shell;
    TimeSeededRandom random;
    Services services;
};

// One generation run through the main window: click to preview shown, then back.
double timeGeneration(Form1& form, int look, CountingBoxes& boxes) {
    form.findChild<QRadioButton*>(QStringLiteral("Option%1").arg(look))->setChecked(true);
    const int before = boxes.shown;
    const auto start = Clock::now();
    form.PushButton6_Click();
    const double seconds = secondsSince(start);
    if (boxes.shown != before || !form.form2() || !form.form2()->isVisible()) {
        std::fprintf(stderr, "generation failed for look %d\n", look);
        std::exit(1);
    }
    form.form2()->findChild<QPushButton*>(QStringLiteral("PushButton8"))->click();
    return seconds;
}

// A run with a title of `length` characters: seconds to the preview, or nothing when the
// program refused the title (the time to the refusal then goes to `refusedAfter`).
std::optional<double> timeLongTitle(Form1& form, int look, int length, CountingBoxes& boxes,
                                    double& refusedAfter) {
    form.Text1(0)->setText(QString(length, QLatin1Char('x')));
    form.findChild<QRadioButton*>(QStringLiteral("Option%1").arg(look))->setChecked(true);
    const int before = boxes.shown;
    const auto start = Clock::now();
    form.PushButton6_Click();
    const double seconds = secondsSince(start);
    if (boxes.shown != before) {
        refusedAfter = seconds;
        return std::nullopt;
    }
    form.form2()->findChild<QPushButton*>(QStringLiteral("PushButton8"))->click();
    return seconds;
}

// A child process: start-up as the program does it, until the main window is exposed.
int startupProbe() {
    PrivateClipboard clipboard;
    engine::ModuleEngine engine(QStringLiteral(BRINDLECAST_WRITER_MODULE), clipboard);
    Session session(engine, clipboard);
    Form1 form(session.services);
    if (!form.Form_Load())
        return 1;
    form.showCentred();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    std::printf("%lld\n", realtimeMs());
    return 0;
}

double timeStartup(const QString& self) {
    const long long start = realtimeMs();
    QProcess probe;
    probe.start(self, {QStringLiteral("--startup-probe")});
    if (!probe.waitForFinished(120000) || probe.exitCode() != 0) {
        std::fprintf(stderr, "start-up probe failed: %s\n",
                     probe.readAllStandardError().constData());
        std::exit(1);
    }
    return (probe.readAllStandardOutput().trimmed().toLongLong() - start) / 1000.0;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Nothing of the user's is touched: settings and working files live in a folder of our own.
    QTemporaryDir home;
    if (qEnvironmentVariableIsEmpty("BRINDLECAST_BENCH_HOME")) {
        qputenv("BRINDLECAST_BENCH_HOME", QFile::encodeName(home.path()));
        keepAwayFromTheUser(home.path());
    }
    QApplication app(argc, argv);
    if (app.arguments().contains(QStringLiteral("--startup-probe")))
        return startupProbe();

    const int warmRuns = 7, coldRuns = 3, baselineRuns = 3, startupRuns = 3;
    const char* looks[] = {"Classic", "Executive", "Professional", "Elegant"};

    std::vector<double> startup;
    for (int i = 0; i < startupRuns; ++i)
        startup.push_back(timeStartup(QCoreApplication::applicationFilePath()));
    std::printf("(a) start-up to the main window shown: median %.3f s over %d runs\n\n",
                median(startup), startupRuns);

    PrivateClipboard clipboard;
    std::vector<double> warm[LookCount], cold[LookCount], baseline[LookCount];
    {
        engine::writer::WriterEngine engine(clipboard);
        Session session(engine, clipboard);
        Form1 form(session.services);
        form.PushButton3_Click();
        timeGeneration(form, 1, session.boxes); // starts the engine: not measured
        for (int look = 1; look <= LookCount; ++look)
            for (int i = 0; i < warmRuns; ++i)
                warm[look - 1].push_back(timeGeneration(form, look, session.boxes));
    }
    for (int look = 1; look <= LookCount; ++look)
        for (int i = 0; i < coldRuns; ++i) {
            engine::writer::WriterEngine engine(clipboard);
            Session session(engine, clipboard);
            Form1 form(session.services);
            form.PushButton3_Click();
            cold[look - 1].push_back(timeGeneration(form, look, session.boxes));
        }

    // Long titles, pasted by mistake: made in time that grows with their length only, or refused
    // at once when longer than a field may be.
    std::printf("\ngeneration with a title of N characters (one unbreakable word), warm, s:\n");
    std::printf("%-13s %12s %12s %12s\n", "look", "1,000", "10,000", "100,000");
    {
        engine::writer::WriterEngine engine(clipboard);
        Session session(engine, clipboard);
        Form1 form(session.services);
        form.PushButton3_Click();
        timeGeneration(form, 1, session.boxes); // starts the engine: not measured
        for (int look = 1; look <= LookCount; ++look) {
            std::printf("%-13s", looks[look - 1]);
            for (const int length : {1000, 10000, 100000}) {
                double refusedAfter = 0;
                const auto seconds = timeLongTitle(form, look, length, session.boxes, refusedAfter);
                if (seconds)
                    std::printf(" %12.3f", *seconds);
                else
                    std::printf(" %5s %.4f", "refused", refusedAfter);
            }
            std::printf("\n");
        }
    }

    QTemporaryDir work;
    const QString profile = work.filePath(QStringLiteral("profile"));
    for (int look = 1; look <= LookCount; ++look) {
        const QString templatePath = work.filePath(QStringLiteral("look%1.dot").arg(look));
        writeFile(templatePath, LoadTemplateResource(TemplateResourceId(look)));
        if (look == 1) // the profile's first start: not measured
            timeConversion(templatePath, QStringLiteral("doc"), work.path(), profile);
        for (int i = 0; i < baselineRuns; ++i)
            baseline[look - 1].push_back(
                timeConversion(templatePath, QStringLiteral("doc"), work.path(), profile));
    }

    std::printf("%-13s %12s %12s %14s %9s %9s\n", "look", "(b) warm s", "(c) cold s",
                "(d) soffice s", "(b)/(d)", "(c)/(d)");
    for (int look = 0; look < LookCount; ++look) {
        const double b = median(warm[look]), c = median(cold[look]), d = median(baseline[look]);
        std::printf("%-13s %12.3f %12.3f %14.3f %9.2f %9.2f\n", looks[look], b, c, d, b / d, c / d);
    }
    std::printf(
        "\nmedians of %d warm, %d cold and %d baseline runs per look; target (b) <= 0.5 s\n",
        warmRuns, coldRuns, baselineRuns);
    return 0;
}
