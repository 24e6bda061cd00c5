#include "support/LocalHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <sstream>
#include <stdexcept>

namespace {

constexpr int kPollMs = 20;
constexpr size_t kMaxRequestBytes = 64 * 1024;

int ListenOnLoopback(int& port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        throw std::runtime_error("socket failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(fd, 16) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port = ntohs(address.sin_port);
    return fd;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

TRecordedRequest ParseRequest(const std::string& head) {
    TRecordedRequest request;
    std::istringstream lines(head);
    std::string line;
    std::getline(lines, line);
    std::istringstream first(line);
    first >> request.Method >> request.Target >> request.Version;
    while (std::getline(lines, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string name = line.substr(0, colon);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        request.Headers[name] = Trim(line.substr(colon + 1));
    }
    return request;
}

// Reads up to the blank line that ends the request head; empty when the peer left.
std::string ReadRequestHead(int connection, const std::atomic<bool>& stopping) {
    std::string data;
    char buffer[4096];
    while (!stopping && data.find("\r\n\r\n") == std::string::npos &&
           data.size() < kMaxRequestBytes) {
        pollfd waiting{connection, POLLIN, 0};
        if (poll(&waiting, 1, kPollMs) <= 0)
            continue;
        const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0)
            return {};
        data.append(buffer, static_cast<size_t>(got));
    }
    return data.substr(0, data.find("\r\n\r\n"));
}

// False when the peer went away before everything was sent.
bool SendAll(int connection, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

std::string ChunkOf(const std::string& data) {
    std::ostringstream chunk;
    chunk << std::hex << data.size() << "\r\n" << data << "\r\n";
    return chunk.str();
}

} // namespace

TLocalHttpServer::TLocalHttpServer() {
    FListener = ListenOnLoopback(FPort);
    Reply(200, "OK", "0");
    FThread = std::thread([this] { Serve(); });
}

TLocalHttpServer::~TLocalHttpServer() {
    FStopping = true;
    FThread.join();
    close(FListener);
}

void TLocalHttpServer::Reply(int status, std::string reason, std::string body,
                             std::string contentType, std::string extraHeaders) {
    std::ostringstream reply;
    reply << "HTTP/1.1 " << status << ' ' << reason << "\r\n";
    if (!contentType.empty())
        reply << "Content-Type: " << contentType << "\r\n";
    reply << extraHeaders;
    reply << "Content-Length: " << body.size() << "\r\nConnection: close\r\n\r\n" << body;
    std::lock_guard guard(FLock);
    FSilent = false;
    FLong = false;
    FReply = reply.str();
}

void TLocalHttpServer::NeverAnswer() {
    std::lock_guard guard(FLock);
    FSilent = true;
}

void TLocalHttpServer::ReplyLong(std::size_t bodyBytes, TBodyLength length) {
    std::lock_guard guard(FLock);
    FSilent = false;
    FLong = true;
    FLongBodyBytes = bodyBytes;
    FLongLength = length;
}

void TLocalHttpServer::SendLong(int connection, std::size_t bodyBytes, TBodyLength length) {
    constexpr std::size_t kPieceBytes = 64 * 1024;
    const bool chunked = bodyBytes == 0;
    std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
    if (chunked)
        head += "Transfer-Encoding: chunked\r\n";
    else if (length == TBodyLength::Announced)
        head += "Content-Length: " + std::to_string(bodyBytes) + "\r\n";
    head += "Connection: close\r\n\r\n";
    if (!SendAll(connection, head))
        return;
    const std::string piece(kPieceBytes, 'x');
    const std::string chunk = ChunkOf(piece);
    std::size_t left = bodyBytes;
    while (!FStopping && (chunked || left > 0)) {
        const std::size_t size = chunked ? kPieceBytes : std::min(left, kPieceBytes);
        if (!SendAll(connection, chunked ? chunk : piece.substr(0, size)))
            return;
        FLongBytesSent += size;
        left -= chunked ? 0 : size;
    }
}

std::string TLocalHttpServer::BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(FPort);
}

std::vector<TRecordedRequest> TLocalHttpServer::Requests() const {
    std::lock_guard guard(FLock);
    return FRequests;
}

int TLocalHttpServer::ClosedPort() {
    int port = 0;
    close(ListenOnLoopback(port));
    return port;
}

void TLocalHttpServer::Serve() {
    while (!FStopping) {
        pollfd waiting{FListener, POLLIN, 0};
        if (poll(&waiting, 1, kPollMs) <= 0)
            continue;
        const int connection = accept(FListener, nullptr, nullptr);
        if (connection < 0)
            continue;
        Answer(connection);
        close(connection);
    }
}

void TLocalHttpServer::Answer(int connection) {
    const std::string head = ReadRequestHead(connection, FStopping);
    if (head.empty())
        return;
    {
        std::lock_guard guard(FLock);
        FRequests.push_back(ParseRequest(head));
    }
    while (FHeld && !FStopping)
        usleep(kPollMs * 1000);
    std::string reply;
    bool silent = false;
    bool isLong = false;
    std::size_t longBytes = 0;
    TBodyLength longLength = TBodyLength::Announced;
    {
        std::lock_guard guard(FLock);
        silent = FSilent;
        reply = FReply;
        isLong = FLong;
        longBytes = FLongBodyBytes;
        longLength = FLongLength;
    }
    if (isLong && !silent) {
        SendLong(connection, longBytes, longLength);
        return;
    }
    if (silent) {
        // Keep the connection open and say nothing until the client goes or the test ends.
        ++FWaitingClients;
        char ignored[256];
        while (!FStopping) {
            pollfd waiting{connection, POLLIN, 0};
            if (poll(&waiting, 1, kPollMs) > 0 && recv(connection, ignored, sizeof ignored, 0) <= 0)
                break;
        }
        --FWaitingClients;
        return;
    }
    SendAll(connection, reply);
}
