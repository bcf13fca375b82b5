// Crawl benchmark: the real engine (worker, fetcher, expansion) against a generated site served
// on loopback, until every record is expanded.
//
//   zavel_crawl_bench [pages]            crawl a site of `pages` pages (default 20000)
//   zavel_crawl_bench --dir ROOT         crawl the HTML files under ROOT from /index.html
//   zavel_crawl_bench --serve [pages]    only serve the site; prints the port, and stops by
//   zavel_crawl_bench --serve --dir ROOT itself after 30 minutes or on end of standard input
//   ... --tls CERT KEY                   the same over HTTPS with this certificate and key (PEM
//                                        files); the crawl trusts that certificate only
// Options before the site: --delay MS (every response waits MS milliseconds, default 0) and
// --requests N (requests at once, default the program's 6).
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/measure.h"
#include "bench/site.h"
#include "engine/crawl_engine.h"
#include "lists/settings_file.h"
#include "platform/http/http_client.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Counts what the crawl reports; remembers when each page was fetched.
class CountingTree : public zavel::LinkTreeView {
  public:
    void InsertItem(zavel::TreeItemId, zavel::TreeItemId, const std::string&, int) override {}
    void SetImage(zavel::TreeItemId item, int image) override {
        if (image == zavel::kImageFetched) {
            std::lock_guard lock(mutex_);
            fetchedAt_.emplace(item, Clock::now());
        }
    }
    void ExpandItem(zavel::TreeItemId) override {}
    void SortChildren(zavel::TreeItemId) override {}
    void DeleteItem(zavel::TreeItemId) override {}
    void PostRefresh() override {}

    std::map<zavel::TreeItemId, Clock::time_point> fetchedAt() {
        std::lock_guard lock(mutex_);
        return fetchedAt_;
    }

  private:
    std::mutex mutex_;
    std::map<zavel::TreeItemId, Clock::time_point> fetchedAt_;
};

// What the benchmark serves: a generated site of `pages` pages, or the files under `root`.
struct Site {
    int pages = 20000;
    std::string root;
    std::string certificate;  // with the key: served over HTTPS
    std::string key;

    std::string StartPath() const { return root.empty() ? "/p0.html" : "/index.html"; }
    std::string Scheme() const { return certificate.empty() ? "http://" : "https://"; }
};

