// UI benchmark: the real main window (offscreen unless a display is chosen) fills its tree from
// a generated site served on loopback until the table is full (50,000 records), while a
// heartbeat timer on the user-interface thread measures how long the thread was kept from its
// events. Then Remove of the root, as the user does it: the item selected, the command run,
// until the tree is empty. Reports the time to fill the tree, pages per second over the crawl,
// the longest stall, the status pane and title at the end, the message boxes the run would have
// shown, the time Remove took, and the peak memory.
//
//   zavel_ui_bench [pages] [--settle] [--links N] [--delay MS]
//     pages     the site's pages (default 60000)
//     --settle  the crawl goes on until every record is expanded (the soak); without it, Remove
//               comes as soon as the tree is full, in the middle of the crawl
//     --links   new links per page (default 15)
//     --delay   milliseconds every response waits (default 0), like a distant server
// Exits with 1 when a check fails.
#include <httplib.h>
#include <time.h>
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

#include "bench/measure.h"
#include "bench/site.h"
#include "ui/main_frame.h"

namespace {

using namespace std::chrono_literals;

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
        if (forgetCurrent) {
            forgetCurrent = false;
        } else if (spent > longest) {
            longest = spent;
            longestType = type;
        }
        return handled;
    }

    qint64 longest = 0;
    QEvent::Type longestType = QEvent::None;
    // Set while an event is handled: that event is left out of `longest`.
    bool forgetCurrent = false;

  private:
    int depth_ = 0;
};

