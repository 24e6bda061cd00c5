#pragma once
// A desktop session ends a program with SIGTERM (logout, shutdown) and a terminal with
// SIGINT or SIGHUP. The program treats these like closing its main window: the event
// loop ends and the normal shut-down runs, so the settings and the language file are
// still written.

namespace platform {

// Installs the handlers once; from then on such a signal ends the running event loops,
// also while a modal window is open; no window can refuse. Call after the application
// object exists.
void QuitEventLoopOnTerminationSignals();

} // namespace platform
