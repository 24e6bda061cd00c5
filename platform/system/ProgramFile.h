#pragma once
// Where the running program's file is.

#include <string>

namespace platform {

// The full path of the running program's executable file as it was when the program
// started; empty when it cannot be told. Taken once, as the program is loaded: an
// upgrade that renames a new file over the program while it runs does not change it.
std::string ProgramFileName();

} // namespace platform
