#include "app/DesktopShell.h"

#include <QDesktopServices>
#include <QUrl>

namespace brindlecast {

void DesktopShell::openUrl(const QString& url) {
    QDesktopServices::openUrl(QUrl(url));
}

} // namespace brindlecast
