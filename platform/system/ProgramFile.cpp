#include "platform/system/ProgramFile.h"

#include <filesystem>
#include <string_view>

namespace platform {
namespace {

constexpr const char* kSelfExecutable = "/proc/self/exe";
// What the kernel adds to the link's target once the file has been removed or replaced.
constexpr std::string_view kDeletedMark = " (deleted)";

std::string ReadProgramLink() {
    std::error_code error;
    std::string program = std::filesystem::read_symlink(kSelfExecutable, error).string();
    if (error)
        return {};
    if (program.ends_with(kDeletedMark) && !std::filesystem::exists(program, error))
        program.erase(program.size() - kDeletedMark.size());
    return program;
}

const std::string& ProgramAsStarted() {
    static const std::string program = ReadProgramLink();
    return program;
}

// Read while the program is loaded, before anything can replace its file.
[[maybe_unused]] const std::string& kProgramAtLoad = ProgramAsStarted();

} // namespace

std::string ProgramFileName() {
    return ProgramAsStarted();
}

} // namespace platform
