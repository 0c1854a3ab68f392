#include "app/ErrorTrap.h"
#include "app/FileHelpers.h"
#include "app/MessageBoxes.h"
#include "app/Settings.h"
#include "app/WindowPointer.h"
#include "fakes/FakeDialogs.h"
#include "support/Isolated.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace brindlecast {
namespace {

using testing::Isolated;

TEST(ApplicationTitle, CutsAtLeastOneWordThenUntilItFits) {
    EXPECT_EQ(ApplicationTitle("Quillmark Newsletter Creator"), "Quillmark Newsletter");
    EXPECT_EQ(ApplicationTitle("A B"), "A");
    // 45 characters: one cut leaves 35.
    EXPECT_EQ(ApplicationTitle("Twelve chars Twelve chars Twelve chars twelve"),
              "Twelve chars Twelve chars Twelve chars");
    // Several cuts until the rest is 40 characters or less.
    EXPECT_EQ(ApplicationTitle("aaaaaaaaaa bbbbbbbbbb cccccccccc dddddddddd eeeeeeeeee ff"),
              "aaaaaaaaaa bbbbbbbbbb cccccccccc");
}

TEST(ApplicationTitle, KeepsAOneWordName) {
    EXPECT_EQ(ApplicationTitle("Brindlecast"), "Brindlecast");
    const QString longWord(50, QLatin1Char('x'));
    EXPECT_EQ(ApplicationTitle(longWord + " tail"), longWord);
}

TEST(MsgStyle, KeepsTheClassicCodesAndSplitsIntoButtonsAndIcon) {
    const MsgStyle question = MsgStyle::YesNo | MsgStyle::Exclamation;
    EXPECT_EQ(int(question), 52);
    EXPECT_EQ(MsgButtons(question), MsgStyle::YesNo);
    EXPECT_EQ(MsgIcon(question), MsgStyle::Exclamation);
    EXPECT_EQ(MsgButtons(MsgStyle::Exclamation), MsgStyle::OkOnly);
    EXPECT_EQ(MsgIcon(MsgStyle::YesNo), MsgStyle::OkOnly);
    EXPECT_EQ(int(MsgAnswer::Ok), 1);
    EXPECT_EQ(int(MsgAnswer::Yes), 6);
    EXPECT_EQ(int(MsgAnswer::No), 7);
}

TEST(ErrorTrap, ShowsOneBoxPerFailingStepAndGoesOn) {
    fakes::FakeMessageBoxes boxes;
    Trap trap{boxes, "Form1", "Form_Load"};
    std::vector<int> ran;
    EXPECT_TRUE(trap.step(10, [&] { ran.push_back(10); }));
    EXPECT_FALSE(trap.step(20, [&] { throw std::runtime_error("Type mismatch"); }));
    EXPECT_TRUE(trap.step(30, [&] { ran.push_back(30); }));
    EXPECT_EQ(ran, (std::vector<int>{10, 30}));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt,
              "Type mismatch\r\nin Plumvale2021/08/31.Form1.Form_Load at line 20\r\r"
              "Please email screenshot of this message to support@quillmark.example");
    EXPECT_EQ(int(boxes.shown[0].style), 48);
    EXPECT_EQ(boxes.shown[0].title, "Application Error");
    EXPECT_EQ(trap.failures(), 1);
}

TEST(ErrorTrap, DescribesUnknownExceptions) {
    fakes::FakeMessageBoxes boxes;
    Trap trap{boxes, "Form2", "picture1_MouseDown"};
    trap.step(7, [] { throw 42; });
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].prompt.startsWith(
        "Unexpected error\r\nin Plumvale2021/08/31.Form2.picture1_MouseDown at line 7"));
}

using FileHelpersTest = Isolated;

TEST_F(FileHelpersTest, FileExistsAnswersQuietly) {
    EXPECT_FALSE(FileExists(QString()));
    EXPECT_FALSE(FileExists(temp("missing.txt")));
    EXPECT_FALSE(FileExists(temp("no-such-folder/file.txt")));
    writeAll(temp(".hidden"), "x");
    EXPECT_TRUE(FileExists(temp(".hidden")));
}

TEST_F(FileHelpersTest, DeleteFileQuietlyNeverComplains) {
    DeleteFileQuietly(QString());
    DeleteFileQuietly(temp("missing.txt"));
    QDir().mkpath(temp("folder"));
    DeleteFileQuietly(temp("folder"));
    EXPECT_TRUE(QFileInfo(temp("folder")).isDir());
    writeAll(temp("file.txt"), "x");
    DeleteFileQuietly(temp("file.txt"));
    EXPECT_FALSE(FileExists(temp("file.txt")));
}

TEST_F(FileHelpersTest, TempFolderFallsBackWhenTempIsUnusable) {
    EXPECT_EQ(TempFolder(), temp());
    qputenv("TEMP", QFile::encodeName(temp() + "/"));
    EXPECT_EQ(TempFolder(), temp());
    const QString platform = QDir::tempPath();
    for (const QByteArray& bad :
         {QByteArray(), QFile::encodeName(temp("missing")), QByteArray("relative")}) {
        qputenv("TEMP", bad);
        EXPECT_EQ(TempFolder(), platform) << bad.constData();
    }
    writeAll(temp("plain-file"), "x");
    qputenv("TEMP", QFile::encodeName(temp("plain-file")));
    EXPECT_EQ(TempFolder(), platform);
    qunsetenv("TEMP");
    EXPECT_EQ(TempFolder(), platform);
    EXPECT_NE(TempFolder(), "/");
}

TEST_F(FileHelpersTest, WriteFreshFileReportsAPathItCannotWrite) {
    writeAll(temp("not-a-folder"), "x");
    try {
        WriteFreshFile(temp("not-a-folder/template.dot"), "bytes");
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains("not-a-folder/template.dot"));
    }
    QDir().mkpath(temp("a-folder"));
    EXPECT_THROW(WriteFreshFile(temp("a-folder"), "bytes"), std::runtime_error);
    EXPECT_TRUE(QFileInfo(temp("a-folder")).isDir());
}

using CursorFileTest = Isolated;

TEST_F(CursorFileTest, ReadsTheShippedHandWithItsHotSpot) {
    const auto cursor =
        LoadCursorFile(QStringLiteral(BRINDLECAST_SOURCE_DIR "/resources/HAND-M.CUR"));
    ASSERT_TRUE(cursor.has_value());
    EXPECT_EQ(cursor->hotSpot(), QPoint(11, 1));
    EXPECT_EQ(cursor->pixmap().size(), QSize(32, 32));
}

TEST_F(CursorFileTest, RejectsFilesThatAreNoCursor) {
    writeAll(temp("bad.cur"), "this is no cursor file at all");
    EXPECT_FALSE(LoadCursorFile(temp("bad.cur")).has_value());
    EXPECT_FALSE(LoadCursorFile(temp("missing.cur")).has_value());
}

} // namespace
} // namespace brindlecast
