#include "engine/page_expansion.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "engine/page_fetcher.h"
#include "lists/word_list.h"
#include "platform/message_box.h"

namespace zavel {
namespace {

constexpr const char* kInternalError = "Internal Error";
constexpr const char* kNoDestination = "No Destination Directory: nothing can be copied";

bool Aborted(const ExpansionContext& context) {
    return context.abort != nullptr && context.abort->Requested();
}

// Every box of an expansion goes through the gate of the record's root.
void ReportError(const LinkRecord& record, const char* text) {
    if (record.boxGate == nullptr || record.boxGate->TakeBox()) {
        platform::ShowErrorBox(text);
    }
}

void SetImage(const LinkRecord& record, int image) {
    if (record.tree != nullptr) {
        record.tree->SetImage(record.treeItem, image);
    }
}

// What a fetch of the expansion does when its file cannot be created: the record shows its
// cross while the box, if any, waits for the user.
std::function<void()> CreateFailure(const LinkRecord& record) {
    return [&record] {
        SetImage(record, kImageFailed);
        ReportError(record, kInternalError);
    };
}

// Publishes the record's answer with its outcome. Comes before the image that shows the
// outcome, so whoever sees the image can read the answer.
void Answer(LinkRecord& record, const ExpansionContext& context, RecordAnswer& answer,
            AnswerState state, AnswerReason reason) {
    answer.state = state;
    answer.reason = reason;
    if (context.table != nullptr) {
        context.table->SetAnswer(record, answer);
    }
}

// Why a fetch that gave 0 failed: its transfer, or the file it was to fill.
AnswerReason FailureReason(const platform::HttpOutcome& outcome, std::uint64_t limit) {
    if (outcome.result == platform::HttpResult::kSinkFailed) {
        return outcome.bodyBytes >= limit ? AnswerReason::kTooLarge : AnswerReason::kCannotWrite;
    }
    return outcome.result == platform::HttpResult::kOk ? AnswerReason::kCannotWrite
                                                       : AnswerReason::kTransport;
}

// The first error phrase that marks the page, or nullptr.
const std::string* ErrorPhraseIn(const std::vector<std::string>& phrases, std::string_view text) {
    for (const std::string& phrase : phrases) {
        if (!phrase.empty() && EntryOccursIn(phrase, text)) {
            return &phrase;
        }
    }
    return nullptr;
}

// A fetch of the expansion takes its transfer from the context's body source, if any.
void UseBodySource(const ExpansionContext& context, const LinkRecord& record,
                   FetchOptions& options) {
    if (context.bodies != nullptr) {
        options.transfer = [&context, &record,
                            maxBytes = options.maxBytes](const platform::HttpGetRequest& request) {
            return context.bodies->Transfer(record, request, maxBytes);
        };
    }
}

std::shared_ptr<const WordListCache::Entries> List(ExpansionContext& context, WordListKind kind) {
    return context.lists->Get(context.programDir + WordListFileName(kind));
}

// Reads at most kMaxScannedBytes of the temporary file. nullopt when it cannot be opened.
std::optional<std::string> ReadPageFile(const std::string& path, std::uint64_t* fileSize) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return std::nullopt;
    }
    struct stat info {};
    const bool sized = fstat(fileno(file), &info) == 0;
    std::string text;
    if (sized) {
        text.reserve(
            std::min<std::uint64_t>(static_cast<std::uint64_t>(info.st_size), kMaxScannedBytes));
    }
    char block[65536];
    std::size_t got = 0;
    while (text.size() < kMaxScannedBytes && (got = std::fread(block, 1, sizeof block, file)) > 0) {
        text.append(block, std::min<std::size_t>(got, kMaxScannedBytes - text.size()));
    }
    *fileSize = sized ? static_cast<std::uint64_t>(info.st_size) : text.size();
    std::fclose(file);
    return text;
}

// Replaces the temporary file by the part of the copy that the scan reads, its first
// kMaxScannedBytes, block by block so that an abort ends it at once. False when it could not be
// done whole or was aborted.
bool FillTemporaryFile(const std::string& copy, const std::string& tempPath,
                       const ExpansionContext& context) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> from(std::fopen(copy.c_str(), "rb"),
                                                         std::fclose);
    if (from == nullptr) {
        return false;
    }
    std::FILE* to = OpenFileForRewriting(tempPath);
    if (to == nullptr) {
        return false;
    }
    char block[65536];
    std::uint64_t copied = 0;
    bool whole = true;
    while (whole && copied < kMaxScannedBytes) {
        if (Aborted(context)) {
            whole = false;
            break;
        }
        const std::size_t got = std::fread(
            block, 1, std::min<std::uint64_t>(sizeof block, kMaxScannedBytes - copied), from.get());
        if (got == 0) {
            whole = std::ferror(from.get()) == 0;
            break;
        }
        whole = std::fwrite(block, 1, got, to) == got;
        copied += got;
    }
    return std::fclose(to) == 0 && whole;
}

