// The Word back-end against the stand-in automation server: what the calls do to a document,
// which calls they are, and how faults end.
#include "engine/word/WordEngine.h"

#include "Standin.h"
#include "app/PrivateClipboard.h"
#include "engine/DeadlineEngine.h"
#include "engine/word/FindText.h"
#include "fakes/FakeDialogs.h"
#include "generate/EngineCheck.h"
#include "generate/FillPasses.h"
#include "generate/Generation.h"
#include "generate/MakeNewsletter.h"
#include "newsletter/DateTexts.h"
#include "newsletter/FieldTable.h"
#include "support/Isolated.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace brindlecast {
namespace {

using namespace std::chrono_literals;
using engine::EngineError;

const QString IssueDate = QStringLiteral("December 9, 2026");

// A value of `length` UTF-16 units full of what Word would read as codes: carets, "^p", "^&",
// and emoji (surrogate pairs), never ending in half a pair.
QString hostile(int length) {
    QString value;
    while (value.size() < length)
        value += QStringLiteral("^p a^^b \U0001F600^&c^");
    value.truncate(length);
    if (value.back().isHighSurrogate())
        value.back() = QLatin1Char('z');
    return value;
}

// The stand-in's saved document: each story's and each shape's text ("" for a shape without).
struct Saved {
    explicit Saved(const QString& path) {
        const QJsonObject root = testing::StandinSaved(path);
        fileFormat = root["fileFormat"].toInt(-1);
        macros = root["vbaProject"].toBool(true);
        title = root["properties"].toObject()["Title"].toString();
        for (const auto& story : root["stories"].toArray())
            stories[story.toObject()["type"].toInt()] = story.toObject()["text"].toString();
        for (const auto& shape : root["shapes"].toArray())
            shapes << shape.toObject()["text"].toString();
    }
    QStringList texts() const {
        QStringList all = shapes;
        for (const auto& [type, text] : stories)
            all << text;
        return all;
    }
    int fileFormat;
    bool macros;
    QString title;
    std::map<int, QString> stories;
    QStringList shapes;
};

class WordEngineTest : public testing::Isolated {
protected:
    WordEngineTest() {
        for (int i = 0; i < FieldCount; ++i)
            values[size_t(i)] = QStringLiteral("Value %1").arg(i);
        writeAll(templatePath, testing::Word97Template());
    }

    // The three passes of a run over the template, saved where the test reads it;
    // `afterStories` looks at the document after the story pass.
    Saved fill(const QString& title = QStringLiteral("Harbor News"),
               const std::function<void(engine::Document&)>& afterStories = {}) {
        auto application = engine.createApplication();
        engine::Document& document = application->open(templatePath, true);
        const auto value = [this](int i) { return values[size_t(i)]; };
        StoryPass(document, value);
        if (afterStories)
            afterStories(document);
        IssueDatePass(*application, IssueDate);
        ShapePass(document, value, IssueDate);
        document.setTitle(title);
        document.saveAs(savedPath);
        application->quit();
        return Saved(savedPath);
    }
    GenerationInput input() {
        return {1, [this](int i) { return values[size_t(i)]; },
                [] { return QDateTime(QDate(2026, 12, 9), QTime(9, 30)); }};
    }

