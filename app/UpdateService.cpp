#include "app/UpdateService.h"

#include <QString>
#include <QUrl>

std::string UpdateRequestAddress(const std::string& url, int productId, int major, int minor,
                                 int release, int build) {
    using std::to_string;
    return url + "?id=" + to_string(productId) + "&major=" + to_string(major) +
           "&minor=" + to_string(minor) + "&release=" + to_string(release) +
           "&build=" + to_string(build);
}

TUpdateReply ParseUpdateReply(const std::string& reply) {
    if (reply == "0")
        return {TUpdateReplyKind::NewestVersion, {}};
    if (reply.starts_with(NewVersionMarker))
        return {TUpdateReplyKind::NewVersion, reply.substr(NewVersionMarker.size())};
    return {TUpdateReplyKind::Message, reply};
}

bool IsWebAddress(const std::string& address) {
    if (address.size() > MaxDownloadAddressBytes)
        return false;
    const QUrl url(QString::fromStdString(address), QUrl::TolerantMode);
    // QUrl folds the scheme to lower case, so "HTTP://" counts as well.
    return url.isValid() && (url.scheme() == "http" || url.scheme() == "https") &&
           !url.host().isEmpty();
}

std::string ShownUpdateMessage(const std::string& message) {
    constexpr std::string_view kEllipsis = "\u2026";
    std::size_t end = 0;
    for (std::size_t chars = 0; end < message.size(); ++chars) {
        if (chars == MaxUpdateMessageChars)
            return message.substr(0, end).append(kEllipsis);
        ++end;
        while (end < message.size() && (static_cast<unsigned char>(message[end]) & 0xC0) == 0x80)
            ++end;
    }
    return message;
}
