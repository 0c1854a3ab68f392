#include "AdviceExpect.h"

namespace brindlecast::testing {

QString ExpectedAdviceBox(const QString& reason) {
    return QStringLiteral(
               "Error 842001. A normal instance of LibreOffice Writer could not be created.\r\n\r\n"
               "1. Please make sure LibreOffice Writer is installed on this computer (on Debian: "
               "sudo apt install libreoffice-writer libreoffice-draw, or their -nogui "
               "variants).\r\n\r\n"
               "2. Please open LibreOffice Writer normally and make sure a blank document opens "
               "immediately without any interrupting window (such as a LibreOffice Writer "
               "document recovery window).\r\n\r\n"
               "3. Please make sure that when you double-click on a DOC or DOCX file that "
               "LibreOffice Writer opens normally without any interrupting messages.\r\n\r\n"
               "4. All versions of LibreOffice Writer from 7.4 on are supported by this "
               "software.\r\n\r\n") +
           reason;
}

} // namespace brindlecast::testing
