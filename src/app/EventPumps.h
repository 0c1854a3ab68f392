#pragma once

// The places where the program lets its event queue run while it is busy itself, each named for
// what it is there for. The queue's events run inside the caller: each says which can come.

namespace brindlecast {

/// Lets the windows repaint and take a request to close while the program waits for the
/// engine. Keyboard and mouse input is dropped meanwhile: a busy program does not take it.
/// A window's closing steps and a termination request (RequestProgramEnd) may run here, while
/// the handler that made the engine request is still under way; the wait then sees the program
/// ending and gives up.
void ProcessEventsWhileBusy();

/// Lets a termination request reach the command line while it waits on something else (an
/// engine request, its engines' threads, a program it started). The command line runs no event
/// loop, and the request (a signal on POSIX systems; Ctrl+C, a closed console or the end of the
/// session on Windows) waits in the main thread's event queue until something takes it. What
/// runs here is the quit given to QuitOnTerminationSignals and a QProcess's own bookkeeping,
/// never a command's code; the caller sees ProgramEnding() afterwards. On any other thread it
/// does nothing, as the queue is the main thread's.
void ProcessTerminationRequests();

/// Lets the main window's events run, input included, where a newsletter run waits: before it
/// writes the template, and between its attempts to take its turn from another copy of the
/// program. Anything of the window may run here: the user types into the fields (which the run
/// reads afresh, so what is typed counts), uses the other buttons, or closes the window (the
/// run then sees the program ending and stops); only a second run is refused, by the window's
/// busy flag.
void ProcessEventsWhileRunWaits();

/// Lets the events already queued run once, input included, as a closing window does before it
/// goes: a repaint, or a click the user made just before the close, which then meets a window
/// whose working document is already deleted. Events that these post wait for the next call,
/// so a window that wants those through as well calls it twice.
void ProcessEventsBeforeClosing();

} // namespace brindlecast
