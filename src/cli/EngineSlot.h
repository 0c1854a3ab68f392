#pragma once

#include "app/QtPlatform.h"
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

} // namespace brindlecast::cli
