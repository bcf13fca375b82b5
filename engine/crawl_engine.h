// The crawl as the main window owns it: the table, the stop request, the word lists and the
// worker, and the engine halves of the three link commands (Remove, Stop, Expand).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/crawl_worker.h"

namespace zavel {

// Enabled states of the five commands the link commands change.
struct CommandStates {
    bool add = true;
    bool remove = false;
    bool expand = false;
    bool stop = false;
    bool saveAs = false;
    bool operator==(const CommandStates&) const = default;
};

class CrawlEngine {
  public:
    // programDir: where the word lists lie, ending with "/".
    explicit CrawlEngine(std::string programDir);
    ~CrawlEngine();  // ends the worker
    CrawlEngine(const CrawlEngine&) = delete;
    CrawlEngine& operator=(const CrawlEngine&) = delete;

    LinkTable& table() { return table_; }
    StopRequest& stopRequest() { return stop_; }
    const std::string& programDir() const { return programDir_; }

    // Starts a worker if none runs.
    void StartWorker();
    // Ends the running worker, if any, at once.
    void EndWorker();
    // The end of the run: ends the worker, then rewrites the links of the copies as far as
    // their addresses are known.
    void FinishRun();
    bool WorkerRunning() const { return worker_ != nullptr; }

    // How many requests the worker may have in flight, 1 to 16; a running worker takes the
    // change before its next record. Any thread.
    void SetRequestsAtOnce(int requests);
    int RequestsAtOnce() const { return requestsAtOnce_.load(); }

    // The link commands act on the subtree of the record whose tree item is given. Each
    // returns the new command states, or nullopt when they stay as they were (no record has
    // the item, or no record of the subtree qualified). Remove and Stop end the worker before
    // they change anything and start a new one afterwards, whether or not a record was found.
    // Each is a command on the record's root: it reopens the root's box gate.

    // Deletes the record, its subtree and their tree items.
    std::optional<CommandStates> Remove(TreeItemId item, LinkTreeView* tree);
    // Puts the pending records of the subtree on hold (image 4) and sets the stop request.
    std::optional<CommandStates> Stop(TreeItemId item);
    // Releases the held records of the subtree (image 1); the worker keeps running.
    std::optional<CommandStates> Expand(TreeItemId item);

  private:
    std::string programDir_;
    LinkTable table_;
    StopRequest stop_;
    WordListCache lists_;
    // Every copy of this run, whatever root or worker made it: outlives Remove and the workers.
    WrittenCopies copies_;
    std::atomic<int> requestsAtOnce_{1};
    OfflineCopies offline_{programDir_, &lists_, &copies_};
    std::unique_ptr<CrawlWorker> worker_;  // UI thread only
};

}  // namespace zavel
