// Times, in one run, `check-template` against `make` on one long template of the user's own: a
// .docx of about 180 pages, its paragraphs made of many differently formatted runs with a
// bookmark each, a table every few pages and a placeholder now and then, as a real long
// document is. Both through the command line, engine start included; the median of three runs
// each, and their ratio.
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>

namespace {

using namespace brindlecast::bench;

QString longDocument() {
    static const char* const words[] = {"harbor", "news",  "spring", "issue", "dock",  "sail",
                                        "tide",   "ferry", "crew",   "north", "light", "quay"};
    QString body;
    for (int p = 0; p < 4500; ++p) {
        body += QStringLiteral("<text:p>");
        if (p % 90 == 0)
            body += QStringLiteral("[NLTitle] [RecipientName] [Note 3] ");
        for (int w = 0; w < 24; ++w)
            body += QStringLiteral(R"(<text:span text:style-name="%1">%2 </text:span>)")
                        .arg(w % 2 ? "B" : "I", words[(p * 7 + w) % 12]);
        body += QStringLiteral(R"(<text:bookmark text:name="b%1"/></text:p>)").arg(p);
        if (p % 45 == 0)
            body += QStringLiteral(R"(<table:table table:name="T%1"><table:table-column
 table:number-columns-repeated="2"/><table:table-row><table:table-cell><text:p>%1</text:p>
 </table:table-cell><table:table-cell><text:p>[CompanyName]</text:p></table:table-cell>
 </table:table-row></table:table>)")
                        .arg(p);
    }
    return QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
<office:automatic-styles>
 <style:style style:name="B" style:family="text"><style:text-properties fo:font-weight="bold"/>
 </style:style><style:style style:name="I" style:family="text"><style:text-properties
 fo:font-style="italic"/></style:style></office:automatic-styles>
<office:body><office:text>%1</office:text></office:body></office:document>
)")
        .arg(body);
}

double run(const QStringList& arguments) {
    QProcess process;
    const auto start = Clock::now();
    process.start(QStringLiteral(BRINDLECAST_PROGRAM), arguments);
    process.waitForFinished(-1);
    const double seconds = secondsSince(start);
    // check-template answers 1 for a template with findings, which this one has.
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() > 1) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(arguments.first()),
                     process.readAllStandardError().constData());
        std::exit(1);
    }
    return seconds;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QTemporaryDir work;
    keepAwayFromTheUser(work.path());
    const QString source = work.filePath("long.fodt");
    writeFile(source, longDocument().toUtf8());
    timeConversion(source, QStringLiteral("docx"), work.path(), work.filePath("profile"));
    const QString document = work.filePath("long.docx");
    const QString made = work.filePath("long.pdf");

    std::vector<double> checks, makes;
    for (int i = 0; i < 3; ++i) {
        checks.push_back(run({"check-template", document}));
        makes.push_back(
            run({"make", "--no-stored", "--force", "--template", document, "--output", made}));
    }
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {made});
    info.waitForFinished();
    const QString pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                              .match(QString::fromUtf8(info.readAllStandardOutput()))
                              .captured(1);
    std::printf("A template of %s pages, through the command line (median of 3, engine start "
                "included):\n",
                pages.isEmpty() ? "?" : qPrintable(pages));
    std::printf("  check-template  %6.1f s\n", median(checks));
    std::printf("  make (PDF)      %6.1f s\n", median(makes));
    std::printf("  check-template / make  %4.2f\n", median(checks) / median(makes));
    return 0;
}
