// Copies that read offline: a loopback site copied with the option on, read back with a small
// HTML tokenizer, every link followed on the disk; the option off keeps the server's bytes.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "engine/crawl_engine.h"
#include "lists/word_list.h"
#include "tests/support/loopback_server.h"
#include "tests/support/recording_tree.h"
#include "tests/support/temp_dir.h"
#include "tests/support/word_lists.h"

namespace zavel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::ReadFileBytes;
using test::WriteFileBytes;

template <typename Predicate>
bool WaitUntil(Predicate done) {
    const auto until = std::chrono::steady_clock::now() + 10s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

// What an HTML parser reads: "<" tag names, "@" attribute name "=" value, "T" text.
std::vector<std::string> Tokens(std::string_view html) {
    std::vector<std::string> tokens;
    std::size_t i = 0;
    auto lower = [](std::string text) {
        for (char& c : text) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return text;
    };
    while (i < html.size()) {
        if (html[i] != '<') {
            const std::size_t next = std::min(html.find('<', i), html.size());
            tokens.push_back("T" + std::string(html.substr(i, next - i)));
            i = next;
            continue;
        }
        ++i;
        std::size_t name = i;
        while (i < html.size() && !std::isspace(static_cast<unsigned char>(html[i])) &&
               html[i] != '>') {
            ++i;
        }
        tokens.push_back("<" + lower(std::string(html.substr(name, i - name))));
        while (i < html.size() && html[i] != '>') {
            if (std::isspace(static_cast<unsigned char>(html[i]))) {
                ++i;
                continue;
            }
            name = i;
            while (i < html.size() && html[i] != '=' && html[i] != '>' &&
                   !std::isspace(static_cast<unsigned char>(html[i]))) {
                ++i;
            }
            std::string attribute = "@" + lower(std::string(html.substr(name, i - name))) + "=";
            if (i < html.size() && html[i] == '=') {
                ++i;
                if (html[i] == '"' || html[i] == '\'') {
                    const std::size_t close = html.find(html[i], i + 1);
                    attribute += html.substr(i + 1, close - i - 1);
                    i = close + 1;
                } else {
                    const std::size_t start = i;
                    while (i < html.size() && html[i] != '>' &&
                           !std::isspace(static_cast<unsigned char>(html[i]))) {
                        ++i;
                    }
                    attribute += html.substr(start, i - start);
                }
            }
            tokens.push_back(attribute);
        }
        ++i;
    }
    return tokens;
}

bool IsAddressAttribute(const std::string& token) {
    return token.rfind("@href=", 0) == 0 || token.rfind("@src=", 0) == 0;
}

std::string Decoded(const std::string& reference) {
    std::string out;
    for (std::size_t i = 0; i < reference.size(); ++i) {
        if (reference[i] == '%' && i + 2 < reference.size()) {
            out += static_cast<char>(std::stoi(reference.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += reference[i];
        }
    }
    return out;
}

class OfflineLinksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        programDir = dir.path() + "/prog/";
        fs::create_directories(programDir);
        test::WriteDefaultWordLists(programDir);
        settings.mode = kModeCopy;
        settings.otherServerLevel = 0;
        settings.maxLevel = 5;
        settings.offlineLinks = 1;
        server.Start();
    }
    void TearDown() override { server.Stop(); }

    void Serve(const std::string& path, const std::string& body,
               const std::string& type = "text/html") {
        served[path] = body;
        server.Serve(path, body, 200, type);
    }

    // Copies the site from `start` into a new folder with a new engine; returns the folder.
    std::string CopySite(const std::string& start, const std::string& fileTypes) {
        const std::string dest = dir.path() + "/copy" + std::to_string(++copies);
        fs::create_directories(dest);
        settings.destDir = std::make_shared<SharedText>(dest);
        settings.fileTypes = std::make_shared<const std::string>(fileTypes);
        CrawlEngine engine(programDir);
        Add(engine, start);
        engine.StartWorker();
        // The rewrite runs before the worker goes to sleep.
        EXPECT_TRUE(WaitUntil([&] { return engine.table().CrawlSettled(); }));
        return dest;
    }

    LinkRecord* Add(CrawlEngine& engine, const std::string& address) {
        LinkArgs args;
        args.linkText = "http://" + server.host() + address;
        args.tempPath = programDir + "data";
        args.tree = &tree;
        args.settings = settings;
        args.label = engine.table().NextRootLabel();
        return engine.table().Construct(std::move(args));
    }

    // Every address attribute of every page in `dest` is a web address or leads to a file there.
    // Returns the address values of the copy of `name` that differ from the server's `path`.
    std::vector<std::string> CheckCopy(const std::string& dest, const std::string& name,
                                       const std::string& path) {
        const std::vector<std::string> server = Tokens(served.at(path));
        const std::vector<std::string> copy = Tokens(ReadFileBytes(dest + "/" + name));
        std::vector<std::string> changed;
        EXPECT_EQ(copy.size(), server.size()) << name;
        for (std::size_t i = 0; i < std::min(copy.size(), server.size()); ++i) {
            if (copy[i] == server[i]) {
                continue;
            }
            EXPECT_TRUE(IsAddressAttribute(copy[i]) && copy[i].substr(0, copy[i].find('=')) ==
                                                           server[i].substr(0, server[i].find('=')))
                << name << ": " << server[i] << " became " << copy[i];
            changed.push_back(copy[i].substr(copy[i].find('=') + 1));
        }
        const fs::path folder = fs::path(dest + "/" + name).parent_path();
        for (const std::string& token : copy) {
            if (!IsAddressAttribute(token)) {
                continue;
            }
            std::string value = token.substr(token.find('=') + 1);
            value = value.substr(0, value.find('#'));
            const std::size_t colon = value.find(':');
            if (colon != std::string::npos && value.find('/') > colon) {
                EXPECT_TRUE(value.rfind("http://", 0) == 0 || value.rfind("mailto:", 0) == 0)
                    << name << ": " << value;
                continue;
            }
            const fs::path target = fs::weakly_canonical(folder / Decoded(value));
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(target))) << name << ": " << value;
            EXPECT_EQ(target.string().rfind(fs::canonical(dest).string() + "/", 0), 0u) << value;
        }
        return changed;
    }

    void ServeSite() {
        const std::string host = server.host();
        const std::string more(800, ' ');  // no page is short enough to be an error page
        // The https link names the address the http link before it admitted: one record, whose
        // copy both links lead to.
        Serve(
            "/start.html",
            "<html><head><link rel=\"stylesheet\" href=\"style.css\"></head><body>\r\n"
            "<a href=\"a.html#top\">relative</a> <a href=\"sub/\">directory</a>\r\n"
            "<a HREF='Sub/Deep.html'>single quoted</a> <a href=/sub/a.html>root-relative</a>\n"
            "<a href=\"http://" +
                host +
                "/n.one.html\">absolute</a>\n"
                "<a href=\"https://" +
                host +
                "/n.one.html\">secure</a>\n"
                "<a href=\"caf%C3%A9.html\">escaped</a> <img src=\"pic.gif\">\n"
                "<a href=\"www.elsewhere.invalid/page.html\">www</a>\n"
                "<a href=\"http://localhost:" +
                std::to_string(server.port()) +
                "/other.html\">another server</a>\n"
                "<a href=\"list.html?page=2\">reserved</a> <a href=\"mailto:ann@x.invalid\">m</a>\n"
                "<p>Shown text: href=plain.html and f(value=None).</p>\n"
                "<form><input type=\"submit\" value=\"Go\"></form>" +
                more + "</body></html>\n");
        Serve("/a.html", "<a href=\"sub/deep.html\">deep</a> <a href=\"start.html\">s</a>" + more);
        Serve("/sub/", "<a href=\"deep.html\">deep</a><a href=\"../a.html\">up</a>" + more);
        Serve("/sub/deep.html",
              "<a href=\"../n.two.html\">two</a> <a href=\"a.html\">a</a>" + more);
        Serve("/sub/a.html", "<a href=\"/start.html\">home</a>" + more);
        Serve("/n.one.html", "<a href=\"n.two.html\">two</a>" + more);
        Serve("/n.two.html", "<a href=\"./n.one.html\">one</a>" + more);
        Serve("/caf\xC3\xA9.html", "<a href=\"start.html\">home</a>" + more);
        Serve("/style.css", "body { background: url(x.png) }", "text/css");
        Serve("/pic.gif", "GIF89a", "image/gif");
    }

    test::TempDir dir;
    std::string programDir;
    CrawlSettings settings;
    test::LoopbackServer server;
    test::RecordingTree tree;
    std::map<std::string, std::string> served;
    int copies = 0;
};

