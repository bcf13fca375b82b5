#include "engine/offline_links.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "engine/link_table.h"
#include "engine/local_copy.h"
#include "engine/page_expansion.h"
#include "lists/file_replace.h"
#include "lists/word_list.h"
#include "lists/word_list_cache.h"

namespace zavel {
namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerText(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = Lower(c);
    }
    return lower;
}

bool BeginsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

std::uint64_t Hash(std::string_view text) {
    return std::hash<std::string_view>{}(text);
}

// One path segment of a relative reference: besides the unreserved characters only those that
// neither HTML nor a reference reads otherwise stay (no ":", which would make a scheme of the
// first segment, no "&", "'", "%", "?" or "#").
std::string EscapeSegment(std::string_view segment) {
    constexpr std::string_view kKept = "-._~!$()*+,;=@";
    std::string out;
    for (char c : segment) {
        const auto byte = static_cast<unsigned char>(c);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            kKept.find(c) != std::string_view::npos) {
            out += c;
        } else {
            AppendPercentEscaped(out, byte);
        }
    }
    return out;
}

std::vector<std::string_view> Segments(std::string_view path) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t slash = path.find('/');
        parts.push_back(path.substr(0, slash));
        if (slash == std::string_view::npos) {
            return parts;
        }
        path.remove_prefix(slash + 1);
    }
}

// "." and ".." segments of a path that begins with "/", as a browser removes them.
std::string RemoveDotSegments(std::string_view input) {
    std::string output;
    auto dropLastSegment = [&output] {
        const std::size_t slash = output.rfind('/');
        output.erase(slash == std::string::npos ? 0 : slash);
    };
    std::string in(input);
    while (!in.empty()) {
        if (BeginsWith(in, "../")) {
            in.erase(0, 3);
        } else if (BeginsWith(in, "./")) {
            in.erase(0, 2);
        } else if (BeginsWith(in, "/./")) {
            in.erase(0, 2);
        } else if (in == "/.") {
            in = "/";
        } else if (BeginsWith(in, "/../")) {
            in.erase(0, 3);
            dropLastSegment();
        } else if (in == "/..") {
            in = "/";
            dropLastSegment();
        } else if (in == "." || in == "..") {
            in.clear();
        } else {
            const std::size_t next = in.find('/', 1);
            output.append(in, 0, next);
            in.erase(0, next == std::string::npos ? in.size() : next);
        }
    }
    return output;
}

// A scheme: a letter, then letters, digits, "+", "-" or ".", then ":".
bool HasScheme(std::string_view link) {
    if (link.empty() || Lower(link[0]) < 'a' || Lower(link[0]) > 'z') {
        return false;
    }
    for (char c : link.substr(1)) {
        if (c == ':') {
            return true;
        }
        const char l = Lower(c);
        if (!((l >= 'a' && l <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '-' ||
              c == '.')) {
            return false;
        }
    }
    return false;
}

// The absolute web address of a link as the page wrote it, or nullopt when it already is one.
std::optional<std::string> AbsoluteLinkText(std::string_view written, const PageRewriteInputs& in) {
    std::string link;
    for (char c : written) {
        if (c != '\r' && c != '\n') {  // a browser drops them too
            link += c;
        }
    }
    if (HasScheme(link)) {
        return std::nullopt;
    }
    if (BeginsWith(LowerText(link.substr(0, 4)), "www.")) {
        return EscapeAddress("http://" + link);
    }
    if (BeginsWith(link, "//")) {
        return EscapeAddress(in.scheme + ":" + link);
    }
    // A query alone keeps the page's own path, as a browser reads it.
    std::string path = link.front() == '/'   ? link
                       : link.front() == '?' ? in.page.dir + in.page.file + link
                                             : in.page.dir + "/" + link;
    std::string query;
    if (const std::size_t mark = path.find('?'); mark != std::string::npos) {
        query = path.substr(mark);
        path.erase(mark);
    }
    return EscapeAddress(in.scheme + "://" + in.page.host + RemoveDotSegments(path) + query);
}

// What a found link becomes: the copy of its address as the crawl saw it, or its absolute web
// address. nullopt when it stays as it is.
std::optional<std::string> Replacement(std::string_view scanned, std::string_view written,
                                       const PageRewriteInputs& in,
                                       std::vector<std::uint64_t>& withoutCopy) {
    std::string link(scanned);
    bool crawled = link.size() <= kMaxLinkLength;
    if (crawled) {
        DecodePercentEscapes(link);
        crawled = in.reserved == nullptr || !AnyEntryOccursIn(*in.reserved, link);
    }
    if (crawled) {
        const ResolvedLink resolved = ResolveLink(link, &in.page);
        if (resolved.parts.valid) {
            const std::string key = AddressKey(resolved.parts);
            if (std::optional<std::string> copy = in.copyOf ? in.copyOf(key) : std::nullopt) {
                return RelativeReference(in.copyPath, *copy);
            }
            withoutCopy.push_back(Hash(key));
        }
    }
    return AbsoluteLinkText(written, in);
}

struct Span {
    std::size_t start = 0;
    std::size_t end = 0;
    bool value = false;  // found by a VALUE keyword: a form field's text, not an address
};

// The keyword scan of the crawl, reporting where each link lies in the prepared text. Unlike the
// crawl's scan it keeps over-long links: they were never crawled, but are addresses all the same.
std::vector<Span> FindLinks(std::string_view text, const std::vector<std::string>& keywords) {
    std::vector<Span> spans;
    const std::string* lastKeyword = nullptr;
    bool value = false;
    ScanLinkSpans(text, keywords,
                  [&](const std::string& keyword, std::size_t start, std::size_t end) {
                      if (&keyword != lastKeyword) {
                          lastKeyword = &keyword;
                          value = BeginsWith(LowerText(keyword), "value");
                      }
                      spans.push_back({start, end, value});
                      return true;
                  });
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) {
        return a.start != b.start ? a.start < b.start : a.end < b.end;
    });
    return spans;
}