// The link scan of one page: every candidate that survives the reserved words becomes a child.
void ScanPage(LinkRecord& record, ExpansionContext& context, std::string_view text,
              const std::vector<std::string>& keywords) {
    std::uint64_t j = 0;
    ScanForLinks(text, keywords, [&](std::string link) {
        if (Aborted(context)) {
            return false;
        }
        DecodePercentEscapes(link);
        // The reserved words are read for every link, so an edit takes effect at the next one.
        auto reserved = List(context, WordListKind::kReservedWords);
        if (reserved && AnyEntryOccursIn(*reserved, link)) {
            return true;
        }
        if (context.stop->Stops(record.label)) {
            return false;
        }
        LinkArgs args;
        args.linkText = std::move(link);
        args.tempPath = record.tempPath;
        args.parent = &record;
        args.tree = record.tree;
        args.parentItem = record.treeItem;
        args.settings = record.Settings();
        args.label = LinkTable::ChildLabel(record.label, j);
        context.table->Construct(std::move(args));
        ++j;
        if (record.tree != nullptr) {
            if (record.showExpanded == 1) {
                record.tree->ExpandItem(record.treeItem);
            }
            record.tree->PostRefresh();
        }
        return true;
    });
}

}  // namespace

void StopRequest::Set(std::string label) {
    std::lock_guard lock(mutex_);
    stopRequested_ = 1;
    stopLabel_ = std::move(label);
}

void StopRequest::Clear() {
    std::lock_guard lock(mutex_);
    stopRequested_ = 0;
}

bool StopRequest::Requested() const {
    std::lock_guard lock(mutex_);
    return stopRequested_ == 1;
}

bool StopRequest::Stops(std::string_view label) const {
    std::lock_guard lock(mutex_);
    return stopRequested_ == 1 && LinkTable::InSubtree(label, stopLabel_);
}

