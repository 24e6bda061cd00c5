#pragma once
// Start-up choices shared by the whole program: which language file the translator
// uses and whether it may write it.
//
// The language file is named like the program with the extension ".lng". By default
// it sits beside the program and is only read. When "../Languages/Language.ini"
// (relative to the program's folder) names, in its [Language] entry "LanguagePath", a
// folder inside that "Languages" folder, the file lives there and the program also
// writes its own texts into it, so translators get a complete template.

#include <string>

// The folder of the language file, with a trailing "/": the program's folder, or the
// language folder the index file names when that folder exists.
void GetLanguagePath(std::string& folder);
// The same for a given program file (the program's own in the program).
void GetLanguagePath(const std::string& programFile, std::string& folder);

// Opens the chosen language file in the global translator and sets its mode; run once
// at start-up, after InitializeSLLangUtils.
void SetupTranslator();
void SetupTranslator(const std::string& programFile);
