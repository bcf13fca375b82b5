// Offline-links benchmark: the real main window (offscreen unless a display is chosen) copies a
// generated site served on loopback with offline links on, so that every page's links are
// rewritten once the crawl has come to rest, while a heartbeat timer on the user-interface
// thread measures how long the thread was kept from its events. The site's links are
// root-relative, so every link of every page is rewritten.
//
//   zavel_offline_bench [pages]     pages of the site (default 2000)
// Reports the time to copy the site, the time from the last expansion to the rewritten copy, the
// longest stall of the user-interface thread and the pages whose links are all rewritten.
// Exits with 1 when a check fails.
#include <httplib.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

#include "bench/measure.h"
#include "bench/site.h"
#include "ui/main_frame.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A home of its own with an install record and settings for copy mode with offline links into
// `dest`, so the window starts as installed and the Add copies.
std::string PrepareHome(std::string* dest) {
    const std::string root = (std::filesystem::temp_directory_path() /
                              ("zavel-offline-bench-" + std::to_string(getpid())))
                                 .string();
    const std::string program = root + "/ZAVEL/";
    *dest = root + "/copy";
    std::filesystem::create_directories(root + "/data/zavel");
    std::filesystem::create_directories(program);
    std::filesystem::create_directories(*dest);
    std::ofstream(root + "/data/zavel/dir.lst") << program << "\n";
    std::ofstream(program + "dir.lst") << program << "\n";
    // ZAVEL_BENCH_EXACT set: the same copy with offline links off, for comparison.
    std::ofstream(program + "status.lst")
        << "2\n0\n100\n"
        << *dest << "\n*.*;\n0\n0\n0\n0\n\n6\n"
        << (std::getenv("ZAVEL_BENCH_EXACT") != nullptr ? 0 : 1) << "\n";
    zavel::bench::WriteDefaultWordLists(program);
    setenv("HOME", root.c_str(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    return root;
}

}  // namespace

int main(int argc, char** argv) {
    const int pages = argc > 1 ? std::atoi(argv[1]) : 2000;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    std::string dest;
    const std::string root = PrepareHome(&dest);

    httplib::Server server;
    server.Get(R"(/p(\d+)\.html)",
               [pages](const httplib::Request& request, httplib::Response& response) {
                   const int index = std::atoi(request.matches[1].str().c_str());
                   if (index >= pages) {
                       response.status = 404;
                       return;
                   }
                   std::string body = zavel::bench::SitePage(index, pages);
                   body = std::regex_replace(body, std::regex("(HREF|SRC)=\"p"), "$1=\"/p");
                   zavel::bench::SetUncompressedContent(response, std::move(body), "text/html");
               });
    // A thread for every connection of the window's requests at once: a kept-alive connection
    // holds its thread.
    server.new_task_queue = [] { return new httplib::ThreadPool(32); };
    std::thread serving;
    const int port = zavel::bench::StartServing(server, serving);
    std::printf("ZAVEL offline links, main window: site of %d pages copied with offline links\n",
                pages);

    QApplication app(argc, argv);
    bool ok = true;
    {
        zavel::bench::BoxRecorder boxes;
        zavel::MainFrame frame;
        QElapsedTimer clock;
        qint64 lastBeat = 0;
        qint64 longestStall = 0;
        int stallsOver100 = 0;
        qint64 rewriteStall = 0;  // the longest while the copy is rewritten
        qint64 expandedAt = -1;
        qint64 settledAt = -1;
        constexpr int kBeatMs = 5;
        QTimer heartbeat;
        heartbeat.setTimerType(Qt::PreciseTimer);
        heartbeat.setInterval(kBeatMs);
        QObject::connect(&heartbeat, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            const qint64 gap = now - lastBeat - kBeatMs;
            longestStall = std::max(longestStall, gap);
            if (expandedAt >= 0 && settledAt < 0) {
                rewriteStall = std::max(rewriteStall, gap);
            }
            stallsOver100 += gap > 100 ? 1 : 0;
            lastBeat = now;
        });

        qint64 addedAt = 0;
        QTimer watch;
        watch.setInterval(5);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            const zavel::LinkTable& table = frame.engine->table();
            if (expandedAt < 0 && table.Count() >= pages) {
                bool all = true;
                for (int i = table.Count() - 1; i >= 0 && all; --i) {
                    all = table.RecordAt(i)->expanded.load() == 1;
                }
                if (all) {
                    expandedAt = clock.elapsed();
                }
            }
            if (expandedAt >= 0 && table.CrawlSettled() && frame.treePresenter->Idle()) {
                settledAt = clock.elapsed();
                watch.stop();
                QTimer::singleShot(200, &app, [] { QApplication::quit(); });
            }
        });
        QTimer::singleShot(600000, &app, [] { QApplication::quit(); });  // bounded
        QTimer::singleShot(0, &app, [&] {
            clock.start();
            heartbeat.start();
            watch.start();
            frame.addressEdit->setText(QStringLiteral("127.0.0.1:%1/p0.html").arg(port));
            addedAt = clock.elapsed();
            frame.RunCommand(zavel::kCommandAdd);
        });
        QApplication::exec();

        int rewritten = 0;
        for (int i = 0; i < pages; ++i) {
            const std::string page = ReadAll(dest + "/p" + std::to_string(i) + ".html");
            rewritten += !page.empty() && page.find("=\"/p") == std::string::npos ? 1 : 0;
        }
        if (settledAt < 0) {
            std::printf("the crawl did not come to rest in time\n");
            ok = false;
        } else {
            std::printf(
                "copied and rewritten in %.2f s; from the last expansion to the rewritten "
                "copy %.0f ms\n",
                static_cast<double>(settledAt - addedAt) / 1000.0,
                static_cast<double>(settledAt - expandedAt));
        }
        std::printf(
            "longest UI stall: %lld ms, while the copy was rewritten %lld ms; stalls over "
            "100 ms: %d\n",
            static_cast<long long>(longestStall), static_cast<long long>(rewriteStall),
            stallsOver100);
        std::printf("pages with every link rewritten: %d of %d\n", rewritten, pages);
        ok = zavel::bench::Check(rewritten == pages, "every page rewritten") && ok;
        ok = zavel::bench::Check(rewriteStall <= 100, "no UI stall over 100 ms while rewriting") &&
             ok;
        ok = zavel::bench::Check(boxes.texts().empty(), "no message box") && ok;
    }
    server.stop();
    serving.join();
    std::filesystem::remove_all(root);
    return ok ? 0 : 1;
}
