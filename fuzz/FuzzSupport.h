#pragma once
// What every fuzz target needs around the code it feeds: Qt's offscreen platform (fonts,
// images and windows need an application object, never a display) and a scratch file for
// loaders that read from disk, as the program's own loaders do.

#include <QApplication>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace fuzz {

// Creates the application object once, for the whole fuzzing run; it is never freed.
inline void StartOffscreenQt() {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "fuzzer";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

// A property the target checks does not hold: says which (scripts/test-sanitized.sh looks
// for "Fuzz check failed") and ends the run, so that libFuzzer keeps the input.
[[noreturn]] inline void CheckFailed(const char* format, ...) {
    std::fputs("Fuzz check failed: ", stderr);
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::fputc('\n', stderr);
    std::abort();
}

// A file of the target's own in a private folder under $TMPDIR (or /tmp), removed at exit.
class TScratchFile {
public:
    explicit TScratchFile(const std::string& name) {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/tarsel-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        FFolder = pattern;
        FPath = FFolder + "/" + name;
    }
    ~TScratchFile() {
        std::error_code ignored;
        std::filesystem::remove_all(FFolder, ignored);
    }
    TScratchFile(const TScratchFile&) = delete;
    TScratchFile& operator=(const TScratchFile&) = delete;

    const std::string& Path() const { return FPath; }
    const std::string& Folder() const { return FFolder; }

    void Write(const char* data, std::size_t size) const {
        std::ofstream out(FPath, std::ios::binary | std::ios::trunc);
        out.write(data, static_cast<std::streamsize>(size));
    }
    std::string Read() const {
        std::ifstream in(FPath, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::string FFolder;
    std::string FPath;
};

// Pictures are read through temporary files: they go to a private folder of the target's,
// not the shared one, and are gone with it at exit.
inline void UsePrivateTempFolder() {
    static TScratchFile folder("unused");
    ::setenv("TMPDIR", folder.Folder().c_str(), 1);
}

} // namespace fuzz
