#pragma once

#include "Dispatch.h"

#include <string>
#include <windows.h>

// What a test controls and reads: the folder named by BRINDLECAST_STANDIN_DIR holds the
// control file the test writes (control.txt), and the call log (calls.log) and process ids
// (pids.txt) the stand-in writes. Without the variable the stand-in logs nothing and fails
// nowhere.
namespace standin::control {

struct Fault {
    bool hang = false;
    std::wstring description;
    /// "late": the member answers, but only after this many milliseconds.
    DWORD lateMs = 0;
};

/// Where Word is stricter than the stand-in is by default, each switched on by its own line.
struct Strict {
    /// "busy <n>": the message filter rejects the first n calls after the creation.
    long busyCalls = 0;
    /// "strict-properties": BuiltInDocumentProperties takes no argument, as in Word's type
    /// library; its Item gives the property.
    bool properties = false;
    /// "strict-saveas": a SaveAs without FileFormat keeps the format of what was opened (a
    /// template stays a template).
    bool saveFormat = false;
    /// "strict-shapes": a line's TextFrame fails, as Word's may, instead of saying it holds no
    /// text.
    bool lineFrames = false;
    /// "normal-template-changed": an add-in touched Normal.dotm, so a Quit whose SaveChanges
    /// is not 0 asks whether to save it, and waits.
    bool normalChanged = false;
    /// "user-document": the user opens a document of their own in this Word (handed the
    /// hidden instance) before the client's first Open; its window shows.
    bool userDocument = false;
    /// "user-document-after": the user opens a letter in this Word right after the client's
    /// first Open, so that it becomes the active document.
    bool userDocumentAfter = false;
    /// "user-start-screen": at the client's first Open the user is handed this Word and sees
    /// its start screen: Visible and UserControl True, a document window, no document.
    bool userStartScreen = false;
    /// "user-dialog": as "user-document", and the user then sits in a dialog of theirs (Save
    /// As): every call after the client's first Open is rejected as busy.
    bool userDialog = false;
    /// "first-run-dialog [reject]": a hidden Word stopped at a question of its own (first
    /// start, sign-in, activation, safe mode): a visible dialog window, and every call hangs,
    /// or with "reject" is rejected as busy.
    bool firstRunDialog = false;
    bool firstRunRejects = false;
};

/// Reads the control file and records this process's id. Called once, at start.
void load();
/// True when the test asked the class factory to refuse creation, with the HRESULT to give.
bool refusesCreation(HRESULT& code);
/// Milliseconds to wait before the class object is registered.
DWORD startDelay();
/// The strictness the test switched on.
const Strict& strict();
/// The fault the test set for this member, or nullptr.
const Fault* faultFor(const wchar_t* object, const wchar_t* member);
/// Never returns; ends the process after a long while so that a forgotten test leaves no
/// server behind for ever.
[[noreturn]] void hangForever();

/// Appends one line to the call log, prefixed with the process id.
void log(const std::wstring& line);
/// A text in double quotes, with backslash escapes for quotes, backslashes and control
/// characters, so that a log line stays one line.
std::wstring quote(const std::wstring& text);
/// One argument or result as the log shows it: TYPE:value.
std::wstring describe(const VARIANT& value);
/// The arguments of a call, positional ones first, then named ones by name.
std::wstring describeArgs(const Member& member, const DISPPARAMS& params);

} // namespace standin::control