TEST_F(OfflineLinksTest, CopiedSiteReadsOfflineWithAndWithoutDirectoryCopies) {
    ServeSite();
    const std::string web = "http://" + server.host();

    settings.copyDirectory = 1;
    const std::string tree = CopySite("/start.html", "*.*;");
    EXPECT_EQ(CheckCopy(tree, "start.html", "/start.html"),
              (std::vector<std::string>{"sub/index.html", "sub/deep.html", "sub/a.html", "n.html",
                                        "n.html", "http://www.elsewhere.invalid/page.html",
                                        web + "/list.html?page=2"}));
    EXPECT_EQ(CheckCopy(tree, "sub/index.html", "/sub/"), std::vector<std::string>{});
    EXPECT_EQ(CheckCopy(tree, "sub/deep.html", "/sub/deep.html"),
              std::vector<std::string>{"../np.html"});
    CheckCopy(tree, "sub/a.html", "/sub/a.html");
    CheckCopy(tree, "n.html", "/n.one.html");
    CheckCopy(tree, "np.html", "/n.two.html");
    CheckCopy(tree, "caf\xC3\xA9.html", "/caf\xC3\xA9.html");
    EXPECT_EQ(ReadFileBytes(tree + "/style.css"), served["/style.css"]) << "no HTML: as it came";
    // Only the link texts changed: the line breaks, the fragment and the shown text stayed.
    const std::string start = ReadFileBytes(tree + "/start.html");
    EXPECT_NE(start.find("<a href=\"a.html#top\">relative</a> <a href=\"sub/index.html\">"),
              std::string::npos);
    EXPECT_NE(start.find("href=plain.html and f(value=None)"), std::string::npos);

    // Flat, with the pages only: the directory, the picture and the style sheet stay on the web,
    // and the copies that collide into "p" names are found under those.
    settings.copyDirectory = 0;
    const std::string flat = CopySite("/start.html", "*.html;");
    EXPECT_EQ(CheckCopy(flat, "start.html", "/start.html"),
              (std::vector<std::string>{web + "/style.css", web + "/sub/", "deep.html", "ap.html",
                                        "n.html", "n.html", web + "/pic.gif",
                                        "http://www.elsewhere.invalid/page.html",
                                        web + "/list.html?page=2"}));
    EXPECT_EQ(CheckCopy(flat, "deep.html", "/sub/deep.html"),
              (std::vector<std::string>{"np.html", "ap.html"}));
    EXPECT_EQ(CheckCopy(flat, "ap.html", "/sub/a.html"), std::vector<std::string>{"start.html"});

    // The option off: every copy is the server's page byte for byte.
    settings.offlineLinks = 0;
    const std::string exact = CopySite("/start.html", "*.*;");
    for (const auto& [name, path] :
         std::map<std::string, std::string>{{"start.html", "/start.html"},
                                            {"index.html", "/sub/"},
                                            {"deep.html", "/sub/deep.html"},
                                            {"ap.html", "/sub/a.html"},
                                            {"np.html", "/n.two.html"}}) {
        EXPECT_EQ(ReadFileBytes(exact + "/" + name), served[path]) << name;
    }
}