    testing::Standin standin{root("standin")};
    PrivateClipboard clipboard;
    engine::word::WordEngine engine{clipboard};
    engine::DeadlineEngine deadline{engine, {20s, {}, {}}};
    fakes::FakeMessageBoxes boxes;
    fakes::FakeRandom random;
    Generation generation{deadline, boxes, clipboard, random, [] {}};
    std::array<QString, FieldCount> values;
    QString templatePath = temp("template.dot");
    QString savedPath = root("saved.doc");
};

TEST_F(WordEngineTest, FillsEveryStoryAndShapeAndTheIssueDateThroughTheMainText) {
    const Saved saved = fill(QStringLiteral("Harbor News"), [](engine::Document& document) {
        // Word's own view of the stories, through the range members.
        std::vector<int> kinds;
        for (engine::Range* story : document.storyRanges())
            kinds.push_back(story->storyType());
        EXPECT_EQ(kinds, (std::vector<int>{1, 5, 7, 9, 10}));
        engine::Range& main = *document.storyRanges()[0];
        EXPECT_TRUE(main.text().startsWith("Value 0\nValue 1\nIssue of [IssueDate]\n"
                                           "[Edition Value 2, Volume Value 3]\nFrom\n"));
        ASSERT_EQ(main.tableTexts().size(), 1u);
        EXPECT_EQ(main.tableTexts()[0], "From\nValue 4\nValue 5\nValue 6\nValue 7\n"
                                        "Phone Value 8, fax Value 9\nValue 10\nValue 11");
    });
    EXPECT_EQ(saved.fileFormat, 0);
    EXPECT_EQ(saved.title, "Harbor News");
    for (const QString& text : saved.texts())
        for (int i = 0; i < FieldCount; ++i)
            EXPECT_FALSE(text.contains(FieldTag(i), Qt::CaseInsensitive)) << text.toStdString();
    const QString main = saved.stories.at(1);
    EXPECT_TRUE(main.contains("Issue of " + IssueDate + "\r")) << main.toStdString();
    EXPECT_TRUE(main.contains("Printed on " + IssueDate + " for the Value 16 issue."));
    EXPECT_TRUE(main.contains("in place of [style]. By [Article Author]."));
    // The issue date reaches the main text and the shapes only.
    EXPECT_EQ(saved.stories.at(10), "Value 0 - [ISSUEDATE] - Value 3\r");
    EXPECT_EQ(saved.shapes,
              (QStringList{
                  "Value 0\r" + IssueDate + " - No. Value 2, Vol. Value 3\r",
                  "Value 5 / Value 5 / Value 13\rValue 4 Value 10\r" + IssueDate + "\r", "",
                  "[Article Author]\rValue 16 " + IssueDate + "\rValue 12, Value 14, Value 15\r"}));
    // Every interface went before Word's grace after its quit ran out.
    EXPECT_EQ(standin.exits(), QStringList(standin.pids().size(), "* exit: after Quit"));
}

TEST_F(WordEngineTest, LongValuesAndCaretsGoInWholeAndVerbatim) {
    const auto pieces = engine::word::ReplacementPieces(hostile(1000));
    ASSERT_GT(pieces.size(), 4u);
    for (const QString& piece : pieces) {
        EXPECT_LE(piece.size() + engine::word::ChainMarker(0).size(), 255);
        EXPECT_FALSE(piece.back().isHighSurrogate());
        EXPECT_EQ(QString(piece).remove("^^").count('^'), 0) << piece.toStdString();
    }
    values[0] = hostile(255);
    values[4] = hostile(256);
    values[12] = hostile(1000);
    values[6] = "^";
    const Saved saved = fill(hostile(255));
    const QString main = saved.stories.at(1);
    EXPECT_TRUE(main.startsWith(values[0] + "\rValue 1\r")) << main.toStdString();
    EXPECT_TRUE(main.contains("From\r\a" + values[4] + "\r\a\r\aValue 5\r\a^\r\a"));
    EXPECT_TRUE(main.contains("To\r" + values[12] + "\r"));
    EXPECT_EQ(saved.stories.at(7), values[0] + " | Value 1 | No. Value 2\r");
    EXPECT_TRUE(saved.shapes[1].contains("\r" + values[4] + " Value 10\r"));
    EXPECT_TRUE(saved.shapes[3].endsWith("\r" + values[12] + ", Value 14, Value 15\r"));
    EXPECT_EQ(saved.title, hostile(255));
    for (const QString& text : saved.texts())
        EXPECT_FALSE(text.contains(engine::word::ChainMarker(0).left(1)));
    // No text longer than Word takes was ever handed to it.
    static const QRegularExpression shortened(QStringLiteral("\"\\((\\d+)\\)"));
    for (const QString& call : standin.calls().filter(QRegularExpression("^(Find|Replacement)")))
        for (const auto& match : shortened.globalMatch(call))
            EXPECT_LE(match.captured(1).toInt(), 255) << call.toStdString();
}

// A logged call as its member, kind of access and argument types, with the texts left out.
QString signature(const QString& call) {
    static const QRegularExpression text(QStringLiteral(R"(BSTR:"(?:[^"\\]|\\.)*"(?:\(\d+\))?)"));
    return QString(call.section(QStringLiteral(" -> "), 0, 0))
        .replace(text, QStringLiteral("BSTR"));
}

// One literal replace-all on a range's find, each step fetching the find afresh.
QStringList replaceAll(const QString& find) {
    const QString flag = QStringLiteral("Find.%1 put BOOL:%2");
    return {find,
            "Find.ClearFormatting call",
            find,
            "Find.Replacement get",
            "Replacement.ClearFormatting call",
            find,
            "Find.Text put BSTR",
            "Find.Replacement get",
            "Replacement.Text put BSTR",
            flag.arg("Forward", "true"),
            "Find.Wrap put I4:1",
            flag.arg("Format", "false"),
            flag.arg("MatchCase", "false"),
            flag.arg("MatchWholeWord", "false"),
            flag.arg("MatchWildcards", "false"),
            flag.arg("MatchSoundsLike", "false"),
            flag.arg("MatchAllWordForms", "false"),
            find,
            "Find.Execute call Replace=I2:2"};
}

TEST_F(WordEngineTest, OneGenerationMakesExactlyTheAutomationCallsOfTheRun) {
    const GenerationOutcome outcome = generation.run(input());
    ASSERT_TRUE(boxes.shown.empty()) << boxes.shown[0].prompt.toStdString();
    ASSERT_TRUE(outcome.pictureMade);

    // Each Word is told first that it may ask nothing, and has its macros switched off and
    // Protected View kept out of the way before it opens anything: a document's own macros
    // never run. What it opens leaves no trace in the user's Recent list and no window.
    const QStringList start{"Application.DisplayAlerts put I4:0",
                            "Application.AutomationSecurity put I4:3",
                            "Application.FileValidation put I4:1", "Application.Documents get"};
    const QString quietly = " AddToRecentFiles=BOOL:false Visible=BOOL:false";
    // Quit only a Word that holds nothing of anyone else's and that nobody has come to use,
    // with nothing to ask about.
    const QStringList quit{"Application.Documents get",
                           "Documents.Count get",
                           "Application.Visible get",
                           "Application.UserControl get",
                           "Application.NormalTemplate get",
                           "Template.Saved put BOOL:true",
                           "Application.Quit call SaveChanges=I2:0"};
    QStringList expected = start;
    expected << "Documents.Open call BSTR ReadOnly=BOOL:true" + quietly;
    for (int field = 0; field < FieldCount; ++field) {
        expected << "Document.StoryRanges get"
                 << "StoryRanges._NewEnum call";
        for (int story = 0; story < 5; ++story)
            expected << replaceAll("Range.Find get");
    }
    // The date goes into the main text of the document opened, never through Word's own
    // Selection, which follows whatever document the user opens in this Word.
    expected << "Document.Range call" << replaceAll("Range.Find get");
    expected << "Document.Shapes get"
             << "Shapes._NewEnum call";
    const QString shapeExecute =
        "Find.Execute call BSTR" + QString(" ERROR:PARAMNOTFOUND").repeated(8) + " BSTR I2:2";
    for (bool text : {true, true, false, true}) {
        expected << "Shape.TextFrame get"
                 << "TextFrame.HasText get";
        for (int i = 0; text && i <= FieldCount; ++i)
            expected << "Shape.TextFrame get"
                     << "TextFrame.TextRange get"
                     << "Range.Find get" << shapeExecute;
    }
    expected << "Document.BuiltInDocumentProperties get"
             << "DocumentProperties.Item get BSTR"
             << "DocumentProperty.Value put BSTR"
             << "Document.HasVBProject get"
             << "Document.SaveAs call BSTR FileFormat=I4:0"
             << "Application.DisplayAlerts put I4:0"
             << "Document.Close call" << quit;
    // The picture, through a Word of its own.
    expected << start << "Documents.Open call BSTR" + quietly << "Document.Range call"
             << "Range.CopyAsPicture call"
             << "Document.Close call SaveChanges=I2:0" << quit;

    const QStringList calls = standin.calls();
    QStringList made;
    for (const QString& call : calls)
        if (!call.startsWith("* "))
            made << signature(call);
    // The first call that differs, rather than two lists of thousands.
    const qsizetype common = std::min(made.size(), expected.size());
    qsizetype first = 0;
    while (first < common && made[first] == expected[first])
        ++first;
    EXPECT_EQ(first, expected.size())
        << "call " << first << " of " << made.size() << ": "
        << made.value(first, "(none)").toStdString() << " where "
        << expected.value(first, "(none)").toStdString() << " belongs";
    EXPECT_EQ(made.size(), expected.size());
    EXPECT_EQ(calls.filter("* exit:"), QStringList(2, "* exit: after Quit"));
    EXPECT_EQ(standin.pids().size(), 2u);
    EXPECT_EQ(calls.filter("Documents.Open").join('\n').count("\\\\"), 2 * temp().count('/') + 2);
    EXPECT_EQ(calls.filter("Item get"),
              QStringList{"DocumentProperties.Item get BSTR:\"Title\" -> ok DISPATCH"});
}

TEST_F(WordEngineTest, ANewsletterMadeWithoutAWindowLeavesWordNothingToAsk) {
    // A PDF is an export: the filled document still counts as changed afterwards.
    const auto value = [this](int i) { return values[size_t(i)]; };
    MakeNewsletterFile(deadline, {templatePath, FieldSpan{}, value, IssueDate, value(TitleField),
                                  root("news.pdf"), engine::SaveFormat::Pdf});
    EXPECT_EQ(Saved(root("news.pdf")).fileFormat, 17);
    // The stand-in notes with "!" every question a hidden Word would wait on for ever.
    EXPECT_EQ(standin.calls().filter(QRegularExpression("^! ")), QStringList());
    EXPECT_TRUE(standin.calls().contains("Document.Close call SaveChanges=I2:0 -> ok"));
}

// Word at its strictest, all at once: busy at first, its own form of every member, a line
// without a text frame, an add-in's change to Normal.dotm, a template with a macro project. The
// start-up check, the window's run and every format of the command line still go through, with
// nothing asked, no macro in any newsletter and nothing left.
TEST_F(WordEngineTest, AWordAsStrictAsWordMakesEveryNewsletterAndLeavesNothingBehind) {
    standin.play(testing::StrictWord);
    EXPECT_TRUE(CheckWordInstalled(deadline, boxes, [] {}));
    const GenerationOutcome outcome = generation.run(input());
    ASSERT_TRUE(boxes.shown.empty()) << boxes.shown[0].prompt.toStdString();
    EXPECT_TRUE(outcome.pictureMade);
    // A document, not the look's template under a .doc name.
    EXPECT_EQ(Saved(outcome.workingDocument).fileFormat, 0);
    EXPECT_EQ(Saved(outcome.workingDocument).title, "Value 0");

    // A template of the user's own with a macro project, as the command line takes one.
    writeAll(templatePath, testing::Word97Template(true));
    const auto value = [this](int i) { return values[size_t(i)]; };
    using engine::SaveFormat;
    for (SaveFormat format :
         {SaveFormat::Doc, SaveFormat::Docx, SaveFormat::Pdf, SaveFormat::Odt}) {
        const QString made = root(QStringLiteral("news-%1").arg(int(format)));
        QStringList told;
        MakeNewsletterFile(deadline,
                           {templatePath, FieldSpan{}, value, IssueDate, value(TitleField), made,
                            format, [&](const QString& why) { told << why; }});
        const Saved saved(made);
        EXPECT_EQ(saved.fileFormat, int(format));
        EXPECT_FALSE(saved.macros) << int(format);
        EXPECT_EQ(saved.title, "Value 0");
        EXPECT_EQ(told, QStringList());
        for (const QString& text : saved.texts())
            EXPECT_FALSE(text.contains(FieldTag(1), Qt::CaseInsensitive)) << text.toStdString();
    }
    EXPECT_EQ(testing::StandinSaved(root("news-17"))["export"].toObject(),
              QJsonObject({{"includeDocProps", true},
                           {"docStructureTags", true},
                           {"bitmapMissingFonts", true},
                           {"optimizeFor", 0}}));

    const QStringList calls = standin.calls();
    EXPECT_EQ(calls.filter(QRegularExpression("^! ")), QStringList());
    // The .doc and the .odt went through a .docx; the .docx and the PDF hold none anyway.
    EXPECT_EQ(calls.filter("Document.HasVBProject get -> ok BOOL:true").size(), 2);
    // Every Word turned its first calls away, and still quit when asked.
    EXPECT_EQ(calls.filter("* busy: call 3 rejected").size(), standin.pids().size());
    EXPECT_EQ(standin.exits(), QStringList(standin.pids().size(), "* exit: after Quit"));
    EXPECT_EQ(QDir(temp()).entryList({"brindlecast-*"}, QDir::Dirs | QDir::Hidden), QStringList());
}

} // namespace
} // namespace brindlecast
