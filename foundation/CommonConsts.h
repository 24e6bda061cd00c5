#pragma once
// Start-up choices shared by the whole program: which language file the translator
// uses and whether it may write it; and the settings-file base.
//
// The language file is named like the program with the extension ".lng". By default
// it sits beside the program and is only read. When "../Languages/Language.ini"
// (relative to the program's folder) names, in its [Language] entry "LanguagePath", a
// folder inside that "Languages" folder, the file lives there and the program also
// writes its own texts into it, so translators get a complete template.

#include "foundation/XmlPersistent.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>

// The folder of the language file, with a trailing "/": the program's folder, or the
// language folder the index file names when that folder exists.
void GetLanguagePath(std::string& folder);
// The same for a given program file (the program's own in the program).
void GetLanguagePath(const std::string& programFile, std::string& folder);

// Opens the chosen language file in the global translator and sets its mode; run once
// at start-up, after InitializeSLLangUtils.
void SetupTranslator();
void SetupTranslator(const std::string& programFile);

// Base of a program's settings object. It loads itself from its file right after it is
// complete and saves itself right before it is taken apart (create it with CreateAppInfo);
// neither step ever disturbs the program: every error is dropped.
class TBaseAppInfo : public TXmlPersistent {
public:
    // Takes the settings file's name from the program's path as it started.
    TBaseAppInfo();

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    // The program file's full name with its extension replaced by ".ini" (appended when the
    // name has none). The content is XML whatever the extension suggests.
    virtual std::string GetFileName() const;
    // Reads the file when it exists; stops silently at the first error, keeping what was read.
    // A file that is no regular file (a link to the null device, a FIFO) is not read and,
    // like a read-only one, never written: the program runs on the defaults. A file that
    // is there but cannot be read (no read permission, a loop of symbolic links) costs one
    // line on the standard error and is never written either.
    void Load();
    // Writes the whole object; see ReplaceFileContent for how the old file is replaced. A
    // file that the load could not read in full (or that held no settings at all) is first
    // kept under the same name with ".bad" appended, so a hand-edited file with a mistake in
    // it is never lost; one too large to read is kept there by a second name, never copied.
    // A file that cannot be written, a text that would be too large to read back and a
    // ".bad" that cannot be kept each cost one line on the standard error, and the last
    // never stops the save; a file left alone on purpose (read-only, or no regular file)
    // costs none.
    void Save();

    virtual void AfterConstruction() { Load(); }
    virtual void BeforeDestruction() { Save(); }

private:
    std::string FFileName;
    // The bytes of a file that the load stopped in, until the first save has kept them.
    std::optional<std::string> FUnreadFile;
    // A file too large to read: the first save keeps it by a second name instead.
    bool FUnreadTooLarge = false;
    // A file that is there but could not be read: never replaced.
    bool FLeaveFileAlone = false;
};

// Runs BeforeDestruction (the save) while the settings object is still whole, then frees it.
struct TBaseAppInfoDeleter {
    void operator()(TBaseAppInfo* info) const noexcept;
};

template <class T> using TAppInfoPtr = std::unique_ptr<T, TBaseAppInfoDeleter>;

// Constructs a settings object, then runs AfterConstruction (the load) over its defaults.
template <class T, class... Args> TAppInfoPtr<T> CreateAppInfo(Args&&... args) {
    TAppInfoPtr<T> info(new T(std::forward<Args>(args)...));
    info->AfterConstruction();
    return info;
}
