// The update check's exchange with a real HTTP server on 127.0.0.1: what the request
// carries, how each kind of reply is read, and how failures surface.

#include "app/UpdateService.h"
#include "app/HttpClient.h"
#include "support/LocalHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

const std::string Marker(NewVersionMarker);

std::string CheckAddress(const TLocalHttpServer& server) {
    return UpdateRequestAddress(server.BaseUrl() + "/download/checkupdate.asp", TarselProductId, 1,
                                0, 0, 110);
}

TEST(UpdateRequest, CarriesPathQueryAndTheServiceHeaders) {
    TLocalHttpServer server;
    THttpClient().Get(CheckAddress(server));

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const TRecordedRequest& request = requests.front();
    EXPECT_EQ(request.Method, "GET");
    EXPECT_EQ(request.Target,
              "/download/checkupdate.asp?id=10&major=1&minor=0&release=0&build=110");
    EXPECT_EQ(request.Headers.at("user-agent"), "Mozilla/3.0 (compatible; Indy Library)");
    EXPECT_EQ(request.Headers.at("accept"), "text/html, */*");
    EXPECT_EQ(request.Headers.at("host"), "127.0.0.1:" + std::to_string(server.Port()));
}

// An address typed into a language file may hold blanks or Chinese characters; they go
// out percent-encoded, and escapes that are there already stay as they are.
TEST(UpdateRequest, BlanksAndNonAsciiInTheAddressArePercentEncoded) {
    TLocalHttpServer server;
    THttpClient().Get(server.BaseUrl() + "/check update/更新.asp?name=a b&x=%41");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests.front().Target, "/check%20update/%E6%9B%B4%E6%96%B0.asp?name=a%20b&x=%41");
}

struct ReplyRow {
    const char* name;
    std::string body;
    std::string contentType;
    TUpdateReplyKind kind;
    std::string text;
};

class UpdateReplyOverHttp : public testing::TestWithParam<ReplyRow> {};

TEST_P(UpdateReplyOverHttp, IsReadAsTheServiceMeantIt) {
    const ReplyRow& row = GetParam();
    TLocalHttpServer server;
    server.Reply(200, "OK", row.body, row.contentType);

    const TUpdateReply reply = ParseUpdateReply(THttpClient().Get(CheckAddress(server)));
    EXPECT_EQ(reply.Kind, row.kind);
    EXPECT_EQ(reply.Text, row.text);
}

// "\xb5\xb1\xc7\xb0" is "当前" in the Chinese ANSI code page.
INSTANTIATE_TEST_SUITE_P(
    Replies, UpdateReplyOverHttp,
    testing::Values(
        ReplyRow{"zero_is_newest", "0", "text/html", TUpdateReplyKind::NewestVersion, ""},
        ReplyRow{"zero_with_line_break_is_a_message", "0\r\n", "text/html",
                 TUpdateReplyKind::Message, "0\r\n"},
        ReplyRow{"marker_then_address", Marker + "http://example.com/Tarsel.exe", "text/html",
                 TUpdateReplyKind::NewVersion, "http://example.com/Tarsel.exe"},
        ReplyRow{"address_is_not_trimmed", Marker + " http://example.com/a b.exe\r\n", "",
                 TUpdateReplyKind::NewVersion, " http://example.com/a b.exe\r\n"},
        ReplyRow{"lower_case_marker_is_a_message",
                 "{34a00c5e-f5a0-4263-b37e-c6ed5ada5271}http://x/", "text/html",
                 TUpdateReplyKind::Message, "{34a00c5e-f5a0-4263-b37e-c6ed5ada5271}http://x/"},
        ReplyRow{"marker_not_at_start_is_a_message", " " + Marker + "http://x/", "text/html",
                 TUpdateReplyKind::Message, " " + Marker + "http://x/"},
        ReplyRow{"empty_reply", "", "text/html", TUpdateReplyKind::Message, ""},
        ReplyRow{"utf8_message_as_sent", "服务维护中", "text/plain; charset=utf-8",
                 TUpdateReplyKind::Message, "服务维护中"},
        ReplyRow{"ansi_message_without_charset", "\xb5\xb1\xc7\xb0", "text/html",
                 TUpdateReplyKind::Message, "当前"},
        ReplyRow{"charset_named_by_the_reply", "\xb5\xb1\xc7\xb0", "text/html; charset=GB2312",
                 TUpdateReplyKind::Message, "当前"}),
    [](const testing::TestParamInfo<ReplyRow>& info) { return info.param.name; });

TEST(UpdateRequestFailure, ErrorStatusThrowsWithTheStatusLine) {
    TLocalHttpServer server;
    for (const auto& [status, reason] : {std::pair{404, "Not Found"}, {500, "Server Error"}}) {
        server.Reply(status, reason, "0");
        try {
            THttpClient().Get(CheckAddress(server));
            ADD_FAILURE() << "status " << status << " was taken as a reply";
        } catch (const EHttpError& error) {
            EXPECT_EQ(std::string(error.what()),
                      "HTTP/1.1 " + std::to_string(status) + " " + reason);
        }
    }
}

