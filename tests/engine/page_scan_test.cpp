#include <gtest/gtest.h>

#include "engine/page_expansion.h"
#include "lists/word_list.h"

namespace zavel {
namespace {

std::vector<std::string> Entries(WordListKind kind) {
    std::vector<std::string> entries;
    std::string_view text = DefaultWordList(kind);
    std::size_t start = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string_view::npos;
         start = end + 2, end = text.find("\r\n", start)) {
        entries.emplace_back(text.substr(start, end - start));
    }
    return entries;
}

std::vector<std::string> Scan(std::string page, const std::vector<std::string>& keywords) {
    PreparePageText(page);
    std::vector<std::string> links;
    ScanForLinks(page, keywords, [&](std::string link) {
        links.push_back(std::move(link));
        return true;
    });
    return links;
}

TEST(FileTypeFilter, TokensMatchAsDocumented) {
    struct Case {
        const char* types;
        const char* file;
        bool matches;
    };
    const Case cases[] = {
        {"*.*;", "/", true},
        {"*.htm;", "/a.htm", true},
        {"*.htm;", "/a.html", false},
        {"*.htm;", "/a.htm.htm", false},  // the first occurrence must end the name
        {"*.htm;", ".htm", false},        // the name must be longer than the pattern's rest
        {"/img*;", "/img1.gif", true},
        {"img*;", "/img1.gif", false},  // the name begins with "/"
        {"gif;", "/a.gif", true},
        {"gif", "/a.gif", false},   // text after the last ";" is no token
        {"jpg;;", "/a.gif", true},  // an empty token matches everything
        {";", "/a.gif", true},
        {"*.GIF;", "/a.gif", false},  // case-sensitive
        {"", "/a.gif", false},
        {"*.png;*.gif;", "/a.gif", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileTypeMatches(c.types, c.file), c.matches) << c.types << " " << c.file;
    }
}

TEST(PageText, LowersOutsideDoubleQuotesAndDropsLineBreaks) {
    std::string text = "<A HREF=\"Mixed/Case.HTML\">\r\nLink</A>\n<IMG SRC='Up.GIF'>";
    PreparePageText(text);
    EXPECT_EQ(text, "<a href=\"Mixed/Case.HTML\">link</a><img src='up.gif'>");

    std::string odd = "A\"B\"C\"D\r\nE";
    PreparePageText(odd);
    EXPECT_EQ(odd, "a\"B\"c\"DE");  // everything after an unmatched quote keeps its case
}

TEST(PercentEscapes, DecodeAndEndAtAZeroValue) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"a%20b", "a b"}, {"%41%42c", "ABc"}, {"x%2fy", "x/y"}, {"%252", "%2"},      {"a%00b", "a"},
        {"a%zzb", "a"},   {"a%", "a"},        {"a%4", "a\x04"}, {"a%4gz", "a\x04z"},
    };
    for (const Case& c : cases) {
        std::string link = c.in;
        DecodePercentEscapes(link);
        EXPECT_EQ(link, c.out) << c.in;
    }
}

TEST(LinkScan, DefaultKeywordsFindBothFormsAndTheEmptyLink) {
    auto keywords = Entries(WordListKind::kKeywords);
    // HREF="x" gives x through HREF=" and the empty link through HREF=.
    EXPECT_EQ(Scan("<a HREF=\"Page.html\">", keywords),
              (std::vector<std::string>{"Page.html", ""}));
    // Single quotes and bare values are lowered before the scan; HREF= meets the quote.
    EXPECT_EQ(Scan("<a href='Up/X.html'> <img src=Pic.GIF>", keywords),
              (std::vector<std::string>{"up/x.html", "", "pic.gif"}));
    // A fragment ends the link.
    EXPECT_EQ(Scan("<a href=\"#top\">", keywords), (std::vector<std::string>{"", ""}));
}

TEST(LinkScan, LowerFormIsTriedFirstAndEachKeywordScansTheWholeText) {
    // The lower form is searched first at each step: a capital occurrence before a lower one
    // is passed over, and found only where no lower one follows.
    std::vector<std::string> keywords{"LINK:"};
    EXPECT_EQ(Scan("\"LINK:One link:two \"", keywords), (std::vector<std::string>{"two"}));
    EXPECT_EQ(Scan("\"link:one LINK:Two \"", keywords), (std::vector<std::string>{"one", "Two"}));
    EXPECT_EQ(Scan("x=1 y=2 x=3 ", {"x=", "y="}), (std::vector<std::string>{"1", "3", "2"}));
}

TEST(LinkScan, UnterminatedAndOverlongLinksAreNotTaken) {
    std::vector<std::string> keywords{"href="};
    EXPECT_EQ(Scan("href=a href=tail-without-end", keywords), (std::vector<std::string>{"a"}));
    std::string longLink(kMaxLinkLength + 1, 'x');
    EXPECT_EQ(Scan("href=" + longLink + " href=ok ", keywords), (std::vector<std::string>{"ok"}));
    std::string fits(kMaxLinkLength, 'y');
    EXPECT_EQ(Scan("href=" + fits + " ", keywords), (std::vector<std::string>{fits}));
}

TEST(LinkScan, CallbackCanEndTheScan) {
    std::string page = "href=a href=b href=c ";
    int calls = 0;
    ScanForLinks(page, {"href="}, [&](std::string) { return ++calls < 2; });
    EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace zavel
