#include "engine/crawl_engine.h"

#include <algorithm>
#include <thread>

#include "engine/fetch_ahead.h"

namespace zavel {
namespace {

// The user has given a command on the record's root, so the worker may tell of its next
// failure there again.
void ReopenBoxGate(const LinkRecord& record) {
    if (record.boxGate != nullptr) {
        record.boxGate->Reopen();
    }
}

}  // namespace

CrawlEngine::CrawlEngine(std::string programDir) : programDir_(std::move(programDir)) {}

CrawlEngine::~CrawlEngine() {
    EndWorker();
}

void CrawlEngine::StartWorker() {
    if (worker_ != nullptr) {
        return;
    }
    ExpansionContext context;
    context.programDir = programDir_;
    context.table = &table_;
    context.stop = &stop_;
    context.lists = &lists_;
    context.copies = &copies_;
    context.offline = &offline_;
    context.requestsAtOnce = &requestsAtOnce_;
    worker_ = std::make_unique<CrawlWorker>(table_, std::move(context));
    worker_->Start();
}

void CrawlEngine::SetRequestsAtOnce(int requests) {
    requestsAtOnce_.store(std::clamp(requests, 1, kMaxRequestsAtOnce));
}

void CrawlEngine::EndWorker() {
    if (worker_ != nullptr) {
        worker_->End();
        worker_.reset();
    }
}

void CrawlEngine::FinishRun() {
    EndWorker();
    // On a thread of its own, like every rewrite pass, though the run waits for this last one.
    std::thread last([this] { offline_.RewriteAll(); });
    last.join();
}

std::optional<CommandStates> CrawlEngine::Remove(TreeItemId item, LinkTreeView* tree) {
    EndWorker();
    std::optional<CommandStates> states;
    if (const LinkRecord* record = table_.FindByTreeItem(item)) {
        ReopenBoxGate(*record);
        table_.RemoveSubtree(std::string(record->label), tree);
        states = CommandStates{true, false, false, false, false};
    }
    StartWorker();
    return states;
}

std::optional<CommandStates> CrawlEngine::Stop(TreeItemId item) {
    EndWorker();
    std::optional<CommandStates> states;
    if (const LinkRecord* record = table_.FindByTreeItem(item)) {
        ReopenBoxGate(*record);
        for (LinkRecord* member : table_.Subtree(record->label)) {
            if (member->expanded.load() == 0 && member->held.load() == 0) {
                member->held.store(1);
                if (member->tree != nullptr) {
                    member->tree->SetImage(member->treeItem, kImageHeld);
                }
                states = CommandStates{true, true, true, false, true};
            }
        }
        stop_.Set(record->label);
    }
    StartWorker();
    return states;
}

std::optional<CommandStates> CrawlEngine::Expand(TreeItemId item) {
    const LinkRecord* record = table_.FindByTreeItem(item);
    if (record == nullptr) {
        return std::nullopt;
    }
    ReopenBoxGate(*record);
    std::optional<CommandStates> states;
    for (LinkRecord* member : table_.Subtree(record->label)) {
        if (member->expanded.load() == 0 && member->held.load() == 1) {
            // The image first: once the flag is clear the running worker may take the record
            // and set its own image, which must come after this one.
            if (member->tree != nullptr) {
                member->tree->SetImage(member->treeItem, kImagePending);
            }
            member->held.store(0);
            states = CommandStates{true, true, false, true, true};
        }
    }
    if (states) {
        table_.NoteReleased();
    }
    return states;
}

}  // namespace zavel
