#pragma once

#include "Engine.h"

#include <QString>
#include <atomic>
#include <memory>

namespace brindlecast {
class Clipboard;
}

namespace brindlecast::engine {

/// The name of the function a back-end module exports:
/// `Engine* brindlecast_create_engine(Clipboard*)`.
inline constexpr const char* ModuleEntryPoint = "brindlecast_create_engine";

/// The back-end module the program carries in `programFolder` (brindlecast-writer, or
/// brindlecast-word on Windows), named without the system's suffix for loadable modules (the
/// loader adds it).
QString ModulePath(const QString& programFolder);

/// An engine whose back-end lives in a module loaded on first use. The program itself then
/// starts, and can give its advice, on a machine where the back-end's own libraries (the
/// office's runtime) are missing: a module that cannot be loaded is an engine that cannot be
/// created.
class ModuleEngine final : public Engine {
public:
    ModuleEngine(QString modulePath, Clipboard& clipboard);
    ~ModuleEngine() override;

    std::unique_ptr<Application> createApplication() override;
    void stop() noexcept override;
    bool requestsCanBeAbandoned() const noexcept override;
    QString stopNote() const override;

private:
    QString mModulePath;
    Clipboard& mClipboard;
    std::unique_ptr<Engine> mEngine;
    std::atomic<Engine*> mLoaded{nullptr}; // for stop(), which may come from another thread
};

} // namespace brindlecast::engine
