#include "platform/http/http_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/loopback_server.h"

namespace zavel::platform {
namespace {

struct Fetched {
    HttpOutcome outcome;
    std::vector<int> codes;
    std::string body;
    std::size_t largestBlock = 0;
};

Fetched Get(const std::string& url, const HttpAbort* abort = nullptr, std::size_t bufferSize = 0) {
    Fetched fetched;
    HttpGetRequest request;
    request.url = url;
    request.onStatus = [&fetched](int code) { fetched.codes.push_back(code); };
    request.onBody = [&fetched](const char* data, std::size_t size) {
        fetched.body.append(data, size);
        fetched.largestBlock = std::max(fetched.largestBlock, size);
        return true;
    };
    request.abort = abort;
    request.bufferSize = bufferSize;
    fetched.outcome = HttpGet(request);
    return fetched;
}

// Runs `work` on a thread of its own, whose handles and connections are new.
template <typename Work>
void OnFreshThread(Work work) {
    std::thread thread(work);
    thread.join();
}

// Drops a leading "resolving": libcurl may skip the resolver for a numeric address.
std::vector<int> WithoutResolving(std::vector<int> codes) {
    if (!codes.empty() && codes.front() == kStatusResolving) {
        codes.erase(codes.begin());
    }
    return codes;
}

class HttpClientTest : public testing::Test {
  protected:
    void SetUp() override {
        server_.Serve("/page", "hello");
        server_.http().Get("/closing", [](const httplib::Request&, httplib::Response& response) {
            response.set_header("Connection", "close");
            response.set_content("bye", "text/plain");
        });
        // /hop/N redirects N times before the page.
        server_.http().Get(R"(/hop/(\d+))",
                           [](const httplib::Request& request, httplib::Response& response) {
                               int left = std::stoi(request.matches[1].str());
                               if (left == 0) {
                                   response.set_content("arrived", "text/plain");
                               } else {
                                   response.set_content("redirect body", "text/plain");
                                   response.set_redirect("/hop/" + std::to_string(left - 1));
                               }
                           });
        server_.http().Get("/stall", [this](const httplib::Request&, httplib::Response& response) {
            server_.StallUntilStopped();
            response.set_content("late", "text/plain");
        });
        server_.ServeCutShort("/cut", "only the beginning", 100000);
        // 1000 bytes of body at 200 bytes a second.
        server_.http().Get("/trickle", [this](const httplib::Request&, httplib::Response& r) {
            r.set_chunked_content_provider("text/html", [this](size_t, httplib::DataSink& sink) {
                for (int i = 0; i < 100 && !server_.stopping(); ++i) {
                    if (!sink.write("0123456789", 10)) {
                        return false;
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                }
                sink.done();
                return true;
            });
        });
        server_.Start();
    }
    std::string Url(const std::string& path) const { return "http://" + server_.host() + path; }

    test::LoopbackServer server_;
};

TEST_F(HttpClientTest, FreshConnectionReportsEveryStepAndReuseSkipsConnecting) {
    OnFreshThread([this] {
        Fetched first = Get(Url("/page"));
        EXPECT_EQ(first.outcome.result, HttpResult::kOk);
        EXPECT_EQ(
            WithoutResolving(first.codes),
            (std::vector<int>{kStatusResolved, kStatusConnecting, kStatusConnected, kStatusSending,
                              kStatusSent, kStatusReceiving, kStatusReceived}));

        Fetched second = Get(Url("/page"));
        EXPECT_EQ(second.outcome.result, HttpResult::kOk);
        EXPECT_EQ(second.codes, (std::vector<int>{kStatusConnected, kStatusSending, kStatusSent,
                                                  kStatusReceiving, kStatusReceived}));
    });
}

TEST_F(HttpClientTest, ConnectionClosedByTheServerReportsClosingWithinTheCall) {
    OnFreshThread([this] {
        Fetched fetched = Get(Url("/closing"));
        EXPECT_EQ(fetched.outcome.result, HttpResult::kOk);
        std::vector<int> codes = fetched.codes;
        auto receiving = std::find(codes.begin(), codes.end(), kStatusReceiving);
        auto closing = std::find(codes.begin(), codes.end(), kStatusClosing);
        ASSERT_NE(closing, codes.end());
        EXPECT_LT(receiving, closing);
        ASSERT_NE(closing + 1, codes.end());
        EXPECT_EQ(*(closing + 1), kStatusClosed);

        // The next call must connect anew.
        Fetched next = Get(Url("/page"));
        EXPECT_NE(std::find(next.codes.begin(), next.codes.end(), kStatusConnecting),
                  next.codes.end());
    });
}

TEST_F(HttpClientTest, NoStatusIsReportedOutsideACall) {
    // The thread's cached connection is closed when the thread ends, after the call's status
    // function has gone out of scope.
    std::atomic<bool> inCall{false};
    std::atomic<int> strayReports{0};
    OnFreshThread([&] {
        HttpGetRequest request;
        request.url = Url("/page");
        request.onStatus = [&](int) {
            if (!inCall.load()) {
                ++strayReports;
            }
        };
        inCall = true;
        EXPECT_EQ(HttpGet(request).result, HttpResult::kOk);
        inCall = false;
    });
    EXPECT_EQ(strayReports.load(), 0);
}

TEST_F(HttpClientTest, RedirectsAreFollowedUpToTenAndOnlyTheFinalBodyIsDelivered) {
    Fetched ten = Get(Url("/hop/10"));
    EXPECT_EQ(ten.outcome.result, HttpResult::kOk);
    EXPECT_EQ(ten.outcome.httpStatus, 200);
    EXPECT_EQ(ten.body, "arrived");

    // No final response came: the eleventh redirect is not followed.
    Fetched eleven = Get(Url("/hop/11"));
    EXPECT_EQ(eleven.outcome.result, HttpResult::kSendFailed);
    EXPECT_EQ(eleven.outcome.httpStatus, 0);
    EXPECT_FALSE(eleven.outcome.error.empty());
    EXPECT_EQ(eleven.body, "");
}

TEST_F(HttpClientTest, OutcomeTellsTheFinalAddressTypeSizeAndTransportCode) {
    Fetched hopped = Get(Url("/hop/2"));
    EXPECT_EQ(hopped.outcome.finalUrl, Url("/hop/0"));
    EXPECT_EQ(hopped.outcome.contentType, "text/plain");
    EXPECT_EQ(hopped.outcome.bodyBytes, 7u);
    EXPECT_EQ(hopped.outcome.transportCode, 0);
    EXPECT_GE(hopped.outcome.milliseconds, 0);

    const std::string refused =
        "http://127.0.0.1:" + std::to_string(test::UnusedLoopbackPort()) + "/page";
    Fetched failed = Get(refused);
    EXPECT_NE(failed.outcome.transportCode, 0);
    EXPECT_EQ(failed.outcome.finalUrl, refused);
    EXPECT_EQ(failed.outcome.contentType, "");
    EXPECT_EQ(failed.outcome.bodyBytes, 0u);
}

TEST_F(HttpClientTest, RedirectToAnotherSchemeThanHttpIsRefused) {
    server_.http().Get("/to-file", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("file:///etc/hostname");
    });
    Fetched fetched = Get(Url("/to-file"));
    EXPECT_EQ(fetched.outcome.result, HttpResult::kSendFailed);
    EXPECT_EQ(fetched.body, "");
}

TEST_F(HttpClientTest, ResultTellsWhereTheTransferEnded) {
    const int refusedPort = test::UnusedLoopbackPort();
    const std::string refused = "http://127.0.0.1:" + std::to_string(refusedPort) + "/page";
    server_.http().Get("/to-refused",
                       [refused](const httplib::Request&, httplib::Response& response) {
                           response.set_redirect(refused);
                       });
    struct Case {
        std::string what;
        std::string url;
        HttpResult result;
        long httpStatus;
    };
    const std::vector<Case> cases = {
        {"complete", Url("/page"), HttpResult::kOk, 200},
        {"error page", Url("/missing"), HttpResult::kOk, 404},
        {"refused port", refused, HttpResult::kSendFailed, 0},
        {"redirect to a refused port", Url("/to-refused"), HttpResult::kSendFailed, 0},
        {"blank in the address", Url("/a page"), HttpResult::kSendFailed, 0},
        {"control byte in the address", Url("/a\x01page"), HttpResult::kSendFailed, 0},
        {"body cut short", Url("/cut"), HttpResult::kBodyFailed, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fetched fetched = Get(c.url);
        EXPECT_EQ(fetched.outcome.result, c.result);
        EXPECT_EQ(fetched.outcome.httpStatus, c.httpStatus);
        EXPECT_EQ(fetched.outcome.error.empty(), c.result == HttpResult::kOk);
    }
}

TEST_F(HttpClientTest, TransferReceivingLessThanTheLowSpeedBytesInAWindowFailsAsTimedOut) {
    // A window of 1 s asks for kLowSpeedBytes every second, as 60 s ask for them every minute.
    const long productWindow = SetLowSpeedWindowSeconds(1);
    EXPECT_EQ(productWindow, kLowSpeedWindowSeconds);
    const std::pair<std::string, HttpResult> cases[] = {
        {"/trickle", HttpResult::kBodyFailed},  // a steady trickle of body is no progress
        {"/stall", HttpResult::kSendFailed},    // nor is a server that sends nothing
        {"/page", HttpResult::kOk},
    };
    for (const auto& [path, result] : cases) {
        SCOPED_TRACE(path);
        Fetched fetched = Get(Url(path));
        EXPECT_EQ(fetched.outcome.result, result);
        EXPECT_LT(fetched.body.size(), 1000u);
    }
    SetLowSpeedWindowSeconds(productWindow);
}

TEST_F(HttpClientTest, SinkRefusingABlockEndsTheTransfer) {
    int blocks = 0;
    HttpGetRequest request;
    request.url = Url("/page");
    request.onBody = [&blocks](const char*, std::size_t) {
        ++blocks;
        return false;
    };
    EXPECT_EQ(HttpGet(request).result, HttpResult::kSinkFailed);
    EXPECT_EQ(blocks, 1);
    // The thread's handles stay usable.
    EXPECT_EQ(Get(Url("/page")).body, "hello");
}

TEST_F(HttpClientTest, BufferSizeBoundsTheBlocks) {
    server_.Serve("/large", std::string(300000, 'x'));
    Fetched fetched = Get(Url("/large"), nullptr, 2048);
    EXPECT_EQ(fetched.body.size(), 300000u);
    EXPECT_LE(fetched.largestBlock, 2048u);
}

TEST_F(HttpClientTest, AbortFromAnotherThreadEndsAStalledTransferPromptly) {
    HttpAbort abort;
    std::thread aborter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        abort.Request();
    });
    auto start = std::chrono::steady_clock::now();
    Fetched fetched = Get(Url("/stall"), &abort);
    auto elapsed = std::chrono::steady_clock::now() - start;
    aborter.join();
    EXPECT_EQ(fetched.outcome.result, HttpResult::kAborted);
    EXPECT_LT(elapsed, std::chrono::seconds(1));
    EXPECT_EQ(fetched.body, "");
}

TEST_F(HttpClientTest, AbortRequestedBeforeTheCallSendsNothing) {
    HttpAbort abort;
    abort.Request();
    Fetched fetched = Get(Url("/page"), &abort);
    EXPECT_EQ(fetched.outcome.result, HttpResult::kAborted);
    EXPECT_TRUE(fetched.codes.empty());
}

}  // namespace
}  // namespace zavel::platform

