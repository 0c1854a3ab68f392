#include "FileGate.h"

#include "UnoSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <com/sun/star/ucb/IllegalIdentifierException.hpp>
#include <com/sun/star/ucb/UniversalContentBroker.hpp>
#include <com/sun/star/ucb/XContentIdentifierFactory.hpp>
#include <com/sun/star/ucb/XContentProvider.hpp>
#include <com/sun/star/ucb/XFileIdentifierConverter.hpp>
#include <cppuhelper/implbase3.hxx>
#include <map>
#include <mutex>

namespace brindlecast::engine::writer {

using css::uno::Reference;
using css::uno::UNO_QUERY;

struct FileGate::Rules {
    mutable std::mutex mutex;
    QStringList folders;              // cleaned absolute paths
    std::map<QString, int> files;     // cleaned absolute path -> passes held
    std::map<QString, int> canonical; // the same files as the system resolves them
    std::map<QString, int> rooms;     // folders whose own files (not their folders') are open

    static QString pathOf(const QString& url) {
        const QUrl parsed(url, QUrl::StrictMode);
        if (!parsed.isValid() || parsed.scheme() != QLatin1String("file"))
            return {};
        if (!parsed.host().isEmpty() && parsed.host() != QLatin1String("localhost"))
            return {};
        // What the office would make of a query or a fragment in a file's name is its own.
        if (parsed.hasQuery() || parsed.hasFragment())
            return {};
        const QString path = parsed.path(QUrl::FullyDecoded);
        if (!path.startsWith(QLatin1Char('/')) || path.contains(QChar(0)))
            return {};
        return QDir::cleanPath(path);
    }

    bool allowsPath(const QString& path) const {
        if (path.isEmpty())
            return false;
        std::lock_guard lock(mutex);
        const QString folder =
            path.left(std::max<qsizetype>(1, path.lastIndexOf(QLatin1Char('/'))));
        if (files.count(path) || rooms.count(path) || rooms.count(folder))
            return true;
        for (const QString& own : folders)
            if (path == own || path.startsWith(own + QLatin1Char('/')))
                return true;
        // Reached through a link, a document of ours is still ours; nothing else is.
        const QString resolved = QFileInfo(path).canonicalFilePath();
        return !resolved.isEmpty() && canonical.count(resolved);
    }
};

struct FileGate::Pass::State {
    std::weak_ptr<Rules> rules;
    QString path;
    QString lock;
    QString canonical;
    QString room;

    ~State() {
        const std::shared_ptr<Rules> held = rules.lock();
        if (!held)
            return;
        std::lock_guard guard(held->mutex);
        const auto release = [](std::map<QString, int>& counts, const QString& key) {
            const auto found = counts.find(key);
            if (found != counts.end() && --found->second == 0)
                counts.erase(found);
        };
        release(held->files, path);
        release(held->files, lock);
        release(held->canonical, canonical);
        release(held->rooms, room);
    }
};

FileGate::Pass::Pass(Pass&& other) noexcept = default;
FileGate::Pass& FileGate::Pass::operator=(Pass&& other) noexcept = default;
FileGate::Pass::~Pass() = default;

// Stands for the office's own provider of file URLs, which does the work for whatever the rules
// let through. Its other faces (path conversion, identifiers) are the office's provider's, so
// that nothing else about files changes.
class FileGate::Provider
    : public cppu::WeakImplHelper3<css::ucb::XContentProvider, css::ucb::XFileIdentifierConverter,
                                   css::ucb::XContentIdentifierFactory> {
public:
    Provider(Reference<css::ucb::XContentProvider> inner, std::shared_ptr<Rules> rules)
        : mInner(std::move(inner))
        , mConverter(mInner, UNO_QUERY)
        , mFactory(mInner, UNO_QUERY)
        , mRules(std::move(rules)) {}

    Reference<css::ucb::XContent>
        SAL_CALL queryContent(const Reference<css::ucb::XContentIdentifier>& identifier) override {
        if (!identifier.is() ||
            !mRules->allowsPath(Rules::pathOf(toQString(identifier->getContentIdentifier()))))
            throw css::ucb::IllegalIdentifierException(
                OUString("The file lies outside the document the engine was given."), *this);
        return mInner->queryContent(identifier);
    }
    sal_Int32 SAL_CALL
    compareContentIds(const Reference<css::ucb::XContentIdentifier>& first,
                      const Reference<css::ucb::XContentIdentifier>& second) override {
        return mInner->compareContentIds(first, second);
    }
    sal_Int32 SAL_CALL getFileProviderLocality(const OUString& baseUrl) override {
        return mConverter.is() ? mConverter->getFileProviderLocality(baseUrl) : -1;
    }
    OUString SAL_CALL getFileURLFromSystemPath(const OUString& baseUrl,
                                               const OUString& systemPath) override {
        return mConverter.is() ? mConverter->getFileURLFromSystemPath(baseUrl, systemPath)
                               : OUString();
    }
    OUString SAL_CALL getSystemPathFromFileURL(const OUString& url) override {
        return mConverter.is() ? mConverter->getSystemPathFromFileURL(url) : OUString();
    }
    Reference<css::ucb::XContentIdentifier>
        SAL_CALL createContentIdentifier(const OUString& identifier) override {
        return mFactory.is() ? mFactory->createContentIdentifier(identifier)
                             : Reference<css::ucb::XContentIdentifier>();
    }

private:
    Reference<css::ucb::XContentProvider> mInner;
    Reference<css::ucb::XFileIdentifierConverter> mConverter;
    Reference<css::ucb::XContentIdentifierFactory> mFactory;
    std::shared_ptr<Rules> mRules;
};

FileGate::FileGate(const Reference<css::uno::XComponentContext>& context,
                   const QStringList& officeFolders)
    : mRules(std::make_shared<Rules>()) {
    for (const QString& folder : officeFolders)
        mRules->folders << QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const Reference<css::ucb::XUniversalContentBroker> broker =
        css::ucb::UniversalContentBroker::create(context);
    const OUString scheme("file");
    const Reference<css::ucb::XContentProvider> inner =
        broker->queryContentProvider(OUString("file:///"));
    if (!inner.is())
        throw EngineError("The document engine has no provider of files to guard.");
    broker->deregisterContentProvider(inner, scheme);
    broker->registerContentProvider(new Provider(inner, mRules), scheme, true);
}

FileGate::~FileGate() = default;

FileGate::Pass FileGate::allow(const QString& path, Scope scope) {
    const QFileInfo info(path);
    Pass pass;
    pass.mState = std::make_shared<Pass::State>();
    pass.mState->rules = mRules;
    pass.mState->path = QDir::cleanPath(info.absoluteFilePath());
    // The office's mark that a document is open for writing, beside it.
    pass.mState->lock = QDir::cleanPath(info.absolutePath()) + QStringLiteral("/.~lock.") +
                        info.fileName() + QLatin1Char('#');
    pass.mState->canonical = info.canonicalFilePath();
    if (scope == Scope::FileAndFolder)
        pass.mState->room = QDir::cleanPath(info.absolutePath());
    std::lock_guard lock(mRules->mutex);
    ++mRules->files[pass.mState->path];
    ++mRules->files[pass.mState->lock];
    // A file still to be written has no canonical path yet; the path itself lets it through.
    if (!pass.mState->canonical.isEmpty())
        ++mRules->canonical[pass.mState->canonical];
    if (!pass.mState->room.isEmpty())
        ++mRules->rooms[pass.mState->room];
    return pass;
}

} // namespace brindlecast::engine::writer
