#include "CommandLine.h"

#include "CheckTemplateCommand.h"
#include "MakeCommand.h"
#include "MakeValues.h"
#include "SendArguments.h"
#include "app/ProgramEnd.h"
#include "app/Terminal.h"
#include "app/TerminationSignals.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace brindlecast::cli {

namespace {

const char* const Description =
    "Makes a finished newsletter from typed values and one of four looks.\n"
    "\n"
    "Without arguments, brindlecast opens its window. The command\n"
    "\n"
    "  brindlecast mail-merge [LIST]\n"
    "\n"
    "opens the mail merge window instead, with the recipient list LIST when one is given. The\n"
    "command\n"
    "\n"
    "  brindlecast make [options]\n"
    "\n"
    "makes the newsletter without any window, also without a display: from the values the\n"
    "window has stored, with --values and --set over them; with --recipients, one newsletter\n"
    "per recipient of an address list (CSV with a header row, vCard, JSON, or a sheet of an\n"
    ".xlsx, .xls or .ods workbook); with --template, from a template of your own instead of\n"
    "a look. The command\n"
    "\n"
    "  brindlecast check-template FILE [--recipients LIST [--sheet NAME]]\n"
    "\n"
    "lists the placeholders a template holds and where, the fields it leaves out, its IF\n"
    "blocks, and its bracketed words that are no placeholder; with a list, what the list fills,\n"
    "what stays empty for whom, and the columns nothing uses. The command\n"
    "\n"
    "  brindlecast send --recipients LIST --subject TEXT --body FILE [options]\n"
    "\n"
    "makes each recipient's newsletter as make does (a PDF unless --attach says otherwise) and\n"
    "mails it to them through your mail server, 20 a minute unless --rate says otherwise:\n"
    "--smtp, --user and --from are kept for the next run, the password in the system keyring\n"
    "(asked for once on a terminal). Try it first with\n"
    "--test-to YOUR-ADDRESS or --dry-run FOLDER. A journal beside the list (LIST.sent.txt)\n"
    "records every message the server took: the same command again sends only the rest.\n"
    "\n"
    "In a template of your own, every column of the list is a field too ([Salutation] takes\n"
    "the Salutation column), and so is any NAME given with --set or --values. Text between\n"
    "[IF Name] and [END IF] is kept only where Name is not empty; [IF NOT Name],\n"
    "[IF Name = \"text\"] and [ELSE] work too, and blocks nest.";

const char* const Epilogue =
    "\n"
    "Exit status:\n"
    "  0  every newsletter was made (or kept with --skip-existing)\n"
    "  1  some or all could not be made (the summary names them), or the run was stopped\n"
    "  2  wrong options, values, template or recipient list; nothing was made\n"
    "  3  the document engine (LibreOffice Writer; Word on Windows) cannot be started, or\n"
    "     a workbook list has no reader (LibreOffice Calc; Excel on Windows)\n"
    "check-template: 0 usable as it is, 1 usable with findings, 2 not a document or\n"
    "unreadable, 3 no document engine.\n"
    "send: 0 every message sent (now or earlier), 1 some refused, without an address, not\n"
    "made, left for later or stopped (the summary names them), 2 wrong options or a server that\n"
    "cannot be used (nothing was sent), 3 no document engine.\n"
    "\n"
    "Examples:\n"
    "  brindlecast make --look Elegant --set NLTitle='Harbor News' --output news.pdf\n"
    "  brindlecast make --recipients contacts.csv --output letters/ --format docx\n"
    "  brindlecast make --recipients contacts.vcf --combined all.pdf\n"
    "  brindlecast make --recipients members.xlsx --sheet Current --output letters/\n"
    "  brindlecast make --template letterhead.docx --values issue.json --recipients list.json \\\n"
    "      --output letters/ --skip-existing\n"
    "  brindlecast make --template letter.odt --recipients members.csv --output letters/ \\\n"
    "      --file-name '[Last], [First]' --where Country=Norway --rows 1-50\n"
    "  brindlecast check-template letterhead.docx\n"
    "  brindlecast check-template letter.odt --recipients members.csv\n"
    "  brindlecast send --recipients members.csv --subject 'Harbor News for [First]' \\\n"
    "      --body letter.txt --from 'Harbor Club <news@example.org>' \\\n"
    "      --smtp smtp://mail.example.org:587 --user news@example.org --test-to me@example.org\n"
    "  brindlecast send --recipients members.csv --subject 'Harbor News for [First]' \\\n"
    "      --body letter.txt --rate 10\n";

struct Options {
    QCommandLineOption help{{"h", "help"}, "Shows this help and exits."};
    QCommandLineOption version{{"v", "version"}, "Shows the version and exits."};
    QCommandLineOption look{"look", "Classic (the default), Executive, Professional or Elegant.",
                            "look"};
    QCommandLineOption templateFile{
        "template",
        "A template of your own instead of a look: .doc, .dot, .docx, .dotx, .odt, .ott.", "file"};
    QCommandLineOption set{
        "set", "Sets a field: NAME is its placeholder without brackets. Repeatable.", "NAME=VALUE"};
    QCommandLineOption values{
        "values", "Sets fields from a JSON object of NAME: VALUE, under --set.", "file.json"};
    QCommandLineOption noStored{"no-stored", "Starts from empty values, not the window's."};
    QCommandLineOption output{
        "output", "The file to make; with --recipients, the folder to make them in.", "path"};
    QCommandLineOption format{"format",
                              "doc, docx, odt or pdf; by default from the output's extension, "
                              "else doc.",
                              "format"};
    QCommandLineOption force{"force", "Replaces files that exist; otherwise nothing is made."};
    QCommandLineOption skipExisting{"skip-existing",
                                    "Keeps files that exist and makes the others."};
    QCommandLineOption quiet{"quiet", "Shows nothing but errors and the summary."};
    QCommandLineOption recipients{
        "recipients",
        "One newsletter per recipient of this CSV, vCard or JSON list, or workbook (.xlsx, .xls, "
        ".ods).",
        "file"};
    QCommandLineOption sheet{
        "sheet", "With a workbook as --recipients: the sheet to read; by default the first.",
        "name"};
    QCommandLineOption combined{
        "combined", "With --recipients: one PDF, a page per newsletter in list order.", "file.pdf"};
    QCommandLineOption fileName{"file-name",
                                "With --recipients: each file's name from fields and columns, "
                                "such as \"[Last], [First] - [IssueNo]\".",
                                "pattern"};
    QCommandLineOption rows{
        "rows", "With --recipients: only these, counted from 1, such as 5-20,31.", "list"};
    QCommandLineOption where{"where",
                             "With --recipients: only those whose COLUMN holds VALUE (letter case "
                             "ignored). Repeatable: all must hold.",
                             "COLUMN=VALUE"};
    QCommandLineOption keepDuplicates{
        "keep-duplicates",
        "Makes a recipient who is on the list twice (the same e-mail address, or the same name "
        "and address) twice."};

