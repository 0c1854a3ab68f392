#include "EngineSlot.h"

#include "app/EventPumps.h"
#include "app/FileHelpers.h"
#include "app/ProgramEnd.h"
#include "generate/EngineCheck.h"

#include <QTemporaryFile>

namespace brindlecast::cli {

using namespace std::chrono_literals;

EngineSlot::EngineSlot()
    : module(engine::ModulePath(ProgramFolder()), clipboard)
    // Engines that work on other threads than the main one are stopped through ProgramEnding()
    // alone: only the main thread can take the termination request.
    , engine(module, {engine::EngineTimeLimit(60s), ProcessTerminationRequests, ProgramEnding}) {}

void EngineSlot::start() {
    engine.createApplication()->quit();
}

QString TempFolderTrouble() {
    // As much as the engine's profile takes; written, as only writing tells (a full disk, a
    // quota, no inodes left, a folder that is not writable).
    constexpr qint64 Room = qint64(1) << 20;
    QTemporaryFile probe(TempFolder() + QStringLiteral("/brindlecast-room-XXXXXX"));
    const QByteArray block(64 * 1024, '\0');
    bool written = probe.open();
    for (qint64 done = 0; written && done < Room; done += block.size())
        written = probe.write(block) == block.size();
    written = written && probe.flush();
    if (written)
        return {};
    return QStringLiteral("no room is left in the temporary folder %1 (%2): free some room there, "
                          "or name another folder in TEMP")
        .arg(TempFolder(), probe.errorString());
}

StartFailure EngineStartFailure(const QString& reason) {
    if (const QString trouble = TempFolderTrouble(); !trouble.isEmpty())
        return {trouble, true};
    return {WordMissingAdvice(reason).replace(QLatin1String("\r\n"), QLatin1String("\n")), false};
}

} // namespace brindlecast::cli
