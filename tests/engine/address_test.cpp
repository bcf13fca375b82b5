#include "engine/address.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/local_copy.h"
#include "tests/support/collapse_model.h"
#include "tests/support/temp_dir.h"

namespace zavel {
namespace {

namespace fs = std::filesystem;

std::string Segments(int count, const std::string& last) {
    std::string address = "http://h";
    for (int i = 1; i < count; ++i) {
        address += "/s" + std::to_string(i);
    }
    return address + last;
}

TEST(AddressSplit, Examples) {
    struct Case {
        std::string address, trimmed, host, dir, file;
    };
    const std::vector<Case> cases = {
        {"http://h", "http://h", "h", "", "/"},
        {"http://h/", "http://h", "h", "", "/"},
        {"http://h/a/b/c.html", "http://h/a/b/c.html", "h", "/a/b", "/c.html"},
        {"http://h/a/b", "http://h/a/b", "h", "/a/b", "/"},
        {"http://h/a/b/", "http://h/a/b", "h", "/a/b", "/"},
        {"http://h/a.b", "http://h/a.b", "h", "", "/a.b"},
        {"http://h/x.cgi?id=3", "http://h/x.cgi?id=3", "h", "", "/x.cgi?id=3"},
        {"http://h//x.html", "http://h//x.html", "h", "/", "/x.html"},
        {"http://h/a//b//", "http://h/a//b/", "h", "/a//b/", "/"},
        {"Gopher://H/a://b/c", "Gopher://H/a://b/c", "H", "/a://b/c", "/"},
        {"h/a", "h/a", "h", "/a", "/"},
    };
    for (const Case& c : cases) {
        std::string address = c.address;
        const AddressParts parts = SplitAddress(address);
        EXPECT_EQ(address, c.trimmed) << c.address;
        EXPECT_EQ(parts.host, c.host) << c.address;
        EXPECT_EQ(parts.dir, c.dir) << c.address;
        EXPECT_EQ(parts.file, c.file) << c.address;
        EXPECT_TRUE(parts.valid) << c.address;
    }
}

TEST(AddressSplit, SegmentCountIncludesHostAndAppendedSegment) {
    struct Case {
        int segments;
        std::string last;
        bool valid;
    };
    for (const Case& c : std::vector<Case>{{19, "/f.html", true},
                                           {20, "/f.html", false},
                                           {19, "", true},  // 19 + the appended one
                                           {20, "", false},
                                           {29, "/f.html", false}}) {
        std::string address = Segments(c.segments, c.last);
        EXPECT_EQ(SplitAddress(address).valid, c.valid) << address;
    }
}

TEST(AddressCollapse, Examples) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/a/b/../c", "/a/c"},
        {"/a/./b", "/a/b"},
        {"/a/b/..", "/a"},
        {"/../c", "/c"},
        {"/a/../../c", "/c"},
        {"/a/.b", "/ab"},
        {"/a/..b", "b"},
        {"/..", ""},
        {"/.", ""},
        {"/x/..../y", "../y"},
        {"", ""},
        {"/a/b", "/a/b"},
    };
    for (const auto& [text, expected] : cases) {
        std::string collapsed = text;
        CollapseDotSegments(collapsed);
        EXPECT_EQ(collapsed, expected) << text;
    }
}

using zavel::test::CollapsePassByPass;

TEST(AddressCollapse, SameAsPassByPassOnEveryShortText) {
    std::vector<std::string> texts = {""};
    for (int length = 1; length <= 10; ++length) {
        std::vector<std::string> longer;
        for (const std::string& text : texts) {
            for (char c : {'/', '.', 'a'}) {
                longer.push_back(text + c);
            }
        }
        for (const std::string& text : longer) {
            std::string collapsed = text;
            CollapseDotSegments(collapsed);
            ASSERT_EQ(collapsed, CollapsePassByPass(text)) << text;
        }
        texts = std::move(longer);
    }
}

TEST(AddressCollapse, LongTextsTakeLinearTime) {
    std::string text;
    for (int i = 0; i < 200000; ++i) {
        text += "/a/./b";
    }
    for (int i = 0; i < 400000; ++i) {
        text += "/..";
    }
    CollapseDotSegments(text);  // pass by pass this would not end in any reasonable time
    EXPECT_EQ(text, "");
}

