#include "ProgramIcon.h"

namespace brindlecast {

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/brindlecast-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace brindlecast
