// The file helpers' and the settings store's guarantees that are about POSIX matters: links,
// permission bits, inodes, FIFOs, full disks and the INI file.
#include "app/FileHelpers.h"
#include "app/Settings.h"
#include "support/Isolated.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <functional>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

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

TEST_F(FileHelpersTest, PlaceCopyReplacesWholeButNeverALinkOrTheUntouchableFile) {
    writeAll(temp("made"), "the newsletter");
    writeAll(root("victim"), "keep me");
    writeAll(root("T.docx"), "the template");
    ASSERT_TRUE(QFile::link(root("victim"), root("link.doc")));
    ASSERT_EQ(::link(QFile::encodeName(root("T.docx")).constData(),
                     QFile::encodeName(root("hard.docx")).constData()),
              0);
    const std::optional<FileId> templateFile = FileIdOf(root("T.docx"));
    ASSERT_TRUE(templateFile);
    for (const QString& refused : {root("link.doc"), root("./T.docx"), root("hard.docx")}) {
        try {
            PlaceCopy(temp("made"), refused, templateFile);
            ADD_FAILURE() << "replaced " << refused.toStdString();
        } catch (const PlaceError& error) {
            EXPECT_EQ(error.kind(), PlaceError::Kind::ThisFile);
        }
    }
    EXPECT_TRUE(IsLink(root("link.doc")));
    EXPECT_EQ(readAll(root("victim")), "keep me");
    EXPECT_EQ(readAll(root("T.docx")), "the template");

    writeAll(root("news.doc"), "old");
    ASSERT_EQ(::chmod(QFile::encodeName(root("news.doc")).constData(), 0600), 0);
    PlaceCopy(temp("made"), root("news.doc"), templateFile);
    EXPECT_EQ(readAll(root("news.doc")), "the newsletter");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(root("news.doc")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(QDir(root()).entryList({".brindlecast-*"}, QDir::Hidden | QDir::Files),
              QStringList());
}

// Small and large copies: writing through a buffer once lost a small copy's failure, which only
// the final flush met.
TEST_F(FileHelpersTest, PlaceCopyOnAFullDiskLeavesTheOldFileAsItWas) {
    QDir().mkpath(root("small"));
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", root("small")}) != 0)
        GTEST_SKIP() << "no tiny file system can be mounted here (mount needs root)";
    const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {root("small")}); });
    writeAll(root("small/news.pdf"), "the good old one");
    QFile filler(root("small/filler"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    while (filler.write(QByteArray(4096, 'f')) == 4096) {
    }
    filler.close();
    for (const int size : {100, 200000}) {
        writeAll(temp("made"), QByteArray(size, 'n'));
        try {
            PlaceCopy(temp("made"), root("small/news.pdf"));
            ADD_FAILURE() << "a copy of " << size << " bytes was placed on a full disk";
        } catch (const PlaceError& error) {
            EXPECT_EQ(error.kind(), PlaceError::Kind::NoRoom) << error.what();
        }
        EXPECT_EQ(readAll(root("small/news.pdf")), "the good old one");
        EXPECT_EQ(QDir(root("small")).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
}

TEST_F(FileHelpersTest, ReadInputFileRefusesWhatIsNoRegularFileAtOnce) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(root("fifo")).constData(), 0600), 0);
    for (const auto& [path, says] : std::vector<std::pair<QString, QString>>{
             {root("fifo"), "it is a named pipe, not a regular file"},
             {"/dev/null", "it is a device, not a regular file"},
             {root(), "it is a folder"}}) {
        try {
            ReadInputFile(path, 100);
            ADD_FAILURE() << "read " << path.toStdString();
        } catch (const InputFileError& error) {
            EXPECT_EQ(QString::fromLocal8Bit(error.what()), says);
        }
    }
    // A pipe a program already writes into, as a shell's "<(...)" gives it, is read to its end.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], "{}", 2), 2);
    ::close(ends[1]);
    EXPECT_EQ(ReadInputFile(QStringLiteral("/dev/fd/%1").arg(ends[0]), 100).bytes, "{}");
    ::close(ends[0]);

    writeAll(root("list.csv"), "Name\nDana\n");
    EXPECT_EQ(ReadInputFile(root("list.csv"), 10).bytes, "Name\nDana\n");
    EXPECT_TRUE(ReadInputFile(root("list.csv"), 9).tooLarge);
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
