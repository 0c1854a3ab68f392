#pragma once

#include <functional>
#include <windows.h>
// After windows.h: a lean windows.h leaves OLE Automation out.
#include <ole2.h>

// What both stand-ins' servers share with the Office servers they stand in for: a class of
// their own registered in Wine's registry under the Office name, one process per creation, and
// the ways such a server ends.
namespace standin {

struct ServerIdentity {
    CLSID clsid;
    const wchar_t* clsidText;
    const wchar_t* description;
    const wchar_t* progId;          ///< "Word.Application"
    const wchar_t* versionedProgId; ///< "Word.Application.16"
    const wchar_t* windowClass;
};

struct ServerHooks {
    /// The Application object a client's creation gets, with one reference.
    std::function<IDispatch*()> createApplication;
    /// True when the last reference going without Quit leaves the server to its user.
    std::function<bool()> leftToUser = [] { return false; };
    /// Runs as the server starts, before any client can reach it.
    std::function<void()> beforeServing = [] {};
};

/// Registers the server (/RegServer), removes it (/UnregServer), or serves until it ends
/// (-Embedding, as COM starts it), as `commandLine` asks; returns the exit code. Another
/// program's registration of the Office name is never touched: that is exit code 2.
int runServer(const ServerIdentity& identity, ServerHooks hooks, HINSTANCE instance,
              const char* commandLine);

/// The server's hidden window, the owner of what it puts on the clipboard.
HWND serverWindow();
/// True once a client has created the Application.
bool applicationCreated();
/// Quit was called: the server ends once the objects are released, or soon after anyway.
void quitRequested();

} // namespace standin
