#include "WinFiles.h"

#include <QDir>
#include <aclapi.h>
#include <sddl.h>
#include <vector>

namespace brindlecast::win {

namespace {

// Windows 10's disposition with POSIX semantics, which mingw-w64's headers leave out.
constexpr auto FileDispositionInfoExClass = FILE_INFO_BY_HANDLE_CLASS(21);
constexpr DWORD DispositionDelete = 0x1;
constexpr DWORD DispositionPosixSemantics = 0x2;
struct DispositionInfoEx {
    DWORD flags;
};

std::vector<BYTE> tokenInformation(TOKEN_INFORMATION_CLASS kind) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    GetTokenInformation(token, kind, nullptr, 0, &size);
    std::vector<BYTE> information(size);
    if (size == 0 || !GetTokenInformation(token, kind, information.data(), size, &size))
        information.clear();
    CloseHandle(token);
    return information;
}

PSID tokenUser() {
    static const std::vector<BYTE> user = tokenInformation(TokenUser);
    return user.empty() ? nullptr : reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
}

PSID tokenDefaultOwner() {
    static const std::vector<BYTE> owner = tokenInformation(TokenOwner);
    return owner.empty() ? nullptr : reinterpret_cast<const TOKEN_OWNER*>(owner.data())->Owner;
}

std::wstring finalPath(HANDLE handle) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(handle, path.data(), DWORD(path.size()),
                                                       FILE_NAME_NORMALIZED);
        if (length == 0)
            return {};
        const bool fits = length < path.size();
        path.resize(length);
        if (fits)
            return path;
    }
}

bool sameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.data(), int(a.size()), b.data(), int(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// True unless the file open at `handle` is somewhere else than the entry `path` names in its
// folder. When the system cannot say, the reparse attributes have to do.
bool reachedDirectly(HANDLE handle, const std::wstring& path) {
    std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
    wchar_t* name = nullptr;
    const DWORD length = GetFullPathNameW(path.c_str(), DWORD(full.size()), full.data(), &name);
    if (length == 0 || length >= full.size() || !name)
        return true;
    const std::wstring entry(name);
    full.resize(size_t(name - full.data()));
    HANDLE folder = CreateFileW(full.c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return true;
    std::wstring expected = finalPath(folder);
    CloseHandle(folder);
    const std::wstring actual = finalPath(handle);
    if (expected.empty() || actual.empty())
        return true;
    if (expected.back() != L'\\')
        expected += L'\\';
    return sameName(actual, expected + entry);
}

bool sameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION first{}, second{};
    return GetFileInformationByHandle(a, &first) && GetFileInformationByHandle(b, &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

} // namespace

std::wstring NativePath(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

QString ErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    QString text = length ? QString::fromWCharArray(buffer, int(length)).trimmed() : QString();
    LocalFree(buffer);
    return text.isEmpty() ? QStringLiteral("error %1").arg(code) : text;
}

HANDLE OpenNoFollow(const std::wstring& path, DWORD access, DWORD disposition,
                    SECURITY_ATTRIBUTES* security) {
    return CreateFileW(path.c_str(), access, ShareAll, security, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

FileKind KindOf(HANDLE handle, const std::wstring& path) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag))
        return FileKind::Other;
    // Links and junctions stand for another name; other reparse points (cloud placeholders,
    // deduplicated files) are data no one should write through this handle.
    if (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return IsReparseTagNameSurrogate(tag.ReparseTag) ? FileKind::Link : FileKind::Other;
    if (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return FileKind::Folder;
    if (GetFileType(handle) != FILE_TYPE_DISK)
        return FileKind::Other;
    return reachedDirectly(handle, path) ? FileKind::Regular : FileKind::LinkTarget;
}

bool StillAt(HANDLE handle, const std::wstring& path) {
    HANDLE named = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (named == INVALID_HANDLE_VALUE)
        return false;
    const bool same = sameFile(handle, named);
    CloseHandle(named);
    return same;
}

bool DeleteOpenFile(HANDLE handle) {
    DispositionInfoEx posix{DispositionDelete | DispositionPosixSemantics};
    if (SetFileInformationByHandle(handle, FileDispositionInfoExClass, &posix, sizeof posix))
        return true;
    FILE_DISPOSITION_INFO classic{TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &classic, sizeof classic);
}

SECURITY_ATTRIBUTES* OwnerOnly() {
    static SECURITY_ATTRIBUTES* const attributes = []() -> SECURITY_ATTRIBUTES* {
        wchar_t* user = nullptr;
        if (!tokenUser() || !ConvertSidToStringSidW(tokenUser(), &user))
            return nullptr;
        // Protected: nothing inherited from the folder widens it.
        const std::wstring sddl = L"D:P(A;;FA;;;" + std::wstring(user) + L")";
        LocalFree(user);
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                  &descriptor, nullptr))
            return nullptr;
        static SECURITY_ATTRIBUTES made{sizeof made, descriptor, FALSE};
        return &made;
    }();
    return attributes;
}

bool OwnedByUs(HANDLE handle) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const bool ours = owner && ((tokenUser() && EqualSid(owner, tokenUser())) ||
                                (tokenDefaultOwner() && EqualSid(owner, tokenDefaultOwner())));
    LocalFree(descriptor);
    return ours;
}

} // namespace brindlecast::win
