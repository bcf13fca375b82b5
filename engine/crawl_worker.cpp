#include "engine/crawl_worker.h"

#include <memory>

#include "engine/fetch_ahead.h"
#include "platform/message_box.h"
#include "platform/thread_priority.h"

namespace zavel {

CrawlWorker::CrawlWorker(LinkTable& table, ExpansionContext context)
    : table_(table), context_(std::move(context)) {
    context_.abort = &abort_;
}

CrawlWorker::~CrawlWorker() {
    End();
}

void CrawlWorker::Start() {
    if (!thread_.joinable() && !abort_.Requested()) {
        thread_ = std::thread([this] { CrawlWorkerProc(); });
    }
}

void CrawlWorker::End() {
    abort_.Request();
    table_.WakeWaiters();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void CrawlWorker::CrawlWorkerProc() {
    platform::LowerCurrentThreadPriority();
    // Whoever ends the worker waits for it and shows no box meanwhile: a box this thread is
    // waiting for is given up as soon as the end is requested.
    platform::BoxWaitCancel boxWait([this] { return abort_.Requested(); });
    // With more than one request at once the fetches of the next records run ahead; with one
    // every fetch is made when its record is expanded. Dropped (its transfers with it) when the
    // setting goes back to one and when the worker ends.
    std::unique_ptr<FetchAhead> ahead;
    while (!abort_.Requested()) {
        const int requests =
            context_.requestsAtOnce != nullptr ? context_.requestsAtOnce->load() : 1;
        if (requests > 1 && ahead == nullptr) {
            ahead = std::make_unique<FetchAhead>(context_);
        } else if (requests <= 1 && ahead != nullptr) {
            ahead.reset();
        }
        context_.bodies = ahead.get();
        // Read before the walk, so that a record admitted during it wakes the sleep below.
        const int seenCount = table_.Count();
        const std::uint64_t seenReleases = table_.Releases();
        LinkRecord* next = PickNext();
        // Roots that have come to rest get their copies' links rewritten before the crawl goes on.
        if (context_.offline != nullptr) {
            context_.offline->RewriteSettledRoots(table_, scanFrom_, &abort_);
        }
        if (next != nullptr) {
            if (ahead != nullptr) {
                ahead->SetLimit(requests);
                ahead->Plan(table_, table_.currentIndex.load());
            }
            ExpandPage(*next, context_);
            if (ahead != nullptr) {
                ahead->Forget(*next);
            }
            continue;
        }
        table_.WaitForWork(seenCount, seenReleases, [this] { return abort_.Requested(); });
    }
    context_.bodies = nullptr;
}

LinkRecord* CrawlWorker::PickNext() {
    if (table_.Releases() != seenRelease_) {
        // Released records may lie behind the walk: start it again.
        seenRelease_ = table_.Releases();
        scanFrom_ = 0;
        lastExpandedIndex_ = 0;
        lastHeld_ = nullptr;
    }
    const int count = table_.Count();
    for (; scanFrom_ < count; ++scanFrom_) {
        LinkRecord* record = table_.RecordAt(scanFrom_);
        if (record->expanded.load() == 1) {
            lastExpandedIndex_ = scanFrom_;
        } else if (record->held.load() == 1) {
            lastHeld_ = record;
        } else {
            table_.currentIndex.store(scanFrom_);
            table_.currentRecord.store(record);
            return record;
        }
    }

    int index = kNoCurrentIndex;
    LinkRecord* current = nullptr;
    if (count == 0) {
        index = 0;
    } else if (const LinkRecord* last = table_.RecordAt(count - 1);
               last->expanded.load() == 0 && last->held.load() == 1) {
        index = lastExpandedIndex_;
        current = lastHeld_;
    } else if (lastHeld_ != nullptr) {
        index = count;
        current = lastHeld_;
    }
    table_.currentIndex.store(index);
    table_.currentRecord.store(current);
    return nullptr;
}

}  // namespace zavel
