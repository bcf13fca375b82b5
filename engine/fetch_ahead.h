// Fetching ahead: while the worker expands the records one by one in table order, the transfers
// of the pending records after the current one already run, up to N at once on one multi
// handle. The worker's fetches take the body fetched for their record (or wait for that one
// transfer), so what an expansion sees is what a fetch made at that moment would have given;
// only the server sees another order. Used only by the worker thread that owns it; it owns no
// record and no tree item, and drops whatever it fetched for a record that is not expanded.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/page_expansion.h"
#include "platform/http/http_transfer_set.h"

namespace zavel {

// The most requests in flight the setting allows.
inline constexpr int kMaxRequestsAtOnce = 16;

class FetchAhead : public BodySource {
  public:
    // `context` gives the word lists and the abort; it must outlive this object.
    explicit FetchAhead(const ExpansionContext& context);
    ~FetchAhead() override;
    FetchAhead(const FetchAhead&) = delete;
    FetchAhead& operator=(const FetchAhead&) = delete;

    // The most requests in flight and bodies held, the current record's included (1 to 16).
    void SetLimit(int requests);
    // Starts the transfers of the pending records from `currentIndex` on, in table order, whose
    // fetch an expansion would make with the lists as they are now, until the limit is reached.
    // Drops what is held for records that are no longer pending.
    void Plan(const LinkTable& table, int currentIndex);
    // The record was expanded: what is still held for it is not wanted any more.
    void Forget(const LinkRecord& record);

    platform::HttpOutcome Transfer(const LinkRecord& record,
                                   const platform::HttpGetRequest& request,
                                   std::uint64_t maxBytes) override;

  private:
    struct Entry;
    // The body limit of the one fetch the expansion of `record` would make now, if any.
    std::optional<std::uint64_t> FetchWanted(const LinkRecord& record) const;
    Entry* Begin(const LinkRecord& record, const std::string& url, std::uint64_t maxBytes);
    void Drop(Entry* entry);
    void NoteAnswer(const Entry& entry, const platform::HttpOutcome& outcome);
    bool HostBusy(const std::string& host) const;

    const ExpansionContext& context_;
    platform::HttpTransferSet transfers_{kMaxRequestsAtOnce};
    std::vector<std::unique_ptr<Entry>> entries_;  // in table order
    int limit_ = 1;
    // Every record before this index was looked at by the planning since the last release.
    int planFrom_ = 0;
    std::uint64_t seenReleases_ = 0;
    // Servers that answered 429 or 503: from then on one request at a time.
    std::set<std::string> oneAtATime_;
};

}  // namespace zavel
