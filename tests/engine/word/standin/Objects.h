#pragma once

#include "FindEngine.h"
#include "Model.h"
#include "Server.h"

#include <memory>
#include <vector>
#include <windows.h>
// After windows.h: a lean windows.h leaves OLE Automation out.
#include <ole2.h>

// The object model the program reaches from "Word.Application". Objects are thin views: the
// state lives in the session and its documents, so that no two COM objects hold each other.
namespace standin {

/// One Word session: what the Application object and everything reached from it share.
struct Session {
    /// The open documents; the active one last.
    std::vector<std::shared_ptr<DocModel>> documents;
    /// Word keeps one set of find settings per session, not per range.
    FindSettings find;
    /// WdAlertLevel: -1 all (Word's start value), 0 none.
    long displayAlerts = -1;
    bool visible = false;
    /// True once the user has taken this Word over (Word answers True whenever it is visible).
    bool userControl = false;
    /// MsoFileValidationMode: 0 validate files before opening them (Word's start value), 1 skip.
    long fileValidation = 0;
    /// Normal.dotm has no unsaved changes.
    bool normalSaved = true;
    /// MsoAutomationSecurity: 1 macros enabled (what Word starts with under automation), 2 as the
    /// user's settings say, 3 disabled.
    long automationSecurity = 1;
    /// The server's hidden window, the owner of what it puts on the clipboard.
    HWND window = nullptr;

    /// WordError "This command is not available because no document is open." when none.
    std::shared_ptr<DocModel> active() const;
};
using SessionPtr = std::shared_ptr<Session>;
using DocPtr = std::shared_ptr<DocModel>;

/// A range's place: a story of a document, all of it or a span of it.
struct Where {
    DocPtr doc;
    std::shared_ptr<Story> story;
    /// Null for the whole story.
    std::shared_ptr<Span> span;

    /// WordError "Object has been deleted." once the document is closed.
    void check() const;
    long start() const { return span ? span->start : 0; }
    long end() const { return span ? span->end : static_cast<long>(story->text().size()); }
};

IDispatch* newApplication(SessionPtr session);
IDispatch* newDocument(SessionPtr session, DocPtr doc);
IDispatch* newDocumentProperties(DocPtr doc);
IDispatch* newStoryRanges(SessionPtr session, DocPtr doc);
IDispatch* newShapes(SessionPtr session, DocPtr doc);
IDispatch* newTables(SessionPtr session, Where where);
IDispatch* newRange(SessionPtr session, Where where);
IDispatch* newSelection(SessionPtr session);
/// Range.Paragraphs, Range.Duplicate, Range.SetRange and Range.Delete (Paragraphs.cpp).
IDispatch* newParagraphs(SessionPtr session, Where where);
Where duplicateOf(const Where& where);
void setRange(Where& where, long start, long end);
long deleteRange(const Where& where);
/// An IEnumVARIANT over these objects; takes over their references.
IUnknown* newEnumerator(std::vector<IDispatch*> items);

/// Closes a document as Word does with WdSaveOptions: 0 discard changes, -1 save them,
/// -2 ask (logged, since a Word driven by a program would show that question to nobody).
void closeDocument(Session& session, DocModel& doc, long saveChanges);
/// The full form of a path as Word records it.
std::wstring fullPath(const std::wstring& path);

/// What the user does in this Word (the user-* switches) at the client's first Open: `before`
/// it is opened, and after it.
void userActsAtOpen(Session& session, bool before);
/// True while the user has this Word (a document of theirs open, its start screen shown): the
/// server then stays when its client lets go, as Word stays for the user.
bool userHoldsWord();
/// True while a dialog of the user's is up: Word rejects every call meanwhile.
bool userDialogUp();
/// Shows the question a hidden Word stops at (first start, sign-in, activation, safe mode).
void showFirstRunDialog();

} // namespace standin
