#include "EngineCheck.h"

#include "app/ErrorTrap.h"
#include "app/MessageBoxes.h"
#include "engine/Engine.h"

#include <memory>

namespace brindlecast {

bool CheckWordInstalled(engine::Engine& engine, MessageBoxes& boxes,
                        const std::function<void()>& endProgram) {
    std::unique_ptr<engine::Application> application;
    try {
        application = engine.createApplication();
    } catch (...) {
        boxes.MsgBox(WordMissingAdvice(DescribeCurrentException(), AdviceFor::Window),
                     MsgStyle::OkOnly);
        endProgram();
        return false;
    }
    // The session only had to start; one that fails to quit has shown that much already.
    engine::QuitQuietly(application);
    return true;
}

} // namespace brindlecast
