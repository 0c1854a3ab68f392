#include "support/FileTimes.h"

#include <QDir>
#include <windows.h>

namespace brindlecast::testing {

bool SetLastModified(const QString& path, const QDateTime& when) {
    // A folder opens only with backup semantics.
    const HANDLE handle =
        CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()),
                    FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    // FILETIME counts 100 ns from 1601-01-01; the Unix epoch is 11644473600 s later.
    const ULONGLONG ticks = (ULONGLONG(when.toSecsSinceEpoch()) + 11644473600ULL) * 10000000ULL;
    FILETIME time{DWORD(ticks & 0xFFFFFFFF), DWORD(ticks >> 32)};
    const bool set = SetFileTime(handle, nullptr, &time, &time) != 0;
    CloseHandle(handle);
    return set;
}

} // namespace brindlecast::testing
