#include "EngineSlot.h"

#include "app/FileHelpers.h"
#include "app/ProgramEnd.h"

#include <QCoreApplication>
#include <QThread>

namespace brindlecast::cli {

using namespace std::chrono_literals;

namespace {

// A termination signal reaches the program through its event queue, which only the main
// thread reads; engines that work on other threads are stopped through ProgramEnding().
void keepSignalsAnswered() {
    if (QThread::currentThread() == QCoreApplication::instance()->thread())
        QCoreApplication::processEvents();
}

} // namespace

EngineSlot::EngineSlot()
    : module(engine::ModulePath(ProgramFolder()), clipboard)
    , engine(module, {engine::EngineTimeLimit(60s), keepSignalsAnswered, ProgramEnding}) {}

void EngineSlot::start() {
    engine.createApplication()->quit();
}

} // namespace brindlecast::cli
