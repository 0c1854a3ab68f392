// The file helpers' and the settings store's guarantees that are about POSIX matters: links,
// permission bits, inodes, FIFOs and the INI file.
#include "app/FileHelpers.h"
#include "app/Settings.h"
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

using FileHelpersTest = Isolated;

TEST_F(FileHelpersTest, FileExistsCountsALinkThatLeadsNowhere) {
    QFile::link(temp("gone"), temp("dangling"));
    EXPECT_TRUE(FileExists(temp("dangling")));
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

} // namespace
} // namespace brindlecast
