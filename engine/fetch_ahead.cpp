#include "engine/fetch_ahead.h"

#include <algorithm>
#include <cstdio>

#include "engine/page_fetcher.h"
#include "lists/word_list.h"

namespace zavel {
namespace {

// Bodies up to this size are held in memory; a longer one goes whole into a nameless file.
constexpr std::size_t kHeldInMemoryBytes = 1u << 20;

bool IsBusyAnswer(long status) {
    return status == 429 || status == 503;
}

}  // namespace

// One record's transfer and the body it brought so far.
struct FetchAhead::Entry {
    const LinkRecord* record = nullptr;
    std::string url;
    std::uint64_t maxBytes = 0;
    platform::HttpTransferSet::Id id = platform::HttpTransferSet::kNoTransfer;
    std::string body;            // the body while it is short
    std::FILE* spill = nullptr;  // the whole body once it is long
    std::uint64_t received = 0;
    bool overLimit = false;  // more than maxBytes came; the transfer was ended there
    bool unusable = false;   // the body could not be kept: the fetch makes a transfer of its own
    bool noted = false;      // its answer was looked at
    bool current = false;    // the worker waits for it: its status codes are the program's
    int lastCode = 0;

    Entry() = default;
    ~Entry() {
        if (spill != nullptr) {
            std::fclose(spill);
        }
    }
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;

    // Keeps a block of the body, the way FetchPage keeps it: past maxBytes the part that fits
    // is kept and the transfer ends.
    bool Keep(const char* data, std::size_t size) {
        if (size > maxBytes - received) {
            overLimit = true;
            const auto fits = static_cast<std::size_t>(maxBytes - received);
            received = maxBytes;
            Append(data, fits);
            return false;
        }
        received += size;
        return Append(data, size);
    }

    bool Append(const char* data, std::size_t size) {
        if (spill == nullptr && body.size() + size > kHeldInMemoryBytes) {
            spill = std::tmpfile();
            if (spill == nullptr ||
                std::fwrite(body.data(), 1, body.size(), spill) != body.size()) {
                unusable = true;
                return false;
            }
            std::string().swap(body);
        }
        if (spill != nullptr) {
            if (std::fwrite(data, 1, size, spill) != size) {
                unusable = true;
                return false;
            }
            return true;
        }
        body.append(data, size);
        return true;
    }

