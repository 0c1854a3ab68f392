#pragma once

#include <QString>

namespace brindlecast::testing {

/// The start-up check's box when the engine cannot be started for `reason`, word for word: the
/// LibreOffice edition's, or the Word edition's on Windows.
QString ExpectedAdviceBox(const QString& reason);

} // namespace brindlecast::testing
