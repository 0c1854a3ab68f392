#pragma once

#include <QString>

namespace brindlecast {

/// Copies `source` to `target` byte for byte without ever leaving `target` half written: the
/// bytes go to a temporary file beside the target, which replaces the target only when it is
/// complete. On failure the target is as it was, the temporary file is gone, and
/// std::runtime_error says "Cannot save the newsletter to <target>: <reason>."
void SaveCopy(const QString& source, const QString& target);

} // namespace brindlecast
