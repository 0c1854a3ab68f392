#include "newsletter/RecipientFileName.h"

#include "support/Isolated.h"

#include <QDir>
#include <QFileInfo>

namespace brindlecast {
namespace {

struct NameCase {
    int position;
    int total;
    const char* name;
    const char* extension;
    const char* expected;
};

// clang-format off
const NameCase NameCases[] = {
    {3, 20, "Dana Hollis", "doc", "003-Dana Hollis.doc"},
    {7, 1500, "  Dana   Hollis ", ".pdf", "0007-Dana Hollis.pdf"},
    {12, 20, " \t\r\n ", "doc", "012-recipient.doc"},
    {1, 1, "...", "doc", "001-recipient.doc"},
    {1, 1, "../../x", "doc", "001-_.._x.doc"},
    {1, 1, "AT&T: \"Sales\" <West>|*?\\", "odt", "001-AT&T_ _Sales_ _West_____.odt"},
    {1, 1, "Dana\nHollis\x7F\xC2\x85", "doc", "001-Dana Hollis.doc"},
    {1, 1, "e\xCC\x81" "cole", "doc", "001-\xC3\xA9" "cole.doc"},
    {1, 1, "\xE2\x80\xAE" "cod.exe", "doc", "001-cod.exe.doc"},
    {1000, 999, ".hidden.", "docx", "1000-hidden.docx"},
};
// clang-format on

TEST(RecipientFileName, MakesNamesSafe) {
    for (const NameCase& c : NameCases)
        EXPECT_EQ(RecipientFileName(c.position, c.total, QString::fromUtf8(c.name),
                                    QString::fromUtf8(c.extension)),
                  QString::fromUtf8(c.expected))
            << c.name;
}

TEST(RecipientFileName, CutsLongNamesBetweenCharacters) {
    // Two bytes each; an x with a circumflex that has no composed form; a family emoji.
    EXPECT_EQ(SafeFileNamePart(QString(300, QChar(0xE9)), 100), QString(50, QChar(0xE9)));
    EXPECT_EQ(SafeFileNamePart(QString::fromUtf8("abx\xCC\x82"), 4), QStringLiteral("ab"));
    const QString family = QString::fromUtf8("\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9");
    EXPECT_EQ(SafeFileNamePart(QStringLiteral("ab") + family, 12), QStringLiteral("ab"));
    EXPECT_EQ(SafeFileNamePart(QStringLiteral("ab") + family, 13), QStringLiteral("ab") + family);
    EXPECT_EQ(SafeFileNamePart(QString(99, 'x') + QStringLiteral(" y"), 100), QString(99, 'x'));
}

class RecipientFiles : public testing::Isolated {};

// Whatever a list calls a recipient, the file lands in the output folder and can be made there.
TEST_F(RecipientFiles, StayInTheOutputFolder) {
    const QString folder = temp(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QStringList names{
        QStringLiteral("../../x"),   QStringLiteral("/etc/passwd"),    QStringLiteral(".."),
        QStringLiteral("a/../../b"), QStringLiteral("C:\\Windows\\x"), QString(400, QChar(0x4E2D)),
        QStringLiteral("~"),         QStringLiteral("-rf *")};
    for (int i = 0; i < names.size(); ++i) {
        const QString fileName = RecipientFileName(i + 1, int(names.size()), names[i], "doc");
        const QFileInfo file(folder + QLatin1Char('/') + fileName);
        EXPECT_LE(fileName.toUtf8().size(), 120) << fileName.toStdString();
        EXPECT_EQ(file.absolutePath(), folder) << fileName.toStdString();
        writeAll(file.filePath(), "x");
        EXPECT_TRUE(file.exists()) << fileName.toStdString();
    }
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), names.size());
}

} // namespace
} // namespace brindlecast

namespace brindlecast {
namespace {

TEST(RecipientFileName, PatternsNameFilesFromFieldsAndColumns) {
    const auto value = [](const QString& name) {
        if (name == "Last")
            return QStringLiteral("O'Hara/Smith");
        if (name == "First")
            return QStringLiteral("Dana: \"Dee\"");
        if (name == "Long")
            return QString(400, QChar(0xE9));
        return QString();
    };
    EXPECT_EQ(PatternNames(QStringLiteral("[Last], [First] - [IssueNo]")),
              QStringList({"Last", "First", "IssueNo"}));
    EXPECT_EQ(PatternFileName(QStringLiteral("[Last], [First] - [IssueNo]"), value, "pdf"),
              "O'Hara_Smith, Dana_ _Dee_ -.pdf");
    EXPECT_EQ(PatternFileName(QStringLiteral("[Empty]"), value, "pdf"), QString());
    EXPECT_EQ(PatternFileName(QStringLiteral("con"), value, "pdf"), "con_.pdf");
    EXPECT_EQ(PatternFileName(QStringLiteral("LPT1.x"), value, ".doc"), "LPT1.x_.doc");
    // Cut to leave room for the extension and a number within a file name's 255 bytes.
    const QString cut = PatternFileName(QStringLiteral("[Long]"), value, "docx");
    EXPECT_LE(cut.toUtf8().size() + 5, 255);
    EXPECT_TRUE(cut.endsWith(".docx"));

    std::vector<QString> names = {"Dana.pdf", "Vered.pdf", "dana.PDF", "Dana (2).pdf", "Dana.pdf"};
    const std::vector<RenamedFile> renamed = MakeDistinct(names);
    EXPECT_EQ(names, std::vector<QString>({"Dana.pdf", "Vered.pdf", "dana (3).PDF", "Dana (2).pdf",
                                           "Dana (4).pdf"}));
    ASSERT_EQ(renamed.size(), 2u);
    EXPECT_EQ(renamed[0].position, 2);
    EXPECT_EQ(renamed[0].wanted, "dana.PDF");
}

} // namespace
} // namespace brindlecast