namespace zavel::platform {
namespace {

TEST(HttpsClientTest, TlsReportsTheSameStepsAndAnUntrustedCertificateGetsNoResponse) {
    test::LoopbackServer secure(test::TrustedTestCertificate());
    secure.Serve("/page", "hello over tls");
    test::LoopbackServer untrusted(test::UntrustedTestCertificate());
    untrusted.Serve("/page", "never read");
    secure.Start();
    untrusted.Start();
    OnFreshThread([&] {
        // The handshake belongs to connecting: "connected" comes once the request can go.
        Fetched first = Get(secure.origin() + "/page");
        EXPECT_EQ(first.outcome.result, HttpResult::kOk);
        EXPECT_EQ(first.body, "hello over tls");
        EXPECT_EQ(
            WithoutResolving(first.codes),
            (std::vector<int>{kStatusResolved, kStatusConnecting, kStatusConnected, kStatusSending,
                              kStatusSent, kStatusReceiving, kStatusReceived}));

        Fetched refused = Get(untrusted.origin() + "/page");
        EXPECT_EQ(refused.outcome.result, HttpResult::kSendFailed);
        EXPECT_EQ(refused.outcome.httpStatus, 0);
        EXPECT_NE(refused.outcome.transportCode, 0);
        EXPECT_EQ(refused.body, "");
    });
}

TEST(HttpsClientTest, OnlyAMoveToTheSameAddressOverHttpsIsRemembered) {
    test::LoopbackServer secure(test::TrustedTestCertificate());
    secure.Serve("/same", "same");
    secure.Serve("/other", "other");
    test::LoopbackServer plain;
    std::atomic<int> redirects{0};
    plain.http().Get(R"(/.*)", [&](const httplib::Request& request, httplib::Response& response) {
        ++redirects;
        // Another path, or another host name, says nothing about the server's other addresses.
        const std::string target =
            request.path == "/same"  ? secure.origin() + "/same"
            : request.path == "/far" ? "https://localhost:" + std::to_string(secure.port()) + "/far"
                                     : secure.origin() + "/other";
        response.set_redirect(target, 301);
    });
    secure.Start();
    plain.Start();
    const std::string origin = "http://" + plain.host();
    EXPECT_EQ(Get(origin + "/far").outcome.httpStatus, 404);
    EXPECT_EQ(Get(origin + "/moved").body, "other");
    EXPECT_EQ(Get(origin + "/moved").body, "other");
    EXPECT_EQ(redirects.load(), 3);
    EXPECT_EQ(Get(origin + "/same").body, "same");
    // From now on the plain server is not asked at all.
    EXPECT_EQ(Get(origin + "/other").body, "other");
    EXPECT_EQ(Get(origin + "/far").outcome.httpStatus, 404);
    EXPECT_EQ(redirects.load(), 4);
}

}  // namespace
}  // namespace zavel::platform