    // Hands the body to the fetch's own request in blocks, ending it the way the transfer
    // ended. False when the fetch refused a block or the held body could not be read.
    bool Replay(const platform::HttpGetRequest& request) {
        if (!request.onBody) {
            return true;
        }
        if (spill != nullptr) {
            if (std::fflush(spill) != 0 || std::fseek(spill, 0, SEEK_SET) != 0) {
                return false;
            }
            std::string block(kTransferBufferBytes, '\0');
            std::size_t got = 0;
            while ((got = std::fread(block.data(), 1, block.size(), spill)) > 0) {
                if (!request.onBody(block.data(), got)) {
                    return false;
                }
            }
            if (std::ferror(spill) != 0) {
                return false;
            }
        } else {
            for (std::size_t at = 0; at < body.size(); at += kTransferBufferBytes) {
                const std::size_t size = std::min(kTransferBufferBytes, body.size() - at);
                if (!request.onBody(body.data() + at, size)) {
                    return false;
                }
            }
        }
        if (overLimit) {
            // One byte past what was kept, so the fetch sees the body go over its limit.
            const char past = 0;
            request.onBody(&past, 1);
        }
        return true;
    }
};

FetchAhead::FetchAhead(const ExpansionContext& context) : context_(context) {}

FetchAhead::~FetchAhead() {
    while (!entries_.empty()) {
        Drop(entries_.back().get());
    }
}

void FetchAhead::SetLimit(int requests) {
    requests = std::clamp(requests, 1, kMaxRequestsAtOnce);
    if (requests != limit_) {
        limit_ = requests;
        transfers_.SetMaxPerServer(limit_);
    }
}

std::optional<std::uint64_t> FetchAhead::FetchWanted(const LinkRecord& record) const {
    if (!record.IsPending()) {
        return std::nullopt;
    }
    if (record.mode == kModeCopy && FileTypeMatches(*record.fileTypes, record.file)) {
        if (record.destDir->Get().empty()) {
            return std::nullopt;
        }
        return kMaxCopyBytes;  // the copy is fetched, and its first part scanned
    }
    if (record.file.find('.') != std::string::npos) {
        auto extensions =
            context_.lists->Get(context_.programDir + WordListFileName(WordListKind::kExtensions));
        if (!extensions || !AnyEntryOccursIn(*extensions, record.file)) {
            return std::nullopt;
        }
    }
    if (record.level == record.maxLevel) {
        return std::nullopt;
    }
    return kMaxScannedBytes;
}

FetchAhead::Entry* FetchAhead::Begin(const LinkRecord& record, const std::string& url,
                                     std::uint64_t maxBytes) {
    auto entry = std::make_unique<Entry>();
    Entry* raw = entry.get();
    raw->record = &record;
    raw->url = url;
    raw->maxBytes = maxBytes;

    platform::HttpGetRequest request;
    request.url = url;
    request.onStatus = [raw](int code) {
        raw->lastCode = code;
        if (raw->current) {
            lastStatusCode.store(code, std::memory_order_relaxed);
        }
    };
    request.onBody = [raw](const char* data, std::size_t size) { return raw->Keep(data, size); };
    request.abort = context_.abort;
    request.bufferSize = kTransferBufferBytes;
    raw->id = transfers_.Start(std::move(request));
    if (raw->id == platform::HttpTransferSet::kNoTransfer) {
        return nullptr;
    }
    entries_.push_back(std::move(entry));
    return raw;
}

void FetchAhead::Drop(Entry* entry) {
    transfers_.Release(entry->id);
    std::erase_if(entries_, [entry](const auto& held) { return held.get() == entry; });
}

void FetchAhead::NoteAnswer(const Entry& entry, const platform::HttpOutcome& outcome) {
    if (IsBusyAnswer(outcome.httpStatus)) {
        oneAtATime_.insert(entry.record->host);
    }
}

bool FetchAhead::HostBusy(const std::string& host) const {
    if (oneAtATime_.count(host) == 0) {
        return false;
    }
    return std::any_of(entries_.begin(), entries_.end(), [&](const auto& entry) {
        return entry->record->host == host && transfers_.Outcome(entry->id) == nullptr;
    });
}

void FetchAhead::Plan(const LinkTable& table, int currentIndex) {
    if (table.Releases() != seenReleases_) {
        // Released records may lie behind the planning: look at the table again.
        seenReleases_ = table.Releases();
        planFrom_ = 0;
    }
    for (std::size_t i = entries_.size(); i-- > 0;) {
        Entry* entry = entries_[i].get();
        if (const platform::HttpOutcome* outcome = transfers_.Outcome(entry->id);
            outcome != nullptr && !entry->noted) {
            entry->noted = true;
            NoteAnswer(*entry, *outcome);
        }
        if (!entry->record->IsPending()) {
            Drop(entry);
        }
    }
    while (static_cast<int>(entries_.size()) > limit_) {
        Drop(entries_.back().get());
    }
    planFrom_ = std::max(planFrom_, currentIndex);
    const int count = table.Count();
    while (planFrom_ < count && static_cast<int>(entries_.size()) < limit_) {
        const LinkRecord* record = table.RecordAt(planFrom_);
        if (record == nullptr) {
            break;
        }
        const bool started = std::any_of(entries_.begin(), entries_.end(), [&](const auto& entry) {
            return entry->record == record;
        });
        if (auto maxBytes = FetchWanted(*record); maxBytes && !started) {
            if (HostBusy(record->host) ||
                Begin(*record,
                      RequestUrl(record->secure, record->host, RequestPath(record->Parts())),
                      *maxBytes) == nullptr) {
                break;  // the record waits for its turn
            }
        }
        ++planFrom_;
    }
}

void FetchAhead::Forget(const LinkRecord& record) {
    for (std::size_t i = entries_.size(); i-- > 0;) {
        if (entries_[i]->record == &record) {
            Drop(entries_[i].get());
        }
    }
}

platform::HttpOutcome FetchAhead::Transfer(const LinkRecord& record,
                                           const platform::HttpGetRequest& request,
                                           std::uint64_t maxBytes) {
    Entry* entry = nullptr;
    for (std::size_t i = entries_.size(); i-- > 0;) {
        Entry* held = entries_[i].get();
        if (held->record != &record) {
            continue;
        }
        // What was fetched ahead serves only the fetch it was made for.
        if (held->url == request.url && held->maxBytes == maxBytes && !held->unusable) {
            entry = held;
        } else {
            Drop(held);
        }
    }
    if (entry == nullptr) {
        // The record's own fetch comes first: the farthest one ahead makes room for it.
        if (!entries_.empty() && (static_cast<int>(entries_.size()) >= limit_ ||
                                  transfers_.SlotsInUse() >= kMaxRequestsAtOnce)) {
            Drop(entries_.back().get());
        }
        entry = Begin(record, request.url, maxBytes);
        if (entry == nullptr) {
            return platform::HttpGet(request);
        }
    }

    entry->current = true;
    if (entry->lastCode != 0) {
        lastStatusCode.store(entry->lastCode, std::memory_order_relaxed);
    }
    const platform::HttpOutcome* finished = nullptr;
    while ((finished = transfers_.Outcome(entry->id)) == nullptr) {
        if (context_.abort != nullptr && context_.abort->Requested()) {
            Drop(entry);
            platform::HttpOutcome aborted;
            aborted.result = platform::HttpResult::kAborted;
            aborted.error = "aborted";
            return aborted;
        }
        transfers_.Run(context_.abort);
    }
    platform::HttpOutcome outcome = *finished;
    NoteAnswer(*entry, outcome);
    if (entry->unusable) {
        // The body could not be kept: this fetch is made again on its own.
        Drop(entry);
        return platform::HttpGet(request);
    }
    if (entry->lastCode != 0 && request.onStatus) {
        request.onStatus(entry->lastCode);
    }
    if (!entry->Replay(request) && outcome.result == platform::HttpResult::kOk) {
        outcome.result = platform::HttpResult::kSinkFailed;
    }
    Drop(entry);
    return outcome;
}

}  // namespace zavel
