#include "support/TempFolder.h"

#include <fstream>
#include <iterator>
#include <random>

TTempFolder::TTempFolder() {
    std::random_device random;
    Path_ = std::filesystem::temp_directory_path() /
            ("tarsel-test-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(Path_);
}

TTempFolder::~TTempFolder() {
    std::error_code ignored;
    // Read-only files inside must not keep the folder alive.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Path_, ignored))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(Path_, ignored);
}

void TTempFolder::WriteBytes(const std::string& relative, const std::string& bytes) const {
    const std::filesystem::path file = Path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TTempFolder::ReadBytes(const std::string& relative) const {
    std::ifstream in(Path_ / relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
