#include "ModuleEngine.h"

#include <QFile>
#include <dlfcn.h>

namespace brindlecast::engine {

ModuleEngine::ModuleEngine(QString modulePath, Clipboard& clipboard)
    : mModulePath(std::move(modulePath))
    , mClipboard(clipboard) {}

// The module stays loaded: its runtime does not support being unloaded, and the program ends
// soon after anyway.
ModuleEngine::~ModuleEngine() = default;

std::unique_ptr<Application> ModuleEngine::createApplication() {
    if (!mEngine) {
        void* module = ::dlopen(QFile::encodeName(mModulePath).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!module)
            throw EngineError(std::string("The document engine cannot be loaded: ") + ::dlerror());
        using Create = Engine* (*)(Clipboard*);
        auto create = reinterpret_cast<Create>(::dlsym(module, ModuleEntryPoint));
        if (!create)
            throw EngineError("The document engine cannot be loaded: " + mModulePath.toStdString() +
                              " is no engine module");
        mEngine.reset(create(&mClipboard));
        mLoaded = mEngine.get();
    }
    return mEngine->createApplication();
}

void ModuleEngine::stop() noexcept {
    if (Engine* engine = mLoaded.load())
        engine->stop();
}

} // namespace brindlecast::engine
