// The update service's reply: whatever body arrives, it is told apart as "0" (newest), the
// marker with a download address, or a message, and only a web address is ever handed to the
// desktop. The classification must be exact: "0" and nothing else is the newest version, the
// marker only counts at the very start, and the address is the rest of the reply untouched.
// Input: the reply body as the HTTP client hands it over.

#include "FuzzSupport.h"
#include "app/UpdateService.h"

#include <cstdint>

namespace {

[[noreturn]] void Fail(const char* what, const std::string& reply) {
    fuzz::CheckFailed("%s (reply of %zu bytes)", what, reply.size());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartOffscreenQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string reply(reinterpret_cast<const char*>(data), size);
    const TUpdateReply answer = ParseUpdateReply(reply);
    switch (answer.Kind) {
    case TUpdateReplyKind::NewestVersion:
        if (reply != "0")
            Fail("only \"0\" means the newest version", reply);
        break;
    case TUpdateReplyKind::NewVersion:
        if (!reply.starts_with(NewVersionMarker) ||
            answer.Text != reply.substr(NewVersionMarker.size()))
            Fail("the download address is not the rest of the reply after the marker", reply);
        (void)IsWebAddress(answer.Text); // decides whether the desktop opens it
        break;
    case TUpdateReplyKind::Message:
        if (reply == "0" || reply.starts_with(NewVersionMarker) || answer.Text != reply)
            Fail("a message is not the reply as it stands", reply);
        break;
    }
    return 0;
}
