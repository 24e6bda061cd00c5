#pragma once
// Some units keep their files beside the running program (the settings file). A test of
// such a unit runs itself again from a copy of its test program in a temporary folder,
// so that it never writes into the build folder:
//
//   TEST(Suite, Name) {
//       TTempFolder folder;
//       if (!RunsInCopyOfTestProgram(folder))
//           return; // the copy ran the test; its result is recorded here
//       ... the test's body, running from folder ...
//   }

#include "support/TempFolder.h"

// True inside the copy. In the original, copies the test program into folder, runs the
// current test there and records a failure unless it passed; then false.
bool RunsInCopyOfTestProgram(const TTempFolder& folder);
