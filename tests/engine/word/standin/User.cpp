// The user's side of a Word: what a user who starts Word while the hidden one runs, and is
// handed it, does there (the user-* lines of control.txt), and Word's own questions at start.
#include "Control.h"
#include "Objects.h"

namespace standin {

namespace {

// Kept past the session: the user still has it when the client has let go of everything.
DocPtr gUserDocument;
bool gStartScreen = false;
bool gDialogUp = false;
bool gActedBefore = false;
bool gActedAfter = false;

// Word's main window, which shows its documents and its start screen, has this class; its own
// questions are dialogs of other classes.
const wchar_t DocumentWindowClass[] = L"OpusApp";

void showWindow(const wchar_t* className, const wchar_t* title, DWORD style) {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = DocumentWindowClass;
        return RegisterClassW(&windowClass) != 0;
    }();
    static_cast<void>(registered);
    CreateWindowExW(0, className, title, style | WS_VISIBLE, 40, 40, 400, 300, nullptr, nullptr,
                    GetModuleHandleW(nullptr), nullptr);
}

// A letter of the user's, its text holding what a careless client would fill in.
DocPtr openLetter(Session& session, bool last) {
    auto doc = std::make_shared<DocModel>();
    doc->path = L"C:\\Users\\Public\\Documents\\Letter to the club.docx";
    doc->users = true;
    doc->stories[MainText] =
        std::make_shared<Story>(MainText, L"Dear members,\rWe meet on [IssueDate].\r");
    auto& documents = session.documents;
    documents.insert(last ? documents.end() : documents.begin(), doc);
    gUserDocument = doc;
    showWindow(DocumentWindowClass, L"Letter to the club.docx - Word", WS_OVERLAPPEDWINDOW);
    control::log(L"* the user opened " + doc->name());
    return doc;
}

} // namespace

void userActsAtOpen(Session& session, bool before) {
    const control::Strict& strict = control::strict();
    if (before && !gActedBefore) {
        gActedBefore = true;
        // First, so that the client's document stays the active one.
        if (strict.userDocument || strict.userDialog)
            openLetter(session, false);
        if (strict.userStartScreen) {
            session.visible = true;
            session.userControl = true;
            gStartScreen = true;
            showWindow(DocumentWindowClass, L"Word", WS_OVERLAPPEDWINDOW);
            control::log(L"* the user sees the start screen");
        }
    } else if (!before && !gActedAfter) {
        gActedAfter = true;
        if (strict.userDocumentAfter)
            openLetter(session, true);
        if (strict.userDialog) {
            gDialogUp = true;
            control::log(L"* the user opened a dialog");
        }
    }
}

bool userHoldsWord() {
    return gStartScreen || (gUserDocument && !gUserDocument->closed);
}

bool userDialogUp() {
    return gDialogUp;
}

void showFirstRunDialog() {
    // The system's dialog class, as a question Word asks before it starts its work.
    showWindow(L"#32770", L"Microsoft Word", WS_POPUP | WS_CAPTION);
    control::log(L"* Word asks a question of its own at start");
}

} // namespace standin
