#pragma once

#include <QImage>
#include <QString>

namespace brindlecast {

class Clipboard;
class RandomSource;

/// A free working-document path in `folder`: "tarvik", eight digits 1-9, ".doc".
QString WorkingDocumentPath(const QString& folder, RandomSource& random);

/// The preview picture's path in the working-file folder.
QString PreviewBitmapPath();

/// The lock file a run holds from writing the template until the preview picture is deleted
/// again, so that runs of two instances sharing the working-file folder take turns.
QString RunLockPath();

/// The clipboard's picture, asking up to 1000 times while the clipboard is busy; a null image
/// when none could be had.
QImage GetClipboardPicture(Clipboard& clipboard, int format);

} // namespace brindlecast