TEST(UpdateRequestFailure, SilentServerIsGivenUpAfterTheTimeOut) {
    TLocalHttpServer server;
    server.NeverAnswer();
    THttpClientSettings settings;
    settings.TotalTimeout = std::chrono::milliseconds(300);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(THttpClient(settings).Get(CheckAddress(server)), EHttpError);
    // Generous bound: the point is that the call returns at all, not how fast.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(UpdateRequestFailure, RefusedConnectionThrows) {
    const std::string address =
        "http://127.0.0.1:" + std::to_string(TLocalHttpServer::ClosedPort()) + "/check.asp";
    EXPECT_THROW(THttpClient().Get(address), EHttpError);
}

TEST(UpdateRequestFailure, OnlyWebAddressesAreFetched) {
    EXPECT_THROW(THttpClient().Get("file:///etc/hostname"), EHttpError);

    TLocalHttpServer server;
    server.Reply(302, "Found", "", "", "Location: file:///etc/hostname\r\n");
    EXPECT_THROW(THttpClient().Get(CheckAddress(server)), EHttpError);
}

// A reply longer than the body limit fails as soon as it is known to be longer, whether its
// length is announced, only shows as it arrives, or never ends; the client reads no more
// than the limit allows.
TEST(UpdateRequestFailure, RepliesBeyondTheBodyLimitFail) {
    using TLength = TLocalHttpServer::TBodyLength;
    const struct {
        const char* Name;
        std::size_t Bytes;
        TLength Length;
    } rows[] = {
        {"100 MB announced", 100u << 20, TLength::Announced},
        {"100 MB unannounced", 100u << 20, TLength::Unannounced},
        {"endless chunks", 0, TLength::Announced},
    };
    THttpClientSettings settings;
    settings.TotalTimeout = std::chrono::minutes(2); // the limit must end it, not the clock
    for (const auto& row : rows) {
        TLocalHttpServer server;
        server.ReplyLong(row.Bytes, row.Length);
        try {
            THttpClient(settings).Get(CheckAddress(server));
            ADD_FAILURE() << row.Name << " was taken as a reply";
        } catch (const EHttpError& error) {
            EXPECT_EQ(std::string(error.what()), "The reply is longer than 65536 bytes")
                << row.Name;
        }
        // What the kernel buffers between the two ends comes on top of what was read.
        EXPECT_LT(server.LongBodyBytesSent(), std::size_t(32) << 20) << row.Name;
    }
}

TEST(UpdateRequest, AReplyUpToTheLimitIsRead) {
    TLocalHttpServer server;
    const std::string body(THttpClientSettings::DefaultMaxBodyBytes, 'x');
    server.Reply(200, "OK", body);
    EXPECT_EQ(THttpClient().Get(CheckAddress(server)), body);
    server.Reply(200, "OK", body + "y");
    EXPECT_THROW(THttpClient().Get(CheckAddress(server)), EHttpError);
}

TEST(UpdateReplyText, MessagesAreCutToTheirLimitAtACharacterBoundary) {
    const std::string chinese = "\xE6\x9B\xB4"; // 更, three bytes
    std::string longMessage;
    for (std::size_t i = 0; i < MaxUpdateMessageChars + 5; ++i)
        longMessage += chinese;
    std::string cut;
    for (std::size_t i = 0; i < MaxUpdateMessageChars; ++i)
        cut += chinese;
    EXPECT_EQ(ShownUpdateMessage(longMessage), cut + "\u2026");
    const std::string exact = cut;
    EXPECT_EQ(ShownUpdateMessage(exact), exact);
    EXPECT_EQ(ShownUpdateMessage(""), "");
}

struct AddressRow {
    const char* name;
    std::string address;
    bool opened;
};

class DownloadAddress : public testing::TestWithParam<AddressRow> {};

TEST_P(DownloadAddress, IsOpenedOnlyWhenItIsAWebAddress) {
    EXPECT_EQ(IsWebAddress(GetParam().address), GetParam().opened) << GetParam().address;
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, DownloadAddress,
    testing::Values(
        AddressRow{"http", "http://www.example.com/TarselRuler.exe", true},
        AddressRow{"https_with_query", "https://example.com/get?v=1.1", true},
        AddressRow{"scheme_in_capitals", "HTTPS://example.com/", true},
        AddressRow{"local_file_url", "file:///usr/bin/xterm", false},
        AddressRow{"plain_path", "/usr/bin/xterm", false},
        AddressRow{"windows_path", "C:\\Windows\\system32\\cmd.exe", false},
        AddressRow{"script", "javascript:alert(1)", false},
        AddressRow{"other_protocol", "ftp://example.com/a.exe", false},
        AddressRow{"no_host", "http:///etc/passwd", false}, AddressRow{"empty", "", false},
        AddressRow{"longest_allowed",
                   "http://example.com/" + std::string(MaxDownloadAddressBytes - 19, 'a'), true},
        AddressRow{"too_long",
                   "http://example.com/" + std::string(MaxDownloadAddressBytes - 18, 'a'), false}),
    [](const testing::TestParamInfo<AddressRow>& info) { return info.param.name; });

} // namespace