TEST(AddressResolve, Examples) {
    const AddressParts page{"h", "/a/b", "/c.html"};
    const AddressParts folder{"h", "/a/b", "/"};
    struct Case {
        const AddressParts* parent;
        std::string link, linkAfter, host, dir, file;
    };
    const std::vector<Case> cases = {
        {nullptr, "www.Ex.com/A", "http://www.Ex.com/A", "www.Ex.com", "/A", "/"},
        {&page, "WwW.x.org", "http://WwW.x.org", "WwW.x.org", "", "/"},
        {&page, "d.html", "d.html", "h", "/a/b", "/d.html"},
        {&folder, "d.html", "d.html", "h", "/a/b", "/d.html"},
        {&page, "/e/f.gif", "/e/f.gif", "h", "/e", "/f.gif"},
        {&page, "../x.html", "../x.html", "h", "/a", "/x.html"},
        {&folder, "../", "../", "h", "/a/b", "/.."},  // only dir is collapsed
        {&page, "", "", "h", "/a/b", "/"},
        {&page, "https://x/y", "https://x/y", "x", "/y", "/"},
        {&page, "see://x/y.z/", "see://x/y.z/", "x", "", "/y.z"},
        {&page, "http://h/a/..b/c", "http://h/a/..b/c", "h", "/b/c", "/"},
        // The leading "/" put back: without it the host would read as port 8081.
        {nullptr, "http://127.0.0.1:80/..81/x", "http://127.0.0.1:80/..81/x", "127.0.0.1:80",
         "/81/x", "/"},
    };
    for (const Case& c : cases) {
        std::string link = c.link;
        const ResolvedLink resolved = ResolveLink(link, c.parent);
        EXPECT_EQ(link, c.linkAfter) << c.link;
        EXPECT_EQ(resolved.parts.host, c.host) << c.link;
        EXPECT_EQ(resolved.parts.dir, c.dir) << c.link;
        EXPECT_EQ(resolved.parts.file, c.file) << c.link;
        EXPECT_EQ(resolved.display, c.host + c.dir + c.file) << c.link;
        EXPECT_EQ(RequestPath(resolved.parts), c.dir + c.file) << c.link;
        EXPECT_TRUE(resolved.parts.valid) << c.link;
    }
}

TEST(AddressResolve, SchemeIsSecureOnlyForHttpsAndRelativeLinksTakeTheirPages) {
    const AddressParts plainPage{"h", "/a", "/c.html"};
    const AddressParts securePage{"h", "/a", "/c.html", true, true};
    struct Case {
        const AddressParts* parent;
        std::string link;
        bool secure;
    };
    const std::vector<Case> cases = {
        {nullptr, "https://h/x", true},     {nullptr, "HtTpS://h/x", true},
        {nullptr, "http://h/x", false},     {nullptr, "h/x", false},
        {nullptr, "www.h.org", false},      {&securePage, "www.h.org", false},
        {&securePage, "d.html", true},      {&securePage, "/e/f.html", true},
        {&securePage, "http://h/x", false}, {&plainPage, "d.html", false},
        {&plainPage, "HTTPS://h/d", true},  {&plainPage, "shttps://h/d", false},
        {&plainPage, "ftp://h/d", false},   {&plainPage, "https:/h/d", false},
    };
    for (const Case& c : cases) {
        std::string link = c.link;
        const ResolvedLink resolved = ResolveLink(link, c.parent);
        EXPECT_EQ(resolved.parts.secure, c.secure) << c.link;
    }
    // The two forms of one address are one address.
    std::string plain = "http://h/a/c.html";
    std::string secure = "https://h/a/c.html";
    EXPECT_EQ(AddressKey(ResolveLink(plain, nullptr).parts),
              AddressKey(ResolveLink(secure, nullptr).parts));
}

TEST(AddressResolve, PartsOverCapacityAreInvalidNotCut) {
    const std::string seg(400, 's');
    std::string dir999 = "/" + std::string(98, 'd');  // 99 characters
    for (int i = 0; i < 9; ++i) {
        dir999 += "/" + std::string(99, 'd');
    }
    struct Case {
        std::string link;
        bool valid;
    };
    const std::vector<Case> cases = {
        {"http://" + std::string(79, 'h'), true},
        {"http://" + std::string(80, 'h'), false},
        {"http://h" + dir999 + "/", true},
        {"http://h" + dir999 + "x/", false},
        {"http://h/" + std::string(76, 'f') + ".x", true},  // file of 79
        {"http://h/" + std::string(77, 'f') + ".x", false},
        // Long before collapsing, short after it.
        {"http://h/" + seg + "/" + seg + "/../../" + seg + "/..", true},
        {"http://h" + std::string(1000000, 'x'), false},
        {Segments(30, ""), false},
    };
    for (const Case& c : cases) {
        std::string link = c.link;
        EXPECT_EQ(ResolveLink(link, nullptr).parts.valid, c.valid) << c.link.substr(0, 60);
    }
}

