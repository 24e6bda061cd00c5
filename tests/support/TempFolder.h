#pragma once
// A fresh folder under the system's temporary folder for one test, removed afterwards.

#include <filesystem>
#include <string>

class TTempFolder {
public:
    TTempFolder();
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& Path() const { return Path_; }
    std::string File(const std::string& relative) const { return (Path_ / relative).string(); }

    // Writes raw bytes, creating missing folders.
    void WriteBytes(const std::string& relative, const std::string& bytes) const;
    std::string ReadBytes(const std::string& relative) const;

private:
    std::filesystem::path Path_;
};
