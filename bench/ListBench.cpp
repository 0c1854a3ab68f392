// Times, in one run, a recipient list made by the command line: 500 recipients to one .doc
// each, on one engine and on as many as the program chooses; the same 500 as one combined PDF;
// the engine's memory after 100 and after 500 newsletters; and as the outside baseline a
// script that fills the template's source and calls a one-shot `soffice --convert-to doc` per
// recipient, timed on 50; 100 recipients from a template of the user's own with ten IF blocks
// and without ("blocks" as the argument times these alone); and 200 recipients from an .xlsx
// against the same list as CSV (medians of three; "workbook" times only these). Prints rates
// and ratios.
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using namespace brindlecast::bench;

QString recipientName(int i) {
    return QStringLiteral("Person %1").arg(i, 3, 10, QLatin1Char('0'));
}

void writeList(const QString& path, int count) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("Name,Company,Street,City,State,Zip\n");
    for (int i = 1; i <= count; ++i)
        file.write(QStringLiteral("%1,Company %2,%2 Main St,Springfield,IL,6%3\n")
                       .arg(recipientName(i))
                       .arg(i)
                       .arg(i, 4, 10, QLatin1Char('0'))
                       .toUtf8());
}

// The resident memory of the office processes the program started, in MiB.
long officeMemory(qint64 program) {
    long kib = 0;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile status(QStringLiteral("/proc/%1/status").arg(entry));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = status.readAll();
        if (!text.contains("Name:\tsoffice.bin") ||
            !text.contains(QStringLiteral("PPid:\t%1\n").arg(program).toUtf8()))
            continue;
        const qsizetype at = text.indexOf("VmRSS:");
        kib += text.mid(at + 6, text.indexOf('\n', at) - at - 6).trimmed().split(' ')[0].toLong();
    }
    return kib / 1024;
}

struct Made {
    double seconds = 0;
    long memory = 0; // the engines' memory at the end of the run, MiB
};

