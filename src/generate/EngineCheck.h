#pragma once

#include <QString>
#include <functional>

namespace brindlecast {

class MessageBoxes;
namespace engine {
class Engine;
}

/// Starts and quits one engine session. When none can be had, shows the numbered advice and
/// calls `endProgram`; returns whether the program may go on.
bool CheckWordInstalled(engine::Engine& engine, MessageBoxes& boxes,
                        const std::function<void()>& endProgram);

/// Where the engine's advice is shown: the start-up check's box, or the command line's errors.
enum class AdviceFor { Window, Console };

/// The numbered advice shown when the engine cannot be started, in the engine's own words
/// (LibreOffice Writer's, or Word's on Windows). On the console it ends with the engine's own
/// `reason` when there is one; so does the box of the LibreOffice edition, while Word's edition
/// shows its advice word for word.
QString WordMissingAdvice(const QString& reason = {}, AdviceFor where = AdviceFor::Console);

} // namespace brindlecast
