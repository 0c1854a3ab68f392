#include "EventPumps.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

namespace brindlecast {

namespace {

class InputDropper final : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            return true;
        default:
            return QObject::eventFilter(watched, event);
        }
    }
};

} // namespace

void ProcessEventsWhileBusy() {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return;
    InputDropper dropper;
    application->installEventFilter(&dropper);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    application->removeEventFilter(&dropper);
}

void ProcessEventsWhileRunWaits() {
    QCoreApplication::processEvents();
}

void ProcessEventsBeforeClosing() {
    QCoreApplication::processEvents();
}

void ProcessTerminationRequests() {
    QCoreApplication* application = QCoreApplication::instance();
    if (application && QThread::currentThread() == application->thread())
        QCoreApplication::processEvents();
}

} // namespace brindlecast