    void addTo(QCommandLineParser& parser) const {
        for (const QCommandLineOption* option :
             {&help, &version, &look, &templateFile, &set, &values, &noStored, &output, &format,
              &force, &skipExisting, &quiet, &recipients, &sheet, &combined, &fileName, &rows,
              &where, &keepDuplicates})
            parser.addOption(*option);
    }

    // The options check-template takes: what the list run would fill the template with.
    bool onlyChecksOptions(const QCommandLineParser& parser) const {
        const QStringList allowed = {"recipients", "sheet", "values",   "set",
                                     "rows",       "where", "no-stored"};
        for (const QString& name : parser.optionNames())
            if (!allowed.contains(name))
                return false;
        return true;
    }
};

int usage(const QString& message) {
    std::fprintf(stderr, "brindlecast: %s\nTry 'brindlecast --help'.\n", qPrintable(message));
    return BadUsage;
}

} // namespace

int Run(int argc, char* argv[]) {
    AttachToCallersConsole();
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brindlecast"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRINDLECAST_VERSION));
    QuitOnTerminationSignals(RequestProgramEnd);
    // A well-formed mail-merge opened its window instead of coming here.
    if (WithoutWindowOptions(QCoreApplication::arguments()).value(1) == QLatin1String("mail-merge"))
        return usage(QStringLiteral("mail-merge takes no options and one recipient list at most: "
                                    "brindlecast mail-merge [LIST]"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(Description));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addPositionalArgument(QStringLiteral("mail-merge"),
                                 QStringLiteral("Opens the mail merge window."),
                                 QStringLiteral("[mail-merge [LIST]]"));
    parser.addPositionalArgument(QStringLiteral("make"), QStringLiteral("Makes newsletters."),
                                 QStringLiteral("[make]"));
    parser.addPositionalArgument(QStringLiteral("send"),
                                 QStringLiteral("Mails each recipient their newsletter."),
                                 QStringLiteral("[send]"));
    parser.addPositionalArgument(QStringLiteral("check-template"),
                                 QStringLiteral("Checks a template of your own."),
                                 QStringLiteral("[check-template FILE]"));
    const Options options;
    options.addTo(parser);
    const SendArguments sending;
    sending.addTo(parser);
    if (!parser.parse(QCoreApplication::arguments()))
        return usage(parser.errorText());
    if (parser.isSet(options.help)) {
        // The parser names the program by the path it was started with.
        QString help = parser.helpText();
        help.replace(0, help.indexOf(QLatin1Char('\n')),
                     QStringLiteral("Usage: brindlecast [mail-merge [LIST] | make [options] | "
                                    "send [options] | check-template FILE [options]]"));
        std::printf("%s\nFields for --set: %s.\n%s", qPrintable(help), qPrintable(SettableNames()),
                    Epilogue);
        return AllMade;
    }
    if (parser.isSet(options.version)) {
        std::printf("brindlecast %s\n", BRINDLECAST_VERSION);
        return AllMade;
    }
    const QStringList words = parser.positionalArguments();
    if (!words.isEmpty() && words[0] == QLatin1String("check-template")) {
        if (words.size() != 2)
            return usage(QStringLiteral("check-template takes one file: the template"));
        if (!options.onlyChecksOptions(parser))
            return usage(QStringLiteral("check-template takes --recipients, --sheet, --values, "
                                        "--set, --no-stored, --rows and --where"));
        CheckOptions check;
        check.templateFile = words[1];
        check.recipients = parser.value(options.recipients);
        check.sheet = parser.value(options.sheet);
        check.values = parser.value(options.values);
        check.sets = parser.values(options.set);
        check.noStored = parser.isSet(options.noStored);
        check.rows = parser.value(options.rows);
        check.where = parser.values(options.where);
        return RunCheckTemplate(check);
    }
    const bool send = words == QStringList{QStringLiteral("send")};
    if (words != QStringList{QStringLiteral("make")} && !send)
        return usage(words.isEmpty() ? QStringLiteral("options go with a command: make or send")
                                     : QStringLiteral("unknown command: %1").arg(words.join(' ')));
    if (const QString option = sending.firstGiven(parser); !send && !option.isEmpty())
        return usage(QStringLiteral("%1 goes with send").arg(option));
    if (send && parser.isSet(options.format))
        return usage(QStringLiteral("--format goes with make; send takes --attach"));
    MakeOptions make;
    make.look = parser.value(options.look);
    make.templateFile = parser.value(options.templateFile);
    make.sets = parser.values(options.set);
    make.values = parser.value(options.values);
    make.noStored = parser.isSet(options.noStored);
    make.output = parser.value(options.output);
    make.format = parser.value(options.format);
    make.force = parser.isSet(options.force);
    make.skipExisting = parser.isSet(options.skipExisting);
    make.quiet = parser.isSet(options.quiet);
    make.recipients = parser.value(options.recipients);
    make.sheet = parser.value(options.sheet);
    make.combined = parser.value(options.combined);
    make.fileName = parser.value(options.fileName);
    make.rows = parser.value(options.rows);
    make.where = parser.values(options.where);
    make.keepDuplicates = parser.isSet(options.keepDuplicates);
    if (send)
        return RunSend(sending.read(parser, make));
    return RunMake(make);
}

} // namespace brindlecast::cli
