// The Writer back-end as a loadable module, so that the program does not need the office's
// runtime libraries merely to start.
#include "WriterEngine.h"
#include "engine/ModuleEngine.h"

extern "C" __attribute__((visibility("default"))) brindlecast::engine::Engine*
brindlecast_create_engine(brindlecast::Clipboard* clipboard) {
    return new brindlecast::engine::writer::WriterEngine(*clipboard);
}
