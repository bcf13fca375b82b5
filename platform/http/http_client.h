// One HTTP GET over libcurl. Each thread keeps its own handles, so connections are kept alive
// and reused between the calls of one thread. Redirects are followed (at most 10), proxies come
// from the usual environment variables, the user agent is "zavel". HTTPS certificates are
// always verified against the system's store; HTTP/2 is used where a server offers it, and
// compressed bodies are asked for and handed on decoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/http/http_abort.h"

namespace zavel::platform {

// Status codes reported while a request runs, in the order a fresh connection reports them.
// A reused connection skips the codes of the steps it skips, a followed redirect repeats them
// from where its request starts. kStatusReceived comes when the transfer ends after the final
// response began; kStatusClosing and kStatusClosed whenever a socket is closed during a call,
// which may be a cached connection of an earlier call.
enum HttpStatusCode : int {
    kStatusResolving = 10,
    kStatusResolved = 11,
    kStatusConnecting = 20,
    kStatusConnected = 21,
    kStatusSending = 30,
    kStatusSent = 31,
    kStatusReceiving = 40,
    kStatusReceived = 41,
    kStatusClosing = 50,
    kStatusClosed = 51,
};

struct HttpGetRequest {
    std::string url;
    // Called on the calling thread for every status code, only while HttpGet runs.
    std::function<void(int code)> onStatus;
    // Called with each block of the final response's body; false aborts the transfer.
    std::function<bool(const char* data, std::size_t size)> onBody;
    const HttpAbort* abort = nullptr;  // may be null
    // Size of libcurl's receive buffer, which bounds the blocks handed to onBody; 0 keeps
    // libcurl's default.
    std::size_t bufferSize = 0;
};

enum class HttpResult {
    kOk,          // the whole body arrived
    kSendFailed,  // no response began: bad address, name, connection, timeout, refused URL
    kBodyFailed,  // the response began but did not complete
    kAborted,     // the abort was requested
    kSinkFailed,  // onBody returned false
};

// What kind of failure ended a transfer, told apart so the crawl can say why in words.
enum class HttpFailure : std::uint8_t {
    kNone,              // the transfer succeeded
    kNameNotFound,      // the server's name (or the proxy's) did not resolve
    kRefused,           // the server refused the connection
    kNoConnection,      // no connection for another reason (unreachable network or host)
    kCertificate,       // the server's certificate is not trusted
    kTimedOut,          // no connection in time, or the body came too slowly
    kCutShort,          // the answer broke off or never came after the request
    kTooManyRedirects,  // more redirects than are followed
    kBadAddress,        // the address cannot be requested as it stands
    kAborted,           // the abort was requested or the body was refused
    kOther,             // anything else: the error text tells
};

struct HttpOutcome {
    HttpResult result = HttpResult::kSendFailed;
    long httpStatus = 0;  // status of the final response, 0 if none
    std::string error;    // libcurl's text for a failure
    // What the transfer reached, also when it failed: libcurl's result code (0 for success),
    // the address of the last request made (the redirect target when one was followed), the
    // final response's content type as the server sent it (empty if none), the body bytes
    // received (after decoding a compressed body), and the time from the start of the call to its
    // end.
    int transportCode = 0;
    std::string finalUrl;
    std::string contentType;
    std::uint64_t bodyBytes = 0;
    std::int64_t milliseconds = 0;
    HttpFailure failure = HttpFailure::kNone;
};

HttpOutcome HttpGet(const HttpGetRequest& request);

// The kind of failure of a transfer that ended with libcurl's result code `transportCode`, the
// result it gave and the system's error of its connection (0 when none).
HttpFailure FailureOf(int transportCode, HttpResult result, long osErrno);

// The slowest transfer allowed: one whose body arrives slower than kLowSpeedBytes (about 1 KB)
// per kLowSpeedWindowSeconds for a whole window fails as timed out, like a server that sends
// nothing. The rule holds for each transfer on its own.
inline constexpr long kLowSpeedBytes = 1024;
inline constexpr long kLowSpeedWindowSeconds = 60;

// Replaces the window for the transfers that start from now on (the bytes stay
// kLowSpeedBytes) and returns the previous one: tests shorten it instead of waiting a minute.
long SetLowSpeedWindowSeconds(long seconds);

// From now on every transfer of the process trusts the certificates of this PEM text instead
// of the system's store. For tests only, whose servers have certificates of their own; an
// empty text gives the system's store back.
void TrustCertificatesForTests(std::string pem);

}  // namespace zavel::platform
