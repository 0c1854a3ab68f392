#pragma once

#include <QString>
#include <QStringList>

class QFileInfo;

// Only ProgramFolder and TempFolder are the same everywhere; the rest is defined per operating
// system (posix/FileHelpersPosix.cpp, windows/FileHelpersWindows.cpp), so that links,
// permissions and the reasons of failures are the system's own.
namespace brindlecast {

/// True when something is at the exact path, a link that leads nowhere included; every failure
/// (empty path, missing folder) is false.
bool FileExists(const QString& path);

/// Removes one file; a missing, locked or otherwise undeletable file is silently left alone.
void DeleteFileQuietly(const QString& path);

/// True when `path` names a folder the program may create files in.
bool IsWritableFolder(const QString& path);

/// True when the file `info` describes belongs to the user the program runs as.
bool OwnedByCurrentUser(const QFileInfo& info);

/// The paths of the folders in `parent` whose names match `patterns` (exactly, letter case
/// too) and that are the current user's own; links are left out, whatever they lead to.
QStringList OwnFolders(const QString& parent, const QStringList& patterns);

/// The folder of the running program, without a trailing separator.
QString ProgramFolder();

/// The program's working-file folder: $TEMP when it names a writable folder, otherwise the
/// platform's temporary folder (never the root of the file system). Separated by '/' everywhere.
QString TempFolder();

/// Creates `path` afresh for this run and writes `bytes` into it. Whatever is at the path (a
/// left-over file, a planted file or a link) is removed first; the new file is created
/// exclusively, without following links, readable by its owner only. Throws std::runtime_error
/// with a readable description when the file cannot be written completely.
void WriteFreshFile(const QString& path, const QByteArray& bytes);

} // namespace brindlecast
