// The background thread that expands the table breadth-first: it takes the first pending record
// in table order, expands it, and so on. When nothing is pending it sleeps until a record
// becomes pending. Ending it is a cooperative cancel that takes effect at once: the transfer in
// progress is aborted and the thread joined, so no lock stays held and no file stays open.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "engine/page_expansion.h"

namespace zavel {

class CrawlWorker {
  public:
    // `context.abort` is replaced by the worker's own.
    CrawlWorker(LinkTable& table, ExpansionContext context);
    ~CrawlWorker();  // ends the worker
    CrawlWorker(const CrawlWorker&) = delete;
    CrawlWorker& operator=(const CrawlWorker&) = delete;

    // Starts the thread at the lowest priority. Once only.
    void Start();
    // Ends the thread wherever it stands and waits for it. The expansion in progress stays
    // expanded with what it reached and is never resumed.
    void End();

  private:
    void CrawlWorkerProc();
    // Walks the table from where the last walk stopped, keeping the remembered indices of the
    // records behind it, and publishes currentIndex and currentRecord. Returns the first pending
    // record, or nullptr.
    LinkRecord* PickNext();

    LinkTable& table_;
    ExpansionContext context_;
    platform::HttpAbort abort_;
    std::thread thread_;

    // The walk's memory of the records behind `scanFrom_`: none of them is pending. Only the
    // worker thread touches these.
    int scanFrom_ = 0;
    int lastExpandedIndex_ = 0;
    LinkRecord* lastHeld_ = nullptr;
    std::uint64_t seenRelease_ = 0;
};

}  // namespace zavel
