#pragma once

#include "app/FileLock.h"

#include <QByteArray>
#include <QString>
#include <vector>

// The engine's private folders in TEMP, marked with their owner so that what a killed program
// left behind can be told from what a live one uses, and the files its office leaves elsewhere.
// The room check and the pipes' sockets are the operating system's (posix/EngineFoldersPosix.cpp).
namespace brindlecast::engine::writer {

/// An engine folder and its owner lock, held for the engine's lifetime.
struct ClaimedFolder {
    QString path;
    FileLock owner;
};

/// Makes a new engine folder in `parent`, open to this user only, already holding its owner
/// lock. Throws EngineError, leaving nothing behind.
ClaimedFolder MakeEngineFolder(const QString& parent);

/// Notes in the engine's folder the sockets of its office process's pipes, which the office
/// leaves in /tmp when it is killed. Best effort: a folder that cannot take the note loses
/// nothing else.
void RecordPipeSockets(const QString& folder, const std::vector<QByteArray>& sockets);

/// Throws EngineError, with the reason, when `folder` has no room for the office's profile: an
/// office that finds none only exits with a code of its own.
void RequireRoom(const QString& folder);

/// Where the office's runtime keeps the socket of its named pipe `name`, whatever TMPDIR says.
QByteArray PipeSocketPath(const QString& name);

/// Removes the socket at `path`; anything else there stays.
void RemoveSocket(const QByteArray& path);

/// Removes the socket at `path` only when it is one the office made for a pipe of this user's,
/// whatever a damaged or planted note names.
void RemoveOurPipeSocket(const QByteArray& path);

/// Removes, with their pipe sockets, the engine folders in `parent` whose owner no longer runs:
/// those whose owner lock can be taken, and those without one (left by an older version, or by
/// a start that died while making its folder) once they are ten minutes old. Folders of live
/// engines stay.
void RemoveDeadEngineFolders(const QString& parent);

} // namespace brindlecast::engine::writer
