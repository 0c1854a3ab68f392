#pragma once

#include "engine/Engine.h"

#include <QString>

namespace brindlecast {

/// Copies `source` to `target` byte for byte without ever leaving `target` half written: the
/// bytes go to a temporary file beside the target, which replaces the target only when it is
/// complete. On failure the target is as it was, the temporary file is gone, and
/// std::runtime_error says "Cannot save the newsletter to <target>: <reason>."
void SaveCopy(const QString& source, const QString& target);

/// Writes the working document to `target` in `format`: a session of `engine` opens it
/// read-only and stores it into a scratch folder private to this call, and the result reaches
/// the target as SaveCopy puts it there. The session is quit and the scratch folder removed
/// whatever happens; failures are thrown as SaveCopy's are, the target left as it was.
void SaveConverted(engine::Engine& engine, const QString& workingDocument, const QString& target,
                   engine::SaveFormat format);

} // namespace brindlecast
