#include "app/TextFormat.h"

#include "foundation/Exceptions.h"

namespace {

[[noreturn]] void Incompatible(const std::string& format) {
    throw EConvertError("Format '" + format + "' invalid or incompatible with argument");
}

} // namespace

std::string FormatText(const std::string& format, const std::vector<TFormatArg>& args) {
    std::string text;
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            text += format[i];
            continue;
        }
        if (++i == format.size())
            Incompatible(format);
        const char kind = format[i];
        if (kind == '%') {
            text += '%';
        } else if (kind == 's' && next < args.size() &&
                   std::holds_alternative<std::string>(args[next])) {
            text += std::get<std::string>(args[next++]);
        } else if (kind == 'd' && next < args.size() &&
                   std::holds_alternative<long long>(args[next])) {
            text += std::to_string(std::get<long long>(args[next++]));
        } else {
            Incompatible(format);
        }
    }
    return text;
}
