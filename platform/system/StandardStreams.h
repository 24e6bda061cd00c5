#pragma once
// The standard input, output and error of a program started with some of them closed, as
// some launchers start programs.

namespace platform {

// Opens each of the descriptors 0, 1 and 2 that is closed on the null device, so that
// the next file or connection the program opens cannot take its number: warnings written
// to the standard error would otherwise go into it (into the X server's connection, which
// they break). Run first thing in main, before anything opens a file or a connection.
void OpenClosedStandardStreams();

} // namespace platform
