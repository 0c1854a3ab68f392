#include "ProgramEnd.h"

#include <QCoreApplication>
#include <atomic>

namespace brindlecast {

namespace {

std::atomic<bool> ending{false};

} // namespace

void RequestProgramEnd() {
    ending = true;
    QCoreApplication::exit(0);
}

bool ProgramEnding() {
    return ending;
}

} // namespace brindlecast
