#include "EngineTestSupport.h"
#include "engine/GenerationPasses.h"

#include <QFile>
#include <gtest/gtest.h>
#include <map>

namespace brindlecast {
namespace {

using namespace engine;
using namespace testing;

class WriterEngineSession : public ::testing::Test {
protected:
    PrivateFolders environment;
};

TEST_F(WriterEngineSession, FindSettingsPersistAndSelectMatching) {
    const auto application = sharedEngine().createApplication();
    Document& document = application->open(newsletterTemplatePath(), true);
    const std::vector<Range*> stories = document.storyRanges();
    ASSERT_GE(stories.size(), 4u); // main text, header, footnote, first text box
    EXPECT_EQ(document.storyRanges(), stories)
        << "ranges must persist, with their copies of the text";
    Range& main = *stories[0];

    Find& find = main.find();
    find.setMatchCase(true);
    find.execute(QStringLiteral("[SENDERNAME]"), QStringLiteral("Ann"), Replace::All);
    EXPECT_TRUE(writer::rangeText(main).contains("From [Sendername] at"));
    // The setting stays until changed; the text and replacement given to execute stay too.
    find.setMatchCase(false);
    find.execute(Replace::All);
    EXPECT_TRUE(writer::rangeText(main).contains("From Ann at"));

    find.execute(QStringLiteral("[ISSUENO]"), QStringLiteral("7"), Replace::None);
    EXPECT_TRUE(writer::rangeText(main).contains("[Edition [ISSUENO], Volume"));
    find.execute(QStringLiteral("[ISSUENO]"), QStringLiteral("7"), Replace::One);
    EXPECT_TRUE(writer::rangeText(main).contains("[Edition 7, Volume"));

    // The selection covers the main text only.
    application->selection().find().execute(QStringLiteral("[NLTITLE]"), QStringLiteral("Title"),
                                            Replace::All);
    EXPECT_TRUE(writer::rangeText(main).startsWith("Title\n"));
    bool headerUntouched = false;
    for (Range* story : stories)
        headerUntouched =
            headerUntouched || writer::rangeText(*story).startsWith("[NLTITLE] - page ");
    EXPECT_TRUE(headerUntouched);
    EXPECT_EQ(&application->activeDocument(), &document);

    find.setMatchWildcards(true);
    EXPECT_THROW(find.execute(QStringLiteral("[A-Z]@"), QString(), Replace::All), EngineError);
    find.setMatchWildcards(false);

    // A drawing shape's own text is counted in UTF-16 units, unlike Writer text: a value with
    // characters outside the basic plane must not shift the next replacement.
    for (Shape* shape : document.shapes()) {
        if (!shape->hasText() ||
            !writer::rangeText(shape->textRange()).startsWith("[NLTITLE] [MONTHYEAR]"))
            continue;
        Find& shapeFind = shape->textRange().find();
        shapeFind.execute(QStringLiteral("[NLTITLE]"),
                          QString::fromUtf8("\xF0\x9F\x8E\x89\xF0\x9F\x8E\x89!"), Replace::All);
        shapeFind.execute(QStringLiteral("[MONTHYEAR]"), QStringLiteral("May"), Replace::All);
        EXPECT_EQ(writer::rangeText(shape->textRange()),
                  QString::fromUtf8("\xF0\x9F\x8E\x89\xF0\x9F\x8E\x89! May\n"));
    }
    application->quit();
    EXPECT_THROW(document.storyRanges(), EngineError);
}

TEST_F(WriterEngineSession, StoriesSayWhatTheyAreAndWhatTheyHold) {
    const auto application = sharedEngine().createApplication();
    Document& document = application->open(newsletterTemplatePath(), true);
    std::map<int, QString> byType;
    for (Range* story : document.storyRanges())
        byType[story->storyType()] += story->text();
    EXPECT_TRUE(byType[1].startsWith("[NLTITLE]\n[NLSUBTITLE]")) << byType[1].toStdString();
    EXPECT_TRUE(byType[1].contains("Fax [FAXNO]\n[COMPANYNAME2]")); // the table is text too
    EXPECT_TRUE(byType[2].contains("Sent by [SENDERNAME]"));
    EXPECT_TRUE(byType[7].startsWith("[NLTITLE] - page "));
    EXPECT_TRUE(byType[5].startsWith("To [RECIPIENTNAME]\n"));
    EXPECT_EQ(document.storyRanges()[0]->tableTexts(),
              std::vector<QString>{"Fax [FAXNO]\n[COMPANYNAME2]"});
    for (Shape* shape : document.shapes()) {
        EXPECT_EQ(shape->textRange().storyType(), 5);
        EXPECT_TRUE(shape->textRange().tableTexts().empty());
    }
    application->quit();
}

TEST_F(WriterEngineSession, FailuresAreEngineErrors) {
    const auto application = sharedEngine().createApplication();
    try {
        application->open(environment.root("missing.dot"), true);
        FAIL() << "opened a missing file";
    } catch (const EngineError& error) {
        EXPECT_NE(std::string(error.what()).find("Cannot open the document"), std::string::npos);
    }
    EXPECT_THROW(application->activeDocument(), EngineError);
    Document& document = application->open(newsletterTemplatePath(), true);
    // A file stands where the folder would have to be.
    QFile blocker(environment.root("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_THROW(document.saveAs(environment.root("blocker/out.doc")), EngineError);
    application->quit();
}

TEST_F(WriterEngineSession, PageOneGoesToTheClipboardAtTheAskedSize) {
    const auto application = sharedEngine().createApplication();
    Document& document = application->open(newsletterTemplatePath(), true);
    sharedClipboard().setPicture(QImage());
    document.range().copyAsPicture();
    const std::optional<QImage> picture = sharedClipboard().picture(0);
    ASSERT_TRUE(picture.has_value());
    // 580 logical pixels at scale 2, an A4 page's proportions, 192 dpi recorded.
    EXPECT_EQ(picture->size(), QSize(1160, 1640));
    EXPECT_EQ(picture->dotsPerMeterX(), 7559);
    EXPECT_EQ(picture->dotsPerMeterY(), 7559);

    // Text starts at the 2 cm margin: the top left quarter, inside the margins, has ink; the
    // margin itself has none.
    const QImage image = picture->convertToFormat(QImage::Format_Grayscale8);
    const auto darkPixels = [&image](const QRect& area) {
        int dark = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                dark += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
        return dark;
    };
    const int margin = 1160 * 20 / 210; // 2 cm of 21 cm
    EXPECT_GT(darkPixels(QRect(margin, margin, 580 - margin, 820 - margin)), 500);
    EXPECT_EQ(darkPixels(QRect(0, 0, margin - 8, 1640)), 0);
    application->quit();
}

} // namespace
} // namespace brindlecast
