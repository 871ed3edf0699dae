#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tw::test {

// What the server answers to one request.
struct HttpReply {
    int status = 200;
    std::string body;
    std::string location; // a Location header when not empty
    bool silent = false;  // accept the request and never answer
    // Further header lines, each ended by CR LF; one of them may give the Content-Length in
    // place of the body's own.
    std::string headers;
};

// A request as the server saw it.
struct HttpRequest {
    std::string path;
    std::string head; // request line and headers
};

// A small HTTP/1.0 server on 127.0.0.1 and a free port, served by one thread until the
// object goes. Each request is answered by the handler (by path) and the connection closed.
class LoopbackHttpServer {
public:
    explicit LoopbackHttpServer(std::function<HttpReply(const std::string& path)> handler);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    int port() const { return m_port; }
    // "http://127.0.0.1:<port>/"
    std::string base() const;
    std::vector<HttpRequest> requests() const;

private:
    void serve();
    void answer(int connection);

    std::function<HttpReply(const std::string&)> m_handler;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<HttpRequest> m_requests;
    std::vector<int> m_silentConnections;
    std::thread m_thread;
};

// A port on 127.0.0.1 that nothing listens on (bound, then released).
int unusedLoopbackPort();

} // namespace tw::test
