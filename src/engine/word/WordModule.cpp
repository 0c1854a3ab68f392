// The Word back-end as the module the program loads when it first needs the engine.
#include "WordEngine.h"

extern "C" __declspec(dllexport)
    brindlecast::engine::Engine* brindlecast_create_engine(brindlecast::Clipboard* clipboard) {
    return new brindlecast::engine::word::WordEngine(*clipboard);
}
