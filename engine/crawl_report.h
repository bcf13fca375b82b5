// The crawl handed on: a CSV of every record with its state and answer, a sitemap of the pages
// that answered 200, and the rows of the problems window. Read from the table under its lock,
// so the worker may go on meanwhile.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/link_table.h"

namespace zavel {

// One problem as the problems window shows it.
struct ProblemRow {
    std::string address;  // with its scheme
    std::string reason;
    std::string parentAddress;  // empty for a root
};
std::optional<ProblemRow> ProblemRowOf(const LinkTable& table, TreeItemId item);

// A label's bytes in a form that prints: printable ASCII as it is, every other byte and the
// backslash as \xNN.
std::string PrintableLabel(std::string_view label);

// One CSV field: quoted when it holds a comma, a double quote, CR or LF, its quotes doubled.
std::string CsvField(std::string_view text);

// The whole CSV: a header row, then one row per record in table order; lines end in CR LF.
std::string CsvReport(const LinkTable& table);

// An address in the form a sitemap may hold: bytes that are not allowed in an address
// (controls, blanks, bytes above 126 and "<>\"\\^`{|}") as %XX, then "&" and "'" as entities.
std::string SitemapAddress(std::string_view address);

// The addresses of the fetched pages that answered 200 and are not error pages: the address
// that answered (the redirect's target when one was followed), each once, in table order.
std::vector<std::string> SitemapAddresses(const LinkTable& table);

struct SitemapLimits {
    std::size_t addresses = 50000;    // per file
    std::size_t bytes = 52428800;     // per file, uncompressed
    std::size_t addressBytes = 2047;  // a longer address is left out
};

// The sitemap files for these addresses: one urlset each, as many as the limits need (at
// least one, also for no address).
std::vector<std::string> SitemapFiles(const std::vector<std::string>& addresses,
                                      const SitemapLimits& limits = {});

// Where the n-th file (from 0) of a sitemap chosen as `path` goes: `path` itself, then the
// name with "-2", "-3", ... before its extension.
std::string SitemapPartPath(const std::string& path, std::size_t n);

// Writes each file beside its place and renames it there. Returns the path that could not be
// written, or nullopt when all were.
std::optional<std::string> WriteReportFiles(const std::string& path,
                                            const std::vector<std::string>& files);

}  // namespace zavel
