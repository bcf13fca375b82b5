// What the worker does with one record: copy it in copy mode, decide whether it is a page worth
// scanning, fetch it into the shared temporary file, recognise short error pages, and turn every
// link the keyword scan finds into a child record.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "engine/link_table.h"
#include "engine/local_copy.h"
#include "engine/offline_links.h"
#include "lists/word_list_cache.h"
#include "platform/http/http_abort.h"
#include "platform/http/http_client.h"

namespace zavel {

// Bounds that keep a hostile server from exhausting memory or disk.
// Only the first kMaxScannedBytes of a page are fetched into the temporary file and scanned.
inline constexpr std::uint64_t kMaxScannedBytes = 8u << 20;
// A saved copy larger than this is abandoned (the copy fails).
inline constexpr std::uint64_t kMaxCopyBytes = 2ull << 30;
// A page shorter than this is tested against the error phrases.
inline constexpr std::uint64_t kErrorPageBytes = 800;
// Links longer than this are dropped.
inline constexpr std::size_t kMaxLinkLength = 999;

// The stop request of the Stop command: while set, the first expansion of a record inside the
// stopped subtree ends its link scan at its first candidate link. Cleared by every expansion
// that finishes its link scan. Safe from any thread.
class StopRequest {
  public:
    void Set(std::string label);
    void Clear();
    bool Requested() const;
    // Set and `label` lies inside the stopped subtree.
    bool Stops(std::string_view label) const;

  private:
    mutable std::mutex mutex_;
    int stopRequested_ = 0;  // guarded by mutex_
    std::string stopLabel_;  // guarded by mutex_
};

// Where the fetches of an expansion get their transfers made.
class BodySource {
  public:
    virtual ~BodySource() = default;
    // Makes the transfer of `request` for `record`; the fetch keeps at most maxBytes of the body.
    virtual platform::HttpOutcome Transfer(const LinkRecord& record,
                                           const platform::HttpGetRequest& request,
                                           std::uint64_t maxBytes) = 0;
};

// What an expansion needs besides its record.
struct ExpansionContext {
    std::string programDir;  // where the word lists lie; ends with "/"
    LinkTable* table = nullptr;
    StopRequest* stop = nullptr;
    WordListCache* lists = nullptr;
    // The copies written in this run, which rewrite never replaces by another address's copy.
    // May be null: then nothing is known of earlier copies.
    WrittenCopies* copies = nullptr;
    // The copies whose links are rewritten for offline reading. May be null.
    OfflineCopies* offline = nullptr;
    // When requested, the expansion ends where it is: the record stays expanded and keeps what
    // it reached. May be null.
    const platform::HttpAbort* abort = nullptr;
    // When set, the expansion's fetches take their transfers from it; otherwise each fetch is
    // made there and then.
    BodySource* bodies = nullptr;
    // How many requests the worker may have in flight (1 to 16), read before every expansion
    // so that a change applies at once. Null means one: page after page.
    const std::atomic<int>* requestsAtOnce = nullptr;
};

// Expands one record. Returns 0 when the record was set aside by the extension or level rule,
// 1 otherwise.
int ExpandPage(LinkRecord& record, ExpansionContext& context);

// The file type filter of copy mode: ";"-separated patterns matched against `file`.
bool FileTypeMatches(std::string_view fileTypes, std::string_view file);

// Lower-cases letters outside double quotes and drops CR and LF everywhere, in place.
void PreparePageText(std::string& text);

// Replaces each "%" and the two characters after it by the byte they give in hexadecimal; a
// value of 0 ends the link there.
void DecodePercentEscapes(std::string& link);

// Scans prepared page text with the keywords, in list order, each keyword over the whole text.
// Calls onLink with every candidate link (before percent decoding); onLink returns false to end
// the scan. A keyword occurrence with no terminator after it ends that keyword's scan; links
// longer than kMaxLinkLength are skipped.
void ScanForLinks(std::string_view text, const std::vector<std::string>& keywords,
                  const std::function<bool(std::string link)>& onLink);

// The same scan, telling where each candidate lies: the text from `start` up to `end` (the
// terminator) follows an occurrence of `keyword`. Candidates of any length are given; onSpan
// returns false to end the scan.
using LinkSpanVisitor =
    std::function<bool(const std::string& keyword, std::size_t start, std::size_t end)>;
void ScanLinkSpans(std::string_view text, const std::vector<std::string>& keywords,
                   const LinkSpanVisitor& onSpan);

}  // namespace zavel
