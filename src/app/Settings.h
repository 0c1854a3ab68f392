#pragma once

#include <QString>

namespace brindlecast {

inline constexpr const char* AppName = "Quillmark";
inline constexpr const char* SectionName = "Brindlecast";

/// Reads a stored text; `defaultValue` when the key is absent or the store cannot be read.
QString GetSetting(const QString& app, const QString& section, const QString& key,
                   const QString& defaultValue = {});

/// Stores a text and flushes it to disk before returning. Returns false when the store could
/// not be written; the caller decides how to tell the user.
bool SaveSetting(const QString& app, const QString& section, const QString& key,
                 const QString& value);

/// The file that holds the application's settings (one INI file per application name).
QString SettingsFilePath(const QString& app);

} // namespace brindlecast
