// Soak benchmark of the engine: the real worker, fetcher and expansion crawl a generated site far
// larger than the link table, served on loopback, until the table is full (50,000 records) and
// every record in it has been expanded. Reports pages per second over the crawl, how the full
// table behaves (admission stops, the crawl goes on and ends without an error), how long the
// worker needs to finish once the table is full, the time Remove takes for a root with 50,000
// records (with the worker idle, and in the middle of a crawl), and the peak memory of the whole
// process, the loopback server included.
//
//   zavel_soak_bench [--links N] [--pages N] [--slice N]
//     --links  new links per page (default 15; each page also links three others)
//     --pages  pages of the site (default 1,000,000)
//     --slice  records per line of the timeline (default 5,000)
// Exits with 1 when a check fails.
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "bench/measure.h"
#include "bench/site.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Counts what the crawl reports to its tree.
class CountingTree : public zavel::LinkTreeView {
  public:
    void InsertItem(zavel::TreeItemId, zavel::TreeItemId, const std::string&, int) override {
        ++inserted;
    }
    void SetImage(zavel::TreeItemId, int image) override {
        if (image >= 0 && image < 5) {
            ++images[image];
        }
    }
    void ExpandItem(zavel::TreeItemId) override {}
    void SortChildren(zavel::TreeItemId) override {}
    void DeleteItem(zavel::TreeItemId) override { ++deleted; }
    void PostRefresh() override {}

    void Reset() {
        inserted = 0;
        deleted = 0;
        for (auto& count : images) {
            count = 0;
        }
    }

    std::atomic<int> inserted{0};
    std::atomic<int> deleted{0};
    std::atomic<int> images[5] = {};
};

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Options {
    int links = zavel::bench::kLinksPerPage;
    int pages = 1000000;
    int slice = 5000;
};

Options ReadOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (name == "--links") {
            options.links = value;
        } else if (name == "--pages") {
            options.pages = value;
        } else if (name == "--slice") {
            options.slice = value;
        }
    }
    return options;
}

