#pragma once
// The exchange with the update service: the request address the program sends and
// the three kinds of reply it can get back.

#include <cstddef>
#include <string>
#include <string_view>

// A reply that starts with exactly these 38 characters announces a newer version; the
// rest of the reply, untrimmed, is its download address.
inline constexpr std::string_view NewVersionMarker = "{34A00C5E-F5A0-4263-B37E-C6ED5ADA5271}";

// The product id this program reports to the service.
inline constexpr int TarselProductId = 10;

// A message from the service is shown cut to this many characters, with an ellipsis
// after the cut; a real message is a sentence or two.
inline constexpr std::size_t MaxUpdateMessageChars = 1000;
// A download address longer than this is no address a browser opens; it is never
// handed to the desktop.
inline constexpr std::size_t MaxDownloadAddressBytes = 2048;

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
// (http:// or https:// with a host) of at most MaxDownloadAddressBytes. Anything else from
// the service, such as a local file or a program, is never opened.
bool IsWebAddress(const std::string& address);

// The message as it is shown: at most MaxUpdateMessageChars characters (UTF-8), never cut
// inside a character.
std::string ShownUpdateMessage(const std::string& message);
