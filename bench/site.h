// A generated site for benchmarks, served on loopback: page i links to its children
// n*i+1 .. n*i+n (while they exist, n links per page) and to a few earlier pages, in HREF and
// SRC forms.
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace httplib {
class Server;
struct Response;
}  // namespace httplib

namespace zavel::bench {

inline constexpr int kLinksPerPage = 15;

// The body of page `index` of a site of `pages` pages ("/p<index>.html").
std::string SitePage(int index, int pages, int linksPerPage = kLinksPerPage);

// Serves the site: "/p<index>.html" below `pages` (404 beyond) and "/" as page 0, on 32
// threads with keep-alive (every connection a crawler keeps open holds a thread). Every page
// served is counted in `served` when given.
void ServeSite(httplib::Server& server, int pages, int linksPerPage = kLinksPerPage,
               std::atomic<long>* served = nullptr);

// Serves the files under `root` at "/" the same way: 32 threads, keep-alive, uncompressed.
void ServeFolder(httplib::Server& server, const std::string& root);

// Every response of the servers set up from now on waits this long before it is sent, like a
// server at a round trip's distance. 0 (the default) answers at once.
void SetResponseDelayMilliseconds(int milliseconds);

// Binds `server` to a free port of 127.0.0.1 and serves on `serving` until server.stop(); returns
// once requests are being accepted, with the port.
int StartServing(httplib::Server& server, std::thread& serving);

// Sets `body` as the response, sent as it is even to a client that accepts compressed bodies:
// compressing every page would spend the server's processor time on some crawlers and not on
// others, and the benchmarks compare crawlers.
void SetUncompressedContent(httplib::Response& response, std::string body,
                            const std::string& contentType);

// Writes the four default word lists into `folder` (ending with "/").
void WriteDefaultWordLists(const std::string& folder);

// The process's peak resident memory in KiB, 0 when unknown.
long PeakRssKb();

}  // namespace zavel::bench