// The processor time the calling thread has used.
double ThreadCpuSeconds() {
    timespec used{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

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
    zavel::bench::WriteDefaultWordLists(program);
    setenv("HOME", root.c_str(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    return root;
}

// The pane's text as the report shows it: the idle banner is 1,020 characters, mostly blanks.
std::string Shown(const QString& text) {
    const QString trimmed = text.trimmed();
    std::string shown = trimmed.left(100).toStdString();
    if (trimmed.size() > 100) {
        shown += "...";
    }
    return "\"" + shown + "\" (" + std::to_string(text.size()) + " characters)";
}

}  // namespace

int main(int argc, char** argv) {
    int pages = 60000;
    int links = zavel::bench::kLinksPerPage;
    bool settle = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--settle") {
            settle = true;
        } else if (argument == "--links" && i + 1 < argc) {
            links = std::atoi(argv[++i]);
        } else if (argument == "--delay" && i + 1 < argc) {
            zavel::bench::SetResponseDelayMilliseconds(std::atoi(argv[++i]));
        } else {
            pages = std::atoi(argv[i]);
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const std::string loadBefore = zavel::bench::LoadAverage();
    const std::string root = PrepareHome();

    httplib::Server server;
    zavel::bench::ServeSite(server, pages, links);
    std::thread serving;
    const int port = zavel::bench::StartServing(server, serving);
    std::printf("ZAVEL soak, main window: site of %d pages, %d new links per page, %s\n", pages,
                links, settle ? "crawled to the end" : "until the tree is full");

    TimedApplication app(argc, argv);
    bool ok = true;
    {
        // The boxes the run would have shown; none is expected.
        zavel::bench::BoxRecorder boxes;
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
        zavel::bench::CrawlTimeline timeline(5000);
        auto seconds = [&] { return static_cast<double>(clock.elapsed() - addedAt) / 1000.0; };

        // The end of the run: Remove of the root, timed until the tree is empty.
        qint64 crawlStall = 0;
        qint64 crawlStallAt = 0;
        int crawlStallsOver50 = 0;
        int crawlStallsOver100 = 0;
        qint64 crawlLongestEvent = 0;
        QEvent::Type crawlLongestType = QEvent::None;
        int itemsAtEnd = 0;
        int expandedAtEnd = 0;
        bool addDeclined = false;
        QString paneAtEnd;
        QString titleAtEnd;
        qint64 removeStart = 0;
        double clickMs = -1;
        double removeCommandMs = -1;
        double removeMs = -1;
        qint64 removeStall = 0;
        QTimer removal;
        removal.setTimerType(Qt::PreciseTimer);
        removal.setInterval(1);
        QObject::connect(&removal, &QTimer::timeout, [&] {
            if (frame.treePresenter->Idle() && frame.treePresenter->ItemCount() == 0 &&
                frame.tree->topLevelItemCount() == 0) {
                removal.stop();
                removeMs = static_cast<double>(clock.nsecsElapsed() - removeStart) / 1e6;
                removeStall = longestStall;
                // Long enough for the progress display to look at the empty table.
                QTimer::singleShot(300, &app, [] { QApplication::quit(); });
            }
        });
        auto startRemove = [&] {
            crawlStall = longestStall;
            crawlStallAt = stallAt;
            crawlStallsOver50 = stallsOver50;
            crawlStallsOver100 = stallsOver100;
            crawlLongestEvent = app.longest;
            crawlLongestType = app.longestType;
            paneAtEnd = frame.statusPane->text();
            titleAtEnd = frame.windowTitle();
            const zavel::LinkTable& table = frame.engine->table();
            itemsAtEnd = frame.treePresenter->ItemCount();
            for (int i = 0; i < table.Count(); ++i) {
                expandedAtEnd += table.RecordAt(i)->expanded.load();
            }
            // One more Add on the full table: declined without a word.
            frame.addressEdit->setText(QStringLiteral("127.0.0.1:%1/p1.html").arg(port));
            frame.RunCommand(zavel::kCommandAdd);
            frame.treePresenter->ApplyAll();
            addDeclined = table.Count() == zavel::kTableCapacity &&
                          frame.tree->topLevelItemCount() == 1 &&
                          frame.treePresenter->ItemCount() == zavel::kTableCapacity;
            QTreeWidgetItem* rootItem = frame.tree->topLevelItem(0);
            // What a click on the root does: the tree selects it, then the window's handler.
            const qint64 clickStart = clock.nsecsElapsed();
            frame.tree->setCurrentItem(rootItem);
            frame.OnTreeClick();
            clickMs = static_cast<double>(clock.nsecsElapsed() - clickStart) / 1e6;
            // The command in an event of its own, as a button press or a key would run it.
            QTimer::singleShot(0, &app, [&] {
                longestStall = 0;
                removeStart = clock.nsecsElapsed();
                frame.RunCommand(zavel::kCommandRemove);
                removeCommandMs = static_cast<double>(clock.nsecsElapsed() - removeStart) / 1e6;
                // From the next event on, the longest event is the tree's share of the work.
                app.longest = 0;
                app.forgetCurrent = true;
                removal.start();
            });
        };

        QTimer watch;
        watch.setInterval(20);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!frame.engine) {
                return;
            }
            const zavel::LinkTable& table = frame.engine->table();
            timeline.Note(seconds(), zavel::bench::RecordsTaken(table), table.Count());
            static qint64 lastReport = 0;
            static double cpuAtReport = 0;
            if (clock.elapsed() - lastReport >= 5000) {
                // This timer runs on the user-interface thread: its processor time is the
                // thread's, whatever else the machine runs.
                const double cpu = ThreadCpuSeconds();
                const double busy = (cpu - cpuAtReport) * 1000.0 /
                                    static_cast<double>(clock.elapsed() - lastReport);
                lastReport = clock.elapsed();
                cpuAtReport = cpu;
                std::printf(
                    "%6.1f s: %d records, %d taken, %d items shown, user-interface thread "
                    "busy %.0f%%, longest stall so far %lld ms\n",
                    static_cast<double>(lastReport) / 1000.0, table.Count(),
                    zavel::bench::RecordsTaken(table), frame.treePresenter->ItemCount(), busy * 100,
                    static_cast<long long>(longestStall));
                std::fflush(stdout);
            }
            if (filledAt < 0) {
                if (table.Count() == zavel::kTableCapacity &&
                    frame.treePresenter->ItemCount() == zavel::kTableCapacity &&
                    frame.treePresenter->Idle()) {
                    filledAt = clock.elapsed() - addedAt;
                    std::printf("tree filled: %d items in %.2f s\n",
                                frame.treePresenter->ItemCount(),
                                static_cast<double>(filledAt) / 1000.0);
                    std::fflush(stdout);
                    if (!settle) {
                        timeline.Finish(seconds(), zavel::bench::RecordsTaken(table),
                                        table.Count());
                        watch.stop();
                        startRemove();
                    }
                }
            } else if (settle && table.CrawlSettled() && frame.treePresenter->Idle()) {
                settledAt = clock.elapsed() - addedAt;
                timeline.Finish(seconds(), zavel::bench::RecordsTaken(table), table.Count());
                watch.stop();
                // The display's last look at the finished crawl, then Remove.
                frame.OnUpdateStatusPane();
                startRemove();
            }
        });
        // Bounded: gives up after thirty minutes.
        QTimer::singleShot(1800000, &app, [] { QApplication::quit(); });

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

        timeline.Print(stdout);
        if (filledAt < 0) {
            std::printf("the tree was not filled in time (%d items)\n",
                        frame.treePresenter ? frame.treePresenter->ItemCount() : 0);
            ok = false;
        }
        if (settledAt >= 0) {
            std::printf(
                "crawl settled: every record expanded in %.2f s, %.2f s after the tree "
                "was full\n",
                static_cast<double>(settledAt) / 1000.0,
                static_cast<double>(settledAt - filledAt) / 1000.0);
        }
        std::printf(
            "longest UI stall while crawling: %lld ms (%.2f s after the Add); stalls over 50 ms: "
            "%d, over 100 ms: %d\n",
            static_cast<long long>(crawlStall),
            static_cast<double>(crawlStallAt - addedAt) / 1000.0, crawlStallsOver50,
            crawlStallsOver100);
        std::printf("longest single event handled while crawling: %lld ms (%s)\n",
                    static_cast<long long>(crawlLongestEvent),
                    QMetaEnum::fromType<QEvent::Type>().valueToKey(crawlLongestType));
        std::printf("pages/s first, last slice: %.0f, %.0f\n", timeline.FirstRate(),
                    timeline.LastRate());
        std::printf("status pane at the end: %s\n", Shown(paneAtEnd).c_str());
        std::printf("title at the end: \"%s\"\n", titleAtEnd.toStdString().c_str());
        std::printf(
            "Remove of the root: click %.1f ms; %.1f ms in the command, %.1f ms until the tree "
            "was empty; longest stall meanwhile %lld ms, longest event after the command %lld "
            "ms (%s)\n",
            clickMs, removeCommandMs, removeMs, static_cast<long long>(removeStall),
            static_cast<long long>(app.longest),
            QMetaEnum::fromType<QEvent::Type>().valueToKey(app.longestType));
        std::printf("status pane after Remove: %s\n", Shown(frame.statusPane->text()).c_str());
        const double peakMb = static_cast<double>(zavel::bench::PeakRssKb()) / 1024.0;
        std::printf("peak RSS: %.1f MB\n", peakMb);
        std::printf("load average: before %s, after %s\n", loadBefore.c_str(),
                    zavel::bench::LoadAverage().c_str());

        const QString host = QStringLiteral("127.0.0.1:%1").arg(port);
        ok &= zavel::bench::Check(itemsAtEnd == zavel::kTableCapacity,
                                  std::to_string(itemsAtEnd) + " items in the tree");
        if (settle) {
            ok &= zavel::bench::Check(expandedAtEnd == zavel::kTableCapacity,
                                      std::to_string(expandedAtEnd) + " records expanded");
        }
        ok &= zavel::bench::Check(addDeclined, "an Add on the full table adds nothing");
        ok &= zavel::bench::Check(boxes.texts().empty(),
                                  std::to_string(boxes.texts().size()) + " message boxes");
        ok &= zavel::bench::Check(titleAtEnd == QStringLiteral("ZAVEL [") + host + ']',
                                  "the title names the site's server");
        ok &= zavel::bench::Check(
            paneAtEnd.contains(QStringLiteral(" %1/p").arg(host)) &&
                paneAtEnd.endsWith(QStringLiteral("/%1)").arg(zavel::kTableCapacity)),
            "the pane shows a page of the site and the full table's count");
        ok &= zavel::bench::Check(removeMs >= 0 && removeMs < 1000,
                                  "Remove, tree items deleted included, under 1 s");
        ok &= zavel::bench::Check(frame.engine && frame.engine->table().Count() == 0,
                                  "the table is empty after Remove");
        ok &= zavel::bench::Check(peakMb < 150, "peak RSS under 150 MB");
        frame.close();
    }
    server.stop();
    serving.join();
    std::filesystem::remove_all(root);
    return ok ? 0 : 1;
}
