// Copies that read offline. For a root with offline links on, every saved page that is HTML gets
// its links rewritten once the fate of their addresses is known: a link whose address has a copy
// of the same root becomes the relative path from the page's copy to that copy, any other link
// its absolute web address. Only the link texts change; every other byte stays as the server
// sent it. The links are the ones the keyword scan finds, and only those inside a tag.
//
// The rewrite of a root runs when its subtree has no pending record left, on the worker's
// thread, and again for the pages concerned when more copies appear later. Each page is written
// beside its copy and renamed over it, so a crash leaves it either old or new; a later rewrite
// starts from the links as the server sent them, which are remembered for every change made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/address.h"
#include "platform/http/http_abort.h"

namespace zavel {

class LinkTable;
struct LinkRecord;
class WordListCache;
class WrittenCopies;

// Whether a copy is HTML: by the server's content type, or by an .htm/.html name when the type
// is unknown (empty).
bool IsHtmlCopy(std::string_view contentType, std::string_view copyPath);

// A relative reference from the folder of the file `fromPath` to the file `toPath`, both
// absolute, each segment escaped as a browser reads a relative reference.
std::string RelativeReference(std::string_view fromPath, std::string_view toPath);

// One change made to a page: `replaced` bytes of the server's page now stand as `length` bytes at
// `at` of the rewritten page.
struct LinkEdit {
    std::size_t at = 0;
    std::size_t length = 0;
    std::string replaced;
};

// What the rewrite of one page needs to know about its surroundings.
struct PageRewriteInputs {
    const std::vector<std::string>* keywords = nullptr;
    const std::vector<std::string>* reserved = nullptr;  // may be null: nothing is reserved
    AddressParts page;                                   // the page's address
    std::string scheme = "http";                         // the page's scheme
    std::string copyPath;                                // where the page's copy lies
    // The copy of an address (by AddressKey), if it has one.
    std::function<std::optional<std::string>(const std::string& addressKey)> copyOf;
};

struct RewrittenPage {
    std::string bytes;
    std::vector<LinkEdit> edits;  // in page order
    // Hashes of the address keys the page links to without a copy: a copy of one of them
    // appearing later concerns this page.
    std::vector<std::uint64_t> withoutCopy;
};

// Rewrites the links of one page as the server sent it.
RewrittenPage RewritePageLinks(std::string_view serverBytes, const PageRewriteInputs& inputs);

// Undoes the edits of a rewrite: the page as the server sent it, or nullopt when `bytes` is not
// what the rewrite wrote.
std::optional<std::string> UndoLinkEdits(std::string_view bytes,
                                         const std::vector<LinkEdit>& edits);

// The copies of every root with offline links on, and the rewrite passes over them. Safe from
// any thread; passes run one at a time.
class OfflineCopies {
  public:
    // A page larger than this is left as it came.
    static constexpr std::uint64_t kMaxPageBytes = 64u << 20;

    // `written`, when given, learns of each page replaced: the new file is still this run's copy.
    OfflineCopies(std::string programDir, WordListCache* lists, WrittenCopies* written = nullptr);

    // The copy of `record` now lies at `path` below `destDir`; `contentType` is the server's.
    void Note(const LinkRecord& record, const std::string& destDir, const std::string& path,
              std::string_view contentType);

    // Rewrites the pages of each root that has new copies and no pending record left. No record
    // at an index below `firstPending` is pending. Ends between two pages once `abort` is
    // requested; what is left is done by the next pass.
    void RewriteSettledRoots(const LinkTable& table, int firstPending,
                             const platform::HttpAbort* abort);
    // Rewrites every root with new copies, whatever is still pending: what is known now.
    void RewriteAll();

  private:
    struct Copy {
        std::string root;
        AddressParts address;
        std::string scheme;
        std::string destDir;
        std::string path;
        bool html = false;
        bool rewritten = false;           // the file holds a rewrite of ours
        std::uint64_t rewrittenSize = 0;  // its size then
        std::uint64_t rewrittenHash = 0;  // and a hash of its bytes
        std::vector<LinkEdit> edits;      // how to get back to the server's page
        std::vector<std::uint64_t> withoutCopy;
    };
    struct Root {
        bool changed = false;                       // copies since its last whole pass
        std::unordered_set<std::uint64_t> arrived;  // address hashes copied since then
        // Where the last look for a pending record of the subtree stopped, so that the worker's
        // look after every record does not walk the whole table again. Only a release (which
        // makes records behind it pending) or a smaller table (Remove) makes it start afresh.
        int resumeAt = 0;
        int seenCount = 0;
        std::uint64_t seenReleases = 0;
    };

    // Both with mutex_ held; a pass keeps it from start to end.
    void RewriteRoot(const std::string& root, const platform::HttpAbort* abort);
    void RewritePage(Copy& copy, const std::vector<std::string>& keywords,
                     const std::vector<std::string>* reserved);

    const std::string programDir_;
    WordListCache* const lists_;
    WrittenCopies* const written_;
    std::mutex mutex_;
    std::vector<Copy> copies_;                                // guarded by mutex_
    std::unordered_map<std::string, std::size_t> byAddress_;  // guarded by mutex_
    std::unordered_map<std::string, std::size_t> byPath_;     // guarded by mutex_
    std::unordered_map<std::string, Root> roots_;             // guarded by mutex_
};

}  // namespace zavel
