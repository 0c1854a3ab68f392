#include "WorkingFiles.h"

#include "app/FileHelpers.h"
#include "app/Platform.h"

namespace brindlecast {

QString WorkingDocumentPath(const QString& folder, RandomSource& random) {
    for (;;) {
        QString name = QStringLiteral("tarvik");
        for (int digit = 0; digit < 8; ++digit) {
            random.randomize();
            name += QString::number(int(random.next() * 9) + 1);
        }
        const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".doc");
        if (!FileExists(path))
            return path;
    }
}

QString PreviewBitmapPath() {
    return TempFolder() + QStringLiteral("/temp.bmp");
}

QString RunLockPath() {
    return TempFolder() + QStringLiteral("/brindlecast.lock");
}

QImage GetClipboardPicture(Clipboard& clipboard, int format) {
    constexpr int Attempts = 1000;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        try {
            if (auto picture = clipboard.picture(format))
                return *picture;
        } catch (...) {
            // A clipboard held by another program answers again a moment later.
        }
    }
    return {};
}

} // namespace brindlecast
