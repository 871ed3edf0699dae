#include "LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace tw::test {

namespace {

int boundLoopbackSocket(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ADD_FAILURE() << "cannot bind a loopback socket";
        return fd;
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

const char* reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    default:
        return "Status";
    }
}

} // namespace

LoopbackHttpServer::LoopbackHttpServer(std::function<HttpReply(const std::string&)> handler)
    : m_handler(std::move(handler)) {
    m_listener = boundLoopbackSocket(m_port);
    ::listen(m_listener, 16);
    m_thread = std::thread([this] { serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    m_stop = true;
    m_thread.join();
    for (int fd : m_silentConnections)
        ::close(fd);
    ::close(m_listener);
}

std::string LoopbackHttpServer::base() const {
    return "http://127.0.0.1:" + std::to_string(m_port) + "/";
}

std::vector<HttpRequest> LoopbackHttpServer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

// Polls in steps of 50 ms so that the destructor's stop request is seen soon.
void LoopbackHttpServer::serve() {
    while (!m_stop) {
        pollfd listener{m_listener, POLLIN, 0};
        if (::poll(&listener, 1, 50) <= 0)
            continue;
        const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0)
            answer(connection);
    }
}

void LoopbackHttpServer::answer(int connection) {
    // Read the request head, for at most two seconds and 64 KiB.
    std::string head;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536 &&
           std::chrono::steady_clock::now() < deadline && !m_stop) {
        pollfd in{connection, POLLIN, 0};
        if (::poll(&in, 1, 50) <= 0)
            continue;
        char buffer[4096];
        const ssize_t got = ::read(connection, buffer, sizeof buffer);
        if (got <= 0)
            break;
        head.append(buffer, static_cast<std::size_t>(got));
    }
    const auto firstSpace = head.find(' ');
    const auto secondSpace = head.find(' ', firstSpace + 1);
    const std::string path = firstSpace == std::string::npos || secondSpace == std::string::npos
                                 ? std::string()
                                 : head.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back({path, head.substr(0, head.find("\r\n\r\n"))});
    }
    const HttpReply reply = m_handler(path);
    if (reply.silent) {
        m_silentConnections.push_back(connection);
        return;
    }
    std::string response =
        "HTTP/1.0 " + std::to_string(reply.status) + " " + reason(reply.status) + "\r\n";
    if (reply.headers.find("Content-Length:") == std::string::npos)
        response += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
    response += reply.headers;
    if (!reply.location.empty())
        response += "Location: " + reply.location + "\r\n";
    response += "Connection: close\r\n\r\n" + reply.body;
    std::size_t sent = 0;
    while (sent < response.size()) {
        const ssize_t n =
            ::send(connection, response.data() + sent, response.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    ::close(connection);
}

int unusedLoopbackPort() {
    int port = 0;
    const int fd = boundLoopbackSocket(port);
    ::close(fd);
    return port;
}

} // namespace tw::test
