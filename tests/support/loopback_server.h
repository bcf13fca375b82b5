// An HTTP server inside the test process, on 127.0.0.1 and a free port, for real fetches that
// never leave the machine. Handlers are registered before Start(); the server stops when the
// object is destroyed, also while a handler stalls (stalling handlers watch stopping()). Given a
// certificate, it speaks HTTPS only.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include <httplib.h>

#include "tests/support/test_certificate.h"

namespace zavel::test {

class LoopbackServer {
  public:
    LoopbackServer();
    explicit LoopbackServer(const TestCertificate& certificate);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    httplib::Server& http() { return *server_; }
    // Binds to 127.0.0.1 on a free port and starts serving on a thread of its own.
    void Start();
    void Stop();

    int port() const { return port_; }
    std::string host() const { return "127.0.0.1:" + std::to_string(port_); }  // host text
    // "http://" or "https://" + host(): the address of the server's root without its "/".
    std::string origin() const { return (secure_ ? "https://" : "http://") + host(); }
    bool stopping() const { return stopping_.load(); }
    // Serves `body` for GET `path` with the given status and content type.
    void Serve(const std::string& path, const std::string& body, int status = 200,
               const std::string& contentType = "text/html");

    // Serves GET `path` with headers that announce `announcedLength` bytes of body, sends only
    // `sent`, then drops the connection: a response that breaks off in the middle of its body.
    void ServeCutShort(const std::string& path, const std::string& sent,
                       std::size_t announcedLength);

    // Waits until stopping() or the timeout; for handlers that stall on purpose.
    void StallUntilStopped(int maxMilliseconds = 10000) const;

  private:
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    bool secure_ = false;
    std::atomic<bool> stopping_{false};
};

// A port on 127.0.0.1 where nothing listens (bound, then closed).
int UnusedLoopbackPort();

}  // namespace zavel::test
