#pragma once
// Opening documents the way the desktop would on a double click: a web address in the
// user's browser, a file with the program registered for its kind.

#include <string>

// fileOrUrl is an address with a scheme ("https://...") or a local file path. Returns
// at once; false when the desktop has no handler for it. Nothing is reported to the user.
bool ShellOpen(const std::string& fileOrUrl);
