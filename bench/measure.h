// What the benchmarks share beyond the site: a root added straight to the engine, the progress
// of a crawl over time, and the message boxes a run would have shown.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "engine/crawl_engine.h"

namespace zavel::bench {

// Adds `address` as the next root of `engine`'s table, shown in `tree`, with the deepest
// practical maximum level (100) and the other settings at their defaults. nullptr when the
// table declined it; `why` receives the reason.
LinkRecord* AddRoot(CrawlEngine& engine, LinkTreeView& tree, const std::string& address,
                    Admission* why = nullptr);

// How many records the worker has taken from the table so far: those before the one it
// expands now, or the whole table once every record is expanded. Exact while nothing is held.
int RecordsTaken(const LinkTable& table);

// Pages per second over a crawl, in slices of a fixed number of records taken, each with the
// table's size at its end and the processor time the whole process spent per page: a crawl
// that slowed down as its table filled would show it here. The processor time per page does
// not depend on what else the machine runs, so it tells the program's own cost apart from a
// busy machine's.
class CrawlTimeline {
  public:
    explicit CrawlTimeline(int sliceRecords) : sliceRecords_(sliceRecords) {}

    // The state at `seconds` since the crawl began. Call it often and in time order.
    void Note(double seconds, int taken, int count);
    // Closes the last, partial slice.
    void Finish(double seconds, int taken, int count);
    void Print(std::FILE* out) const;
    // Pages per second of the first and of the last full slice; 0 when there is none.
    double FirstRate() const;
    double LastRate() const;

  private:
    struct Slice {
        int from = 0;
        int to = 0;
        double seconds = 0;  // when the slice ended
        double length = 0;   // seconds it took
        int countAtEnd = 0;
        int admitted = 0;  // records the table gained during the slice
        double cpu = 0;    // processor seconds of the process during the slice
    };
    void Close(int to, double seconds, int count);

    int sliceRecords_;
    std::vector<Slice> slices_;
    int from_ = 0;
    double fromSeconds_ = 0;
    int fromCount_ = 0;
    double fromCpu_ = 0;
    bool started_ = false;
};

// The processor time the whole process has used, all its threads together.
double ProcessCpuSeconds();

// The machine's load averages over 1, 5 and 15 minutes, as /proc/loadavg gives them.
std::string LoadAverage();

// Prints "ok" or "FAIL" with what was checked; returns `ok`.
bool Check(bool ok, const std::string& what);

// Records every message box instead of showing it, for as long as it lives.
class BoxRecorder {
  public:
    BoxRecorder();
    ~BoxRecorder();
    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;

    std::vector<std::string> texts() const;

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;  // guarded by mutex_
};

}  // namespace zavel::bench
