#pragma once

#include "app/FileLock.h"

#include <QByteArray>
#include <QString>
#include <vector>

// The engine's private folders in TEMP, marked with their owner so that what a killed program
// left behind can be told from what a live one uses.
namespace brindlecast::engine::writer {

/// Takes the owner lock of the engine folder just made at `folder`, held for the engine's
/// lifetime. When it cannot be had, removes the folder and throws EngineError.
FileLock ClaimEngineFolder(const QString& folder);

/// Notes in the engine's folder the sockets of its office process's pipes, which the office
/// leaves in /tmp when it is killed. Best effort: a folder that cannot take the note loses
/// nothing else.
void RecordPipeSockets(const QString& folder, const std::vector<QByteArray>& sockets);

/// Removes, with their pipe sockets, the engine folders in `parent` whose owner no longer runs:
/// those whose owner lock can be taken, and those without one (left by an older version, or
/// being made this instant) once they are ten minutes old. Folders of live engines stay.
void RemoveDeadEngineFolders(const QString& parent);

} // namespace brindlecast::engine::writer
