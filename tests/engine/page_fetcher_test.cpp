#include "engine/page_fetcher.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <chrono>
#include <csignal>
#include <ostream>
#include <random>
#include <string>
#include <thread>

#include "platform/http/http_client.h"
#include "tests/support/captured_boxes.h"
#include "tests/support/loopback_server.h"
#include "tests/support/temp_dir.h"

namespace zavel {
namespace {

using test::FileExists;
using test::ReadFileBytes;
using test::WriteFileBytes;

std::string AllByteValues() {
    std::string bytes;
    for (int value = 0; value < 256; ++value) {
        bytes.push_back(static_cast<char>(value));
    }
    return bytes;
}

std::string RandomBytes(std::size_t size) {
    std::mt19937 generator(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(byte(generator));
    }
    return bytes;
}

class PageFetcherTest : public testing::Test {
  protected:
    void SetUp() override {
        server_.Serve("/page.html", "<html>page</html>");
        server_.http().Get("/stall", [this](const httplib::Request&, httplib::Response& response) {
            server_.StallUntilStopped();
            response.set_content("late", "text/plain");
        });
        // Sends the first part of the body at once, then nothing until the server stops.
        server_.http().Get(
            "/stall-in-body", [this](const httplib::Request&, httplib::Response& response) {
                response.set_chunked_content_provider(
                    "text/plain", [this](std::size_t offset, httplib::DataSink& sink) {
                        if (offset == 0) {
                            sink.write("first part", 10);
                            return true;
                        }
                        server_.StallUntilStopped();
                        return false;
                    });
            });
    }

    test::LoopbackServer server_;
    test::TempDir dir_;
};

TEST_F(PageFetcherTest, BodyIsWrittenByteForByte) {
    const std::string large = RandomBytes(3 * 1024 * 1024 + 17);
    server_.Serve("/bytes", AllByteValues(), 200, "application/octet-stream");
    server_.Serve("/large", large, 200, "application/octet-stream");
    server_.Start();

    EXPECT_EQ(FetchPage(server_.host(), "/bytes", dir_ / "bytes"), 1);
    EXPECT_EQ(ReadFileBytes(dir_ / "bytes"), AllByteValues());
    EXPECT_EQ(FetchPage(server_.host(), "/large", dir_ / "large"), 1);
    EXPECT_TRUE(ReadFileBytes(dir_ / "large") == large);  // no 3 MB dump on failure
    EXPECT_EQ(lastStatusCode.load(), platform::kStatusReceived);
}

TEST_F(PageFetcherTest, EmptyBodyGivesAnEmptyFile) {
    server_.Serve("/empty", "");
    server_.Start();
    WriteFileBytes(dir_ / "page", "earlier content");

    EXPECT_EQ(FetchPage(server_.host(), "/empty", dir_ / "page"), 1);
    EXPECT_TRUE(FileExists(dir_ / "page"));
    EXPECT_EQ(ReadFileBytes(dir_ / "page"), "");
}

TEST_F(PageFetcherTest, ErrorPageIsSavedLikeAnyPage) {
    server_.Serve("/gone", "<html>Not Found</html>", 404);
    server_.Start();

    EXPECT_EQ(FetchPage(server_.host(), "/gone", dir_ / "page"), 1);
    EXPECT_EQ(ReadFileBytes(dir_ / "page"), "<html>Not Found</html>");
}

TEST_F(PageFetcherTest, RedirectIsFollowedAndOnlyTheTargetSaved) {
    server_.Serve("/new", "the new page");
    server_.http().Get("/old", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("moved", "text/html");
        response.set_redirect("/new", 302);
    });
    server_.Start();

