#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

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

/// The names a file-name pattern holds in brackets, "[Last], [First]" giving Last and First.
QStringList PatternNames(const QString& pattern);

/// A file name from `pattern`, each bracketed name in it replaced by `value(name)`, the whole made
/// fit for a file system (SafeFileNamePart, cut to leave room for the extension and a number that
/// tells two alike apart; a name Windows reserves for a device, such as "CON", gets a "_"), and the
/// extension. Empty when nothing is left of the name.
QString PatternFileName(const QString& pattern,
                        const std::function<QString(const QString& name)>& value,
                        const QString& extension);

/// A name made distinct from an earlier one.
struct RenamedFile {
    int position = 0; ///< in `names`
    QString wanted;   ///< the name it would have had
};

/// Makes the names distinct as a file system that ignores letter case sees them: the second
/// "Hollis, Dana.pdf" becomes "Hollis, Dana (2).pdf", and so on. Returns the names it changed.
std::vector<RenamedFile> MakeDistinct(std::vector<QString>& names);

} // namespace brindlecast