// Waits until `done` holds, polling every 2 ms, for at most `limit`. False on time-out.
template <typename Done>
bool WaitFor(Done done, Clock::duration limit) {
    const auto until = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = ReadOptions(argc, argv);
    const std::string loadBefore = zavel::bench::LoadAverage();

    httplib::Server server;
    std::atomic<long> served{0};
    zavel::bench::ServeSite(server, options.pages, options.links, &served);
    std::thread serving;
    const int port = zavel::bench::StartServing(server, serving);
    const std::string address = "http://127.0.0.1:" + std::to_string(port) + "/p0.html";
    const std::string programDir =
        (std::filesystem::temp_directory_path() / ("zavel-soak-" + std::to_string(getpid()) + "/"))
            .string();
    std::filesystem::create_directories(programDir);
    zavel::bench::WriteDefaultWordLists(programDir);
    // Lists younger than a second are read again at every use (their stamps cannot be trusted
    // yet); an installed program's lists are older than that.
    std::this_thread::sleep_for(1100ms);

    std::printf("ZAVEL soak, engine: site of %d pages, %d new links per page, table of %d\n",
                options.pages, options.links, zavel::kTableCapacity);
    bool ok = true;
    zavel::bench::BoxRecorder boxes;
    CountingTree tree;
    zavel::bench::CrawlTimeline timeline(options.slice);
    double fullAt = -1;
    int takenAtFull = 0;
    double settledAt = -1;
    double removeIdleMs = 0;
    double removeBusyMs = 0;
    {
        zavel::CrawlEngine engine(programDir);
        zavel::LinkTable& table = engine.table();
        const zavel::LinkRecord* root = zavel::bench::AddRoot(engine, tree, address);
        const zavel::TreeItemId rootItem = root->treeItem;
        const auto start = Clock::now();
        engine.StartWorker();
        const bool settled = WaitFor(
            [&] {
                const double now = Seconds(Clock::now() - start);
                const int count = table.Count();
                timeline.Note(now, zavel::bench::RecordsTaken(table), count);
                if (fullAt < 0 && count == zavel::kTableCapacity) {
                    fullAt = now;
                    takenAtFull = zavel::bench::RecordsTaken(table);
                }
                return table.CrawlSettled();
            },
            30min);
        settledAt = Seconds(Clock::now() - start);
        timeline.Finish(settledAt, zavel::bench::RecordsTaken(table), table.Count());
        timeline.Print(stdout);

        std::printf("table-full behaviour:\n");
        ok &= zavel::bench::Check(settled, "the crawl came to rest");
        ok &= zavel::bench::Check(table.Count() == zavel::kTableCapacity,
                                  "the table holds " + std::to_string(table.Count()) + " records");
        int expanded = 0;
        for (int i = 0; i < table.Count(); ++i) {
            expanded += table.RecordAt(i)->expanded.load();
        }
        ok &= zavel::bench::Check(expanded == table.Count(),
                                  std::to_string(expanded) + " records expanded");
        ok &= zavel::bench::Check(table.currentIndex.load() == zavel::kNoCurrentIndex &&
                                      table.currentRecord.load() == nullptr,
                                  "the worker reports no current record (index " +
                                      std::to_string(table.currentIndex.load()) + ")");
        ok &= zavel::bench::Check(tree.inserted.load() == zavel::kTableCapacity,
                                  std::to_string(tree.inserted.load()) + " tree items inserted");
        ok &= zavel::bench::Check(
            served.load() == zavel::kTableCapacity &&
                tree.images[zavel::kImageFetched].load() == zavel::kTableCapacity,
            std::to_string(served.load()) + " pages served, " +
                std::to_string(tree.images[zavel::kImageFetched].load()) + " shown fetched");
        ok &= zavel::bench::Check(
            tree.images[zavel::kImageFailed].load() == 0 &&
                tree.images[zavel::kImageNotExpanded].load() == 0,
            std::to_string(tree.images[zavel::kImageFailed].load()) + " failed, " +
                std::to_string(tree.images[zavel::kImageNotExpanded].load()) + " not expanded");
        ok &= zavel::bench::Check(boxes.texts().empty(),
                                  std::to_string(boxes.texts().size()) + " message boxes");
        zavel::Admission why = zavel::Admission::kAdmitted;
        const bool rootDeclined = zavel::bench::AddRoot(engine, tree, address, &why) == nullptr &&
                                  why == zavel::Admission::kTableFull;
        zavel::LinkArgs child;
        child.linkText = "not-in-the-table.html";
        child.parent = root;
        child.tree = &tree;
        child.parentItem = rootItem;
        child.settings = root->Settings();
        child.label = zavel::LinkTable::ChildLabel(root->label, 100000);
        const bool childDeclined = table.Construct(std::move(child), &why) == nullptr &&
                                   why == zavel::Admission::kTableFull;
        ok &= zavel::bench::Check(
            rootDeclined && childDeclined && table.Count() == zavel::kTableCapacity,
            "a further root and a further child are declined: table full");

        // Remove with the worker asleep.
        tree.Reset();
        auto removeStart = Clock::now();
        const auto states = engine.Remove(rootItem, &tree);
        removeIdleMs = Milliseconds(Clock::now() - removeStart);
        ok &= zavel::bench::Check(states && table.Count() == 0 && tree.deleted.load() == 1,
                                  "Remove of the root left " + std::to_string(table.Count()) +
                                      " records, " + std::to_string(tree.deleted.load()) +
                                      " tree deletion");

        // Remove in the middle of a crawl: the same site again, removed as soon as the table is
        // full, while the worker fetches.
        tree.Reset();
        const zavel::LinkRecord* second = zavel::bench::AddRoot(engine, tree, address);
        ok &= zavel::bench::Check(second != nullptr, "after Remove a new root is admitted");
        if (second != nullptr) {
            const zavel::TreeItemId secondItem = second->treeItem;
            const bool refilled =
                WaitFor([&] { return table.Count() == zavel::kTableCapacity; }, 10min);
            const bool busy = !table.WorkerSleeping();
            removeStart = Clock::now();
            engine.Remove(secondItem, &tree);
            removeBusyMs = Milliseconds(Clock::now() - removeStart);
            ok &= zavel::bench::Check(refilled && busy && table.Count() == 0,
                                      "the table filled again and Remove mid-crawl emptied it");
        }
    }
    const long peakKb = zavel::bench::PeakRssKb();
    server.stop();
    serving.join();
    std::filesystem::remove_all(programDir);

    const int afterFull = zavel::kTableCapacity - takenAtFull;
    std::printf("summary:\n");
    std::printf("  table full at             %8.2f s, after %d pages\n", fullAt, takenAtFull);
    std::printf("  crawl at rest at          %8.2f s\n", settledAt);
    std::printf("  worker done after full    %8.2f s, %d pages (%.0f pages/s)\n",
                settledAt - fullAt, afterFull, afterFull / (settledAt - fullAt));
    std::printf("  pages/s whole crawl       %8.0f\n", zavel::kTableCapacity / settledAt);
    std::printf("  pages/s first, last slice %8.0f, %.0f (last/first %.2f)\n", timeline.FirstRate(),
                timeline.LastRate(),
                timeline.FirstRate() > 0 ? timeline.LastRate() / timeline.FirstRate() : 0.0);
    std::printf("  Remove 50,000, idle       %8.1f ms\n", removeIdleMs);
    std::printf("  Remove 50,000, mid-crawl  %8.1f ms\n", removeBusyMs);
    std::printf("  peak RSS                  %8.1f MB\n", static_cast<double>(peakKb) / 1024.0);
    std::printf("  load average              before %s, after %s\n", loadBefore.c_str(),
                zavel::bench::LoadAverage().c_str());
    ok &= zavel::bench::Check(removeIdleMs < 1000 && removeBusyMs < 1000, "Remove under 1 s");
    ok &= zavel::bench::Check(peakKb < 150 * 1024, "peak RSS under 150 MB");
    return ok ? 0 : 1;
}
