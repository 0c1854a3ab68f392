#include "EngineTestSupport.h"
#include "engine/GenerationPasses.h"

#include <QFileInfo>
#include <algorithm>
#include <gtest/gtest.h>

namespace brindlecast {
namespace {

using namespace engine;
using namespace testing;

// Word's replace-all on each text, field by field in index order, the issue date in the main
// text only (the selection's story).
QStringList expectedTexts(QStringList texts, const FieldValues& values, const QString& issueDate) {
    for (qsizetype i = 0; i < texts.size(); ++i) {
        for (std::size_t field = 0; field < values.size(); ++field)
            texts[i].replace(fieldTags()[field], values[field], Qt::CaseInsensitive);
        if (i == 0)
            texts[i].replace(IssueDateTag(), issueDate, Qt::CaseInsensitive);
    }
    texts.sort();
    return texts;
}

struct FilledNewsletter {
    QStringList templateTexts;
    QStringList texts; // read back from the saved file
    QString docPath;
};

// Fills the test template as the generation does, saves it, and reads the result back.
FilledNewsletter fillAndReopen(const PrivateFolders& environment, const FieldValues& values,
                               const QString& issueDate) {
    FilledNewsletter result;
    result.docPath = environment.root(QStringLiteral("newsletter.doc"));
    const auto application = sharedEngine().createApplication();
    Document& document = application->open(newsletterTemplatePath(), true);
    result.templateTexts = documentTexts(document);
    runGenerationPasses(*application, document, values, issueDate);
    document.saveAs(result.docPath);
    document.close();
    Document& saved = application->open(result.docPath, true);
    result.texts = documentTexts(saved);
    result.texts.sort();
    application->quit();
    return result;
}

bool anyContains(const QStringList& texts, const QString& part) {
    return std::any_of(texts.begin(), texts.end(),
                       [&](const QString& text) { return text.contains(part); });
}

class WriterEngineFill : public ::testing::Test {
protected:
    PrivateFolders environment;
};

TEST_F(WriterEngineFill, SampleValuesReachEveryStoryAndShapeOfTheSavedDocument) {
    FieldValues values = {"Harbor Lights",
                          "News from the waterfront",
                          "12",
                          "3",
                          "Nora Quill of [COMPANYNAME2]",
                          "Brindle Works",
                          "14 Wharf Road",
                          "Port Ellen PA42 7AA",
                          "01496 302010",
                          "01496 302011",
                          "nora@brindle.example",
                          "www.brindle.example",
                          "Ivo Marsh",
                          "Marsh Supplies",
                          "2 Dock Lane",
                          "Kelso TD5 7AB",
                          "December 2026"};
    const FilledNewsletter filled =
        fillAndReopen(environment, values, QStringLiteral("1 December 2026"));

    EXPECT_EQ(filled.texts,
              expectedTexts(filled.templateTexts, values, QStringLiteral("1 December 2026")));
    for (const QString& text : filled.texts) {
        for (const QString& tag : fieldTags())
            EXPECT_FALSE(text.contains(tag, Qt::CaseInsensitive))
                << tag.toStdString() << " left in " << text.toStdString();
        EXPECT_FALSE(text.contains(IssueDateTag(), Qt::CaseInsensitive));
    }
    // Spellings differ from the tags; a longer tag is not a shorter one's hit; a value holding
    // a later field's tag gets that field's value.
    EXPECT_TRUE(anyContains(filled.texts,
                            "From Nora Quill of Marsh Supplies at Brindle Works, 14 Wharf Road,"));
    EXPECT_TRUE(anyContains(filled.texts, "Fax 01496 302011\nMarsh Supplies\n"));
    EXPECT_TRUE(anyContains(filled.texts, "[Edition 12, Volume 3] - 1 December 2026"));
    EXPECT_TRUE(anyContains(filled.texts, "By [Article Author]"));
    EXPECT_TRUE(anyContains(filled.texts, "Harbor Lights - page ")); // header, after its field
    EXPECT_TRUE(
        anyContains(filled.texts, "Sent by Nora Quill of Marsh Supplies of Brindle Works."));
    EXPECT_TRUE(anyContains(filled.texts, "Kelso TD5 7AB 12")); // drawing shape

    const QString independent = independentText(filled.docPath);
    for (const QString& value : values)
        EXPECT_TRUE(independent.contains(value.section(QLatin1Char('['), 0, 0).trimmed()))
            << value.toStdString();
    EXPECT_TRUE(independent.contains("1 December 2026"));
    EXPECT_TRUE(independent.contains("[Article Author]"));
    EXPECT_FALSE(independent.contains("[NLTITLE]", Qt::CaseInsensitive));
    EXPECT_FALSE(independent.contains("[COMPANYNAME", Qt::CaseInsensitive));
}

TEST_F(WriterEngineFill, AwkwardValuesAreInsertedLiterally) {
    const QString emoji = QString::fromUtf8("Fish & Chips \xF0\x9F\x8E\x89\xF0\x9F\x93\xB0");
    const QString hebrew = QString::fromUtf8("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D 3");
    const QString arabic = QString::fromUtf8("\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7 12");
    QString longValue;
    while (longValue.size() < 40000)
        longValue += QString::fromUtf8("Long\xE2\x82\xAC text ");
    FieldValues values = {emoji,
                          "$1 and \\1 and ^p and ^& and $&",
                          "",
                          hebrew,
                          longValue,
                          "Smith\\Jones & Sons",
                          arabic,
                          "C:\\news\\[x]",
                          "%1 %2",
                          "^t^13",
                          "a.b@example",
                          "(.*)",
                          "Line one\nLine two",
                          "",
                          "Street\nTwo",
                          "Town\nShire",
                          QString::fromUtf8("D\xC3\xA9"
                                            "cembre \xF0\x9F\x8E\x84")};
    const FilledNewsletter filled = fillAndReopen(environment, values, QStringLiteral("$0"));

    // The saved file turns line breaks into its own line-break character and back, and splits a
    // drawing shape's paragraph at one; either way it reads back as a new line.
    EXPECT_EQ(filled.texts, expectedTexts(filled.templateTexts, values, QStringLiteral("$0")));
    EXPECT_TRUE(anyContains(filled.texts, emoji + QStringLiteral(" - page ")));
    EXPECT_TRUE(anyContains(filled.texts, QStringLiteral("[Edition , Volume ") + hebrew +
                                              QStringLiteral("] - $0")));
    EXPECT_TRUE(anyContains(filled.texts, QStringLiteral("From ") + longValue +
                                              QStringLiteral(" at Smith\\Jones & Sons, ")));
    EXPECT_TRUE(anyContains(filled.texts, "Town\nShire "));

    const QString independent = independentText(filled.docPath);
    for (const char* literal : {"$1 and \\1 and ^p and ^& and $&", "Smith\\Jones & Sons",
                                "C:\\news\\[x]", "^t^13", "(.*)"})
        EXPECT_TRUE(independent.contains(QString::fromUtf8(literal))) << literal;
    EXPECT_TRUE(independent.contains(hebrew));
    EXPECT_TRUE(independent.contains(longValue.left(1000)));
}

} // namespace
} // namespace brindlecast
