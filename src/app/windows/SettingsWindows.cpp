// The settings store on Windows: the registry branch that programs of this kind have always kept
// their settings in, HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>\<section>, one
// string value per key, so that what an earlier program stored there reads back as it is.
#include "app/Settings.h"

#include <cwchar>
#include <optional>
#include <string>
#include <windows.h>

namespace brindlecast {

namespace {

QString branch(const QString& app, const QString& section) {
    return QStringLiteral("Software\\VB and VBA Program Settings\\") + app + QLatin1Char('\\') +
           section;
}

struct Value {
    DWORD type = REG_NONE;
    QString text;
};

// The value `name` when it is a text; anything else (binary junk, a number) is no text of ours.
std::optional<Value> readValue(HKEY key, const std::wstring& name) {
    DWORD size = 0;
    Value value;
    for (LSTATUS status = ERROR_MORE_DATA; status == ERROR_MORE_DATA;) {
        std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bytes = DWORD(data.size() * sizeof(wchar_t));
        status = RegQueryValueExW(key, name.c_str(), nullptr, &value.type,
                                  reinterpret_cast<BYTE*>(data.data()), &bytes);
        size = bytes;
        if (status == ERROR_SUCCESS) {
            if (value.type != REG_SZ && value.type != REG_EXPAND_SZ)
                return std::nullopt;
            data.resize(bytes / sizeof(wchar_t));
            // Stored with its terminating null, or (by other writers) without.
            data.resize(std::wcslen(data.c_str()));
            value.text = QString::fromStdWString(data);
            return value;
        }
    }
    return std::nullopt;
}

} // namespace

struct SettingsStore::Store {
    HKEY key = nullptr;
    bool usable = false;
    ~Store() {
        if (key)
            RegCloseKey(key);
    }
};

SettingsStore::SettingsStore(const QString& app, const QString& section, Access access)
    : mStore(std::make_unique<Store>()) {
    const std::wstring path = branch(app, section).toStdWString();
    LSTATUS status;
    if (access == Access::Read) {
        status = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &mStore->key);
        // No key yet is an empty store, not a broken one.
        mStore->usable = status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    } else {
        status =
            RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &mStore->key, nullptr);
        mStore->usable = status == ERROR_SUCCESS;
    }
    if (status != ERROR_SUCCESS)
        mStore->key = nullptr;
}

SettingsStore::~SettingsStore() = default;

bool SettingsStore::usable() const {
    return mStore->usable;
}

std::optional<QString> SettingsStore::text(const QString& key) const {
    if (!mStore->key)
        return std::nullopt;
    if (auto value = readValue(mStore->key, key.toStdWString()))
        return value->text;
    return std::nullopt;
}

bool SettingsStore::holds(const QString& key, const QString& value) const {
    if (!mStore->key)
        return false;
    const auto stored = readValue(mStore->key, key.toStdWString());
    return stored && stored->type == REG_SZ && stored->text == value;
}

bool SettingsStore::write(const QString& key, const QString& value) {
    // Once RegSetValueExW has returned, the value is the system's, and outlives this process
    // however it ends. RegFlushKey would only hurry it to disk against a crash of the system, at
    // a cost to every program using the registry; not something to do at each keystroke.
    const std::wstring data = value.toStdWString();
    return RegSetValueExW(mStore->key, key.toStdWString().c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          DWORD((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

QString SettingsStoreName(const QString& app, const QString& section) {
    return QStringLiteral("the registry key HKEY_CURRENT_USER\\") + branch(app, section);
}

} // namespace brindlecast
