#include "engine/record_answer.h"

#include <algorithm>
#include <limits>

#include "engine/link_record.h"

namespace zavel {
namespace {

std::string Bounded(const std::string& text) {
    return text.substr(0, kMaxAnswerText);
}

const char* StatusPhrase(int status) {
    switch (status) {
        case 100:
            return "Continue";
        case 101:
            return "Switching Protocols";
        case 200:
            return "OK";
        case 201:
            return "Created";
        case 202:
            return "Accepted";
        case 203:
            return "Non-Authoritative Information";
        case 204:
            return "No Content";
        case 205:
            return "Reset Content";
        case 206:
            return "Partial Content";
        case 300:
            return "Multiple Choices";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 304:
            return "Not Modified";
        case 305:
            return "Use Proxy";
        case 307:
            return "Temporary Redirect";
        case 308:
            return "Permanent Redirect";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 402:
            return "Payment Required";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 406:
            return "Not Acceptable";
        case 407:
            return "Proxy Authentication Required";
        case 408:
            return "Request Timeout";
        case 409:
            return "Conflict";
        case 410:
            return "Gone";
        case 411:
            return "Length Required";
        case 412:
            return "Precondition Failed";
        case 413:
            return "Content Too Large";
        case 414:
            return "URI Too Long";
        case 415:
            return "Unsupported Media Type";
        case 416:
            return "Range Not Satisfiable";
        case 417:
            return "Expectation Failed";
        case 421:
            return "Misdirected Request";
        case 422:
            return "Unprocessable Content";
        case 425:
            return "Too Early";
        case 426:
            return "Upgrade Required";
        case 428:
            return "Precondition Required";
        case 429:
            return "Too Many Requests";
        case 431:
            return "Request Header Fields Too Large";
        case 451:
            return "Unavailable For Legal Reasons";
        case 500:
            return "Internal Server Error";
        case 501:
            return "Not Implemented";
        case 502:
            return "Bad Gateway";
        case 503:
            return "Service Unavailable";
        case 504:
            return "Gateway Timeout";
        case 505:
            return "HTTP Version Not Supported";
        case 511:
            return "Network Authentication Required";
        default:
            return nullptr;
    }
}

std::string TransportText(const RecordAnswer& answer) {
    using platform::HttpFailure;
    switch (answer.failure) {
        case HttpFailure::kNameNotFound:
            return "name not found";
        case HttpFailure::kRefused:
            return "connection refused";
        case HttpFailure::kNoConnection:
            return "no connection";
        case HttpFailure::kCertificate:
            return "certificate not trusted";
        case HttpFailure::kTimedOut:
            return "timed out";
        case HttpFailure::kCutShort:
            return "cut short";
        case HttpFailure::kTooManyRedirects:
            return "too many redirects";
        case HttpFailure::kBadAddress:
            return "address not usable";
        case HttpFailure::kAborted:
            return "fetch ended";
        case HttpFailure::kNone:
        case HttpFailure::kOther:
            break;
    }
    if (answer.texts != nullptr && !answer.texts->detail.empty()) {
        return answer.texts->detail;
    }
    return "fetch failed";
}

std::string MainReason(const RecordAnswer& answer) {
    switch (answer.reason) {
        case AnswerReason::kNone:
            return {};
        case AnswerReason::kTransport:
            return TransportText(answer);
        case AnswerReason::kNoDestination:
            return "no destination directory";
        case AnswerReason::kCannotWrite:
            return "cannot write the file";
        case AnswerReason::kTooLarge:
            return "too large to copy";
        case AnswerReason::kErrorPhrase:
            return "error phrase \"" + (answer.texts != nullptr ? answer.texts->detail : "") + "\"";
        case AnswerReason::kExtension:
            return "extension not in the list";
        case AnswerReason::kLevel:
            return "maximum level reached";
    }
    return {};
}

void Join(std::string& text, const std::string& part) {
    if (part.empty()) {
        return;
    }
    if (!text.empty()) {
        text += "; ";
    }
    text += part;
}

}  // namespace

void SetAnswerText(RecordAnswer& answer, std::string AnswerTexts::*text, std::string value) {
    if (value.empty() && answer.texts == nullptr) {
        return;
    }
    auto texts = answer.texts != nullptr ? std::make_shared<AnswerTexts>(*answer.texts)
                                         : std::make_shared<AnswerTexts>();
    (*texts).*text = std::move(value);
    answer.texts = std::move(texts);
}

void TakeTransfer(RecordAnswer& answer, const platform::HttpOutcome& outcome,
                  const std::string& requestedUrl) {
    answer.fetched = true;
    answer.bytes = outcome.bodyBytes;
    answer.milliseconds = static_cast<std::uint32_t>(std::clamp<std::int64_t>(
        outcome.milliseconds, 0, std::numeric_limits<std::uint32_t>::max()));
    answer.httpStatus = static_cast<std::uint16_t>(std::clamp<long>(outcome.httpStatus, 0, 999));
    answer.failure = outcome.failure;
    answer.contentType = Bounded(outcome.contentType);
    if (!outcome.finalUrl.empty() && outcome.finalUrl != requestedUrl) {
        SetAnswerText(answer, &AnswerTexts::finalUrl, Bounded(outcome.finalUrl));
    }
    if (outcome.failure == platform::HttpFailure::kOther) {
        SetAnswerText(answer, &AnswerTexts::detail, Bounded(outcome.error));
    }
}

bool IsProblem(const RecordAnswer& answer) {
    return answer.state == AnswerState::kFailed || answer.state == AnswerState::kErrorPage ||
           answer.httpStatus >= 400;
}

std::string StateName(const RecordAnswer& answer, bool held) {
    switch (answer.state) {
        case AnswerState::kFetched:
            return "fetched";
        case AnswerState::kFailed:
            return "failed";
        case AnswerState::kErrorPage:
            return "error page";
        case AnswerState::kNotExpanded:
            return "not expanded";
        case AnswerState::kNone:
            break;
    }
    return held ? "on hold" : "pending";
}

std::string HttpStatusText(int status) {
    const char* phrase = StatusPhrase(status);
    return phrase != nullptr ? std::to_string(status) + " " + phrase : std::to_string(status);
}

std::string ReasonText(const RecordAnswer& answer) {
    std::string text;
    // A failed transfer's status is the one of a response that broke off: the transport says
    // more. Every other error status comes first.
    if (answer.httpStatus >= 400 && answer.reason != AnswerReason::kTransport) {
        text = HttpStatusText(answer.httpStatus);
    }
    Join(text, MainReason(answer));
    if (answer.notCopied) {
        Join(text, "not copied: file type");
    }
    if (answer.texts != nullptr && !answer.texts->finalUrl.empty()) {
        Join(text, "redirected to " + answer.texts->finalUrl);
    }
    return text;
}

}  // namespace zavel
