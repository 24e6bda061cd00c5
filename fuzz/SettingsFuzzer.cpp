// The settings file: whatever its bytes, loading it must end (defaults and what was read
// before a bad value), and the model must save a file that loads back to the very same
// model: saving what was loaded from a saved file gives the same text again.

#include "FuzzSupport.h"
#include "rulers/RulerInfos.h"
#include "tests/rulers/TestAppInfo.h" // the settings model on a file of our choosing

#include <cstdint>

namespace {

fuzz::TScratchFile* SettingsFile;

// Loads the file as the program does at start, then saves it as the program does at exit;
// the text saved.
std::string LoadAndSave() {
    TFileAppInfo info(SettingsFile->Path());
    info.Load();
    info.Save();
    return SettingsFile->Read();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartOffscreenQt();
    RegisterRulerClasses();
    SettingsFile = new fuzz::TScratchFile("TarselRuler.ini");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SettingsFile->Write(reinterpret_cast<const char*>(data), size);
    const std::string first = LoadAndSave();
    const std::string second = LoadAndSave();
    if (first != second)
        fuzz::CheckFailed("the settings saved after loading a saved file differ:\n"
                          "--- first save\n%s\n--- second save\n%s",
                          first.c_str(), second.c_str());
    return 0;
}