class FileCloser {
  public:
    explicit FileCloser(int fd) : fd_(fd) {}
    ~FileCloser() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

// The page `name` in `folder`, never through a link. nullopt when it is no plain file or too
// large.
std::optional<std::string> ReadPage(int folder, const std::string& name, mode_t* mode) {
    FileCloser fd(openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (fd.get() < 0 || fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uint64_t>(info.st_size) > OfflineCopies::kMaxPageBytes) {
        return std::nullopt;
    }
    *mode = info.st_mode & 07777;
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = read(fd.get(), bytes.data() + got, bytes.size() - got);
        if (n <= 0) {
            return std::nullopt;  // it changed while read: left for another pass
        }
        got += static_cast<std::size_t>(n);
    }
    return bytes;
}

// Writes the new page beside the old one and renames it over it, so that the page is always
// either the old or the new one. The folder was entered without following a link, and the
// rename replaces whatever stands under the name instead of following it.
bool ReplacePage(int folder, const std::string& name, std::string_view bytes, mode_t mode) {
    const std::string beside = "." + name + ".offline-" + std::to_string(getpid());
    (void)unlinkat(folder, beside.c_str(), 0);  // left by an earlier run that was killed
    const int fd =
        openat(folder, beside.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    const bool written = WriteAll(fd, bytes) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    if (close(fd) != 0 || !written || renameat(folder, beside.c_str(), folder, name.c_str()) != 0) {
        (void)unlinkat(folder, beside.c_str(), 0);
        return false;
    }
    return true;
}

}  // namespace

bool IsHtmlCopy(std::string_view contentType, std::string_view copyPath) {
    std::string type = LowerText(contentType.substr(0, contentType.find(';')));
    while (!type.empty() && (type.back() == ' ' || type.back() == '\t')) {
        type.pop_back();
    }
    type.erase(0, std::min(type.find_first_not_of(" \t"), type.size()));
    if (!type.empty()) {
        return type == "text/html" || type == "application/xhtml+xml";
    }
    const std::string name = LowerText(copyPath.substr(copyPath.rfind('/') + 1));
    auto endsWith = [&name](std::string_view end) {
        return name.size() > end.size() &&
               name.compare(name.size() - end.size(), end.size(), end.data(), end.size()) == 0;
    };
    return endsWith(".htm") || endsWith(".html");
}

std::string RelativeReference(std::string_view fromPath, std::string_view toPath) {
    const std::size_t fromSlash = fromPath.rfind('/');
    const std::vector<std::string_view> from =
        Segments(fromPath.substr(0, fromSlash == std::string_view::npos ? 0 : fromSlash));
    const std::vector<std::string_view> to = Segments(toPath);
    std::size_t common = 0;
    while (common < from.size() && common + 1 < to.size() && from[common] == to[common]) {
        ++common;
    }
    std::string reference;
    for (std::size_t i = common; i < from.size(); ++i) {
        reference += "../";
    }
    for (std::size_t i = common; i < to.size(); ++i) {
        reference += EscapeSegment(to[i]);
        if (i + 1 < to.size()) {
            reference += '/';
        }
    }
    return reference;
}

RewrittenPage RewritePageLinks(std::string_view serverBytes, const PageRewriteInputs& in) {
    RewrittenPage out;
    // The text as the crawl scanned it: up to a byte 0, CR and LF dropped, letters outside
    // double quotes lower-cased. `dropped` keeps where each dropped byte stood, to find the
    // page's own bytes again.
    const std::string_view scanned = serverBytes.substr(0, serverBytes.find('\0'));
    std::string text;
    text.reserve(scanned.size());
    std::vector<std::size_t> dropped;
    std::vector<bool> inTag;  // inside a tag: after a "<" with no ">" since
    inTag.reserve(scanned.size());
    bool inQuotes = false;
    bool tag = false;
    for (char c : scanned) {
        if (c == '\r' || c == '\n') {
            dropped.push_back(text.size());
            continue;
        }
        if (c == '"') {
            inQuotes = !inQuotes;
        } else if (!inQuotes) {
            c = Lower(c);
        }
        inTag.push_back(tag);
        tag = c == '<' ? true : c == '>' ? false : tag;
        text += c;
    }
    auto pageIndex = [&dropped](std::size_t at) {
        return at + static_cast<std::size_t>(std::upper_bound(dropped.begin(), dropped.end(), at) -
                                             dropped.begin());
    };

    std::size_t copied = 0;    // the page's bytes before this are in out.bytes
    std::size_t occupied = 0;  // links that start before this overlap an earlier one
    const std::vector<std::string> noKeywords;
    for (const Span& span : FindLinks(text, in.keywords != nullptr ? *in.keywords : noKeywords)) {
        // An empty link is never rewritten: no text goes where the page had none.
        if (span.start == span.end || span.start < occupied) {
            continue;
        }
        occupied = span.end;
        if (span.value || !inTag[span.start]) {
            continue;
        }
        const std::size_t start = pageIndex(span.start);
        const std::size_t end = pageIndex(span.end - 1) + 1;
        const std::string_view written = serverBytes.substr(start, end - start);
        const std::optional<std::string> replacement =
            Replacement(std::string_view(text).substr(span.start, span.end - span.start), written,
                        in, out.withoutCopy);
        if (!replacement || *replacement == written) {
            continue;
        }
        out.bytes.append(serverBytes.substr(copied, start - copied));
        out.edits.push_back({out.bytes.size(), replacement->size(), std::string(written)});
        out.bytes += *replacement;
        copied = end;
    }
    out.bytes.append(serverBytes.substr(copied));
    return out;
}

std::optional<std::string> UndoLinkEdits(std::string_view bytes,
                                         const std::vector<LinkEdit>& edits) {
    std::string server;
    std::size_t position = 0;
    for (const LinkEdit& edit : edits) {
        if (edit.at < position || edit.at > bytes.size() || edit.length > bytes.size() - edit.at) {
            return std::nullopt;
        }
        server.append(bytes.substr(position, edit.at - position));
        server += edit.replaced;
        position = edit.at + edit.length;
    }
    server.append(bytes.substr(position));
    return server;
}

OfflineCopies::OfflineCopies(std::string programDir, WordListCache* lists, WrittenCopies* written)
    : programDir_(std::move(programDir)), lists_(lists), written_(written) {}

void OfflineCopies::Note(const LinkRecord& record, const std::string& destDir,
                         const std::string& path, std::string_view contentType) {
    Copy copy;
    copy.root = std::string(LinkTable::RootLabel(record.label));
    copy.address = record.Parts();
    copy.scheme = record.Scheme();
    copy.destDir = destDir;
    copy.path = path;
    copy.html = IsHtmlCopy(contentType, path);
    const std::string key = AddressKey(copy.address);

    std::lock_guard lock(mutex_);
    std::size_t index = copies_.size();
    if (auto same = byPath_.find(path); same != byPath_.end()) {
        // The file was written again: what it holds now is the server's page.
        index = same->second;
        const Copy& old = copies_[index];
        if (auto known = byAddress_.find(old.root + '\0' + AddressKey(old.address));
            known != byAddress_.end() && known->second == index) {
            byAddress_.erase(known);
        }
        copies_[index] = std::move(copy);
    } else {
        copies_.push_back(std::move(copy));
        byPath_.emplace(path, index);
    }
    const Copy& noted = copies_[index];
    byAddress_[noted.root + '\0' + key] = index;
    Root& root = roots_[noted.root];
    root.changed = true;
    root.arrived.insert(Hash(key));
}

void OfflineCopies::RewriteSettledRoots(const LinkTable& table, int firstPending,
                                        const platform::HttpAbort* abort) {
    std::lock_guard lock(mutex_);
    for (auto& [label, root] : roots_) {
        if (!root.changed) {
            continue;
        }
        bool pending = false;
        const int count = table.Count();
        const std::uint64_t releases = table.Releases();
        int from = std::max(firstPending, 0);
        if (releases == root.seenReleases && count >= root.seenCount) {
            from = std::max(from, root.resumeAt);
        }
        root.seenReleases = releases;
        root.seenCount = count;
        int i = from;
        for (; i < count && !pending; ++i) {
            const LinkRecord* record = table.RecordAt(i);
            pending = record != nullptr && record->IsPending() &&
                      LinkTable::InSubtree(record->label, label);
        }
        root.resumeAt = pending ? i - 1 : count;
        if (!pending) {
            RewriteRoot(label, abort);
        }
        if (abort != nullptr && abort->Requested()) {
            return;
        }
    }
}

void OfflineCopies::RewriteAll() {
    std::lock_guard lock(mutex_);
    for (auto& [label, root] : roots_) {
        if (root.changed) {
            RewriteRoot(label, nullptr);
        }
    }
}

void OfflineCopies::RewriteRoot(const std::string& label, const platform::HttpAbort* abort) {
    Root& root = roots_[label];
    // Read now, as the crawl reads them: an edit of a list takes effect with the next pass.
    auto keywords = lists_->Get(programDir_ + WordListFileName(WordListKind::kKeywords));
    auto reserved = lists_->Get(programDir_ + WordListFileName(WordListKind::kReservedWords));
    const std::vector<std::string> none;
    for (Copy& copy : copies_) {
        if (copy.root != label || !copy.html) {
            continue;
        }
        const bool concerned =
            !copy.rewritten ||
            std::any_of(copy.withoutCopy.begin(), copy.withoutCopy.end(),
                        [&root](std::uint64_t hash) { return root.arrived.count(hash) != 0; });
        if (!concerned) {
            continue;
        }
        if (abort != nullptr && abort->Requested()) {
            return;  // the root stays changed: the next pass goes on
        }
        RewritePage(copy, keywords ? *keywords : none, reserved.get());
    }
    root.changed = false;
    root.arrived.clear();
}

void OfflineCopies::RewritePage(Copy& copy, const std::vector<std::string>& keywords,
                                const std::vector<std::string>* reserved) {
    const std::string prefix =
        copy.destDir.empty() || copy.destDir.back() == '/' ? copy.destDir : copy.destDir + "/";
    if (prefix.empty() || !BeginsWith(copy.path, prefix)) {
        copy.html = false;
        return;
    }
    const std::string relative = copy.path.substr(prefix.size());
    const std::size_t slash = relative.rfind('/');
    const std::string name = slash == std::string::npos ? relative : relative.substr(slash + 1);
    FileCloser folder(OpenFolderBelow(
        copy.destDir, slash == std::string::npos ? "" : std::string_view(relative).substr(0, slash),
        false));
    if (folder.get() < 0) {
        return;
    }
    mode_t mode = 0644;
    std::optional<std::string> current = ReadPage(folder.get(), name, &mode);
    if (!current) {
        return;
    }
    std::optional<std::string> server = *current;
    if (copy.rewritten) {
        server = current->size() == copy.rewrittenSize && Hash(*current) == copy.rewrittenHash
                     ? UndoLinkEdits(*current, copy.edits)
                     : std::nullopt;
        if (!server) {
            copy.html = false;  // changed by someone else since: theirs now, left alone
            return;
        }
    }

    PageRewriteInputs inputs;
    inputs.keywords = &keywords;
    inputs.reserved = reserved;
    inputs.page = copy.address;
    inputs.scheme = copy.scheme;
    inputs.copyPath = copy.path;
    inputs.copyOf = [this, &copy](const std::string& key) -> std::optional<std::string> {
        auto found = byAddress_.find(copy.root + '\0' + key);
        if (found == byAddress_.end()) {
            return std::nullopt;
        }
        return copies_[found->second].path;
    };
    RewrittenPage page = RewritePageLinks(*server, inputs);
    if (page.bytes != *current) {
        if (!ReplacePage(folder.get(), name, page.bytes, mode)) {
            return;  // the file keeps what it held, and so does this record of it
        }
        // A new file under the name: without this, another address's copy could replace it.
        if (written_ != nullptr) {
            written_->Note(copy.path, copy.address);
        }
    }
    copy.rewritten = true;
    copy.rewrittenSize = page.bytes.size();
    copy.rewrittenHash = Hash(page.bytes);
    copy.edits = std::move(page.edits);
    copy.withoutCopy = std::move(page.withoutCopy);
}

}  // namespace zavel
