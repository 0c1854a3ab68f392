#pragma once

#include "app/PrivateClipboard.h"
#include "engine/DeadlineEngine.h"
#include "engine/ModuleEngine.h"

namespace brindlecast::cli {

/// An engine of the command line's own: an office process of its own, loaded as the window
/// loads it, each request under the deadline. Serves one thread at a time.
struct EngineSlot {
    EngineSlot();

    PrivateClipboard clipboard; // the engine's page pictures, never asked for here
    engine::ModuleEngine module;
    engine::DeadlineEngine engine;

    /// Starts the office process; throws EngineError when there is none to be had.
    void start();
};

/// Why nothing can be worked on in the temporary folder (it is full, or cannot be written), for
/// a message; empty when there is room.
QString TempFolderTrouble();

/// What the command line says when the engine does not start for `reason`.
struct StartFailure {
    QString message;
    /// The temporary folder has no room: the engine is there, and installing it again would
    /// not help. Otherwise the message is the advice on installing it.
    bool noRoom = false;
};
StartFailure EngineStartFailure(const QString& reason);

} // namespace brindlecast::cli
