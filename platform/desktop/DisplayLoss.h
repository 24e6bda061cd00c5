#pragma once
// When the connection to the X server breaks (the server ends, the desktop session is
// closed), Xlib's default is to exit the process on the spot, from inside whatever call
// noticed it. The program instead ends its event loops as if its main window had been
// closed, with exit code 1, so the normal shut-down runs and the settings are saved.
//
// Qt's own X connection may still call exit() itself when it sees the break first; the
// program's shut-down is therefore also hooked to exit() (in the program's main unit).

namespace platform {

// For Qt's connection to the X server; nothing when the program runs on another display
// server. Call after the application object exists.
void EndEventLoopOnDisplayLoss();

} // namespace platform
