#pragma once
// Where the running program's file is.

#include <string>

namespace platform {

// The full path of the running program's executable file; empty when it cannot be told.
std::string ProgramFileName();

} // namespace platform
