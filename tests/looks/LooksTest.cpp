// The four looks, through the real engine: what each template carries where, and what a
// generation run with the sample data makes of it.
#include "app/FileHelpers.h"
#include "app/PrivateClipboard.h"
#include "engine/writer/WriterEngine.h"
#include "fakes/FakeDialogs.h"
#include "generate/Generation.h"
#include "generate/TemplateStore.h"
#include "generate/WorkingFiles.h"
#include "newsletter/FieldTable.h"
#include "support/Isolated.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QThread>
#include <csignal>
#include <map>
#include <memory>
#include <sys/wait.h>
#include <utility>

namespace brindlecast {
namespace {

using engine::writer::rangeText;
using engine::writer::WriterEngine;

PrivateClipboard& clipboard() {
    static PrivateClipboard clipboard;
    return clipboard;
}

// One engine for the test program, with its profile in a folder of its own that outlives every
// test's temporary folder, ended (and its folder removed) when the tests are over.
class EngineEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        const QByteArray saved = qgetenv("TEMP");
        qputenv("TEMP", QFile::encodeName(mFolder.path()));
        engine = std::make_unique<WriterEngine>(clipboard());
        engine->createApplication()->quit();
        qputenv("TEMP", saved);
    }
    void TearDown() override { engine.reset(); }
    static inline std::unique_ptr<WriterEngine> engine;

private:
    QTemporaryDir mFolder;
};
const auto* const registered = ::testing::AddGlobalTestEnvironment(new EngineEnvironment);

WriterEngine& sharedEngine() {
    return *EngineEnvironment::engine;
}

const char* const LookFiles[] = {"classic", "executive", "professional", "elegant"};

struct Inventory {
    QSet<QString> mainText, headers, textBoxes;
};

// Placeholders and other bracketed words, spelled as the template spells them.
QSet<QString> bracketed(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("\\[[^\\[\\]]*\\]"));
    QSet<QString> found;
    for (auto it = pattern.globalMatch(text); it.hasNext();)
        found.insert(it.next().captured());
    return found;
}

QSet<QString> set(std::initializer_list<const char*> words) {
    QSet<QString> result;
    for (const char* word : words)
        result.insert(QString::fromUtf8(word));
    return result;
}

const std::map<int, Inventory>& expectedInventories() {
    static const std::map<int, Inventory> inventories{
        {1,
         {set({"[NLTitle]", "[NLSubtitle]", "[IssueDate]", "[StreetAddress]", "[CitySTZIP]",
               "[RecipientName]", "[StreetAddress2]", "[CitySTZIP2]", "[style]"}),
          set({"[nlTitle]", "[nlSubtitle]", "[Issueno]", "[IssueNo]"}), set({"[Article Author]"})}},
        {2,
         {{},
          {},
          set({"[NLTitle]", "[CompanyName]", "[IssueDate]", "[IssueNo]", "[VolNo]", "[SenderName]",
               "[StreetAddress]", "[RecipientName]", "[CompanyName2]", "[StreetAddress2]"})}},
        {3,
         {{},
          {},
          set({"[Monthyear]", "[SENDERNAME]", "[Sendername]", "[StreetAddress]", "[CitySTZip]",
               "[OfficeNo]", "[FaxNo]", "[EmailAddress]", "[Website]", "[Volno]", "[ISSUENO]",
               "[NLTitle]"})}},
        {4,
         {{},
          {},
          set({"[StreetAddress]", "[CitySTZip]", "[OfficeNo]", "[FaxNo]", "[Website]",
               "[Companyname]", "[cOMPANYNAME]", "[NLTitle]", "[VolNo]", "[ISSUENO]", "[IssueDate]",
               "[Companyname2]", "[StreetAddress2]", "[CitySTZip2]"})}},
    };
    return inventories;
}

// Every text of a document, by part: the main text is the first story, the other stories are
// headers and footers (the looks have no notes), and the shapes are the text boxes.
struct Texts {
    QString mainText, headers, textBoxes;
    QString all() const { return mainText + headers + textBoxes; }
};

