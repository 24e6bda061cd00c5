#pragma once
// Message texts with placeholders, as the translatable format strings use them:
// "%s" takes the next text, "%d" the next whole number, "%%" is a percent sign. A
// format comes from the language file, so it is checked rather than trusted: a
// placeholder of another kind, or one without a value of its kind, raises
// EConvertError instead of reading memory that is not there.

#include <string>
#include <variant>
#include <vector>

using TFormatArg = std::variant<std::string, long long>;

std::string FormatText(const std::string& format, const std::vector<TFormatArg>& args);