TEST(OfflinePageRewrite, OnlyAddressesInsideTagsChangeAndTheServerPageComesBack) {
    const std::vector<std::string> keywords = {
        "HREF=\"", "HREF=", "URL=\"", "URL=", "SRC=", "VALUE=\"", "VALUE="};
    const std::vector<std::string> reserved = {"?", "="};
    PageRewriteInputs in;
    in.keywords = &keywords;
    in.reserved = &reserved;
    std::string text = "h:1/docs/page.html";
    in.page = ResolveLink(text, nullptr).parts;
    in.copyPath = "/d/docs/page.html";
    in.copyOf = [](const std::string& key) -> std::optional<std::string> {
        if (key == AddressKey({"h:1", "/docs", "/a b.html"})) {
            return "/d/docs/a b&c.html";
        }
        if (key == AddressKey({"h:1", "", "/top.html"})) {
            return "/d/top.html";
        }
        return std::nullopt;
    };
    const std::string page =
        "<a HREF=\"a%20b.html\">x</a><a href=\"\">empty</a>"
        "<a href=\"/r.html?url=http://x\">r</a><meta content=\"0; URL=/top.html\">"
        "<input value=\"top.html\"><p>href=top.html value=None</p><a href=\"?p=2\">"
        "<img\r\nsrc=../top.html><a href=\"" +
        std::string(1200, 'l') + ".html\">long</a>";
    const RewrittenPage out = RewritePageLinks(page, in);
    EXPECT_EQ(
        out.bytes,
        "<a HREF=\"a%20b%26c.html\">x</a><a href=\"\">empty</a>"
        "<a href=\"http://h:1/r.html?url=http://x\">r</a><meta content=\"0; URL=../top.html\">"
        "<input value=\"top.html\"><p>href=top.html value=None</p><a "
        "href=\"http://h:1/docs/page.html?p=2\">"
        "<img\r\nsrc=../top.html><a href=\"http://h:1/docs/" +
            std::string(1200, 'l') + ".html\">long</a>");
    EXPECT_EQ(UndoLinkEdits(out.bytes, out.edits), page);
    EXPECT_EQ(UndoLinkEdits("short", out.edits), std::nullopt);
    EXPECT_EQ(RelativeReference("/d/x/y/p.html", "/d/z:1/q.html"), "../../z%3A1/q.html");
    EXPECT_TRUE(IsHtmlCopy("Text/HTML; charset=utf-8", "/d/x.gif"));
    EXPECT_FALSE(IsHtmlCopy("text/plain", "/d/x.html"));
    EXPECT_TRUE(IsHtmlCopy("", "/d/x.HTM"));
}

