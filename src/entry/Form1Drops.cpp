// A recipient list dropped on the main window goes to whoever listens for it (the program opens
// the mail merge window with it). Nothing on the window changes for it.
#include "Form1.h"
#include "newsletter/ListFileNames.h"

#include <QDropEvent>
#include <QMetaMethod>
#include <QMimeData>
#include <QUrl>

namespace brindlecast {

namespace {

// The one local list file a drag carries; empty for anything else, also for several files.
QString DraggedList(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls[0].isLocalFile())
        return {};
    const QString path = urls[0].toLocalFile();
    return IsListFileName(path) ? path : QString();
}

} // namespace

bool Form1::takeListDrag(QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto* drop = static_cast<QDropEvent*>(event);
    // While a newsletter is being made the window takes nothing new, as it takes no second run.
    if (mBusy || !isSignalConnected(QMetaMethod::fromSignal(&Form1::listDropped)) ||
        !(drop->possibleActions() & Qt::CopyAction))
        return false;
    const QString path = DraggedList(drop->mimeData());
    if (path.isEmpty())
        return false;
    // Always a copy: a file manager deletes the file of a move that the target took.
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop)
        emit listDropped(path);
    return true;
}

void Form1::dragEnterEvent(QDragEnterEvent* event) {
    if (!takeListDrag(event))
        event->ignore();
}

void Form1::dragMoveEvent(QDragMoveEvent* event) {
    if (!takeListDrag(event))
        event->ignore();
}

void Form1::dropEvent(QDropEvent* event) {
    if (!takeListDrag(event))
        event->ignore();
}

} // namespace brindlecast
