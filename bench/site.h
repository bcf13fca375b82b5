// A generated site for benchmarks, served on loopback: page i links to its children
// 15i+1 .. 15i+15 (while they exist) and to a few earlier pages, in HREF and SRC forms.
#pragma once

#include <string>

namespace zavel::bench {

inline constexpr int kLinksPerPage = 15;

// The body of page `index` of a site of `pages` pages ("/p<index>.html").
std::string SitePage(int index, int pages);

// The process's peak resident memory in KiB, 0 when unknown.
long PeakRssKb();

}  // namespace zavel::bench
