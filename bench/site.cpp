#include "bench/site.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "lists/word_list.h"

namespace zavel::bench {

std::string SitePage(int index, int pages, int linksPerPage) {
    std::string body = "<html><head><title>Page " + std::to_string(index) +
                       "</title></head><body>\n<h1>Page " + std::to_string(index) + "</h1>\n";
    int written = 0;
    for (int k = 1; k <= linksPerPage && written < linksPerPage; ++k) {
        long child = static_cast<long>(index) * linksPerPage + k;
        if (child < pages) {
            body += "<p><a HREF=\"p" + std::to_string(child) + ".html\">child " +
                    std::to_string(child) + "</a></p>\n";
            ++written;
        }
    }
    // Links back into the site: duplicates the crawl must recognise.
    for (int k = 0; k < 3; ++k) {
        int earlier = static_cast<int>((static_cast<long>(index) * 7919 + k * 104729) % pages);
        body += "<img SRC=\"p" + std::to_string(earlier) + ".html\" alt=\"\">\n";
    }
    body += "<p>" + std::string(600, 'z') + "</p>\n</body></html>\n";
    return body;
}

void SetUncompressedContent(httplib::Response& response, std::string body,
                            const std::string& contentType) {
    auto shared = std::make_shared<const std::string>(std::move(body));
    response.headers.erase("Content-Type");
    response.set_content_provider(
        shared->size(), contentType,
        [shared](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            return sink.write(shared->data() + offset, std::min(length, shared->size() - offset));
        });
}

namespace {

std::atomic<int> responseDelayMilliseconds{0};

void WaitBeforeAnswering(int milliseconds) {
    if (milliseconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

// Threads for every connection of a crawler that keeps many, and keep-alive for the whole run.
// Headers and body go out in separate writes; with Nagle's algorithm the body would wait for the
// client's delayed acknowledgement.
void PrepareServer(httplib::Server& server) {
    server.new_task_queue = [] { return new httplib::ThreadPool(32); };
    server.set_tcp_nodelay(true);
    server.set_keep_alive_max_count(1000000);
}

}  // namespace

void ServeSite(httplib::Server& server, int pages, int linksPerPage, std::atomic<long>* served) {
    PrepareServer(server);
    const int delay = responseDelayMilliseconds.load();
    auto page = [pages, linksPerPage, served, delay](int index, httplib::Response& response) {
        WaitBeforeAnswering(delay);
        if (index >= pages) {
            response.status = 404;
            return;
        }
        if (served != nullptr) {
            served->fetch_add(1);
        }
        SetUncompressedContent(response, SitePage(index, pages, linksPerPage), "text/html");
    };
    server.Get(R"(/p(\d+)\.html)",
               [page](const httplib::Request& request, httplib::Response& response) {
                   page(std::atoi(std::string(request.matches[1]).c_str()), response);
               });
    server.Get("/",
               [page](const httplib::Request&, httplib::Response& response) { page(0, response); });
}

void ServeFolder(httplib::Server& server, const std::string& root) {
    PrepareServer(server);
    server.set_mount_point("/", root);
    const int delay = responseDelayMilliseconds.load();
    server.set_file_request_handler([delay](const httplib::Request&, httplib::Response& response) {
        WaitBeforeAnswering(delay);
        std::string type = response.get_header_value("Content-Type");
        SetUncompressedContent(response, std::move(response.body), type);
    });
}

void SetResponseDelayMilliseconds(int milliseconds) {
    responseDelayMilliseconds.store(std::max(0, milliseconds));
}

int StartServing(httplib::Server& server, std::thread& serving) {
    int port = server.bind_to_any_port("127.0.0.1");
    serving = std::thread([&server] { server.listen_after_bind(); });
    while (!server.is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return port;
}

void WriteDefaultWordLists(const std::string& folder) {
    for (auto kind : {WordListKind::kKeywords, WordListKind::kExtensions,
                      WordListKind::kReservedWords, WordListKind::kErrors}) {
        std::ofstream(folder + WordListFileName(kind), std::ios::binary) << DefaultWordList(kind);
    }
}

long PeakRssKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return 0;
}

}  // namespace zavel::bench
