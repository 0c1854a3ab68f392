#include "UnoSupport.h"

#include <QFileInfo>
#include <QUrl>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <exception>

namespace brindlecast::engine::writer {

OUString fileUrl(const QString& path) {
    return toOUString(
        QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded));
}

QString engineStoppedMessage() {
    return QStringLiteral("The document engine stopped unexpectedly.");
}

static EngineError withDetail(const QString& context, const OUString& detail) {
    const QString text = toQString(detail).trimmed();
    if (text.isEmpty())
        return EngineError(context.toStdString());
    return EngineError(QStringLiteral("%1 (%2)").arg(context, text).toStdString());
}

EngineError currentEngineError(const QString& context, const std::function<bool()>& engineAlive) {
    try {
        throw;
    } catch (const EngineError& error) {
        return error;
    } catch (const css::lang::DisposedException&) {
        return EngineError(engineStoppedMessage().toStdString());
    } catch (const css::uno::RuntimeException& error) {
        if (!engineAlive || !engineAlive())
            return EngineError(engineStoppedMessage().toStdString());
        return withDetail(context, error.Message);
    } catch (const css::uno::Exception& error) {
        return withDetail(context, error.Message);
    } catch (const std::exception& error) {
        return EngineError(QStringLiteral("%1 (%2)")
                               .arg(context, QString::fromLocal8Bit(error.what()))
                               .toStdString());
    } catch (...) {
        return EngineError(context.toStdString());
    }
}

void closeComponent(const css::uno::Reference<css::lang::XComponent>& component) noexcept {
    try {
        const css::uno::Reference<css::util::XCloseable> closeable(component, css::uno::UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
        else
            component->dispose();
    } catch (...) {
    }
}

} // namespace brindlecast::engine::writer
