#pragma once
// Files that are no regular files, made where a test puts them (never the system's own
// nodes): what a user may leave in place of a settings or language file. Each returns
// whether the file was made; devices need the super-user.

#include <string>

// A character device of the kernel's memory driver: minor 3 is a null device, 5 a zero one.
bool MakeMemoryDevice(const std::string& path, unsigned minor);
bool MakeFifo(const std::string& path);
// A Unix socket's file, left behind with nobody listening.
bool MakeSocketFile(const std::string& path);