TEST(AddressResolve, HostileBytesNeverBreakTheRequestPath) {
    const AddressParts page{"h", "/a", "/"};
    for (std::string link : {std::string("x\0/../..\0.h", 11), std::string("\xff\x80%/%2e%2e/.%00"),
                             std::string(5000, '/'), std::string(5000, '.'), std::string("/../")}) {
        const ResolvedLink resolved = ResolveLink(link, &page);
        EXPECT_EQ(resolved.parts.host, "h");
        EXPECT_EQ(RequestPath(resolved.parts).front(), '/');
    }
}

class AddressCopy : public ::testing::Test {
  protected:
    // destDir lies one level down, so anything made beside it shows in the sandbox.
    void SetUp() override { fs::create_directory(dest_); }

    // Returns the path after checking that it lies inside destDir and that nothing besides
    // destDir appeared in the sandbox.
    std::string Checked(const CopyTarget& target, const AddressParts& parts) {
        const std::string path = LocalCopyPath(target, parts);
        if (!path.empty()) {
            const std::string inside = fs::weakly_canonical(dest_).string() + "/";
            EXPECT_EQ(fs::weakly_canonical(path).string().rfind(inside, 0), 0u) << path;
        }
        std::vector<fs::path> entries(fs::directory_iterator(sandbox_.path()), {});
        EXPECT_EQ(entries, std::vector<fs::path>{fs::path(dest_)});
        return path;
    }

    test::TempDir sandbox_;
    std::string dest_ = sandbox_ / "dest";
};

TEST_F(AddressCopy, NamesAndRecreatedDirectories) {
    struct Case {
        int copyDirectory;
        AddressParts parts;
        std::string relative;
    };
    const std::vector<Case> cases = {
        {0, {"h", "/a/b", "/"}, "index.html"},
        {1, {"h", "/a/b", "/"}, "a/b/index.html"},
        {1, {"h", "/a//b", "/x.tar.gz"}, "a/b/x.gz"},
        {1, {"h", "", "/x.cgi?id=3"}, "x.cgi?id=3"},
        {0, {"h", "/a", "/.."}, "p."},
        {0, {"h", "", std::string("/n\0/m.h\0", 8)}, "n__m.h_"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Checked({dest_, c.copyDirectory, 1}, c.parts), dest_ + "/" + c.relative);
    }
    EXPECT_TRUE(fs::is_directory(dest_ + "/a/b"));
}

TEST_F(AddressCopy, ClimbingSegmentsStayInside) {
    std::string climbing = "http://h/x/..../y/";  // dir collapses to "../y"
    const AddressParts resolved = ResolveLink(climbing, nullptr).parts;
    ASSERT_EQ(resolved.dir, "/../y");
    EXPECT_EQ(Checked({dest_, 1, 1}, resolved), dest_ + "/_../y/index.html");

    for (const std::string& dir : {std::string("/../../etc"), std::string("/./.."),
                                   std::string("/a/../../.."), std::string("/\0/..", 5)}) {
        EXPECT_NE(Checked({dest_, 1, 0}, {"h", dir, "/f.txt"}), "") << dir;
    }
    EXPECT_TRUE(fs::is_directory(dest_ + "/_../_../etc"));
    EXPECT_TRUE(fs::is_directory(dest_ + "/_./_.."));
}

TEST_F(AddressCopy, FileWhereADirectoryIsExpected) {
    test::WriteFileBytes(dest_ + "/a", "not a folder");
    EXPECT_EQ(Checked({dest_, 1, 0}, {"h", "/a/b", "/"}), dest_ + "/a/b/index.html");
    EXPECT_EQ(test::ReadFileBytes(dest_ + "/a"), "not a folder");
}

