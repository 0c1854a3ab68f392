#pragma once

#include <QDateTime>
#include <QString>

namespace brindlecast::testing {

/// Sets the last-modified time of the file or folder at `path` (Qt can set it for files only).
/// Returns false when the system refused.
bool SetLastModified(const QString& path, const QDateTime& when);

} // namespace brindlecast::testing