bool FileTypeMatches(std::string_view fileTypes, std::string_view file) {
    std::size_t start = 0;
    for (std::size_t end = fileTypes.find(';'); end != std::string_view::npos;
         start = end + 1, end = fileTypes.find(';', start)) {
        std::string_view token = fileTypes.substr(start, end - start);
        if (token.empty() || token == "*.*") {
            return true;
        }
        if (token.front() == '*') {
            std::string_view rest = token.substr(1);
            std::size_t at = file.find(rest);
            if (file.size() > rest.size() && at != std::string_view::npos &&
                at + rest.size() == file.size()) {
                return true;
            }
        } else if (token.back() == '*') {
            if (file.substr(0, token.size() - 1) == token.substr(0, token.size() - 1)) {
                return true;
            }
        } else if (file.find(token) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

void PreparePageText(std::string& text) {
    bool inQuotes = false;
    std::size_t out = 0;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            continue;
        }
        if (c == '"') {
            inQuotes = !inQuotes;
        } else if (!inQuotes && c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        text[out++] = c;
    }
    text.resize(out);
}

void DecodePercentEscapes(std::string& link) {
    auto hexDigit = [](char c) {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        return -1;
    };
    std::string decoded;
    decoded.reserve(link.size());
    for (std::size_t i = 0; i < link.size(); ++i) {
        if (link[i] != '%') {
            decoded += link[i];
            continue;
        }
        // The value is read from the hexadecimal digits at the start of the two characters.
        int value = 0;
        std::size_t taken = 0;
        while (taken < 2 && i + 1 + taken < link.size()) {
            int digit = hexDigit(link[i + 1 + taken]);
            if (digit < 0) {
                break;
            }
            value = value * 16 + digit;
            ++taken;
        }
        if (value == 0) {
            break;
        }
        decoded += static_cast<char>(value);
        i += std::min<std::size_t>(2, link.size() - i - 1);
    }
    link = std::move(decoded);
}

void ScanLinkSpans(std::string_view text, const std::vector<std::string>& keywords,
                   const LinkSpanVisitor& onSpan) {
    constexpr std::string_view kTerminators = "\" >'#";
    for (const std::string& keyword : keywords) {
        if (keyword.empty()) {
            continue;
        }
        const std::string lower = LowerCaseEntry(keyword);
        std::size_t position = 0;
        while (position <= text.size()) {
            std::size_t found = text.find(lower, position);
            std::size_t start;
            if (found != std::string_view::npos) {
                start = found + lower.size();
            } else if ((found = text.find(keyword, position)) != std::string_view::npos) {
                start = found + keyword.size();
            } else {
                break;
            }
            std::size_t end = text.find_first_of(kTerminators, start);
            if (end == std::string_view::npos) {
                break;  // no terminator before the end of the text: this keyword is done
            }
            position = end + 1;
            if (!onSpan(keyword, start, end)) {
                return;
            }
        }
    }
}

void ScanForLinks(std::string_view text, const std::vector<std::string>& keywords,
                  const std::function<bool(std::string link)>& onLink) {
    ScanLinkSpans(text, keywords, [&](const std::string&, std::size_t start, std::size_t end) {
        if (end - start > kMaxLinkLength) {
            return true;
        }
        return onLink(std::string(text.substr(start, end - start)));
    });
}

int ExpandPage(LinkRecord& record, ExpansionContext& context) {
    if (record.held.load() == 1) {
        return 1;
    }
    record.expanded.store(1);
    const std::string path = RequestPath(record.Parts());
    const std::string url = RequestUrl(record.secure, record.host, path);
    RecordAnswer answer;
    platform::HttpOutcome outcome;

    bool temporaryFilled = false;
    const bool copying =
        record.mode == kModeCopy && FileTypeMatches(*record.fileTypes, record.file);
    answer.notCopied = record.mode == kModeCopy && !copying;
    if (copying) {
        // Read once: the directory chooser may change it meanwhile.
        const std::string destDir = record.destDir->Get();
        if (destDir.empty()) {
            Answer(record, context, answer, AnswerState::kFailed, AnswerReason::kNoDestination);
            SetImage(record, kImageFailed);
            ReportError(record, kNoDestination);
            return 1;
        }
        std::string copy =
            LocalCopyPath(CopyTarget{destDir, record.copyDirectory, record.rewrite, context.copies},
                          record.Parts());
        FetchOptions options{context.abort, kMaxCopyBytes, false, destDir, CreateFailure(record)};
        options.secure = record.secure;
        options.outcome = &outcome;
        UseBodySource(context, record, options);
        if (copy.empty() || FetchPage(record.host, path, copy, options) == 0) {
            if (!Aborted(context)) {
                if (!copy.empty()) {
                    TakeTransfer(answer, outcome, url);
                }
                Answer(record, context, answer, AnswerState::kFailed,
                       copy.empty() ? AnswerReason::kCannotWrite
                                    : FailureReason(outcome, kMaxCopyBytes));
                SetImage(record, kImageFailed);
            }
            return 1;
        }
        TakeTransfer(answer, outcome, url);
        SetAnswerText(answer, &AnswerTexts::copyPath, copy);
        if (context.copies != nullptr) {
            context.copies->Note(copy, record.Parts());
        }
        if (context.offline != nullptr && record.offlineLinks == 1) {
            context.offline->Note(record, destDir, copy, outcome.contentType);
        }
        temporaryFilled = FillTemporaryFile(copy, record.tempPath, context);
        Answer(record, context, answer, AnswerState::kFetched, AnswerReason::kNone);
        SetImage(record, kImageFetched);
    }

    if (record.file.find('.') != std::string::npos) {
        auto extensions = List(context, WordListKind::kExtensions);
        if (!extensions) {
            ReportError(record, kInternalError);
        }
        if (!extensions || !AnyEntryOccursIn(*extensions, record.file)) {
            Answer(record, context, answer, AnswerState::kNotExpanded, AnswerReason::kExtension);
            SetImage(record, kImageNotExpanded);
            return 0;
        }
    }
    if (record.level == record.maxLevel) {
        Answer(record, context, answer, AnswerState::kNotExpanded, AnswerReason::kLevel);
        SetImage(record, kImageNotExpanded);
        return 0;
    }

    if (!temporaryFilled) {
        FetchOptions options{context.abort, kMaxScannedBytes, true, {}, CreateFailure(record)};
        options.secure = record.secure;
        options.outcome = &outcome;
        UseBodySource(context, record, options);
        const int fetched = FetchPage(record.host, path, record.tempPath, options);
        if (fetched == 0 && Aborted(context)) {
            return 1;
        }
        TakeTransfer(answer, outcome, url);
        if (fetched == 0) {
            Answer(record, context, answer, AnswerState::kFailed,
                   FailureReason(outcome, kMaxScannedBytes));
            SetImage(record, kImageFailed);
            return 1;
        }
        Answer(record, context, answer, AnswerState::kFetched, AnswerReason::kNone);
        SetImage(record, kImageFetched);
    }
    if (Aborted(context)) {
        return 1;
    }

    std::uint64_t fileSize = 0;
    std::optional<std::string> text = ReadPageFile(record.tempPath, &fileSize);
    if (!text) {
        ReportError(record, kInternalError);
        return 1;
    }
    // A byte 0 ends the page text.
    if (auto nul = text->find('\0'); nul != std::string::npos) {
        text->resize(nul);
    }
    PreparePageText(*text);

    if (fileSize < kErrorPageBytes) {
        auto errors = List(context, WordListKind::kErrors);
        if (const std::string* phrase = errors ? ErrorPhraseIn(*errors, *text) : nullptr) {
            SetAnswerText(answer, &AnswerTexts::detail, *phrase);
            Answer(record, context, answer, AnswerState::kErrorPage, AnswerReason::kErrorPhrase);
            SetImage(record, kImageFailed);
            return 1;
        }
    }

    auto keywords = List(context, WordListKind::kKeywords);
    if (!keywords) {
        ReportError(record, kInternalError);
    } else {
        ScanPage(record, context, *text, *keywords);
    }
    if (Aborted(context)) {
        return 1;  // ended where it stood: the stop request stays as it is
    }
    context.stop->Clear();
    return 1;
}

}  // namespace zavel
