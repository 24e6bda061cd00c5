#pragma once
// A shared library opened at run time rather than linked: for libraries that are large
// to load and seldom needed, so that the program does not pay for them at every start.

#include <string>

class TSharedLibrary {
public:
    // Opens the library by file name (searched as the dynamic linker searches); a library
    // that cannot be opened leaves the object closed, without functions.
    explicit TSharedLibrary(const std::string& fileName);
    ~TSharedLibrary();
    TSharedLibrary(const TSharedLibrary&) = delete;
    TSharedLibrary& operator=(const TSharedLibrary&) = delete;

    // The function named name in the library or the libraries it depends on, or null.
    template <class TFunction> TFunction* Function(const char* name) const {
        return reinterpret_cast<TFunction*>(Symbol(name));
    }

private:
    void* Symbol(const char* name) const;

    void* FHandle = nullptr;
};
