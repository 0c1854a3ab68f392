#pragma once

#include "engine/Engine.h"

#include <QString>

namespace brindlecast {

/// Why the document at `path`, a newsletter in `format`, is not whole: missing, empty, not of its
/// format, or cut short; empty when it is whole. Only what tells is read: the document's start
/// and end, and for a Word 97-2003 document its allocation table, whose sectors must all be there.
QString WhyNotWhole(const QString& path, engine::SaveFormat format);

} // namespace brindlecast