TEST_F(AddressCopy, ExistingNamesAreKeptWithABound) {
    const AddressParts parts{"h", "", "/"};
    test::WriteFileBytes(dest_ + "/index.html", "");
    EXPECT_EQ(Checked({dest_, 0, 1}, parts), dest_ + "/index.html");
    EXPECT_EQ(Checked({dest_, 0, 0}, parts), dest_ + "/indexp.html");
    // A dangling link is taken as well.
    ASSERT_EQ(symlink("nowhere", (dest_ + "/indexp.html").c_str()), 0);
    EXPECT_EQ(Checked({dest_, 0, 0}, parts), dest_ + "/indexpp.html");

    std::string base = "indexpp";
    for (int i = 2; i < kMaxNameRetries; ++i, base += 'p') {
        test::WriteFileBytes(dest_ + "/" + base + ".html", "");
    }
    EXPECT_EQ(Checked({dest_, 0, 0}, parts), dest_ + "/" + base + ".html");
    test::WriteFileBytes(dest_ + "/" + base + ".html", "");
    EXPECT_EQ(Checked({dest_, 0, 0}, parts), "");
}

// Writes the copy as the fetcher does and notes it: its text is its address.
void WriteCopy(const std::string& dest, const std::string& path, const AddressParts& parts,
               WrittenCopies& written) {
    const int fd = OpenCopyForWriting(dest, path);
    ASSERT_GE(fd, 0) << path;
    const std::string text = AddressKey(parts);
    EXPECT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fd);
    written.Note(path, parts);
}

TEST_F(AddressCopy, NoCopyTakesThePlaceOfAnotherAddresssCopy) {
    // "." is every folder's own name, so "/.." and "/." take the next free names. With rewrite
    // on, a file this run wrote is replaced only by a copy of the same address.
    const std::vector<std::pair<AddressParts, std::string>> copies = {
        {{"h", "", "/"}, "index.html"}, {{"h", "/a", "/.."}, "p."},        {{"h", "", "/."}, "pp."},
        {{"h", "", "/..."}, "ppp."},    {{"h", "/a", "/"}, "indexp.html"},
    };
    for (const int rewrite : {0, 1}) {
        fs::remove_all(dest_);
        fs::create_directory(dest_);
        WrittenCopies written;
        for (const auto& [parts, name] : copies) {
            const std::string path = Checked({dest_, 0, rewrite, &written}, parts);
            EXPECT_EQ(path, dest_ + "/" + name) << rewrite;
            WriteCopy(dest_, path, parts, written);
        }
        for (const auto& [parts, name] : copies) {
            EXPECT_EQ(test::ReadFileBytes(dest_ + "/" + name), AddressKey(parts)) << name;
        }
        // The same address again: rewrite refreshes its own copy, rewrite off keeps it.
        EXPECT_EQ(Checked({dest_, 0, rewrite, &written}, copies[1].first),
                  dest_ + (rewrite == 1 ? "/p." : "/pppp."));
    }

    // Past its capacity the memory keeps what it knows and replaces no file it does not know:
    // that might be one of this run's.
    fs::remove_all(dest_);
    fs::create_directory(dest_);
    WrittenCopies small(1);
    test::WriteFileBytes(dest_ + "/old.html", "from before");
    const AddressParts first{"h", "", "/old.html"};
    const AddressParts second{"h", "/b", "/old.html"};
    EXPECT_EQ(Checked({dest_, 0, 1, &small}, first), dest_ + "/old.html");
    WriteCopy(dest_, dest_ + "/old.html", first, small);
    EXPECT_EQ(Checked({dest_, 0, 1, &small}, second), dest_ + "/oldp.html");
    WriteCopy(dest_, dest_ + "/oldp.html", second, small);  // not remembered
    test::WriteFileBytes(dest_ + "/x.html", "from before");
    EXPECT_EQ(Checked({dest_, 0, 1, &small}, {"h", "", "/x.html"}), dest_ + "/xp.html");
    EXPECT_EQ(Checked({dest_, 0, 1, &small}, first), dest_ + "/old.html");
}

TEST_F(AddressCopy, NoDestinationNoCopyAndTheRootKeepsOneSeparator) {
    EXPECT_EQ(Checked({"", 1, 0}, {"h", "/zavel-no-copy", "/"}), "");
    for (const char* stray : {"/zavel-no-copy", "zavel-no-copy"}) {
        EXPECT_FALSE(fs::exists(stray));
        std::error_code ignored;
        fs::remove(stray, ignored);  // a fault must not leave litter behind
    }
    EXPECT_EQ(LocalCopyPath({"/", 0, 1}, {"h", "", "/x.y"}), "/x.y");
}

}  // namespace
}  // namespace zavel