// A plain server, or one speaking TLS with the site's certificate, which the crawl then trusts.
std::unique_ptr<httplib::Server> MakeServer(const Site& site) {
    if (site.certificate.empty()) {
        return std::make_unique<httplib::Server>();
    }
    std::ifstream file(site.certificate, std::ios::binary);
    zavel::platform::TrustCertificatesForTests(
        std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
    auto server = std::make_unique<httplib::SSLServer>(site.certificate.c_str(), site.key.c_str());
    if (!server->is_valid()) {
        std::fprintf(stderr, "cannot serve TLS with %s and %s\n", site.certificate.c_str(),
                     site.key.c_str());
        std::exit(2);
    }
    return server;
}

// The site, and a page that stalls while `stalling` holds (at most ten seconds).
void ServeSite(httplib::Server& server, const Site& site, std::atomic<bool>& stalling) {
    if (site.root.empty()) {
        zavel::bench::ServeSite(server, site.pages);
    } else {
        zavel::bench::ServeFolder(server, site.root);
    }
    server.Get("/stall.html", [&stalling](const httplib::Request&, httplib::Response& response) {
        auto until = Clock::now() + 10s;
        while (stalling.load() && Clock::now() < until) {
            std::this_thread::sleep_for(1ms);
        }
        response.set_content("late", "text/html");
    });
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

std::string PrepareProgramDir() {
    std::string dir =
        (std::filesystem::temp_directory_path() / ("zavel-bench-" + std::to_string(getpid()) + "/"))
            .string();
    std::filesystem::create_directories(dir);
    zavel::bench::WriteDefaultWordLists(dir);
    return dir;
}

int Serve(const Site& site) {
    std::unique_ptr<httplib::Server> served = MakeServer(site);
    httplib::Server& server = *served;
    std::atomic<bool> stalling{false};
    ServeSite(server, site, stalling);
    int port = server.bind_to_any_port("127.0.0.1");
    // Ends with standard input, or after 30 minutes at the latest.
    std::atomic<bool> inputEnded{false};
    std::thread([&inputEnded] {
        std::string ignored;
        while (std::getline(std::cin, ignored)) {
        }
        inputEnded = true;
    }).detach();
    std::thread stopper([&server, &inputEnded] {
        auto until = Clock::now() + 30min;
        while (Clock::now() < until && !inputEnded.load()) {
            std::this_thread::sleep_for(100ms);
        }
        server.stop();
    });
    std::printf("%d\n", port);
    std::fflush(stdout);
    server.listen_after_bind();
    stopper.join();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool serveOnly = false;
    int requests = zavel::kDefaultRequestsAtOnce;
    Site site;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--serve") {
            serveOnly = true;
        } else if (arg == "--delay" && i + 1 < argc) {
            zavel::bench::SetResponseDelayMilliseconds(std::atoi(argv[++i]));
        } else if (arg == "--requests" && i + 1 < argc) {
            requests = std::atoi(argv[++i]);
        } else if (arg == "--dir" && i + 1 < argc) {
            site.root = argv[++i];
        } else if (arg == "--tls" && i + 2 < argc) {
            site.certificate = argv[++i];
            site.key = argv[++i];
        } else {
            site.pages = std::atoi(arg.c_str());
        }
    }
    if (!site.root.empty() && !std::filesystem::is_regular_file(site.root + "/index.html")) {
        std::fprintf(stderr, "%s/index.html does not exist\n", site.root.c_str());
        return 2;
    }
    if (serveOnly) {
        return Serve(site);
    }

    std::unique_ptr<httplib::Server> served = MakeServer(site);
    httplib::Server& server = *served;
    std::atomic<bool> stalling{true};
    ServeSite(server, site, stalling);
    std::thread serving;
    const int port = zavel::bench::StartServing(server, serving);
    const std::string host = "127.0.0.1:" + std::to_string(port);
    const std::string programDir = PrepareProgramDir();
    // Lists younger than a second are read again at every use (their stamps cannot be trusted
    // yet); an installed program's lists are older than that.
    std::this_thread::sleep_for(1100ms);

    CountingTree tree;
    double idleCpu = 0;
    double endLatencyMs = 0;
    {
        zavel::CrawlEngine engine(programDir);
        engine.SetRequestsAtOnce(requests);
        zavel::bench::AddRoot(engine, tree, site.Scheme() + host + site.StartPath());
        auto start = Clock::now();
        engine.StartWorker();
        while (!engine.table().CrawlSettled()) {
            std::this_thread::sleep_for(5ms);
        }
        auto total = Clock::now() - start;

        // Pages in the order they were fetched, for the first and last tenth.
        std::vector<Clock::time_point> times;
        for (const auto& [item, at] : tree.fetchedAt()) {
            times.push_back(at);
        }
        std::sort(times.begin(), times.end());
        const std::size_t n = times.size();
        const std::size_t tenth = std::max<std::size_t>(n / 10, 1);
        double first = n > tenth ? Seconds(times[tenth] - times[0]) / tenth : 0;
        double last = n > tenth ? Seconds(times[n - 1] - times[n - 1 - tenth]) / tenth : 0;

        // An idle worker must cost nothing.
        double cpuBefore = zavel::bench::ProcessCpuSeconds();
        std::this_thread::sleep_for(2s);
        idleCpu = (zavel::bench::ProcessCpuSeconds() - cpuBefore) / 2.0;

        // Ending the worker in the middle of a transfer that never moves.
        zavel::bench::AddRoot(engine, tree, site.Scheme() + host + "/stall.html");
        std::this_thread::sleep_for(300ms);
        auto endStart = Clock::now();
        engine.EndWorker();
        endLatencyMs = Seconds(Clock::now() - endStart) * 1000;

        if (site.root.empty()) {
            std::printf("pages: %d, ", site.pages);
        } else {
            std::printf("site: %s, ", site.root.c_str());
        }
        std::printf("requests at once: %d, records: %d, fetched: %zu\n", requests,
                    engine.table().Count(), n);
        std::printf("total: %.2f s, pages per second: %.0f\n", Seconds(total),
                    static_cast<double>(n) / Seconds(total));
        std::printf("time per page, first 10%%: %.3f ms, last 10%%: %.3f ms\n", first * 1000,
                    last * 1000);
    }
    stalling = false;
    std::printf("peak RSS: %ld KiB\n", zavel::bench::PeakRssKb());
    std::printf("CPU while idle: %.2f%% of one core\n", idleCpu * 100);
    std::printf("ending the worker mid-transfer: %.2f ms\n", endLatencyMs);
    server.stop();
    serving.join();
    std::filesystem::remove_all(programDir);
    return 0;
}
