#include "bench/site.h"

#include <cstdlib>
#include <fstream>

namespace zavel::bench {

std::string SitePage(int index, int pages) {
    std::string body = "<html><head><title>Page " + std::to_string(index) +
                       "</title></head><body>\n<h1>Page " + std::to_string(index) + "</h1>\n";
    int written = 0;
    for (int k = 1; k <= kLinksPerPage && written < kLinksPerPage; ++k) {
        long child = static_cast<long>(index) * kLinksPerPage + k;
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
