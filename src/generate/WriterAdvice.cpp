// The advice of the LibreOffice edition: the engine's name and how to install it, and its own
// reason last, also in the box, since a Debian user can act on it.
#include "EngineCheck.h"

#include <QStringList>

namespace brindlecast {

QString WordMissingAdvice(const QString& reason, AdviceFor /*where*/) {
    const QString separator = QStringLiteral("\r\n\r\n");
    QStringList paragraphs{
        QStringLiteral("Error 842001. A normal instance of LibreOffice Writer could not be "
                       "created."),
        QStringLiteral("1. Please make sure LibreOffice Writer is installed on this computer "
                       "(on Debian: sudo apt install libreoffice-writer libreoffice-draw, or "
                       "their -nogui variants)."),
        QStringLiteral("2. Please open LibreOffice Writer normally and make sure a blank "
                       "document opens immediately without any interrupting window (such as a "
                       "LibreOffice Writer document recovery window)."),
        QStringLiteral("3. Please make sure that when you double-click on a DOC or DOCX file "
                       "that LibreOffice Writer opens normally without any interrupting "
                       "messages."),
        QStringLiteral("4. All versions of LibreOffice Writer from 7.4 on are supported by this "
                       "software.")};
    if (!reason.isEmpty())
        paragraphs << reason;
    return paragraphs.join(separator);
}

} // namespace brindlecast
