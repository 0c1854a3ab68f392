#pragma once

#include <QString>
#include <functional>

namespace brindlecast {

class MessageBoxes;
class SaveDialog;
class Clipboard;
class Shell;
class RandomSource;
namespace engine {
class Engine;
}

/// The outside world as the windows see it. The program wires the real implementations; tests
/// wire recording fakes.
struct Services {
    MessageBoxes& boxes;
    SaveDialog& saveDialog;
    Clipboard& clipboard;
    Shell& shell;
    RandomSource& random;
    engine::Engine& engine;
    /// Where the optional skin and hand-cursor files are looked for.
    QString programFolder;
    /// Ends the program: the event loop stops and no window's closing steps run.
    std::function<void()> endProgram;
    /// True once the program has been asked to end (a closed window, a termination signal).
    std::function<bool()> ending;
};

} // namespace brindlecast
