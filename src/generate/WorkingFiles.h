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

/// Removes what instances that no longer run left in the working-file folder: every working
/// document whose lock can be taken, and a template or preview picture. Nothing of these is
/// touched while another instance's run holds the run lock (the next start looks again); nothing
/// is locked or made when no such file is there. Scratch folders of saves and single newsletters
/// go once they are an hour old, those of list runs once their run is dead (RemoveDeadListFolders).
void RemoveDeadWorkingFiles();

/// The clipboard's picture, asking up to 1000 times while the clipboard is busy; a null image
/// when none could be had.
QImage GetClipboardPicture(Clipboard& clipboard, int format);

} // namespace brindlecast
