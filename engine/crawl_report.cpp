#include "engine/crawl_report.h"

#include <cstdio>
#include <unordered_set>

#include "engine/address.h"
#include "lists/file_replace.h"

namespace zavel {
namespace {

constexpr std::string_view kCsvHeader =
    "label,level,state,address,parent address,status,content type,bytes,milliseconds,"
    "local copy path,reason\r\n";
constexpr std::string_view kSitemapHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n";
constexpr std::string_view kSitemapTail = "</urlset>\n";

std::string Hex(unsigned char byte) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

const std::string& Text(const RecordAnswer& answer, std::string AnswerTexts::*text) {
    static const std::string kEmpty;
    return answer.texts != nullptr ? (*answer.texts).*text : kEmpty;
}

void AppendRow(std::string& csv, const LinkRecord& record, const LinkRecord* parent) {
    const RecordAnswer& answer = record.answer;
    auto field = [&csv](std::string_view text, bool last = false) {
        csv += CsvField(text);
        csv += last ? "\r\n" : ",";
    };
    field(PrintableLabel(record.label));
    field(std::to_string(record.level));
    field(StateName(answer, record.held.load() == 1));
    field(record.RequestAddress());
    field(parent != nullptr ? parent->RequestAddress() : std::string());
    // The numbers of a transfer; a record never fetched leaves them empty.
    field(answer.fetched && answer.httpStatus != 0 ? std::to_string(answer.httpStatus) : "");
    field(answer.contentType);
    field(answer.fetched ? std::to_string(answer.bytes) : "");
    field(answer.fetched ? std::to_string(answer.milliseconds) : "");
    field(Text(answer, &AnswerTexts::copyPath));
    field(ReasonText(answer), true);
}

}  // namespace

std::optional<ProblemRow> ProblemRowOf(const LinkTable& table, TreeItemId item) {
    std::optional<ProblemRow> row;
    table.VisitRecord(item, [&row](const LinkRecord& record, const LinkRecord* parent) {
        row = ProblemRow{record.RequestAddress(), ReasonText(record.answer),
                         parent != nullptr ? parent->RequestAddress() : std::string()};
    });
    return row;
}

std::string PrintableLabel(std::string_view label) {
    std::string text;
    for (char c : label) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F && byte != '\\') {
            text += c;
        } else {
            text += "\\x" + Hex(byte);
        }
    }
    return text;
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    quoted += '"';
    return quoted;
}

std::string CsvReport(const LinkTable& table) {
    std::string csv(kCsvHeader);
    table.VisitRecords([&csv](const LinkRecord& record, const LinkRecord* parent) {
        AppendRow(csv, record, parent);
    });
    return csv;
}

std::string SitemapAddress(std::string_view address) {
    // The escaped address holds no "%" of its own making but "%XX"; XML then needs only the two
    // entities for the characters an address keeps.
    std::string text;
    for (char c : EscapeAddress(address)) {
        if (c == '&') {
            text += "&amp;";
        } else if (c == '\'') {
            text += "&apos;";
        } else {
            text += c;
        }
    }
    return text;
}

std::vector<std::string> SitemapAddresses(const LinkTable& table) {
    std::vector<std::string> addresses;
    std::unordered_set<std::string> seen;
    table.VisitRecords([&](const LinkRecord& record, const LinkRecord*) {
        const RecordAnswer& answer = record.answer;
        if (answer.state != AnswerState::kFetched || answer.httpStatus != 200) {
            return;
        }
        const std::string& final = Text(answer, &AnswerTexts::finalUrl);
        std::string address = final.empty() ? record.RequestAddress() : final;
        if (seen.insert(address).second) {
            addresses.push_back(std::move(address));
        }
    });
    return addresses;
}

std::vector<std::string> SitemapFiles(const std::vector<std::string>& addresses,
                                      const SitemapLimits& limits) {
    std::vector<std::string> files;
    std::string file;
    std::size_t inFile = 0;
    const std::size_t frame = kSitemapHead.size() + kSitemapTail.size();
    auto finish = [&] {
        file += kSitemapTail;
        files.push_back(std::move(file));
        file.clear();
        inFile = 0;
    };
    for (const std::string& address : addresses) {
        const std::string loc = SitemapAddress(address);
        if (loc.size() > limits.addressBytes) {
            continue;
        }
        std::string entry = "<url><loc>" + loc + "</loc></url>\n";
        if (inFile > 0 && (inFile == limits.addresses ||
                           file.size() + entry.size() + kSitemapTail.size() > limits.bytes)) {
            finish();
        }
        if (file.empty()) {
            file = kSitemapHead;
        }
        if (inFile == 0 && frame + entry.size() > limits.bytes) {
            continue;  // not even alone in a file of its own
        }
        file += entry;
        ++inFile;
    }
    if (file.empty()) {
        file = kSitemapHead;
    }
    if (inFile > 0 || files.empty()) {
        finish();
    }
    return files;
}

std::string SitemapPartPath(const std::string& path, std::size_t n) {
    if (n == 0) {
        return path;
    }
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    const std::size_t cut =
        dot != std::string::npos && (slash == std::string::npos || dot > slash + 1) ? dot
                                                                                    : path.size();
    return path.substr(0, cut) + "-" + std::to_string(n + 1) + path.substr(cut);
}

std::optional<std::string> WriteReportFiles(const std::string& path,
                                            const std::vector<std::string>& files) {
    for (std::size_t n = 0; n < files.size(); ++n) {
        const std::string part = SitemapPartPath(path, n);
        if (WriteProtected(part) || !ReplaceFileContents(part, files[n])) {
            return part;
        }
    }
    return std::nullopt;
}

}  // namespace zavel
