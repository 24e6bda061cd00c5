#include "app/HttpClient.h"
#include "platform/system/TextRules.h"

#include <QByteArray>
#include <QStringDecoder>
#include <curl/curl.h>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

constexpr long kMaxRedirects = 5;
constexpr const char* kAllowedProtocols = "http,https";
constexpr long kFirstSuccessStatus = 200;
constexpr long kLastSuccessStatus = 299;

using CurlHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using CurlHeaderList = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;
using CurlMulti = std::unique_ptr<CURLM, decltype(&curl_multi_cleanup)>;

// The longest a request sleeps without looking at its time-outs; libcurl wakes it sooner
// for those, and a cancel at once.
constexpr int kWaitBoundMs = 1000;
constexpr const char* kAbandoned = "The request was abandoned";

constexpr const char* kBodyTooLongFmt = "The reply is longer than %zu bytes";

struct TReplyParts {
    std::size_t MaxBody = 0;
    std::string Body;
    std::string StatusLine;  // the last one, after redirects: "HTTP/1.1 404 Not Found"
    std::string ContentType; // value of the last Content-Type header, as sent
    bool TooLong = false;
};

// The callbacks run inside libcurl: no exception may leave them. A size short of what
// was given makes libcurl end the transfer with an error.
size_t AppendBody(char* data, size_t size, size_t count, void* user) noexcept {
    auto* parts = static_cast<TReplyParts*>(user);
    const size_t length = size * count;
    if (length > parts->MaxBody - parts->Body.size()) {
        parts->TooLong = true;
        return 0;
    }
    try {
        parts->Body.append(data, length);
    } catch (...) {
        return 0;
    }
    return length;
}

std::string TrimLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' '))
        line.pop_back();
    return line;
}

// The address as curl takes it: blanks, control characters and bytes beyond ASCII (an
// address typed into a language file may hold them) percent-encoded; everything else,
// escapes already there included, as it stands.
std::string EncodeUnsafeUrlBytes(const std::string& url) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) {
            encoded.push_back('%');
            encoded.push_back(kHex[byte >> 4]);
            encoded.push_back(kHex[byte & 0xF]);
        } else {
            encoded.push_back(c);
        }
    }
    return encoded;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return platform::SameTextAscii(text.substr(0, prefix.size()), prefix);
}

size_t ReadHeaderLine(char* data, size_t size, size_t count, void* user) noexcept {
    auto* parts = static_cast<TReplyParts*>(user);
    try {
        const std::string line = TrimLineEnd(std::string(data, size * count));
        if (line.rfind("HTTP/", 0) == 0) {
            parts->StatusLine = line;
            parts->ContentType.clear(); // a new reply (after a redirect) starts here
        } else if (StartsWithNoCase(line, "content-type:")) {
            parts->ContentType = line.substr(line.find(':') + 1);
        }
    } catch (...) {
        return 0;
    }
    return size * count;
}

// The charset parameter of a Content-Type value, lower case, empty when none is named.
QByteArray CharsetOf(const std::string& contentType) {
    const QByteArray value = QByteArray::fromStdString(platform::LowerCaseAscii(contentType));
    const qsizetype at = value.indexOf("charset=");
    if (at < 0)
        return {};
    QByteArray charset = value.mid(at + 8);
    const qsizetype end = charset.indexOf(';');
    if (end >= 0)
        charset.truncate(end);
    return charset.trimmed().replace("\"", "");
}

bool IsValidUtf8(const std::string& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)utf8.decode(QByteArray::fromStdString(bytes)).operator QString();
    return !utf8.hasError();
}

std::string Decode(const std::string& bytes, const QByteArray& charset) {
    QStringDecoder decoder(charset.constData());
    return QString(decoder.decode(QByteArray::fromStdString(bytes))).toStdString();
}

// The service's texts were written in the Chinese ANSI code page; a reply that names
// no character set and is not UTF-8 is read in that code page.
std::string BodyAsUtf8(const TReplyParts& parts) {
    const QByteArray charset = CharsetOf(parts.ContentType);
    if (!charset.isEmpty() && charset != "utf-8" && charset != "utf8" &&
        QStringDecoder(charset.constData()).isValid())
        return Decode(parts.Body, charset);
    if (IsValidUtf8(parts.Body))
        return parts.Body;
    return Decode(parts.Body, "GB18030");
}

void Check(CURLcode code, const char* errorBuffer) {
    if (code != CURLE_OK)
        throw EHttpError(errorBuffer[0] ? errorBuffer : curl_easy_strerror(code));
}