    EXPECT_EQ(FetchPage(server_.host(), "/old", dir_ / "page"), 1);
    EXPECT_EQ(ReadFileBytes(dir_ / "page"), "the new page");
}

TEST_F(PageFetcherTest, HostTextWithAPortReachesThatPort) {
    test::LoopbackServer other;
    other.Serve("/page.html", "the other server");
    other.Start();
    server_.Start();

    EXPECT_EQ(FetchPage(other.host(), "/page.html", dir_ / "other"), 1);
    EXPECT_EQ(FetchPage(server_.host(), "/page.html", dir_ / "first"), 1);
    EXPECT_EQ(ReadFileBytes(dir_ / "other"), "the other server");
    EXPECT_EQ(ReadFileBytes(dir_ / "first"), "<html>page</html>");
}

TEST_F(PageFetcherTest, FailureBeforeTheResponseLeavesNoFileAndAnEarlierFileUntouched) {
    server_.Start();
    const std::string refused = "127.0.0.1:" + std::to_string(test::UnusedLoopbackPort());
    test::CapturedBoxes boxes;

    EXPECT_EQ(FetchPage(refused, "/page.html", dir_ / "new"), 0);
    EXPECT_FALSE(FileExists(dir_ / "new"));

    WriteFileBytes(dir_ / "earlier", "earlier content");
    EXPECT_EQ(FetchPage(refused, "/page.html", dir_ / "earlier"), 0);
    EXPECT_EQ(ReadFileBytes(dir_ / "earlier"), "earlier content");

    // The address is handed on as it stands; a blank makes it unusable.
    EXPECT_EQ(FetchPage(server_.host(), "/page .html", dir_ / "earlier"), 0);
    EXPECT_EQ(ReadFileBytes(dir_ / "earlier"), "earlier content");

    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(PageFetcherTest, BodyBrokenOffLeavesNoFile) {
    server_.ServeCutShort("/cut", std::string(5000, 'a'), 200000);
    server_.Start();
    test::CapturedBoxes boxes;

    EXPECT_EQ(FetchPage(server_.host(), "/cut", dir_ / "page"), 0);
    EXPECT_FALSE(FileExists(dir_ / "page"));
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(PageFetcherTest, FileThatCannotBeCreatedShowsInternalErrorOnce) {
    server_.Serve("/empty", "");
    server_.Start();
    // Runs as root in CI, so permissions cannot stop the write: a path below a regular file can.
    WriteFileBytes(dir_ / "plain", "a file, not a folder");
    for (const char* path : {"/page.html", "/empty"}) {
        SCOPED_TRACE(path);
        test::CapturedBoxes boxes;
        EXPECT_EQ(FetchPage(server_.host(), path, dir_ / "plain/page"), 0);
        EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Internal Error"});
    }
    EXPECT_EQ(ReadFileBytes(dir_ / "plain"), "a file, not a folder");
}

TEST_F(PageFetcherTest, WriteFailureGivesZeroAndNoFile) {
    // The file size limit makes writes fail with EFBIG (SIGXFSZ ignored meanwhile): a small body
    // fails only when the stream is flushed on closing, a large one already while writing.
    server_.Serve("/small", std::string(2000, 's'));
    server_.Serve("/large", std::string(300000, 'l'));
    server_.Start();
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = previous;
    limited.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);

    int small = FetchPage(server_.host(), "/small", dir_ / "small");
    int large = FetchPage(server_.host(), "/large", dir_ / "large");

    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(small, 0);
    EXPECT_FALSE(FileExists(dir_ / "small"));
    EXPECT_EQ(large, 0);
    EXPECT_FALSE(FileExists(dir_ / "large"));
}

struct AbortCase {
    const char* path;
    const char* what;
};

void PrintTo(const AbortCase& abortCase, std::ostream* out) {
    *out << abortCase.path;
}

class PageFetcherAbortTest : public PageFetcherTest,
                             public testing::WithParamInterface<AbortCase> {};

TEST_P(PageFetcherAbortTest, AbortFromAnotherThreadReturnsPromptlyWithoutAFile) {
    server_.Start();
    platform::HttpAbort abort;
    std::thread aborter([&abort] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        abort.Request();
    });
    auto start = std::chrono::steady_clock::now();
    int result = FetchPage(server_.host(), GetParam().path, dir_ / "page", &abort);
    auto elapsed = std::chrono::steady_clock::now() - start;
    aborter.join();

    EXPECT_EQ(result, 0);
    EXPECT_LT(elapsed, std::chrono::seconds(1));
    EXPECT_FALSE(FileExists(dir_ / "page"));
}

INSTANTIATE_TEST_SUITE_P(Stalls, PageFetcherAbortTest,
                         testing::Values(AbortCase{"/stall", "BeforeTheResponse"},
                                         AbortCase{"/stall-in-body", "InTheBody"}),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace zavel
