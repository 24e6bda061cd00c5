#include "platform/ProgramFile.h"

#include <filesystem>

namespace platform {

std::string ProgramFileName() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : program.string();
}

} // namespace platform
