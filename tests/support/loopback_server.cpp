#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace zavel::test {
namespace {

// Shuts down every connection accepted on `port` in this process. A server worker that keeps a
// connection alive waits seconds for the next request without watching stop(), and the client
// here is this very process, whose connection cache outlives a test.
void ShutDownAcceptedConnections(int port) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        int fd = std::atoi(entry.path().filename().c_str());
        sockaddr_in local{};
        socklen_t length = sizeof local;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0 ||
            local.sin_family != AF_INET || ntohs(local.sin_port) != port) {
            continue;
        }
        int listening = 0;
        socklen_t size = sizeof listening;
        if (getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) == 0 && !listening) {
            shutdown(fd, SHUT_RDWR);
        }
    }
}

// The settings every loopback server shares, plain or secure.
void Tune(httplib::Server& server) {
    server.set_keep_alive_max_count(100);
    // Headers and body go out in separate writes; with Nagle's algorithm the body would wait
    // for the client's delayed acknowledgement of the headers.
    server.set_tcp_nodelay(true);
    // A thread for every connection a crawl with 16 requests at once keeps open, and a few more
    // for the tests' own requests: a kept-alive connection holds its thread.
    server.new_task_queue = [] { return new httplib::ThreadPool(24); };
}

}  // namespace

LoopbackServer::LoopbackServer() : server_(std::make_unique<httplib::Server>()) {
    Tune(*server_);
}

LoopbackServer::LoopbackServer(const TestCertificate& certificate)
    : server_(std::make_unique<httplib::SSLServer>(certificate.certificate, certificate.key)),
      secure_(true) {
    if (!server_->is_valid()) {
        throw std::runtime_error("cannot set up the TLS loopback server");
    }
    Tune(*server_);
}

LoopbackServer::~LoopbackServer() {
    Stop();
}

void LoopbackServer::Start() {
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0) {
        throw std::runtime_error("cannot bind the loopback server");
    }
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    // Ready once the accept loop runs; the port is bound already, so a request made before
    // that would merely wait in the backlog.
    while (!server_->is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void LoopbackServer::Stop() {
    stopping_ = true;
    if (thread_.joinable()) {
        server_->stop();
        ShutDownAcceptedConnections(port_);
        thread_.join();
    }
}

void LoopbackServer::Serve(const std::string& path, const std::string& body, int status,
                           const std::string& contentType) {
    server_->Get(path,
                 [body, status, contentType](const httplib::Request&, httplib::Response& response) {
                     response.status = status;
                     response.set_content(body, contentType);
                 });
}

void LoopbackServer::ServeCutShort(const std::string& path, const std::string& sent,
                                   std::size_t announcedLength) {
    server_->Get(
        path, [sent, announcedLength](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(
                announcedLength, "application/octet-stream",
                [sent](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                    if (offset < sent.size()) {
                        sink.write(sent.data() + offset, sent.size() - offset);
                        return true;
                    }
                    return false;  // the server closes the connection with the body unfinished
                });
        });
}

void LoopbackServer::StallUntilStopped(int maxMilliseconds) const {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMilliseconds);
    while (!stopping_.load() && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

int UnusedLoopbackPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    int port = ntohs(address.sin_port);
    close(fd);
    return port;
}

}  // namespace zavel::test
