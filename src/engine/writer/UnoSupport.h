#pragma once

#include "engine/Engine.h"

#include <QString>
#include <com/sun/star/lang/XComponent.hpp>
#include <functional>
#include <rtl/ustring.hxx>

// Conversions between Qt and the office's runtime, and the one place where office exceptions
// become EngineError.
namespace brindlecast::engine::writer {

using rtl::OUString;

inline OUString toOUString(const QString& text) {
    return OUString(reinterpret_cast<const sal_Unicode*>(text.utf16()), sal_Int32(text.size()));
}

inline QString toQString(const OUString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getStr()), text.getLength());
}

/// The file URL of a local path, made absolute; non-ASCII characters are UTF-8 escaped, which
/// is what the office expects whatever the locale.
OUString fileUrl(const QString& path);

/// The message every failure of a stopped or unreachable engine shows.
QString engineStoppedMessage();

/// Converts the exception being handled (inside a catch block) into an EngineError. An engine
/// that went away reads as engineStoppedMessage(); any other office failure as `context`
/// followed by the office's own explanation when it gave one. EngineError passes unchanged.
/// `engineAlive` tells whether the engine process still runs; a runtime failure of a dead
/// engine is its death, not a fault of the call.
EngineError currentEngineError(const QString& context, const std::function<bool()>& engineAlive);

/// Closes `component` (or disposes of it, when it cannot be closed), whatever happens: a
/// vetoed close hands it to whoever vetoed, and a dead engine took it along.
void closeComponent(const css::uno::Reference<css::lang::XComponent>& component) noexcept;

} // namespace brindlecast::engine::writer