Texts readTexts(const QString& path) {
    auto application = sharedEngine().createApplication();
    engine::Document& document = application->open(path, true);
    Texts texts;
    const auto stories = document.storyRanges();
    for (size_t i = 0; i < stories.size(); ++i)
        (i == 0 ? texts.mainText : texts.headers) += rangeText(*stories[i]);
    for (engine::Shape* shape : document.shapes())
        if (shape->hasText())
            texts.textBoxes += rangeText(shape->textRange()) + QLatin1Char('\n');
    application->quit();
    return texts;
}

class LooksTest : public testing::Isolated {};

TEST_F(LooksTest, EachEmbeddedTemplateIsTheCommittedWordTemplate) {
    for (int look = 1; look <= LookCount; ++look) {
        const QByteArray bytes = LoadTemplateResource(TemplateResourceId(look));
        EXPECT_EQ(bytes, readAll(QStringLiteral(BRINDLECAST_SOURCE_DIR "/resources/templates/") +
                                 LookFiles[look - 1] + QStringLiteral(".dot")));
        EXPECT_TRUE(bytes.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1"))) << look;
    }
}

TEST_F(LooksTest, EachTemplateCarriesExactlyItsPlaceholdersWhereTheyBelong) {
    for (int look = 1; look <= LookCount; ++look) {
        const QString path = temp(QStringLiteral("look%1.dot").arg(look));
        writeAll(path, LoadTemplateResource(TemplateResourceId(look)));
        const Texts texts = readTexts(path);
        const Inventory& expected = expectedInventories().at(look);
        EXPECT_EQ(bracketed(texts.mainText), expected.mainText) << "main text of look " << look;
        EXPECT_EQ(bracketed(texts.headers), expected.headers) << "headers of look " << look;
        EXPECT_EQ(bracketed(texts.textBoxes), expected.textBoxes) << "text boxes of look " << look;
    }
}

TEST_F(LooksTest, SampleDataFillsEveryLookAndThePictureShowsIt) {
    fakes::FakeMessageBoxes boxes;
    fakes::FakeRandom random;
    Generation generation(sharedEngine(), boxes, clipboard(), random, [] {});
    GenerationInput input;
    input.fieldText = [](int index) {
        return index == MonthYearField ? QStringLiteral("Dec 2026") : SampleValue(index);
    };
    input.issueDate = [] { return QDateTime(QDate(2026, 12, 8), QTime(9, 30)); };
    QStringList placeholders;
    for (const FieldSpec& field : Fields())
        placeholders << QString::fromLatin1(field.tag);
    placeholders << IssueDateTag();

    for (int look = 1; look <= LookCount; ++look) {
        input.look = look;
        const GenerationOutcome outcome = generation.run(input);
        ASSERT_TRUE(boxes.shown.empty()) << boxes.shown[0].prompt.toStdString();
        ASSERT_TRUE(outcome.pictureMade);
        const Texts texts = readTexts(outcome.workingDocument);
        for (const QString& placeholder : placeholders)
            EXPECT_FALSE(texts.all().contains(placeholder, Qt::CaseInsensitive))
                << placeholder.toStdString() << " left in look " << look;
        EXPECT_TRUE(texts.all().contains("Quillmark Newsletter")) << look;
        if (look != 3) {
            EXPECT_TRUE(texts.all().contains("Tuesday, December 8, 2026")) << look;
        }
        if (look == 1) {
            EXPECT_TRUE(texts.textBoxes.contains("[Article Author]"));
            EXPECT_TRUE(texts.mainText.contains("[style]"));
            EXPECT_TRUE(texts.headers.contains("Quillmark Newsletter"));
        }
        if (look == 2) {
            EXPECT_TRUE(texts.textBoxes.contains("[Edition 2, Volume 1]"));
        }
        if (look == 3) {
            EXPECT_TRUE(texts.textBoxes.contains("Dec 2026"));
        }

        // An independent reader of Word files sees the newsletter too.
        QProcess antiword;
        antiword.start(QStringLiteral("antiword"), {outcome.workingDocument});
        ASSERT_TRUE(antiword.waitForFinished(30000));
        EXPECT_TRUE(QString::fromUtf8(antiword.readAllStandardOutput()).contains("Quillmark"))
            << look;

        const QImage picture(PreviewBitmapPath(), "BMP");
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(picture.width(), 1160);
        EXPECT_NEAR(picture.height(), 1160 * 11 / 8.5, 2);
        EXPECT_NEAR(picture.dotsPerMeterX() * 0.0254, 192, 1);
        int dark = 0;
        for (int y = 0; y < picture.height(); y += 2)
            for (int x = 0; x < picture.width(); x += 2)
                dark += qGray(picture.pixel(x, y)) < 128;
        EXPECT_GT(dark, 2000) << "a blank picture for look " << look;
        DeleteFileQuietly(PreviewBitmapPath());
        DeleteFileQuietly(outcome.workingDocument);
    }
}

TEST_F(LooksTest, TheLongestValueAFieldMayHoldFillsEveryLookWhole) {
    fakes::FakeMessageBoxes boxes;
    fakes::FakeRandom random;
    Generation generation(sharedEngine(), boxes, clipboard(), random, [] {});
    // One word that cannot be broken across lines: the hardest text to lay out.
    const QString title = QStringLiteral("T") + QString(MaxValueLength - 2, QLatin1Char('x')) + 'T';
    GenerationInput input;
    input.fieldText = [&](int index) { return index == 0 ? title : SampleValue(index); };
    input.issueDate = [] { return QDateTime::currentDateTime(); };
    for (int look = 1; look <= LookCount; ++look) {
        input.look = look;
        const GenerationOutcome outcome = generation.run(input);
        ASSERT_TRUE(boxes.shown.empty()) << boxes.shown[0].prompt.toStdString();
        EXPECT_TRUE(readTexts(outcome.workingDocument).all().contains(title)) << look;
        DeleteFileQuietly(outcome.workingDocument);
    }
}

// Passes every call on to the real engine, and kills the engine's process once the template is
// open, as a crash of the office would in the middle of a run.
class KillingEngine final : public engine::Engine {
public:
    std::unique_ptr<engine::Application> createApplication() override {
        class Session final : public engine::Application {
        public:
            Session(std::unique_ptr<engine::Application> real, bool& kill)
                : mReal(std::move(real))
                , mKill(kill) {}
            engine::Document& open(const QString& path, bool readOnly) override {
                engine::Document& document = mReal->open(path, readOnly);
                if (std::exchange(mKill, false)) {
                    const pid_t pid = sharedEngine().processId();
                    ::kill(pid, SIGKILL);
                    while (::kill(pid, 0) == 0 && ::waitpid(pid, nullptr, WNOHANG) == 0)
                        QThread::msleep(10);
                }
                return document;
            }
            engine::Range& selection() override { return mReal->selection(); }
            void setDisplayAlerts(bool on) override { mReal->setDisplayAlerts(on); }
            engine::Document& activeDocument() override { return mReal->activeDocument(); }
            void quit() override { mReal->quit(); }

        private:
            std::unique_ptr<engine::Application> mReal;
            bool& mKill;
        };
        return std::make_unique<Session>(sharedEngine().createApplication(), killAtOpen);
    }
    std::unique_ptr<engine::Spreadsheets> createSpreadsheets() override {
        return sharedEngine().createSpreadsheets();
    }
    void stop() noexcept override { sharedEngine().stop(); }
    bool killAtOpen = false;
};

TEST_F(LooksTest, AnEngineKilledMidRunGivesOneBoxAndTheNextRunWorks) {
    fakes::FakeMessageBoxes boxes;
    fakes::FakeRandom random;
    KillingEngine engine;
    Generation generation(engine, boxes, clipboard(), random, [] {});
    GenerationInput input;
    input.look = 2;
    input.fieldText = [](int index) { return SampleValue(index); };
    input.issueDate = [] { return QDateTime::currentDateTime(); };

    engine.killAtOpen = true;
    GenerationOutcome outcome = generation.run(input);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].prompt.contains("Form1.PushButton6_Click at line 80"))
        << boxes.shown[0].prompt.toStdString();
    EXPECT_TRUE(outcome.workingDocument.isEmpty());
    EXPECT_FALSE(FileExists(TemplatePath()));

    outcome = generation.run(input);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(outcome.pictureMade);
    EXPECT_TRUE(FileExists(outcome.workingDocument));
}

} // namespace
} // namespace brindlecast