void Check(CURLMcode code) {
    if (code != CURLM_OK)
        throw EHttpError(curl_multi_strerror(code));
}

// The request inside a multi handle, taken out again however the transfer ends.
class TTransfer {
public:
    TTransfer(CURLM* multi, CURL* easy) : FMulti(multi), FEasy(easy) {
        Check(curl_multi_add_handle(FMulti, FEasy));
    }
    ~TTransfer() { curl_multi_remove_handle(FMulti, FEasy); }
    TTransfer(const TTransfer&) = delete;
    TTransfer& operator=(const TTransfer&) = delete;

private:
    CURLM* FMulti;
    CURL* FEasy;
};

void ThrowIfCancelled(const THttpCancel* cancel) {
    if (cancel && cancel->Cancelled())
        throw EHttpAbandoned(kAbandoned);
}

// Runs the transfer to its end (its own time-outs included) and returns its result. The
// wait for the server also watches the cancel's handle, so a cancel ends it at once.
CURLcode Perform(CURL* easy, const THttpCancel* cancel) {
    CurlMulti multi(curl_multi_init(), &curl_multi_cleanup);
    if (!multi)
        throw EHttpError("Could not start the HTTP client");
    const TTransfer transfer(multi.get(), easy);
    curl_waitfd wake{};
    wake.fd = cancel ? cancel->WakeHandle() : -1;
    wake.events = CURL_WAIT_POLLIN;
    const unsigned wakeCount = wake.fd >= 0 ? 1 : 0;
    for (int running = 1;;) {
        ThrowIfCancelled(cancel);
        Check(curl_multi_perform(multi.get(), &running));
        if (running == 0)
            break;
        Check(curl_multi_poll(multi.get(), &wake, wakeCount, kWaitBoundMs, nullptr));
    }
    int queued = 0;
    while (const CURLMsg* message = curl_multi_info_read(multi.get(), &queued))
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy)
            return message->data.result;
    return CURLE_RECV_ERROR; // libcurl ended the transfer without saying how
}

} // namespace

THttpCancel::THttpCancel() : FWakeHandle(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (FWakeHandle < 0)
        throw EHttpError(std::strerror(errno));
}

THttpCancel::~THttpCancel() {
    close(FWakeHandle);
}

void THttpCancel::Cancel() {
    FCancelled = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(FWakeHandle, &one, sizeof one);
}

std::string THttpClient::Get(const std::string& url, const THttpCancel* cancel) const {
    CurlHandle curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl)
        throw EHttpError("Could not start the HTTP client");

    // curl's own "Accept: */*" gives way to ours; the user agent has its own option.
    const std::string accept = "Accept: " + FSettings.Accept;
    CurlHeaderList headers(curl_slist_append(nullptr, accept.c_str()), &curl_slist_free_all);
    if (!headers)
        throw EHttpError("Out of memory");

    TReplyParts parts;
    parts.MaxBody = FSettings.MaxBodyBytes;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);
    const std::string address = EncodeUnsafeUrlBytes(url);
    curl_easy_setopt(h, CURLOPT_URL, address.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, kAllowedProtocols);
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, kAllowedProtocols);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(h, CURLOPT_USERAGENT, FSettings.UserAgent.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    // The total bounds everything from resolving the name to the last byte; a connect
    // time-out longer than the total would never count.
    const auto total = std::max<long>(1, static_cast<long>(FSettings.TotalTimeout.count()));
    const auto connect =
        std::clamp<long>(static_cast<long>(FSettings.ConnectTimeout.count()), 1, total);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, connect);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, total);
    // A length announced in advance fails the request before any of the body arrives.
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(FSettings.MaxBodyBytes));
    // No signals: the program has other timers, and a time-out must not need SIGALRM.
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &AppendBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &parts);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &ReadHeaderLine);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &parts);

    const CURLcode result = Perform(h, cancel);
    if (parts.TooLong || result == CURLE_FILESIZE_EXCEEDED)
        throw EHttpError(FormatMessage(kBodyTooLongFmt, FSettings.MaxBodyBytes));
    Check(result, errorBuffer);

    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (status < kFirstSuccessStatus || status > kLastSuccessStatus)
        throw EHttpError(parts.StatusLine.empty() ? "HTTP status " + std::to_string(status)
                                                  : parts.StatusLine);
    return BodyAsUtf8(parts);
}
