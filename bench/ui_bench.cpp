// UI benchmark: the real main window (offscreen unless a display is chosen) fills its tree from
// a generated site served on loopback until the table is full (50,000 records), while a
// heartbeat timer on the user-interface thread measures how long the thread was kept from its
// events. Reports the time to fill the tree, the longest stall, and the peak memory.
//
//   zavel_ui_bench [pages] [--settle]   a site of `pages` pages (default 60000); with --settle
//                                       the run goes on until every record is expanded
#include <httplib.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMetaEnum>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "bench/site.h"
#include "lists/word_list.h"
#include "ui/main_frame.h"

namespace {

using namespace std::chrono_literals;

void ServeSite(httplib::Server& server, int pages) {
    server.new_task_queue = [] { return new httplib::ThreadPool(4); };
    server.set_tcp_nodelay(true);
    server.set_keep_alive_max_count(1000000);
    server.Get(R"(/p(\d+)\.html)",
               [pages](const httplib::Request& request, httplib::Response& response) {
                   const int index = std::atoi(std::string(request.matches[1]).c_str());
                   if (index >= pages) {
                       response.status = 404;
                       return;
                   }
                   response.set_content(zavel::bench::SitePage(index, pages), "text/html");
               });
}

// Times every event the user-interface thread handles, to tell the program's own long handlers
// from stalls the scheduler causes on a busy machine.
class TimedApplication : public QApplication {
  public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        if (depth_ > 0) {
            return QApplication::notify(receiver, event);
        }
        ++depth_;
        QElapsedTimer timer;
        timer.start();
        const QEvent::Type type = event->type();
        const bool handled = QApplication::notify(receiver, event);
        const qint64 spent = timer.elapsed();
        --depth_;
        if (spent > longest) {
            longest = spent;
            longestType = type;
        }
        return handled;
    }

    qint64 longest = 0;
    QEvent::Type longestType = QEvent::None;

  private:
    int depth_ = 0;
};

// A home of its own with an install record, so the window starts as installed.
std::string PrepareHome() {
    const std::string root =
        (std::filesystem::temp_directory_path() / ("zavel-ui-bench-" + std::to_string(getpid())))
            .string();
    const std::string program = root + "/ZAVEL/";
    std::filesystem::create_directories(root + "/data/zavel");
    std::filesystem::create_directories(program);
    std::ofstream(root + "/data/zavel/dir.lst") << program << "\n";
    std::ofstream(program + "dir.lst") << program << "\n";
    for (auto kind : {zavel::WordListKind::kKeywords, zavel::WordListKind::kExtensions,
                      zavel::WordListKind::kReservedWords, zavel::WordListKind::kErrors}) {
        std::ofstream(program + zavel::WordListFileName(kind), std::ios::binary)
            << zavel::DefaultWordList(kind);
    }
    setenv("HOME", root.c_str(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    return root;
}

}  // namespace

int main(int argc, char** argv) {
    int pages = 60000;
    bool settle = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--settle") {
            settle = true;
        } else {
            pages = std::atoi(argv[i]);
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const std::string root = PrepareHome();

    httplib::Server server;
    ServeSite(server, pages);
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&server] { server.listen_after_bind(); });
    while (!server.is_running()) {
        std::this_thread::sleep_for(1ms);
    }

    TimedApplication app(argc, argv);
    int result = 0;
    {
        zavel::MainFrame frame;
        QElapsedTimer clock;
        // The heartbeat: the longest gap between two of its ticks is the longest stall.
        qint64 lastBeat = 0;
        qint64 longestStall = 0;
        qint64 stallAt = 0;
        int stallsOver50 = 0;
        int stallsOver100 = 0;
        constexpr int kBeatMs = 5;
        QTimer heartbeat;
        heartbeat.setTimerType(Qt::PreciseTimer);
        heartbeat.setInterval(kBeatMs);
        QObject::connect(&heartbeat, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            const qint64 gap = now - lastBeat - kBeatMs;
            if (gap > longestStall) {
                longestStall = gap;
                stallAt = now;
            }
            stallsOver50 += gap > 50 ? 1 : 0;
            stallsOver100 += gap > 100 ? 1 : 0;
            lastBeat = now;
        });

        qint64 addedAt = 0;
        qint64 filledAt = -1;
        qint64 settledAt = -1;
        QTimer watch;
        watch.setInterval(20);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!frame.engine) {
                return;
            }
            static qint64 lastReport = 0;
            if (clock.elapsed() - lastReport >= 5000) {
                lastReport = clock.elapsed();
                std::printf("%6.1f s: %d records, %d items shown, longest stall so far %lld ms\n",
                            static_cast<double>(lastReport) / 1000.0, frame.engine->table().Count(),
                            frame.treePresenter->ItemCount(), static_cast<long long>(longestStall));
                std::fflush(stdout);
            }
            if (filledAt < 0) {
                if (frame.engine->table().Count() == zavel::kTableCapacity &&
                    frame.treePresenter->ItemCount() == zavel::kTableCapacity &&
                    frame.treePresenter->Idle()) {
                    filledAt = clock.elapsed() - addedAt;
                    std::printf("tree filled: %d items in %.2f s\n",
                                frame.treePresenter->ItemCount(),
                                static_cast<double>(filledAt) / 1000.0);
                    std::fflush(stdout);
                    if (!settle) {
                        QApplication::quit();
                    }
                }
            } else if (settle && frame.engine->table().CrawlSettled() &&
                       frame.treePresenter->Idle()) {
                settledAt = clock.elapsed() - addedAt;
                QApplication::quit();
            }
        });
        // Bounded: gives up after ten minutes.
        QTimer::singleShot(600000, &app, [] { QApplication::quit(); });

        // The measurement starts once the window is built; the Add itself is measured too.
        QTimer::singleShot(0, &app, [&] {
            clock.start();
            lastBeat = 0;
            app.longest = 0;
            heartbeat.start();
            watch.start();
            QTimer::singleShot(50, &app, [&] {
                frame.addressEdit->setText(QStringLiteral("127.0.0.1:%1/p0.html").arg(port));
                addedAt = clock.elapsed();
                frame.RunCommand(zavel::kCommandAdd);
            });
        });
        QApplication::exec();

        if (filledAt < 0) {
            std::printf("the tree was not filled in time (%d items)\n",
                        frame.treePresenter ? frame.treePresenter->ItemCount() : 0);
            result = 1;
        }
        if (settledAt >= 0) {
            std::printf("crawl settled: every record expanded in %.2f s\n",
                        static_cast<double>(settledAt) / 1000.0);
        }
        std::printf(
            "longest UI stall: %lld ms (%.2f s after the Add); stalls over 50 ms: %d, over 100 ms: "
            "%d\n",
            static_cast<long long>(longestStall), static_cast<double>(stallAt - addedAt) / 1000.0,
            stallsOver50, stallsOver100);
        std::printf("longest single event handled: %lld ms (%s)\n",
                    static_cast<long long>(app.longest),
                    QMetaEnum::fromType<QEvent::Type>().valueToKey(app.longestType));
        std::printf("peak RSS: %.1f MB\n", static_cast<double>(zavel::bench::PeakRssKb()) / 1024.0);
        frame.close();
    }
    server.stop();
    serving.join();
    std::filesystem::remove_all(root);
    return result;
}
