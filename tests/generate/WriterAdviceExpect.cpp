// The LibreOffice edition's advice is the program's own text, kept in one place; what the box
// must add to it is the engine's reason, as a paragraph of its own.
#include "AdviceExpect.h"
#include "generate/EngineCheck.h"

namespace brindlecast::testing {

QString ExpectedAdviceBox(const QString& reason) {
    return WordMissingAdvice({}, AdviceFor::Window) + QStringLiteral("\r\n\r\n") + reason;
}

} // namespace brindlecast::testing
