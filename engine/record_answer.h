// What a record's fetch answered, and why a record failed or was set aside: the data the
// problems window and the export read without asking the network again. Kept small, since a
// full table holds 50,000 records: the numbers inline, the texts that few records have in one
// block of their own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/http/http_client.h"

namespace zavel {

struct LinkRecord;

// The outcome a record's tree image shows, once the worker has reached one.
enum class AnswerState : std::uint8_t {
    kNone,         // no outcome yet: pending or on hold, as its flags say
    kFetched,      // image 2
    kFailed,       // image 0: the fetch failed
    kErrorPage,    // image 0: a short page with an error phrase
    kNotExpanded,  // image 3: set aside by the extension or level rule
};

// Why, in one word of the program's own. The text comes from ReasonText.
enum class AnswerReason : std::uint8_t {
    kNone,
    kTransport,      // the fetch failed: the transport failure tells which way
    kNoDestination,  // copy mode without a destination directory
    kCannotWrite,    // the copy or the temporary file could not be written
    kTooLarge,       // the copy was larger than a copy may be
    kErrorPhrase,    // the page held an error phrase (texts->phrase)
    kExtension,      // its extension is not in the extension list
    kLevel,          // its level equals the maximum expansion level
};

struct AnswerTexts {
    std::string finalUrl;  // the address that answered, when a redirect was followed
    std::string detail;    // the error phrase, or the transport's own text of a failure
    std::string copyPath;  // the local copy written in copy mode
};

struct RecordAnswer {
    std::uint64_t bytes = 0;
    std::uint32_t milliseconds = 0;
    std::uint16_t httpStatus = 0;  // the final response's status, 0 when none came
    AnswerState state = AnswerState::kNone;
    AnswerReason reason = AnswerReason::kNone;
    platform::HttpFailure failure = platform::HttpFailure::kNone;
    bool fetched = false;     // a transfer was made: status, type, bytes and time are its
    bool notCopied = false;   // copy mode, and the file type filter passed it over
    std::string contentType;  // as the server sent it, bounded
    std::shared_ptr<const AnswerTexts> texts;  // null when all of them are empty
};

// Content types and addresses a server sends are kept to this many bytes.
inline constexpr std::size_t kMaxAnswerText = 2048;

// The numbers and texts a transfer gives a record's answer. requestedUrl is the address asked
// for; the final address is kept only when it differs.
void TakeTransfer(RecordAnswer& answer, const platform::HttpOutcome& outcome,
                  const std::string& requestedUrl);
// Sets one of the texts, making the block when needed.
void SetAnswerText(RecordAnswer& answer, std::string AnswerTexts::*text, std::string value);

// Failed records, error pages and answers with an error status are the crawl's problems.
bool IsProblem(const RecordAnswer& answer);

// The state as the export names it, from the answer and the record's flags: "pending",
// "fetched", "failed", "error page", "not expanded" or "on hold".
std::string StateName(const RecordAnswer& answer, bool held);

// The reason in words: "name not found", "connection refused", "404 Not Found", ...; empty for
// a page that answered 200 without a redirect.
std::string ReasonText(const RecordAnswer& answer);

// "404 Not Found": the status with its standard text (the number alone when it has none).
std::string HttpStatusText(int status);

}  // namespace zavel
