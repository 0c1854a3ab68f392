#include "ModuleEngine.h"

#include <QLibrary>

namespace brindlecast::engine {

QString ModulePath(const QString& programFolder) {
    return programFolder + QStringLiteral("/" BRINDLECAST_ENGINE_MODULE);
}

ModuleEngine::ModuleEngine(QString modulePath, Clipboard& clipboard)
    : mModulePath(std::move(modulePath))
    , mClipboard(clipboard) {}

// The module stays loaded: its runtime does not support being unloaded, and the program ends
// soon after anyway.
ModuleEngine::~ModuleEngine() = default;

std::unique_ptr<Application> ModuleEngine::createApplication() {
    if (!mEngine) {
        // Every symbol is resolved now, so that a module missing a library of the office's
        // fails here, where the program gives its advice, and not in the middle of a run.
        QLibrary module(mModulePath);
        module.setLoadHints(QLibrary::ResolveAllSymbolsHint | QLibrary::PreventUnloadHint);
        if (!module.load())
            throw EngineError("The document engine cannot be loaded: " +
                              module.errorString().toStdString());
        using Create = Engine* (*)(Clipboard*);
        auto create = reinterpret_cast<Create>(module.resolve(ModuleEntryPoint));
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

bool ModuleEngine::requestsCanBeAbandoned() const noexcept {
    const Engine* engine = mLoaded.load();
    return engine && engine->requestsCanBeAbandoned();
}

QString ModuleEngine::stopNote() const {
    const Engine* engine = mLoaded.load();
    return engine ? engine->stopNote() : QString();
}

} // namespace brindlecast::engine
