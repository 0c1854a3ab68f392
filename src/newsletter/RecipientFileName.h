#pragma once

#include <QString>

namespace brindlecast {

/// `text` made fit to be part of a file name on common file systems: controls and invisible
/// format characters (direction overrides among them) dropped, other blanks made plain, path
/// separators and : * ? " < > | replaced with "_", blanks collapsed, blanks and dots trimmed from
/// both ends, Unicode composed, and cut on a character boundary to at most `maxBytes` bytes of
/// UTF-8. Can be empty.
QString SafeFileNamePart(const QString& text, int maxBytes = 100);

/// The file name of recipient `position` (1-based) of `total`: the position zero-padded to three
/// digits or to the width of `total`, whichever is more, "-", the name made safe (or "recipient"
/// when nothing is left of it) and the extension, given with or without its dot:
/// "003-Dana Hollis.doc". It never holds a path separator, so it stays in the folder it is put in.
QString RecipientFileName(int position, int total, const QString& name, const QString& extension);

} // namespace brindlecast
