// Files that hold what must not be lost or seen: a journal added to durably, a secret's file.
#include "WinFiles.h"
#include "app/FileHelpers.h"

#include <aclapi.h>
#include <stdexcept>

namespace brindlecast {

using namespace win;

void AppendDurably(const QString& path, const QByteArray& bytes) {
    const auto failed = [&](const QString& reason) {
        return std::runtime_error(
            QStringLiteral("Cannot write the file %1: %2").arg(path, reason).toStdString());
    };
    const std::wstring native = NativePath(path);
    HANDLE file = OpenNoFollow(native, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                               OPEN_ALWAYS, OwnerOnly());
    if (file == INVALID_HANDLE_VALUE)
        throw failed(ErrorText(GetLastError()));
    QString trouble;
    if (KindOf(file, native) != FileKind::Regular) {
        trouble = QStringLiteral("it is not a regular file");
    } else {
        qsizetype written = 0;
        while (trouble.isEmpty() && written < bytes.size()) {
            DWORD chunk = 0;
            if (!WriteFile(file, bytes.constData() + written, DWORD(bytes.size() - written), &chunk,
                           nullptr))
                trouble = ErrorText(GetLastError());
            else if (chunk == 0)
                trouble = ErrorText(ERROR_DISK_FULL);
            written += chunk;
        }
        // The line must be on the disk before anything that relies on it.
        if (trouble.isEmpty() && !FlushFileBuffers(file))
            trouble = ErrorText(GetLastError());
    }
    CloseHandle(file);
    if (!trouble.isEmpty())
        throw failed(trouble);
}

bool OthersMayRead(const QString& path) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(NativePath(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return true;
    // No list at all lets everyone in.
    bool readable = dacl == nullptr;
    for (DWORD i = 0; dacl && i < dacl->AceCount && !readable; ++i) {
        void* entry = nullptr;
        if (!GetAce(dacl, i, &entry) ||
            static_cast<ACE_HEADER*>(entry)->AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if (!(allowed->Mask & (FILE_READ_DATA | GENERIC_READ | GENERIC_ALL)))
            continue;
        PSID sid = &allowed->SidStart;
        readable = IsWellKnownSid(sid, WinWorldSid) ||
                   IsWellKnownSid(sid, WinAuthenticatedUserSid) ||
                   IsWellKnownSid(sid, WinBuiltinUsersSid);
    }
    LocalFree(descriptor);
    return readable;
}

} // namespace brindlecast
