#pragma once

#include "app/FileLock.h"

#include <QString>

// The scratch folders of the command line's list runs, marked with their owner as the engine's
// folders are (a lock on an owner file inside), so that a later start can tell the folder of a
// killed run, which it removes, from a live run's, which it leaves alone.
namespace brindlecast {

/// A list run's scratch folder and its owner lock, held for the run.
struct ListFolder {
    QString path;
    FileLock owner;
};

/// Makes a new list folder in `parent`, already holding its owner lock. Throws
/// std::runtime_error, leaving nothing behind.
ListFolder MakeListFolder(const QString& parent);

/// Removes the list folders in `parent` whose owner no longer runs: those whose owner lock can
/// be taken, and those without a marked owner file (made by an older version, or by a start
/// that died while making it) once ten minutes have passed since anything changed in them.
void RemoveDeadListFolders(const QString& parent);

} // namespace brindlecast
