// The formats made by conversion, from each look's newsletter with the sample values, through
// the real engine and the preview's conversion, checked with readers of their own.
#include "EngineTestSupport.h"
#include "engine/GenerationPasses.h"
#include "fakes/FakeDialogs.h"
#include "generate/Generation.h"
#include "generate/SaveCopy.h"
#include "generate/TemplateStore.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace brindlecast {
namespace {

using namespace testing;

// Upper case and without blanks: spaced-out capitals come out of a PDF as single letters.
QString squeezed(QString text) {
    return text.remove(QRegularExpression(QStringLiteral("\\s|\uFFFC"))).toUpper();
}

struct Newsletter {
    QString document;
    QStringList values; // those the look shows
    size_t shapes = 0;
};

// Every text the engine reads in the file, and how many shapes it has.
QString engineText(const QString& path, size_t& shapes) {
    const auto application = sharedEngine().createApplication();
    Document& document = application->open(path, true);
    const QString text = squeezed(documentTexts(document).join(QString()));
    shapes = document.shapes().size();
    application->quit();
    return text;
}

void expectValues(const Newsletter& newsletter, const QString& text, const char* where) {
    for (const QString& value : newsletter.values)
        EXPECT_TRUE(text.contains(squeezed(value))) << value.toStdString() << " not in " << where;
}

bool onePage(const QString& pdf) {
    return toolOutput("pdfinfo", {pdf}).contains(QRegularExpression("Pages: +1\n"));
}

class SaveFormats : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        environment = std::make_unique<PrivateFolders>();
        fakes::FakeMessageBoxes boxes;
        fakes::FakeRandom random;
        Generation generation(sharedEngine(), boxes, sharedClipboard(), random, [] {});
        const auto value = [](int i) { return i == MonthYearField ? "Dec 2026" : SampleValue(i); };
        GenerationInput input{1, value, [] { return QDateTime(QDate(2026, 12, 8), QTime(9, 0)); }};
        for (input.look = 1; input.look <= LookCount; ++input.look) {
            Newsletter newsletter{generation.run(input).workingDocument, {}, 0};
            const QString text = engineText(newsletter.document, newsletter.shapes);
            for (int i = 0; i < FieldCount; ++i)
                if (text.contains(squeezed(value(i))))
                    newsletter.values << value(i);
            newsletters.push_back(newsletter);
        }
        ASSERT_TRUE(boxes.shown.empty()) << boxes.shown[0].prompt.toStdString();
    }
    static void TearDownTestSuite() { environment.reset(); }

    static QString convert(const Newsletter& newsletter, SaveFormat format, const char* name) {
        const QString target = environment->root(QString::fromLatin1(name));
        SaveConverted(sharedEngine(), newsletter.document, target, format);
        return target;
    }

    static inline std::unique_ptr<PrivateFolders> environment;
    static inline std::vector<Newsletter> newsletters;
};

TEST_F(SaveFormats, PdfIsOneTaggedPageWithTheValuesTheTitleAndEveryFontEmbedded) {
    for (const Newsletter& newsletter : newsletters) {
        SCOPED_TRACE(newsletter.values.join(", ").toStdString());
        EXPECT_GE(newsletter.values.size(), 9);
        const QString pdf = convert(newsletter, SaveFormat::Pdf, "news.pdf");
        const QString text = squeezed(toolOutput("pdftotext", {pdf, "-"}));
        expectValues(newsletter, text, "the PDF");
        EXPECT_FALSE(text.contains(squeezed(IssueDateTag())));
        for (const QString& tag : fieldTags())
            EXPECT_FALSE(text.contains(squeezed(tag))) << tag.toStdString();
        const QString info = toolOutput("pdfinfo", {pdf});
        EXPECT_TRUE(onePage(pdf));
        EXPECT_TRUE(info.contains(QRegularExpression("Tagged: +yes\n"))) << info.toStdString();
        EXPECT_TRUE(info.contains(QRegularExpression("Title: +Quillmark Newsletter\n")));
        // One line per font below two heading lines. Font types hold blanks, so "emb" is
        // counted from the right: emb, sub, uni and the object's two numbers.
        const QStringList fonts = toolOutput("pdffonts", {pdf}).split('\n', Qt::SkipEmptyParts);
        ASSERT_GT(fonts.size(), 2);
        for (const QString& font : fonts.mid(2)) {
            const QStringList columns = font.split(' ', Qt::SkipEmptyParts);
            EXPECT_EQ(columns.value(columns.size() - 5), "yes") << font.toStdString();
        }
    }
}

// The engine reads each file back with every value and the same shapes on one page, and the
// file's own XML holds the values.
TEST_F(SaveFormats, DocxAndOdtReopenWithEveryValueAndTheSamePage) {
    const struct {
        SaveFormat format;
        const char* name;
        QStringList parts;
    } formats[] = {{SaveFormat::Docx, "news.docx", {"word/document.xml", "word/header*.xml"}},
                   {SaveFormat::Odt, "news.odt", {"content.xml", "styles.xml"}}};
    for (const auto& [format, name, parts] : formats)
        for (const Newsletter& newsletter : newsletters) {
            SCOPED_TRACE(name + (": " + newsletter.values.join(", ").toStdString()));
            const QString target = convert(newsletter, format, name);
            size_t shapes = 0;
            expectValues(newsletter, engineText(target, shapes), "the reopened file");
            EXPECT_EQ(shapes, newsletter.shapes);
            QString xml = toolOutput("unzip", QStringList{"-p", target} + parts);
            expectValues(newsletter, squeezed(xml.remove(QRegularExpression("<[^>]*>"))), "XML");
            const QString pdf = target + QStringLiteral(".pdf");
            SaveConverted(sharedEngine(), target, pdf, SaveFormat::Pdf);
            EXPECT_TRUE(onePage(pdf));
        }
}

} // namespace
} // namespace brindlecast