Made make(const QString& program, const QStringList& arguments, int engines) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (engines > 0)
        environment.insert(QStringLiteral("BRINDLECAST_ENGINES"), QString::number(engines));
    QProcess process;
    process.setProcessEnvironment(environment);
    const auto start = Clock::now();
    process.start(program, QStringList{"make", "--no-stored", "--quiet"} + arguments);
    process.waitForStarted();
    std::atomic<long> memory{0};
    std::atomic<bool> running{true};
    std::thread sampler([&] {
        while (running) {
            if (const long now = officeMemory(process.processId()); now > 0)
                memory = now;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    process.waitForFinished(-1);
    const double seconds = secondsSince(start);
    running = false;
    sampler.join();
    if (process.exitCode() != 0) {
        std::fprintf(stderr, "make failed: %s\n", process.readAllStandardError().constData());
        std::exit(1);
    }
    return {seconds, memory};
}

// One recipient the way a script without this program would do it.
double baselineOne(const QString& source, const QString& folder, const QString& profile, int i) {
    QString text = source;
    for (const auto& [tag, value] : {std::pair{"[RecipientName]", recipientName(i)},
                                     {"[StreetAddress2]", QStringLiteral("%1 Main St").arg(i)},
                                     {"[CitySTZIP2]", QStringLiteral("Springfield IL 6%1").arg(i)}})
        text.replace(QLatin1String(tag), value, Qt::CaseInsensitive);
    const QString filled = QStringLiteral("%1/%2.fodt").arg(folder).arg(i);
    writeFile(filled, text.toUtf8());
    return timeConversion(filled, QStringLiteral("doc"), folder, profile);
}

// The newsletter template with ten lines for the recipient, each in an "[IF …]" block or, for
// the comparison, plain; as a template of the user's own, converted once to .odt. Half the blocks
// are kept (Company is filled), half go; two run over two paragraphs.
QString userTemplate(const QString& source, const QString& folder, const QString& profile,
                     bool blocks) {
    const auto paragraph = [](const QString& text) {
        return QStringLiteral("<text:p>%1</text:p>").arg(text);
    };
    QString lines;
    for (int i = 0; i < 10; ++i) {
        const QString open =
            blocks ? QStringLiteral("[IF %1]").arg(i % 2 ? "Company" : "Fax") : QString();
        const QString close = blocks ? QStringLiteral("[END IF]") : QString();
        const QString line = QStringLiteral("Line %1 for [RecipientName] of [Company]").arg(i);
        if (i >= 2)
            lines += paragraph(open + line + close);
        else if (blocks)
            lines +=
                paragraph(open) + paragraph(line) + paragraph(line + ", more") + paragraph(close);
        else
            lines += paragraph(line) + paragraph(line + ", more");
    }
    QString text = source;
    text.replace(QStringLiteral("</office:text>"), lines + QStringLiteral("</office:text>"));
    const QString name = blocks ? QStringLiteral("blocks") : QStringLiteral("plain");
    const QString fodt = QStringLiteral("%1/%2.fodt").arg(folder, name);
    writeFile(fodt, text.toUtf8());
    timeConversion(fodt, QStringLiteral("odt"), folder, profile);
    return QStringLiteral("%1/%2.odt").arg(folder, name);
}

// Newsletters per second from a template of the user's own on one engine, the median of three
// runs, each with its engine's start.
double userTemplateRate(const QString& program, const QString& work, const QString& templatePath,
                        int recipients) {
    std::vector<double> rates;
    for (int run = 0; run < 3; ++run) {
        const QString out =
            QStringLiteral("%1/user-%2-%3").arg(work, QFileInfo(templatePath).baseName()).arg(run);
        const Made made = make(program,
                               {"--template", templatePath, "--recipients",
                                work + QStringLiteral("/sample.csv"), "--output", out},
                               1);
        rates.push_back(recipients / made.seconds);
    }
    return median(rates);
}

void printBlockRates(const QString& program, const QString& work, const QString& source,
                     const QString& profile, int recipients) {
    const QString folder = work + QStringLiteral("/user");
    QDir().mkpath(folder);
    const double plain =
        userTemplateRate(program, work, userTemplate(source, folder, profile, false), recipients);
    const double blocks =
        userTemplateRate(program, work, userTemplate(source, folder, profile, true), recipients);
    std::printf("%d recipients from a template of the user's own, one engine, median of 3 runs:\n",
                recipients);
    std::printf("  without IF blocks         %5.1f per second\n", plain);
    std::printf("  with ten IF blocks        %5.1f per second  %5.2fx without\n", blocks,
                blocks / plain);
}

// The same list kept as a workbook (written by the office from the CSV) against the CSV: what
// reading a sheet through the office costs a run. Medians of rounds that take both in turn, so
// that a busy moment of the machine falls on either alike.
void compareWorkbook(const QString& program, const QDir& work, const QString& profile) {
    const int listed = 200, rounds = 3;
    writeList(work.filePath("members.csv"), listed);
    timeConversion(work.filePath("members.csv"), QStringLiteral("xlsx"), work.path(), profile);
    if (!QFile::exists(work.filePath("members.xlsx"))) {
        std::fprintf(stderr, "the office wrote no members.xlsx\n");
        std::exit(1);
    }
    std::vector<double> fromCsv, fromXlsx;
    for (int round = 0; round < rounds; ++round)
        for (const char* list : {"members.csv", "members.xlsx"}) {
            const QString output = work.filePath(QStringLiteral("round-%1").arg(round));
            const Made made =
                make(program, {"--recipients", work.filePath(list), "--output", output}, 1);
            QDir(output).removeRecursively();
            (QByteArray(list).endsWith("csv") ? fromCsv : fromXlsx).push_back(made.seconds);
        }
    const double csv = median(fromCsv), xlsx = median(fromXlsx);
    std::printf("%d recipients on one engine, medians of %d: from an .xlsx %.1f s, %.1f "
                "newsletters per second; from CSV %.1f s, %.1f per second (.xlsx at %.2fx)\n",
                listed, rounds, xlsx, listed / xlsx, csv, listed / csv, csv / xlsx);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QTemporaryDir work;
    keepAwayFromTheUser(work.path());
    const QString program = QStringLiteral(BRINDLECAST_PROGRAM);
    // "workbook" times only the workbook against the CSV.
    if (application.arguments().contains(QStringLiteral("workbook"))) {
        compareWorkbook(program, QDir(work.path()), work.filePath(QStringLiteral("profile")));
        return 0;
    }
    const int total = 500, sample = 100, baselineRuns = 50;
    writeList(work.filePath("list.csv"), total);
    writeList(work.filePath("sample.csv"), sample);
    QFile source(QStringLiteral(BRINDLECAST_SOURCE_DIR "/resources/templates/classic.fodt"));
    source.open(QIODevice::ReadOnly);
    const QString text = QString::fromUtf8(source.readAll());
    const QString profile = work.filePath(QStringLiteral("profile"));
    // "blocks" times the IF blocks alone.
    if (argc > 1 && QByteArray(argv[1]) == "blocks") {
        printBlockRates(program, work.path(), text, profile, sample);
        return 0;
    }

    const Made one = make(
        program, {"--recipients", work.filePath("list.csv"), "--output", work.filePath("one")}, 1);
    const Made both = make(
        program, {"--recipients", work.filePath("list.csv"), "--output", work.filePath("both")}, 0);
    const Made combined = make(program,
                               {"--look", "Executive", "--recipients", work.filePath("list.csv"),
                                "--combined", work.filePath("all.pdf")},
                               0);
    const Made first =
        make(program,
             {"--recipients", work.filePath("sample.csv"), "--output", work.filePath("sample")}, 1);

    const QString folder = work.filePath(QStringLiteral("baseline"));
    QDir().mkpath(folder);
    baselineOne(text, folder, profile, 0); // makes the profile: not measured
    double baseline = 0;
    for (int i = 1; i <= baselineRuns; ++i)
        baseline += baselineOne(text, folder, profile, i);

    const double baselineRate = baselineRuns / baseline;
    std::printf("%d recipients, one .doc each (times include the engines' start):\n", total);
    std::printf("  one engine                %6.1f s  %5.1f per second  %5.1fx baseline\n",
                one.seconds, total / one.seconds, total / one.seconds / baselineRate);
    std::printf("  engines side by side      %6.1f s  %5.1f per second  %5.1fx baseline\n",
                both.seconds, total / both.seconds, total / both.seconds / baselineRate);
    std::printf("  baseline (soffice --convert-to doc per recipient, %d runs): %.2f per second\n",
                baselineRuns, baselineRate);
    std::printf("%d-page combined PDF: %.1f s (target <= 120 s)\n", total, combined.seconds);
    std::printf(
        "engine memory after %d: %ld MiB, after %d: %ld MiB (%+.1f%%; target within 15%%)\n",
        sample, first.memory, total, one.memory,
        100.0 * (one.memory - first.memory) / std::max(first.memory, 1L));
    printBlockRates(program, work.path(), text, profile, sample);
    compareWorkbook(program, QDir(work.path()), profile);
    return 0;
}
