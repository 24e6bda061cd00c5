#include "foundation/CommonConsts.h"
#include "platform/system/TextRules.h"

#include "foundation/Exceptions.h"
#include "foundation/SLLangUtils.h"
#include "foundation/SLSysUtils.h"
#include "foundation/SLXmlUtils.h"
#include "foundation/SafeFile.h"
#include "platform/system/ProfileString.h"
#include "platform/system/ProgramFile.h"

#include <QString>
#include <cstdio>
#include <filesystem>
#include <sstream>

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
    const bool besideProgram = platform::SameTextUnicode(folder, FolderOf(programFile));
    const std::string fileName =
        besideProgram
            ? std::filesystem::path(programFile).replace_extension(kLanguageFileExt).string()
            : WithTrailingSlash(folder) + TSLStrfn::ExtractFileNameNoExt(programFile) +
                  kLanguageFileExt;
    try {
        Translator->SetFileName(fileName);
    } catch (const EStreamError& error) {
        // A language file that exists but cannot be read: the program starts with its
        // built-in texts and must not overwrite the file it could not read.
        std::fprintf(stderr, "The language file was not read: %s\n", error.what());
        Translator->SetReadOnly(true);
        return;
    }
    Translator->SetReadOnly(besideProgram);
}

// --- Settings-file base ---------------------------------------------------------------------

namespace {
constexpr const char* kSettingsExtension = ".ini";
constexpr const char* kUnreadFileSuffix = ".bad";

} // namespace

TBaseAppInfo::TBaseAppInfo()
    : FFileName(ChangeFileExt(TSLSysfn::GetModuleFileName(), kSettingsExtension)) {}

const TClassInfo& TBaseAppInfo::StaticClassInfo() {
    static const TClassInfo info{"TBaseAppInfo", &TXmlPersistent::StaticClassInfo()};
    return info;
}

std::string TBaseAppInfo::GetFileName() const {
    return FFileName;
}

void TBaseAppInfo::Load() {
    std::optional<std::string> bytes;
    try {
        bytes = ReadSavedFile(GetFileName(), kMaxXmlFileBytes);
    } catch (const EFileTooLarge&) {
        FUnreadTooLarge = true; // kept for the user by the save, as any unreadable file
        return;
    } catch (const std::exception& error) {
        // A file that is there but cannot be read (no read permission, a loop of links) is
        // not replaced by one of defaults; the user learns why the defaults stand.
        FLeaveFileAlone = true;
        std::fprintf(stderr, "The settings file was not read: %s\n", error.what());
        return;
    }
    if (!bytes)
        return; // no file, or a device, FIFO or socket in its place
    try {
        std::istringstream text(*bytes);
        pugi::xml_document document;
        if (TSLXmlfn::Parse(text, document))
            ReadFromXmlNode(document.document_element());
        else if (!platform::TrimBlanks(*bytes).empty())
            FUnreadFile = std::move(bytes); // text, but no settings in it
    } catch (...) {
        // What was read stays, the rest keeps its defaults; the file itself is kept for
        // the user to mend (see Save).
        FUnreadFile = std::move(bytes);
    }
}

void TBaseAppInfo::Save() {
    if (FLeaveFileAlone)
        return; // said at the load
    const std::string fileName = GetFileName();
    std::string text;
    try {
        std::ostringstream stream;
        SaveToStream(stream);
        text = stream.str();
        CheckWithinReadLimit(fileName, text.size(), kMaxXmlFileBytes);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "The settings were not saved: %s\n", error.what());
        return;
    }
    const std::string keptName = fileName + kUnreadFileSuffix;
    if (FUnreadFile) {
        try {
            ReplaceFileContent(keptName, *FUnreadFile);
            FUnreadFile.reset();
        } catch (const EFileLeftAlone&) {
            // A read-only ".bad" or a link to the null device: no copies wanted.
        } catch (const std::exception& error) {
            std::fprintf(stderr, "The unreadable settings file was not kept: %s\n", error.what());
        }
    }
    try {
        // A file too large to read is kept under its new name, never copied.
        ReplaceFileContent(fileName, text, FUnreadTooLarge ? keptName : std::string());
        FUnreadTooLarge = false;
    } catch (const EFileNotKept& error) {
        FUnreadTooLarge = false;
        std::fprintf(stderr, "The unreadable settings file was not kept: %s\n", error.what());
    } catch (const EFileLeftAlone&) {
        // Read-only, or no regular file: kept as it is on purpose.
    } catch (const std::exception& error) {
        // The program goes on; the user learns why the settings will be gone.
        std::fprintf(stderr, "The settings were not saved: %s\n", error.what());
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
