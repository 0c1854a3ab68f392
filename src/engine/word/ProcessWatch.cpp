#include "ProcessWatch.h"

#include "BusyWord.h"

#include <QFileInfo>
#include <algorithm>
#include <objbase.h>
#include <tlhelp32.h>

namespace brindlecast::engine::word {

namespace {

std::set<DWORD> processesNamed(const QString& image) {
    std::set<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (QString::fromWCharArray(entry.szExeFile).compare(image, Qt::CaseInsensitive) == 0)
            found.insert(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return found;
}

// `"C:\Program Files\...\WINWORD.EXE" /Automation`, also unquoted with blanks in the folder.
QString programOfCommand(const QString& command) {
    QString program = command.trimmed();
    if (program.startsWith(QLatin1Char('"'))) {
        program = program.mid(1, program.indexOf(QLatin1Char('"'), 1) - 1);
    } else if (const qsizetype exe = program.indexOf(QLatin1String(".exe"), 0, Qt::CaseInsensitive);
               exe >= 0) {
        program.truncate(exe + 4);
    } else {
        program = program.section(QLatin1Char(' '), 0, 0);
    }
    // A short (8.3) name does not match the process list's long one.
    wchar_t longPath[MAX_PATH] = {};
    const std::wstring shortPath = program.toStdWString();
    if (const DWORD length = GetLongPathNameW(shortPath.c_str(), longPath, MAX_PATH);
        length > 0 && length < MAX_PATH)
        program = QString::fromWCharArray(longPath, int(length));
    return QFileInfo(QString(program).replace(QLatin1Char('\\'), QLatin1Char('/'))).fileName();
}

// What a Word's processes show: Word's main window, which holds its documents and its start
// screen, has the class Microsoft names for it ("OpusApp"); its questions are dialogs.
struct Windows {
    bool document = false;
    bool other = false;
};

Windows windowsOf(const std::vector<unsigned long>& ids) {
    struct Search {
        const std::vector<unsigned long>& ids;
        Windows shown;
    } search{ids, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (!IsWindowVisible(window) ||
                std::find(search.ids.begin(), search.ids.end(), owner) == search.ids.end())
                return TRUE;
            // The class, unlike the title, is read without a message to a Word that may hang.
            wchar_t name[64] = {};
            GetClassNameW(window, name, int(std::size(name)));
            (std::wstring(name) == L"OpusApp" ? search.shown.document : search.shown.other) = true;
            return !search.shown.document;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.shown;
}

// Enough to end a process, wait for it and read its id.
constexpr DWORD ProcessAccess = PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION;

} // namespace

const char WordAskedAtStart[] =
    "Word was waiting for an answer to a question of its own (at its first start, to sign in, "
    "to activate, or to start in safe mode), which nobody can see while it runs hidden, and was "
    "ended. Please start Word once by hand, answer what it asks and close it, then try again.";

ServerProcess::~ServerProcess() {
    for (HANDLE process : mHandles)
        CloseHandle(process);
}

void ServerProcess::terminate() noexcept {
    if (isUsers())
        return;
    for (HANDLE process : mHandles)
        TerminateProcess(process, 1);
    // Ending is not immediate; once it has, every call into it fails at once.
    for (HANDLE process : mHandles)
        WaitForSingleObject(process, 1000);
}

void ServerProcess::endUnlessGone() noexcept {
    if (isUsers())
        return;
    const ULONGLONG deadline = GetTickCount64() + 1000;
    for (HANDLE process : mHandles) {
        const ULONGLONG now = GetTickCount64();
        if (WaitForSingleObject(process, DWORD(now < deadline ? deadline - now : 0)) ==
            WAIT_TIMEOUT)
            TerminateProcess(process, 1);
    }
}

bool ServerProcess::isUsers() noexcept {
    if (!mLeftToUser && windowsOf(ids()).document)
        mLeftToUser = true;
    return mLeftToUser;
}

bool ServerProcess::showsOwnQuestion() const {
    const Windows shown = windowsOf(ids());
    return shown.other && !shown.document;
}

std::vector<unsigned long> ServerProcess::ids() const {
    std::vector<unsigned long> ids;
    for (HANDLE process : mHandles)
        ids.push_back(GetProcessId(process));
    return ids;
}

std::vector<HANDLE> ProcessWatch::appeared(DWORD access) {
    std::vector<HANDLE> handles;
    for (DWORD id : processesNamed(mImage)) {
        if (mBefore.count(id))
            continue;
        if (HANDLE process = OpenProcess(access, FALSE, id))
            handles.push_back(process);
    }
    return handles;
}

void ProcessWatch::creating(const QString& imageName) {
    std::lock_guard lock(mMutex);
    mImage = imageName;
    mBefore = processesNamed(mImage);
    mCreating = true;
    mLeftToUser = false;
    mCreationStopped = false;
    mNote.clear();
}

std::shared_ptr<ServerProcess> ProcessWatch::created() {
    std::lock_guard lock(mMutex);
    mCreating = false;
    // More than one only when another program started the same server at the same moment:
    // then both are treated as ours rather than leaving a hanging one of ours unstoppable.
    auto process = std::make_shared<ServerProcess>(appeared(ProcessAccess));
    std::erase_if(mLive, [](const auto& live) { return live.expired(); });
    mLive.push_back(process);
    return process;
}

void ProcessWatch::creationFailed() noexcept {
    std::lock_guard lock(mMutex);
    mCreating = false;
    ServerProcess started(appeared(ProcessAccess));
    end(started);
}

bool ProcessWatch::creationStopped() {
    std::lock_guard lock(mMutex);
    return mCreationStopped;
}

void ProcessWatch::end(ServerProcess& process) noexcept {
    if (process.isUsers())
        return;
    // Ended at its question, it would only ask again at the next start: the user is told.
    if (process.showsOwnQuestion())
        mNote = QString::fromLatin1(WordAskedAtStart);
    process.terminate();
}

void ProcessWatch::stop() noexcept {
    std::lock_guard lock(mMutex);
    bool usersWord = false;
    for (const auto& live : mLive) {
        if (const std::shared_ptr<ServerProcess> process = live.lock()) {
            usersWord = usersWord || process->isUsers();
            end(*process);
        }
    }
    if (usersWord) {
        AbandonPendingCalls();
        mLeftToUser = true;
    }
    if (mCreating) {
        mCreationStopped = true;
        ServerProcess started(appeared(ProcessAccess));
        end(started);
    }
}

QString ProcessWatch::stopNote() const {
    std::lock_guard lock(mMutex);
    return mNote;
}

QString ServerImageName(const CLSID& clsid) {
    wchar_t guid[64] = {};
    StringFromGUID2(clsid, guid, int(std::size(guid)));
    const std::wstring key = L"CLSID\\" + std::wstring(guid) + L"\\LocalServer32";
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        HKEY server = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE | view, &server) !=
            ERROR_SUCCESS)
            continue;
        wchar_t command[2048] = {};
        DWORD size = sizeof command - sizeof(wchar_t);
        const LSTATUS status =
            RegGetValueW(server, nullptr, nullptr, RRF_RT_REG_SZ, nullptr, command, &size);
        RegCloseKey(server);
        if (status == ERROR_SUCCESS)
            return programOfCommand(QString::fromWCharArray(command));
    }
    return {};
}

} // namespace brindlecast::engine::word
