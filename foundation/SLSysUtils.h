#pragma once
// Stateless helpers grouped by name: TSLStrfn (text) and TSLSysfn (system services), and the
// number <-> text conversions of saved files. 8-bit strings are UTF-8 throughout.

#include "platform/desktop/WindowSystem.h"

#include <cstdint>
#include <pugixml.hpp>
#include <string>
#include <vector>

class TPersistent;

class TSLStrfn {
public:
    TSLStrfn() = delete;

    // The six characters "#13#10" stand for a CR LF pair in one-line texts (language files).
    static std::string DecodeLineBreaks(const std::string& text);
    static std::string EncodeLineBreaks(const std::string& text);

    // File name without folder and extension: "/a/b.c.txt" -> "b.c". Only "/" ends the
    // folder part: "\" and ":" are ordinary characters of a file name on this platform.
    static std::string ExtractFileNameNoExt(const std::string& fileName);

    // 0-based index of the first entry equal to text, -1 when none is. Without
    // caseSensitive only A-Z and a-z are folded; other characters must match exactly.
    static int IndexOfStr(const std::string& text, const std::vector<std::string>& list,
                          bool caseSensitive);

    // A new random GUID in registry form: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
    static std::string NewGuidString();
};

class TSLSysfn {
public:
    TSLSysfn() = delete;

    // Writes the object's published properties into the element: simple ones as attributes,
    // objects as child elements. Nothing happens for a null object or one without properties.
    static void WriteObjectToXmlNode(const TPersistent* object, pugi::xml_node element);
    // Reads the published properties back in place; a text that does not convert stops the
    // read at that property with EConvertError (earlier properties keep what was read).
    static void ReadObjectFromXmlNode(TPersistent* object, pugi::xml_node element);

    // Creates the folder part of fileName (up to its last "/", this platform's only folder
    // separator) with every missing parent. A name without a folder part fails with
    // "Unable to create directory".
    static void ForceFileDirectories(const std::string& fileName);
    // Full name of the running program's file.
    static std::string GetModuleFileName();
    // Folder of the running program's file, with a trailing "/".
    static std::string GetModulePath();
    // The folder for temporary files, with a trailing "/".
    static std::string GetTempPath();
    static std::string GetTempDirectory() { return GetTempPath(); }
    // The four parts of a file's version record; an empty name reads the running program. A
    // file without a record, or a missing file, leaves the outputs unchanged.
    static void GetFileVersion(const std::string& fileName, std::uint16_t& major,
                               std::uint16_t& minor, std::uint16_t& release, std::uint16_t& build);

    // Angles in single precision, as the instruments keep them.
    static float DegToRad(float degrees);
    static float RadToDeg(float radians);
    // The same direction in [0, 360).
    static float NormalizeAngle(float degrees);

    // Brings a window (its id, QWidget::winId()) to the foreground with the keyboard focus,
    // restoring it first when it is minimised; true when it is the active window afterwards.
    static bool ForceForegroundWindow(platform::TWindowHandle window);
    // Keeps a window above all normal windows, or lets it go back among them, without
    // moving, resizing or activating it.
    static void SetStayOnTop(platform::TWindowHandle window, bool onTop);
};

// fileName with its extension (from the last "." of the name part on) replaced by extension,
// which is appended when the name has none: ("/a/ruler.exe", ".ini") -> "/a/ruler.ini".
std::string ChangeFileExt(const std::string& fileName, const std::string& extension);

// Number texts of saved files. The decimal separator is the one of the user's locale, taken
// once when the program starts; tests may set another.
char DecimalSeparator();
void SetDecimalSeparator(char separator);

// 15 significant digits, no trailing zeros; exponent form outside 0.0001 .. 15 integer digits.
std::string FloatToStr(long double value);
// Fail with EConvertError "'%s' is not a valid floating point value" / "... integer value".
long double StrToFloat(const std::string& text);
std::int32_t StrToInt(const std::string& text);
std::int64_t StrToInt64(const std::string& text);
