#pragma once
// TAppStr: the program's user-interface texts that belong to no window: the title,
// the About box texts, the unit caption of the centimetre scales and the web
// addresses. Each has a built-in default; a language file may replace any of them, and
// a writable language file receives all of them when the program ends.

#include "foundation/SLLangUtils.h"

#include <string>

class TAppStr : public TSLLangStr {
public:
    // Sets the defaults; the language file is read over them by NewLangStr.
    TAppStr();

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    std::string AboutCaptionFmt; // "%s" is the title
    std::string AboutText;       // lines end with CR LF
    std::string AboutVersionFmt; // major, minor, release, build
    std::string AppTitle;
    std::string CentimeterUnitName; // drawn on the centimetre scales
    std::string OnlineQQUrl;        // the online chat
    std::string QuestionUrl;        // the feedback page
    std::string TutorialUrl;
    std::string UpdateUrl; // the update check's query is appended
    std::string WebsiteUrl;
};

// The one instance, created (and translated) on first use.
TAppStr& AppStr();
// Shut-down: writes the texts into the language file's image and frees the instance.
void FinalizeRulerConsts();
