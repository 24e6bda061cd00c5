#include "platform/TextFileEncoding.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <string_view>

namespace platform {
namespace {
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr const char* kChineseCodePage = "GB18030";

std::string Decode(QStringConverter::Encoding encoding, std::string_view bytes) {
    QStringDecoder decoder(encoding);
    const QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return text.toStdString();
}

// Well-formed UTF-8: no stray continuation bytes, no truncated, overlong or surrogate
// sequences and nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        int length = 0;
        char32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + std::size_t(length) > bytes.size())
            return false;
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + std::size_t(k)]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += std::size_t(length);
    }
    return true;
}
} // namespace

std::string DecodeTextFileBytes(const std::string& bytes) {
    const std::string_view all(bytes);
    if (all.starts_with(kUtf16LeBom))
        return Decode(QStringConverter::Utf16LE, all.substr(kUtf16LeBom.size()));
    if (all.starts_with(kUtf16BeBom))
        return Decode(QStringConverter::Utf16BE, all.substr(kUtf16BeBom.size()));
    if (all.starts_with(kUtf8Bom))
        return Decode(QStringConverter::Utf8, all.substr(kUtf8Bom.size()));
    if (IsValidUtf8(all))
        return bytes;
    QStringDecoder chinese(kChineseCodePage);
    if (!chinese.isValid())
        return Decode(QStringConverter::Latin1, all);
    const QString text = chinese.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return text.toStdString();
}

std::string EncodeUtf16LeWithBom(const std::string& utf8) {
    const QString text = QString::fromStdString(utf8);
    std::string result(kUtf16LeBom);
    result.reserve(result.size() + std::size_t(text.size()) * 2);
    for (const QChar unit : text) {
        const char16_t code = unit.unicode();
        result.push_back(static_cast<char>(code & 0xFF));
        result.push_back(static_cast<char>(code >> 8));
    }
    return result;
}

} // namespace platform
