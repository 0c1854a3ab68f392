// The file helpers on Windows: nothing planted at a working file's path or an output's is written
// through or has what it leads to removed, files of this run are their owner's alone, and a
// locked working document can still be opened for editing, as Word does, and removed.
#include "RoomsTest.h"
#include "app/FileHelpers.h"
#include "app/FileLock.h"
#include "support/Isolated.h"

#include <QFileInfo>
#include <QTest>
#include <aclapi.h>
#include <functional>
#include <stdexcept>

namespace brindlecast {
namespace {

using namespace testing;

// Where Wine keeps the file at `path`.
QString unixPath(const QString& path) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    static const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    const QFileInfo at(path);
    char* folder = unixName ? unixName(nativePath(at.absolutePath()).c_str()) : nullptr;
    const QString converted = folder ? QString::fromUtf8(folder) + '/' + at.fileName() : QString();
    HeapFree(GetProcessHeap(), 0, folder);
    return converted;
}

// Runs a POSIX program, as Wine can; without a process handle to wait on, `done` tells the end.
bool runPosix(const QString& program, const QStringList& arguments,
              const std::function<bool()>& done) {
    return QProcess::startDetached("Z:/bin/" + program, arguments) && QTest::qWaitFor(done, 10000);
}

class PlantedLinkTest : public Isolated {
protected:
    // A symbolic link at `link` to `target`: Windows' own where this user may make one, else,
    // under Wine, whose CreateSymbolicLinkW makes nothing, a POSIX one.
    bool plant(const QString& target, const QString& link) {
        if (CreateSymbolicLinkW(nativePath(link).c_str(), nativePath(target).c_str(), 0x2) &&
            FileExists(link))
            return true;
        mPosixLinks << link;
        return !unixPath(link).isEmpty() && runPosix("ln", {"-s", unixPath(target), unixPath(link)},
                                                     [&] { return FileExists(link); });
    }
    // Wine cannot remove a POSIX link, nor its folder then.
    void TearDown() override {
        for (const QString& link : mPosixLinks)
            runPosix("rm", {"-f", unixPath(link)}, [&] { return !FileExists(link); });
    }

private:
    QStringList mPosixLinks;
};

QString failureOf(const std::function<void()>& call) {
    try {
        call();
        return {};
    } catch (const std::runtime_error& error) {
        return QString::fromUtf8(error.what());
    }
}

TEST_F(PlantedLinkTest, IsNeverWrittenThroughNorWhatItLeadsToRemoved) {
    writeAll(root("victim"), "keep me");
    const QString planted = temp("template.dot");
    if (!plant(root("victim"), planted) || !plant(root("victim"), temp("run.lock")))
        GTEST_SKIP() << "no symbolic link can be made here";
    EXPECT_TRUE(FileExists(planted));
    EXPECT_FALSE(failureOf([&] { CreateLockedFile(planted, "ours"); }).isEmpty());
    EXPECT_FALSE(TryLockExistingFile(planted).held());
    EXPECT_TRUE(
        failureOf([&] { TryLockFile(temp("run.lock")); }).contains("a link is in its place"));
    if (GetFileAttributesW(nativePath(planted).c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) {
        // Windows removes a link itself, so the link makes way for the fresh file.
        WriteFreshFile(planted, "ours");
        EXPECT_EQ(readAll(planted), "ours");
    } else {
        // Wine would remove what a POSIX link leads to: the link stays, and the file is refused.
        EXPECT_EQ(failureOf([&] { WriteFreshFile(planted, "ours"); }),
                  "Cannot write the file " + planted + ": a link is in its place");
        DeleteFileQuietly(planted);
        EXPECT_TRUE(FileExists(planted));
    }
    EXPECT_EQ(readAll(root("victim")), "keep me");
}

TEST_F(PlantedLinkTest, AnOutputNeverGoesThroughALinkNorOverTheTemplate) {
    writeAll(root("victim"), "keep me");
    writeAll(root("T.docx"), "the template");
    writeAll(temp("made"), "the newsletter");
    const std::optional<FileId> templateFile = FileIdOf(root("T.docx"));
    ASSERT_TRUE(templateFile);
    EXPECT_TRUE(failureOf([&] {
                    PlaceCopy(temp("made"), root("./T.docx"), templateFile);
                }).contains("the template"));
    if (plant(root("victim"), root("link.doc"))) {
        EXPECT_TRUE(IsLink(root("link.doc")));
        EXPECT_TRUE(failureOf([&] { PlaceCopy(temp("made"), root("link.doc")); }).contains("link"));
    }
    EXPECT_EQ(readAll(root("victim")), "keep me");
    EXPECT_EQ(readAll(root("T.docx")), "the template");
    PlaceCopy(temp("made"), root("news.doc"), templateFile);
    EXPECT_EQ(readAll(root("news.doc")), "the newsletter");
    // Inputs: a device or a folder is refused, never waited on.
    for (const QString& input : {QStringLiteral("NUL"), root()})
        EXPECT_FALSE(failureOf([&] { ReadInputFile(input, 100); }).isEmpty())
            << input.toStdString();
    EXPECT_EQ(ReadInputFile(root("T.docx"), 100).bytes, "the template");
}

using FilesTest = Isolated;

TEST_F(FilesTest, AFileOfThisRunIsItsOwnersAlone) {
    const QString path = temp("template.dot");
    WriteFreshFile(path, "bytes");
    EXPECT_TRUE(OwnedByCurrentUser(QFileInfo(path)));
    EXPECT_TRUE(OwnedByCurrentUser(QFileInfo(temp())));
    PSID owner = nullptr;
    PACL access = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetNamedSecurityInfoW(nativePath(path).c_str(), SE_FILE_OBJECT,
                                    OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                                    nullptr, &access, nullptr, &descriptor),
              DWORD(ERROR_SUCCESS));
    // The owner, and the system itself, which Wine names too; no one else.
    ASSERT_TRUE(access && access->AceCount > 0);
    for (DWORD index = 0; index < access->AceCount; ++index) {
        ACCESS_ALLOWED_ACE* entry = nullptr;
        ASSERT_TRUE(GetAce(access, index, reinterpret_cast<void**>(&entry)));
        const PSID who = &entry->SidStart;
        EXPECT_TRUE(EqualSid(who, owner) || IsWellKnownSid(who, WinLocalSystemSid)) << index;
    }
    LocalFree(descriptor);
}

TEST_F(FilesTest, AReadOnlyFileOrOneHeldOpenByAnotherProgramStays) {
    writeAll(temp("read-only.doc"), "x");
    writeAll(temp("in-use.doc"), "x");
    SetFileAttributesW(nativePath(temp("read-only.doc")).c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE other = CreateFileW(nativePath(temp("in-use.doc")).c_str(), GENERIC_READ,
                               FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DeleteFileQuietly(temp("read-only.doc"));
    DeleteFileQuietly(temp("in-use.doc"));
    CloseHandle(other);
    EXPECT_TRUE(FileExists(temp("read-only.doc")) && FileExists(temp("in-use.doc")));
    SetFileAttributesW(nativePath(temp("read-only.doc")).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FilesTest, TheTempFolderIsSpelledWithSlashesWhateverTempSays) {
    qputenv("TEMP", QString::fromStdWString(nativePath(temp() + '/')).toLocal8Bit());
    EXPECT_EQ(TempFolder(), temp());
}

TEST_F(FilesTest, ALockedWorkingDocumentCanBeOpenedForEditingAndRemoved) {
    const QString path = temp("tarvik12345678.doc");
    FileLock lock = CreateLockedFile(path, "a newsletter");
    // As Word opens a document for editing: reading and writing, others only reading.
    HANDLE word = CreateFileW(nativePath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(word, INVALID_HANDLE_VALUE);
    char bytes[32];
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(word, bytes, sizeof bytes, &read, nullptr));
    EXPECT_EQ(QByteArray(bytes, int(read)), "a newsletter");
    CloseHandle(word);
    EXPECT_FALSE(TryLockExistingFile(path).held());
    // Gone at once where the file system allows, otherwise with the lock.
    DeleteFileQuietly(path);
    lock.release();
    EXPECT_FALSE(FileExists(path));
}

} // namespace
} // namespace brindlecast
