#include "platform/system/TextFileEncoding.h"

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

// How much of an unmarked file reads as UTF-8: the characters beyond ASCII that are
// well-formed UTF-8 (no overlong or surrogate sequences, nothing above U+10FFFF) and the
// bytes that begin no such character.
struct TUtf8Census {
    std::size_t Characters = 0;
    std::size_t StrayBytes = 0;
};

// The length of the well-formed UTF-8 sequence at bytes[i] beyond ASCII; 0 when none
// starts there.
std::size_t Utf8SequenceAt(std::string_view bytes, std::size_t i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t length = 0;
    char32_t code = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (bytes.size() - i < length)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

TUtf8Census CountUtf8(std::string_view bytes) {
    TUtf8Census census;
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
        } else if (const std::size_t length = Utf8SequenceAt(bytes, i)) {
            ++census.Characters;
            i += length;
        } else {
            ++census.StrayBytes;
            ++i;
        }
    }
    return census;
}

// Text in the Chinese code page is mostly not UTF-8: of its two-byte characters only
// about one in six happens to look like a UTF-8 sequence. A UTF-8 file with a few stray
// bytes (a Latin-1 letter typed into a comment) has far more UTF-8 characters than
// stray bytes, and is read as UTF-8 with each stray byte shown as U+FFFD.
bool IsMostlyUtf8(std::string_view bytes) {
    const TUtf8Census census = CountUtf8(bytes);
    return census.StrayBytes == 0 || census.Characters >= census.StrayBytes;
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
    if (IsMostlyUtf8(all))
        return Decode(QStringConverter::Utf8, all);
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
