// Times, in one run and for each look on a warm engine, the preview's save in each format from
// the click on the save button to the file written ("Done." shown), and as the outside baseline
// a one-shot `soffice --convert-to` of the same working document into the same format. Prints
// medians and ratios.
#include "BenchSupport.h"
#include "app/DesktopShell.h"
#include "app/PrivateClipboard.h"
#include "app/SaveDialog.h"
#include "app/Services.h"
#include "app/TimeSeededRandom.h"
#include "engine/writer/WriterEngine.h"
#include "entry/Form1.h"
#include "generate/TemplateStore.h"
#include "preview/Form2.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using namespace brindlecast;
using namespace brindlecast::bench;

// Answers with the name and filter entry the benchmark chose, as a user typing a bare name and
// picking the format from the list would.
class ScriptedSaveDialog final : public SaveDialog {
public:
    void ShowSave() override {
        FileName = answerName;
        FilterIndex = answerFilter;
    }
    QString answerName;
    int answerFilter = 1;
};

struct Format {
    const char* name;
    int filterIndex;
    const char* extension; // also soffice's --convert-to target; empty: no baseline
};
const Format Formats[] = {
    {"doc", 1, ""}, {"docx", 2, "docx"}, {"odt", 3, "odt"}, {"pdf", 4, "pdf"}};
const char* const Looks[] = {"Classic", "Executive", "Professional", "Elegant"};

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::exit(1);
}

double timeSave(Form2& preview, ScriptedSaveDialog& dialog, CountingBoxes& boxes,
                const QString& name, const Format& format) {
    dialog.answerName = name;
    dialog.answerFilter = format.filterIndex;
    const int before = boxes.shown;
    const auto start = Clock::now();
    preview.findChild<QPushButton*>(QStringLiteral("PushButton6"))->click();
    const double seconds = std::chrono::duration<double>(boxes.lastDone - start).count();
    const QString written = format.filterIndex == 1 ? name : name + QLatin1Char('.') + format.name;
    if (boxes.shown != before || seconds <= 0 || QFileInfo(written).size() <= 0)
        fail("saving failed");
    return seconds;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    keepAwayFromTheUser(home.path());
    QApplication app(argc, argv);
    QTemporaryDir work;
    const int warmRuns = 7, baselineRuns = 3;
    constexpr int FormatCount = int(std::size(Formats));
    std::vector<double> warm[LookCount][FormatCount], baseline[LookCount][FormatCount];

    PrivateClipboard clipboard;
    engine::writer::WriterEngine engine(clipboard);
    CountingBoxes boxes;
    ScriptedSaveDialog dialog;
    DesktopShell shell;
    TimeSeededRandom random;
    Services services{boxes,     dialog, clipboard,           shell, random, engine,
                      QString(), [] {},  [] { return false; }};
    Form1 form(services);
    form.PushButton3_Click();
    for (int look = 1; look <= LookCount; ++look) {
        form.findChild<QRadioButton*>(QStringLiteral("Option%1").arg(look))->setChecked(true);
        form.PushButton6_Click();
        Form2* preview = form.form2();
        if (boxes.shown != 0 || !preview || !preview->isVisible())
            fail("generation failed");
        const QString copy = work.filePath(QStringLiteral("look%1.doc").arg(look));
        if (!QFile::copy(preview->wordFile(), copy))
            fail("cannot keep the working document");
        const QString name = work.filePath(QStringLiteral("saved%1").arg(look));
        for (int f = 0; f < FormatCount; ++f) {
            timeSave(*preview, dialog, boxes, name, Formats[f]); // the format's first: not measured
            for (int i = 0; i < warmRuns; ++i)
                warm[look - 1][f].push_back(timeSave(*preview, dialog, boxes, name, Formats[f]));
        }
        preview->findChild<QPushButton*>(QStringLiteral("PushButton8"))->click();
    }

    const QString profile = work.filePath(QStringLiteral("profile"));
    const QString outDir = work.filePath(QStringLiteral("converted"));
    for (int look = 1; look <= LookCount; ++look) {
        const QString copy = work.filePath(QStringLiteral("look%1.doc").arg(look));
        for (int f = 1; f < FormatCount; ++f) {
            if (look == 1 && f == 1) // the profile's first start: not measured
                timeConversion(copy, QString::fromLatin1(Formats[f].extension), outDir, profile);
            for (int i = 0; i < baselineRuns; ++i)
                baseline[look - 1][f].push_back(timeConversion(
                    copy, QString::fromLatin1(Formats[f].extension), outDir, profile));
        }
    }

    std::printf("%-13s %-6s %12s %14s %9s\n", "look", "format", "(a) save s", "(b) soffice s",
                "(a)/(b)");
    for (int look = 0; look < LookCount; ++look)
        for (int f = 0; f < FormatCount; ++f) {
            const double a = median(warm[look][f]);
            if (baseline[look][f].empty()) {
                std::printf("%-13s %-6s %12.3f %14s %9s\n", Looks[look], Formats[f].name, a, "-",
                            "-");
                continue;
            }
            const double b = median(baseline[look][f]);
            std::printf("%-13s %-6s %12.3f %14.3f %9.2f\n", Looks[look], Formats[f].name, a, b,
                        a / b);
        }
    std::printf("\nmedians of %d warm saves and %d baseline runs per look and format; target for "
                "docx, odt and pdf: (a) <= 0.3 s and (a)/(b) <= 0.25\n",
                warmRuns, baselineRuns);
    return 0;
}
