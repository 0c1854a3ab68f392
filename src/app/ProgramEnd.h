#pragma once

namespace brindlecast {

/// Asks the program to end: every event loop, a message box's included, stops; message boxes
/// and engine requests made afterwards give way at once, so that whatever handler is running
/// comes to its end quickly instead of waiting for the user or the engine.
void RequestProgramEnd();

/// True once the program has been asked to end.
bool ProgramEnding();

} // namespace brindlecast
