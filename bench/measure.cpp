#include "bench/measure.h"

#include <sys/resource.h>

#include <algorithm>
#include <fstream>

#include "platform/message_box.h"

namespace zavel::bench {

LinkRecord* AddRoot(CrawlEngine& engine, LinkTreeView& tree, const std::string& address,
                    Admission* why) {
    LinkArgs args;
    args.linkText = address;
    args.tempPath = engine.programDir() + "data";
    args.tree = &tree;
    args.settings.maxLevel = 100;
    args.label = engine.table().NextRootLabel();
    return engine.table().Construct(std::move(args), why);
}

int RecordsTaken(const LinkTable& table) {
    const int index = table.currentIndex.load();
    const int count = table.Count();
    return index == kNoCurrentIndex ? count : std::min(index, count);
}

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void CrawlTimeline::Note(double seconds, int taken, int count) {
    if (!started_) {
        started_ = true;
        fromSeconds_ = seconds;
        fromCount_ = count;
        fromCpu_ = ProcessCpuSeconds();
    }
    while (taken >= from_ + sliceRecords_) {
        Close(from_ + sliceRecords_, seconds, count);
    }
}

void CrawlTimeline::Finish(double seconds, int taken, int count) {
    Note(seconds, taken, count);
    if (taken > from_) {
        Close(taken, seconds, count);
    }
}

void CrawlTimeline::Close(int to, double seconds, int count) {
    const double cpu = ProcessCpuSeconds();
    slices_.push_back(
        {from_, to, seconds, seconds - fromSeconds_, count, count - fromCount_, cpu - fromCpu_});
    from_ = to;
    fromSeconds_ = seconds;
    fromCount_ = count;
    fromCpu_ = cpu;
}

void CrawlTimeline::Print(std::FILE* out) const {
    std::fprintf(
        out, "  records taken      ends at   pages/s   table at end   admitted/s   CPU ms/page\n");
    for (const Slice& slice : slices_) {
        const double length = slice.length > 0 ? slice.length : 1e-9;
        const int pages = slice.to - slice.from;
        std::fprintf(out, "  %6d - %6d  %8.2f s  %8.0f   %12d   %10.0f   %11.3f\n", slice.from,
                     slice.to, slice.seconds, pages / length, slice.countAtEnd,
                     slice.admitted / length, slice.cpu * 1000 / pages);
    }
}

double CrawlTimeline::FirstRate() const {
    for (const Slice& slice : slices_) {
        if (slice.to - slice.from == sliceRecords_ && slice.length > 0) {
            return sliceRecords_ / slice.length;
        }
    }
    return 0;
}

double CrawlTimeline::LastRate() const {
    for (auto it = slices_.rbegin(); it != slices_.rend(); ++it) {
        if (it->to - it->from == sliceRecords_ && it->length > 0) {
            return sliceRecords_ / it->length;
        }
    }
    return 0;
}

std::string LoadAverage() {
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

bool Check(bool ok, const std::string& what) {
    std::printf("  %-4s %s\n", ok ? "ok" : "FAIL", what.c_str());
    return ok;
}

BoxRecorder::BoxRecorder() {
    platform::SetMessageBoxPresenter([this](const std::string& text, platform::BoxIcon) {
        std::lock_guard lock(mutex_);
        texts_.push_back(text);
    });
}

BoxRecorder::~BoxRecorder() {
    platform::SetMessageBoxPresenter({});
}

std::vector<std::string> BoxRecorder::texts() const {
    std::lock_guard lock(mutex_);
    return texts_;
}

}  // namespace zavel::bench
