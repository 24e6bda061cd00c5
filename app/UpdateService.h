#pragma once
// The exchange with the update service: the request address the program sends and
// the three kinds of reply it can get back.

#include <string>
#include <string_view>

// A reply that starts with exactly these 38 characters announces a newer version; the
// rest of the reply, untrimmed, is its download address.
inline constexpr std::string_view NewVersionMarker = "{34A00C5E-F5A0-4263-B37E-C6ED5ADA5271}";

// The product id this program reports to the service.
inline constexpr int TarselProductId = 10;

// url followed by "?id=..&major=..&minor=..&release=..&build=..", exactly as the
// service expects it (url is used as it stands, even if it holds a query already).
std::string UpdateRequestAddress(const std::string& url, int productId, int major, int minor,
                                 int release, int build);

enum class TUpdateReplyKind {
    NewestVersion, // exactly "0": the running version is the newest
    NewVersion,    // the marker at the very start; Text is the download address
    Message,       // anything else, shown as it stands; Text may be empty (nothing to show)
};

struct TUpdateReply {
    TUpdateReplyKind Kind = TUpdateReplyKind::Message;
    std::string Text;
};

// Case-sensitive and exact: "0\r\n" or a lower-case marker are messages.
TUpdateReply ParseUpdateReply(const std::string& reply);

// Whether a download address may be handed to the desktop to open: only web addresses
// (http:// or https:// with a host). Anything else from the service, such as a local
// file or a program, is never opened.
bool IsWebAddress(const std::string& address);