TEST_F(OfflineLinksTest, RestingRootsAreRewrittenAgainForNewCopiesAndAtTheEndOfTheRun) {
    // Shared with the server's handler, which may still run when the test body has returned.
    auto entered = std::make_shared<std::atomic<bool>>(false);
    auto released = std::make_shared<std::atomic<bool>>(false);
    server.http().Get("/(q/)?slow.html", [this, entered, released](const httplib::Request&,
                                                                   httplib::Response& response) {
        *entered = true;
        while (!*released && !server.stopping()) {
            std::this_thread::sleep_for(2ms);
        }
        response.set_content("late", "text/html");
    });
    const std::string more(800, ' ');
    Serve("/", "<a href=\"/slow.html\">slow</a> <a href=\"/later.html\">later</a>" + more);
    Serve("/later.html", "<a href=\"/\">home</a>" + more);
    const std::string dest = dir.path() + "/copy";
    fs::create_directories(dest);
    settings.destDir = std::make_shared<SharedText>(dest);
    settings.fileTypes = std::make_shared<const std::string>("*.*;");
    const std::string web = "http://" + server.host();

    CrawlEngine engine(programDir);
    LinkRecord* root = Add(engine, "/");
    engine.StartWorker();
    ASSERT_TRUE(WaitUntil([&] { return entered->load(); }));
    // Stopped with later.html still to come: the root rests, and its page links to the web.
    engine.Stop(root->treeItem);
    *released = true;
    ASSERT_TRUE(WaitUntil([&] { return engine.table().CrawlSettled(); }));
    EXPECT_EQ(ReadFileBytes(dest + "/index.html"), "<a href=\"" + web +
                                                       "/slow.html\">slow</a> <a href=\"" + web +
                                                       "/later.html\">later</a>" + more);
    // Released, later.html is copied, and the page that links to it is rewritten again.
    engine.Expand(root->treeItem);
    ASSERT_TRUE(WaitUntil(
        [&] { return engine.table().CrawlSettled() && test::FileExists(dest + "/later.html"); }));
    EXPECT_EQ(ReadFileBytes(dest + "/index.html"),
              "<a href=\"" + web + "/slow.html\">slow</a> <a href=\"later.html\">later</a>" + more);
    EXPECT_EQ(ReadFileBytes(dest + "/later.html"), "<a href=\"index.html\">home</a>" + more);

    // The end of the run in the middle of a crawl: what is known is written.
    *entered = false;
    *released = false;
    settings.rewrite = 1;  // a rewritten page is still this run's copy: /q/ takes a "p" name
    Serve("/q/", "<a href=\"slow.html\">slow</a> <a href=\"next.html\">n</a>" + more);
    Add(engine, "/q/");
    ASSERT_TRUE(WaitUntil([&] { return entered->load(); }));
    engine.FinishRun();
    *released = true;
    EXPECT_EQ(ReadFileBytes(dest + "/indexp.html"), "<a href=\"" + web +
                                                        "/q/slow.html\">slow</a> <a href=\"" + web +
                                                        "/q/next.html\">n</a>" + more);
    const auto names = [&] {
        std::vector<std::string> all;
        for (const auto& entry : fs::directory_iterator(dest)) {
            all.push_back(entry.path().filename().string());
        }
        std::sort(all.begin(), all.end());
        return all;
    }();
    EXPECT_EQ(names, (std::vector<std::string>{"index.html", "indexp.html", "later.html"}))
        << "nothing left beside the copies";
}

}  // namespace
}  // namespace zavel
