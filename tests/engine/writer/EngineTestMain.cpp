// The engine tests' main. Started with BRINDLECAST_ENGINE_HOLDER=<file>, the program instead
// starts an engine, writes its process id to that file and waits to be killed: the lifecycle
// test kills it to see that the engine does not outlive its program.
#include "EngineTestSupport.h"

#include <QFile>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

static int holdAnEngine(const QString& pidFile) {
    brindlecast::fakes::FakeClipboard clipboard;
    brindlecast::engine::writer::WriterEngine engine(clipboard);
    const auto application = engine.createApplication();
    QFile file(pidFile + QStringLiteral(".part"));
    if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray::number(engine.processId())) <= 0)
        return 2;
    file.close();
    if (!file.rename(pidFile))
        return 2;
    std::this_thread::sleep_for(std::chrono::seconds(60));
    return 1;
}

int main(int argc, char** argv) {
    const QString pidFile = qEnvironmentVariable("BRINDLECAST_ENGINE_HOLDER");
    if (!pidFile.isEmpty())
        return holdAnEngine(pidFile);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
