#include "foundation/CommonConsts.h"

#include "foundation/Exceptions.h"
#include "foundation/SLLangUtils.h"
#include "foundation/SLSysUtils.h"
#include "platform/ProfileString.h"
#include "platform/ProgramFile.h"

#include <QString>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr const char* kLanguageIndex = "../Languages/Language.ini";
constexpr const char* kIndexSection = "Language";
constexpr const char* kIndexKey = "LanguagePath";
constexpr const char* kNoLanguageFolder = "*";
constexpr const char* kLanguageFileExt = ".lng";

std::string WithTrailingSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder.push_back('/');
    return folder;
}

std::string FolderOf(const std::string& file) {
    return WithTrailingSlash(std::filesystem::path(file).parent_path().string());
}

bool SameTextNoCase(const std::string& a, const std::string& b) {
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}
} // namespace

void GetLanguagePath(std::string& folder) {
    GetLanguagePath(platform::ProgramFileName(), folder);
}

void GetLanguagePath(const std::string& programFile, std::string& folder) {
    const std::string programFolder = FolderOf(programFile);
    folder = programFolder;
    const std::filesystem::path index =
        std::filesystem::path(programFolder + kLanguageIndex).lexically_normal();
    std::error_code error;
    if (!std::filesystem::is_regular_file(index, error))
        return;
    // The entry is joined to the index's folder as it stands; "*" names no folder.
    const std::string entry = platform::GetPrivateProfileString(kIndexSection, kIndexKey,
                                                                kNoLanguageFolder, index.string());
    const std::string candidate = FolderOf(index.string()) + entry;
    if (std::filesystem::is_directory(candidate, error))
        folder = candidate;
}

void SetupTranslator() {
    SetupTranslator(platform::ProgramFileName());
}

void SetupTranslator(const std::string& programFile) {
    if (!Translator)
        return;
    std::string folder;
    GetLanguagePath(programFile, folder);
    const bool besideProgram = SameTextNoCase(folder, FolderOf(programFile));
    const std::string fileName =
        besideProgram
            ? std::filesystem::path(programFile).replace_extension(kLanguageFileExt).string()
            : WithTrailingSlash(folder) + TSLStrfn::ExtractFileNameNoExt(programFile) +
                  kLanguageFileExt;
    try {
        Translator->SetFileName(fileName);
    } catch (const EStreamError&) {
        // A language file that exists but cannot be read: the program starts with its
        // built-in texts and must not overwrite the file it could not read.
        Translator->SetReadOnly(true);
        return;
    }
    Translator->SetReadOnly(besideProgram);
}

// --- Settings-file base ---------------------------------------------------------------------

namespace {
constexpr const char* kSettingsExtension = ".ini";
constexpr const char* kTemporarySuffix = ".tmp";
constexpr mode_t kNewFileMode = 0666; // narrowed by the umask
constexpr const char* kReplaceErrorFmt = "Cannot write file \"%s\". %s";

[[noreturn]] void FailReplacing(const std::string& fileName, int error) {
    throw EFCreateError(FormatMessage(kReplaceErrorFmt, fileName.c_str(), std::strerror(error)));
}

// Writes text to a new file beside fileName, flushes it to the disk and renames it over
// fileName. Until the rename the old file is untouched; a read-only old file is kept.
void ReplaceFile(std::string fileName, const std::string& text) {
    std::error_code ignored;
    if (std::filesystem::is_symlink(fileName, ignored)) {
        const auto target = std::filesystem::canonical(fileName, ignored);
        if (!target.empty())
            fileName = target.string(); // replace the file the link points at, keep the link
    }
    struct stat old {};
    const bool hadFile = ::stat(fileName.c_str(), &old) == 0;
    if (hadFile && ::access(fileName.c_str(), W_OK) != 0)
        FailReplacing(fileName, errno);

    const std::string temporary = fileName + "." + std::to_string(::getpid()) + kTemporarySuffix;
    ::unlink(temporary.c_str()); // a leftover of a run that was killed while saving
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (fd < 0)
        FailReplacing(fileName, errno);
    int error = 0;
    if (hadFile && ::fchmod(fd, old.st_mode & 07777) != 0)
        error = errno;
    for (std::size_t written = 0; error == 0 && written < text.size();) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            error = n < 0 ? errno : EIO;
        else
            written += static_cast<std::size_t>(n);
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.c_str(), fileName.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        FailReplacing(fileName, error);
    }
}
} // namespace

const TClassInfo& TBaseAppInfo::StaticClassInfo() {
    static const TClassInfo info{"TBaseAppInfo", &TXmlPersistent::StaticClassInfo()};
    return info;
}

std::string TBaseAppInfo::GetFileName() const {
    return ChangeFileExt(TSLSysfn::GetModuleFileName(), kSettingsExtension);
}

void TBaseAppInfo::Load() {
    try {
        const std::string fileName = GetFileName();
        if (std::filesystem::exists(fileName))
            LoadFromFile(fileName);
    } catch (...) {
        // Settings never stop the program: what was read stays, the rest keeps its defaults.
    }
}

void TBaseAppInfo::Save() {
    try {
        std::ostringstream text;
        SaveToStream(text);
        ReplaceFile(GetFileName(), text.str());
    } catch (...) {
        // A settings file that cannot be written is dropped without a message.
    }
}

void TBaseAppInfoDeleter::operator()(TBaseAppInfo* info) const noexcept {
    try {
        info->BeforeDestruction();
    } catch (...) {
        // Tearing down must go on; the save has already dropped its own errors.
    }
    delete info;
}
