// One Word, from its creation to its quit.
#include "ProcessWatch.h"
#include "WordObjects.h"

#include <QDir>

namespace brindlecast::engine::word {

WordApplication::WordApplication(Dispatch application, std::shared_ptr<ServerProcess> process,
                                 Session session)
    : mSession(session)
    , mApplication(std::move(application))
    , mProcess(std::move(process))
    , mSelection(mSession) {}

WordApplication::~WordApplication() {
    if (!mQuitTried) {
        try {
            quit();
        } catch (...) {
            // Ending it is all that is left to do, and quit() has seen to that.
        }
    }
    releaseAll();
}

Document& WordApplication::open(const QString& path, bool readOnly) {
    // Word started through automation runs a document's macros (AutoOpen, Document_Open)
    // unasked; a template from elsewhere may carry some, and ours need none.
    if (!mMacrosDisabled) {
        mApplication.put(L"AutomationSecurity", Variant::int32(MacrosForceDisabled));
        mMacrosDisabled = true;
    }
    const Dispatch documents = mApplication.object(L"Documents");
    std::vector<Variant> file{Variant::string(QDir::toNativeSeparators(path))};
    Dispatch document;
    try {
        document =
            readOnly ? documents.callObject(L"Open", file, {{L"ReadOnly", Variant::boolean(true)}})
                     : documents.callObject(L"Open", file);
    } catch (const WordRefusal& refusal) {
        // Word's words name the file on a line of their own ("...\r(C:\...)"): the caller names
        // it as the user knows it.
        const QString reason =
            QString::fromLocal8Bit(refusal.what()).section(QLatin1Char('\r'), 0, 0);
        throw OpenError(path, reason.endsWith(QLatin1Char('.')) ? reason.chopped(1) : reason);
    }
    ++mSession.openDocuments;
    mDocuments.push_back(std::make_unique<WordDocument>(mSession, std::move(document)));
    return *mDocuments.back();
}

Range& WordApplication::selection() {
    mSelection.bind(mApplication.object(L"Selection"));
    return mSelection;
}

void WordApplication::setDisplayAlerts(bool displayAlerts) {
    // A WdAlertLevel: wdAlertsNone 0, wdAlertsAll -1.
    mApplication.put(L"DisplayAlerts", Variant::int32(displayAlerts ? -1 : 0));
}

Document& WordApplication::activeDocument() {
    mDocuments.push_back(
        std::make_unique<WordDocument>(mSession, mApplication.object(L"ActiveDocument")));
    return *mDocuments.back();
}

void WordApplication::quit() {
    if (!mApplication)
        return; // ended already
    mQuitTried = true;
    try {
        if (holdsOthersDocuments())
            return leaveToUser();
        // An add-in that changed Normal.dotm would make a hidden Word ask whether to save it,
        // and wait for an answer nobody can give; a Word without one is no reason to stop.
        try {
            mApplication.object(L"NormalTemplate").put(L"Saved", Variant::boolean(true));
        } catch (const WordRefusal&) {
        }
        mApplication.call(L"Quit", {}, {{L"SaveChanges", Variant::int16(DoNotSaveChanges)}});
    } catch (...) {
        // A Word that did not take its quit stays hidden and could be handed the next
        // document the user opens: it is ended once nothing of ours holds it any more.
        releaseAll();
        if (mProcess)
            mProcess->endUnlessGone();
        mProcess.reset();
        throw;
    }
    releaseAll();
    mProcess.reset();
}

bool WordApplication::holdsOthersDocuments() {
    return mApplication.object(L"Documents").get(L"Count").toInt() > mSession.openDocuments;
}

// The user was handed this Word while it ran and has a document open in it: only this
// session's documents go, and the Word stays, shown, for the user.
void WordApplication::leaveToUser() {
    for (const auto& document : mDocuments) {
        try {
            if (document->isOpen())
                document->closeWithoutSaving();
        } catch (const WordRefusal&) {
            // Closed already through another of our objects for the same document.
        }
    }
    mApplication.put(L"Visible", Variant::boolean(true));
    releaseAll();
    if (mProcess)
        mProcess->leaveToUser();
    mProcess.reset();
}

void WordApplication::releaseAll() noexcept {
    for (const auto& document : mDocuments)
        document->release();
    mSelection.release();
    mApplication.reset();
}

} // namespace brindlecast::engine::word
