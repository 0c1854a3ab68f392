#pragma once

#include <QStringList>

namespace brindlecast {

/// The extensions, without their dot, of the files a recipient list is read from: text lists
/// (CSV, also saved as .txt; vCard; JSON) and the workbooks the office or Excel reads.
const QStringList& ListFileSuffixes();

/// Whether a file's name ends in one of ListFileSuffixes, in any letter case.
bool IsListFileName(const QString& path);

} // namespace brindlecast
