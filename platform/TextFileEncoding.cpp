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

bool IsValidUtf8(std::string_view bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    (void)decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return !decoder.hasError();
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
