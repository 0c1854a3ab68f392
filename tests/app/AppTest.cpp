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
#include <functional>
#include <stdexcept>
#include <sys/stat.h>

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
    // A question with an icon is still answered like a question.
    fakes::FakeMessageBoxes boxes;
    EXPECT_EQ(boxes.MsgBox("Overwrite?", question, {}), MsgAnswer::Yes);
    EXPECT_EQ(boxes.MsgBox("Careful.", MsgStyle::Exclamation, {}), MsgAnswer::Ok);
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
    QFile::link(temp("gone"), temp("dangling"));
    EXPECT_TRUE(FileExists(temp("dangling")));
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

TEST_F(FileHelpersTest, WriteFreshFileReplacesWhateverIsThereWithoutFollowingLinks) {
    writeAll(temp("planted.dot"), "planted");
    WriteFreshFile(temp("planted.dot"), "ours");
    EXPECT_EQ(readAll(temp("planted.dot")), "ours");

    writeAll(root("victim"), "keep me");
    ASSERT_TRUE(QFile::link(root("victim"), temp("link.dot")));
    WriteFreshFile(temp("link.dot"), "ours");
    EXPECT_EQ(readAll(root("victim")), "keep me");
    EXPECT_FALSE(QFileInfo(temp("link.dot")).isSymLink());
    EXPECT_EQ(readAll(temp("link.dot")), "ours");

    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(temp("link.dot")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
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

using SettingsTest = Isolated;

TEST_F(SettingsTest, ValuesComeBackExactly) {
    EXPECT_EQ(GetSetting(AppName, SectionName, "Text1_0", "default"), "default");
    const QStringList values{"",
                             "  padded  ",
                             "Millbrook, VT 05401",
                             "a=b;c\\d \"q\"",
                             QString::fromUtf8("שלום 😀 Ünïcode"),
                             QString(5000, QLatin1Char('w')),
                             "[NLTITLE] & $1 ^p"};
    for (const QString& value : values) {
        ASSERT_TRUE(SaveSetting(AppName, SectionName, "Text1_0", value));
        EXPECT_EQ(GetSetting(AppName, SectionName, "Text1_0", "default"), value);
    }
    EXPECT_TRUE(QFileInfo(root("config/Quillmark.ini")).isFile());
}

TEST_F(SettingsTest, AnUnchangedValueLeavesTheFileAlone) {
    // The store is rewritten through a new file, so a rewrite shows as a new inode.
    const auto inode = [this] {
        struct stat st {};
        ::stat(QFile::encodeName(root("config/Quillmark.ini")).constData(), &st);
        return st.st_ino;
    };
    ASSERT_TRUE(SaveSetting(AppName, SectionName, "Text1_3", "1"));
    const auto first = inode();
    ASSERT_TRUE(SaveSetting(AppName, SectionName, "Text1_3", "1"));
    EXPECT_EQ(inode(), first);
    ASSERT_TRUE(SaveSetting(AppName, SectionName, "Text1_3", "2"));
    EXPECT_NE(inode(), first);
    EXPECT_EQ(GetSetting(AppName, SectionName, "Text1_3"), "2");
}

TEST_F(SettingsTest, AHandEditedListValueReadsAsOneText) {
    writeAll(root("config/Quillmark.ini"), "[Brindlecast]\nText1_7=Millbrook, VT 05401\n");
    EXPECT_EQ(GetSetting(AppName, SectionName, "Text1_7"), "Millbrook, VT 05401");
}

TEST_F(SettingsTest, AnUnwritableStoreFailsWithoutThrowing) {
    // The config folder is a regular file: nothing can be created under it, even by root.
    QDir(root("config")).removeRecursively();
    writeAll(root("config"), "not a folder");
    EXPECT_FALSE(SaveSetting(AppName, SectionName, "Text1_0", "value"));
    EXPECT_EQ(GetSetting(AppName, SectionName, "Text1_0", "default"), "default");
}

TEST_F(SettingsTest, AStoreThatIsNoRegularFileIsUnwritableAndNeverBlocks) {
    const QString store = root("config/Quillmark.ini");
    for (const auto& make : std::vector<std::function<bool()>>{
             [&] { return ::mkfifo(QFile::encodeName(store).constData(), 0600) == 0; },
             [&] { return QDir().mkpath(store); }}) {
        ASSERT_TRUE(make());
        EXPECT_EQ(GetSetting(AppName, SectionName, "Text1_0", "default"), "default");
        EXPECT_FALSE(SaveSetting(AppName, SectionName, "Text1_0", "value"));
        EXPECT_FALSE(QFileInfo(store).isFile());
        ::unlink(QFile::encodeName(store).constData());
        QDir().rmdir(store);
    }
}

TEST_F(SettingsTest, ABrokenStoreStillTakesNewValues) {
    const QByteArray broken("\x00\xff[[[garbage\n=\n[Brindlecast\n", 25);
    writeAll(root("config/Quillmark.ini"), broken);
    EXPECT_EQ(GetSetting(AppName, SectionName, "Text1_0", "default"), "default");
    EXPECT_TRUE(SaveSetting(AppName, SectionName, "Text1_0", "value"));
    EXPECT_EQ(GetSetting(AppName, SectionName, "Text1_0", "default"), "value");
    EXPECT_TRUE(SaveSetting(AppName, SectionName, "Text1_1", "more"));
    EXPECT_EQ(GetSetting(AppName, SectionName, "Text1_1", "default"), "more");
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
