#include "platform/system/SharedLibrary.h"

#include <dlfcn.h>

// The library stays in memory when it is closed: what it registered while in use (exit
// handlers, threads of its own) may still call into it.
TSharedLibrary::TSharedLibrary(const std::string& fileName)
    : FHandle(dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE)) {}

TSharedLibrary::~TSharedLibrary() {
    if (FHandle != nullptr)
        dlclose(FHandle);
}

void* TSharedLibrary::Symbol(const char* name) const {
    return FHandle != nullptr ? dlsym(FHandle, name) : nullptr;
}
