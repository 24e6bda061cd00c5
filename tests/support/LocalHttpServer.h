#pragma once
// A small HTTP/1.1 server on 127.0.0.1 and an ephemeral port, for tests that must talk
// to a real server: it records every request it gets and answers each with the reply
// set up beforehand, or holds the connection open without a word.

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct TRecordedRequest {
    std::string Method;
    std::string Target; // path and query, as sent
    std::string Version;
    std::map<std::string, std::string> Headers; // names in lower case, values trimmed
};

class TLocalHttpServer {
public:
    TLocalHttpServer();
    ~TLocalHttpServer();
    TLocalHttpServer(const TLocalHttpServer&) = delete;
    TLocalHttpServer& operator=(const TLocalHttpServer&) = delete;

    // The reply to every following request: status line "HTTP/1.1 <status> <reason>",
    // the body as raw bytes, a Content-Type unless contentType is empty, and any
    // further header lines ("Location: ...\r\n").
    void Reply(int status, std::string reason, std::string body,
               std::string contentType = "text/html", std::string extraHeaders = {});
    // From now on read requests but never answer them (until the server stops).
    void NeverAnswer();
    // How many of those unanswered requests' clients still wait, their connection open.
    int WaitingClients() const { return FWaitingClients; }
    // The reply to every following request: 200 with a body of bodyBytes bytes "x" sent
    // as it is read (Content-Length announced, or none and "Connection: close"), or with
    // chunked transfer coding that never ends when bodyBytes is 0. Sending stops when the
    // client goes away.
    enum class TBodyLength { Announced, Unannounced };
    void ReplyLong(std::size_t bodyBytes, TBodyLength length = TBodyLength::Announced);
    // While held, requests are read and recorded but answered only once the server is
    // let go, with the reply set up by then: a service that is slow to answer.
    void Hold(bool hold) { FHeld = hold; }
    // Bytes of the long replies' bodies that reached the client's socket so far.
    std::size_t LongBodyBytesSent() const { return FLongBytesSent; }

    int Port() const { return FPort; }
    std::string BaseUrl() const; // "http://127.0.0.1:<port>"
    std::vector<TRecordedRequest> Requests() const;

    // A port on 127.0.0.1 where nobody listens, so a connection is refused.
    static int ClosedPort();

private:
    void Serve();
    void Answer(int connection);
    void SendLong(int connection, std::size_t bodyBytes, TBodyLength length);

    int FListener = -1;
    int FPort = 0;
    std::atomic<bool> FStopping{false};
    std::atomic<bool> FHeld{false};
    mutable std::mutex FLock;
    bool FSilent = false;
    std::string FReply;
    bool FLong = false;
    std::size_t FLongBodyBytes = 0;
    TBodyLength FLongLength = TBodyLength::Announced;
    std::atomic<std::size_t> FLongBytesSent{0};
    std::atomic<int> FWaitingClients{0};
    std::vector<TRecordedRequest> FRequests;
    std::thread FThread;
};
