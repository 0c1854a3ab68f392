#pragma once

#include <QString>
#include <memory>
#include <optional>

namespace brindlecast {

inline constexpr const char* AppName = "Quillmark";
inline constexpr const char* SectionName = "Brindlecast";

/// Reads a stored text; `defaultValue` when the key is absent or the store cannot be read.
QString GetSetting(const QString& app, const QString& section, const QString& key,
                   const QString& defaultValue = {});

/// Stores a text so that it outlives the program however it ends, before returning. Returns
/// false when the store could not be written; the caller decides how to tell the user.
bool SaveSetting(const QString& app, const QString& section, const QString& key,
                 const QString& value);

/// The store of `app`'s settings as a message names it to the user: "the settings file <path>"
/// or "the registry key <key>".
QString SettingsStoreName(const QString& app, const QString& section);

/// One section of the operating system's per-user settings store, behind GetSetting and
/// SaveSetting: an INI file per application on POSIX systems (posix/SettingsPosix.cpp), a
/// registry key on Windows (windows/SettingsWindows.cpp).
class SettingsStore {
public:
    enum class Access { Read, Write };
    SettingsStore(const QString& app, const QString& section, Access access);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    /// False when nothing can be read from the store, or (opened to write) written to it.
    bool usable() const;
    /// The text stored under `key`; nothing when it is absent or holds no text.
    std::optional<QString> text(const QString& key) const;
    /// True when `key` holds exactly `value` already, so that writing it would change nothing.
    bool holds(const QString& key, const QString& value) const;
    /// Stores `value` under `key`; true when it got there.
    bool write(const QString& key, const QString& value);

private:
    struct Store;
    std::unique_ptr<Store> mStore;
};

} // namespace brindlecast
