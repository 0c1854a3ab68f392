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
    , mSelection(mSession) {
    mSession.open = [this](const QString& path, bool readOnly) {
        return openQuietly(path, readOnly);
    };
}

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

// Once per Word, before it opens anything.
void WordApplication::prepareOpening() {
    if (mPrepared)
        return;
    // Word started through automation runs a document's macros (AutoOpen, Document_Open)
    // unasked; a template from elsewhere may carry some, and ours need none.
    mApplication.put(L"AutomationSecurity", Variant::int32(MacrosForceDisabled));
    // A file that fails Office's validation would open in Protected View, a window of its own
    // that the documents' members cannot reach. Word before 2010 has no such check.
    try {
        mApplication.put(L"FileValidation", Variant::int32(SkipFileValidation));
    } catch (const WordRefusal&) {
    }
    mPrepared = true;
}

// Never among the user's recent files, never in a window of its own that the user would find
// in a Word they are handed.
Dispatch WordApplication::openQuietly(const QString& path, bool readOnly) {
    prepareOpening();
    std::vector<NamedArgument> named;
    if (readOnly)
        named.push_back({L"ReadOnly", Variant::boolean(true)});
    named.push_back({L"AddToRecentFiles", Variant::boolean(false)});
    named.push_back({L"Visible", Variant::boolean(false)});
    return mApplication.object(L"Documents")
        .callObject(L"Open", {Variant::string(QDir::toNativeSeparators(path))}, std::move(named));
}

Document& WordApplication::open(const QString& path, bool readOnly) {
    Dispatch document;
    try {
        document = openQuietly(path, readOnly);
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

// What the generation calls the active document is the one this session opened last. Word's
// own ActiveDocument and Selection follow whatever the user opens in a Word they were handed,
// so neither is ever used: a letter of the user's would be filled in and closed.
WordDocument& WordApplication::ours() {
    for (auto document = mDocuments.rbegin(); document != mDocuments.rend(); ++document)
        if ((*document)->isOpen())
            return **document;
    throw EngineError("This command is not available because no document is open.");
}

// A document just opened has its selection at the start of the main text, and the selection's
// find, wrapping, covers the whole main text: as the main text's own range does.
Range& WordApplication::selection() {
    mSelection.bind(ours().mainText());
    return mSelection;
}

void WordApplication::setDisplayAlerts(bool displayAlerts) {
    // A WdAlertLevel: wdAlertsNone 0, wdAlertsAll -1.
    mApplication.put(L"DisplayAlerts", Variant::int32(displayAlerts ? -1 : 0));
}

Document& WordApplication::activeDocument() {
    return ours();
}

void WordApplication::quit() {
    if (!mApplication)
        return; // ended already
    mQuitTried = true;
    try {
        if (isUsersWord())
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
        // document the user opens: it is ended once nothing of ours holds it any more, unless
        // it shows the user a window of theirs (a Word too busy to answer may be the user's,
        // in a dialog of theirs).
        releaseAll();
        if (mProcess)
            mProcess->endUnlessGone();
        mProcess.reset();
        throw;
    }
    releaseAll();
    mProcess.reset();
}

// Word says itself whether the user has come to it: a document of theirs is open, or it shows
// itself (its start screen holds no document), or the user has taken control of it.
bool WordApplication::isUsersWord() {
    return mApplication.object(L"Documents").get(L"Count").toInt() > mSession.openDocuments ||
           mApplication.get(L"Visible").toBool() || mApplication.get(L"UserControl").toBool();
}

// The user was handed this Word while it ran: only this session's documents go, and the Word
// stays, shown, for the user.
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
