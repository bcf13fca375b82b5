// One HTTP GET of one address into a local file.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>

#include "platform/http/http_abort.h"
#include "platform/http/http_client.h"

namespace zavel {

// The most recent status code reported for any request of the program (10 resolving ... 51
// connection closed). Written by the fetching thread, read by the progress display.
extern std::atomic<int> lastStatusCode;

// The size of a fetch's receive buffer, and so the largest block written with one write; a body
// fetched ahead is handed on in blocks of this size too.
inline constexpr std::size_t kTransferBufferBytes = 120000;

// Fetches "http://" + host + path (or "https://" with FetchOptions::secure) into localFile: the
// body as the server meant it, decoded when it came compressed. Returns 1 when the whole body
// was written (whatever the HTTP status: an error page is saved like any page), 0 on failure.
//
// - A failure before the response begins leaves no file and leaves an earlier file of that
//   name untouched: the file is created only once the response body arrives (or the response
//   ends with an empty body).
// - A file that cannot be created shows "Internal Error" once (or tells onCreateFailed) and
//   gives 0.
// - A failure while the body is read, or an abort, gives 0 and removes the partial file.
int FetchPage(const std::string& host, const std::string& path, const std::string& localFile,
              const platform::HttpAbort* abort = nullptr);

struct FetchOptions {
    const platform::HttpAbort* abort = nullptr;
    // A body longer than this is not fetched in full: with keepTruncated its first maxBytes
    // are kept and the result is 1, otherwise the fetch fails.
    std::uint64_t maxBytes = std::numeric_limits<std::uint64_t>::max();
    bool keepTruncated = false;
    // When not empty, localFile lies below this folder and is opened the way a local copy is
    // (OpenCopyForWriting): no link below the folder is followed.
    std::string below{};
    // When set, called instead of showing "Internal Error" for a file that cannot be created.
    std::function<void()> onCreateFailed = nullptr;
    // When set, receives the transfer's outcome (status, final address, content type, bytes,
    // time), also for a failed fetch; left as it is when no transfer was made.
    platform::HttpOutcome* outcome = nullptr;
    // Over TLS, with the certificate verified: the address said "https://".
    bool secure = false;
    // When set, makes the transfer instead of HttpGet: the request's callbacks get the body
    // and the status codes, and the result is the transfer's outcome.
    std::function<platform::HttpOutcome(const platform::HttpGetRequest&)> transfer = nullptr;
};
int FetchPage(const std::string& host, const std::string& path, const std::string& localFile,
              const FetchOptions& options);

// Opens a local file to be written from its start, as fopen's "wb" does, but makes a plain file
// of one name anew instead of emptying it: the temporary page file is rewritten for every page.
std::FILE* OpenFileForRewriting(const std::string& path);

// The address FetchPage asks for: "https://" when secure, "http://" otherwise, then host + path.
std::string RequestUrl(bool secure, const std::string& host, const std::string& path);

}  // namespace zavel
