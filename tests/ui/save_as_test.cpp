// Save As: the record's page fetched again from a loopback server into the file the dialog
// names, with the dialog replaced by a scripted one; and the standard dialog's settings.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/link_table.h"
#include "engine/page_fetcher.h"
#include "tests/support/captured_boxes.h"
#include "tests/support/loopback_server.h"
#include "tests/support/temp_dir.h"
#include "ui/directory_listing.h"
#include "ui/save_as.h"

namespace zavel {
namespace {

using Texts = std::vector<std::string>;
using test::FileExists;
using test::ReadFileBytes;
using test::WriteFileBytes;

std::unique_ptr<LinkRecord> RecordFor(const std::string& address) {
    LinkArgs args;
    args.linkText = address;
    args.label = "A";
    return LinkTable::Build(args);
}

TEST(ProposedSaveName, FileWithoutItsSlashOrIndexHtml) {
    EXPECT_EQ(ProposedSaveName(*RecordFor("www.example.com/news.htm")), "news.htm");
    EXPECT_EQ(ProposedSaveName(*RecordFor("www.example.com/")), "index.html");
    EXPECT_EQ(ProposedSaveName(*RecordFor("www.example.com/a/b/pic.gif")), "pic.gif");
    // At most 199 bytes, and never half a character.
    auto record = RecordFor("www.example.com/news.htm");
    record->file = "/" + std::string(300, 'n');
    EXPECT_EQ(ProposedSaveName(*record), std::string(199, 'n'));
    record->file = "/" + std::string(198, 'n') + "\xC3\xA9.htm";
    EXPECT_EQ(ProposedSaveName(*record), std::string(198, 'n'));
}

// While it lives, the calling thread is held to the permission bits as any user is: root may
// otherwise write into any folder and any file.
class PermissionBitsApply {
  public:
    PermissionBitsApply() {
        syscall(SYS_capget, &header_, saved_);
        __user_cap_data_struct held[2] = {saved_[0], saved_[1]};
        held[0].effective &= ~((1U << CAP_DAC_OVERRIDE) | (1U << CAP_DAC_READ_SEARCH));
        syscall(SYS_capset, &header_, held);
    }
    ~PermissionBitsApply() { syscall(SYS_capset, &header_, saved_); }
    PermissionBitsApply(const PermissionBitsApply&) = delete;
    PermissionBitsApply& operator=(const PermissionBitsApply&) = delete;

  private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
};

class SaveAsTest : public testing::Test {
  protected:
    SaveAsTest() {
        server.http().Get(
            "/docs/page.htm", [this](const httplib::Request&, httplib::Response& response) {
                ++requests;
                if (broken.load()) {
                    // Announces a body and breaks off: the page fails.
                    response.set_content_provider(
                        100, "text/html",
                        [](std::size_t, std::size_t, httplib::DataSink&) { return false; });
                    return;
                }
                response.set_content(body, "text/html");
            });
        server.Start();
        context.owner = &window;
        context.saveDialog = [this](QWidget* owner, const SaveDialogSettings& settings) {
            dialogOwners.push_back(owner);
            asked.push_back(settings);
            return answer;
        };
        context.markItem = [this] { ++marks; };
    }

    void Save(const LinkRecord* record) { SaveSelectedAs(record, context); }

    // Anything in the folder but the files a test expects is a stray part file.
    std::vector<std::string> FolderNames() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    const std::string body = "<html><body>saved page</body></html>";
    std::atomic<bool> broken{false};
    std::atomic<int> requests{0};
    test::LoopbackServer server;
    test::TempDir dir;
    test::CapturedBoxes boxes;
    QWidget window;
    SaveAsContext context;
    std::optional<std::string> answer;
    std::vector<QWidget*> dialogOwners;
    std::vector<SaveDialogSettings> asked;
    int marks = 0;
};

TEST_F(SaveAsTest, PageIsFetchedIntoTheChosenFile) {
    const auto record = RecordFor(server.host() + "/docs/page.htm");
    answer = dir / "chosen.html";
    Save(record.get());

    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].proposedName, "page.htm");
    EXPECT_EQ(asked[0].fileTypeChoices, SaveFileTypeChoices());
    EXPECT_EQ(dialogOwners[0], &window);
    EXPECT_EQ(ReadFileBytes(dir / "chosen.html"), body);
    EXPECT_TRUE(boxes.texts().empty());
    EXPECT_EQ(marks, 1);
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"chosen.html"}));

    // An existing file, replacement agreed in the dialog, is overwritten.
    WriteFileBytes(dir / "chosen.html", "an older and longer file than the page itself");
    Save(record.get());
    EXPECT_EQ(ReadFileBytes(dir / "chosen.html"), body);
    EXPECT_EQ(marks, 2);
}

TEST_F(SaveAsTest, HttpsRecordIsSavedOverTls) {
    test::LoopbackServer secure(test::TrustedTestCertificate());
    secure.Serve("/s.html", body);
    secure.Start();
    answer = dir / "secure.html";
    Save(RecordFor("HTTPS://" + secure.host() + "/s.html").get());
    EXPECT_EQ(ReadFileBytes(dir / "secure.html"), body);
    // Asked over plain HTTP, the TLS port gives no page.
    answer = dir / "plain.html";
    Save(RecordFor(secure.host() + "/s.html").get());
    EXPECT_FALSE(FileExists(dir / "plain.html"));
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{"Internal Error"}));
}

TEST_F(SaveAsTest, ChosenFileIsWrittenInPlaceWhereverTheFileMayBeWritten) {
    const auto record = RecordFor(server.host() + "/docs/page.htm");
    // A private file with a second name keeps its mode and its identity; both names see the page.
    WriteFileBytes(dir / "private.htm", "an older and longer file than the page itself");
    ASSERT_EQ(chmod((dir / "private.htm").c_str(), 0600), 0);
    ASSERT_EQ(link((dir / "private.htm").c_str(), (dir / "second-name").c_str()), 0);
    struct stat before {};
    ASSERT_EQ(stat((dir / "private.htm").c_str(), &before), 0);
    answer = dir / "private.htm";
    Save(record.get());
    struct stat after {};
    ASSERT_EQ(stat((dir / "private.htm").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode & 07777, 0600u);
    EXPECT_EQ(ReadFileBytes(dir / "second-name"), body);

    // A name so long that no file beside it has room for a longer one: new, then existing, then
    // a fetch that fails, which leaves the file as it was.
    const std::string longName = std::string(250, 'n');
    answer = dir / longName;
    Save(record.get());
    EXPECT_EQ(ReadFileBytes(dir / longName), body);
    WriteFileBytes(dir / longName, "old");
    Save(record.get());
    EXPECT_EQ(ReadFileBytes(dir / longName), body);
    WriteFileBytes(dir / longName, "old");
    broken = true;
    Save(record.get());
    EXPECT_EQ(ReadFileBytes(dir / longName), "old");
    broken = false;
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{longName, "private.htm", "second-name"}));

    // A folder that takes no new file: its writable file is saved, a write-protected one is not.
    const std::string locked = dir / "locked";
    std::filesystem::create_directory(locked);
    WriteFileBytes(locked + "/page.htm", "old");
    WriteFileBytes(locked + "/protected.htm", "old");
    ASSERT_EQ(chmod((locked + "/protected.htm").c_str(), 0444), 0);
    ASSERT_EQ(chmod(locked.c_str(), 0555), 0);
    {
        PermissionBitsApply asAnyone;
        answer = locked + "/page.htm";
        Save(record.get());
        answer = locked + "/protected.htm";
        Save(record.get());
    }
    ASSERT_EQ(chmod(locked.c_str(), 0755), 0);
    EXPECT_EQ(ReadFileBytes(locked + "/page.htm"), body);
    EXPECT_EQ(ReadFileBytes(locked + "/protected.htm"), "old");
    EXPECT_EQ(boxes.texts(), (Texts{"Internal Error", "Internal Error"}));
    EXPECT_EQ(requests.load(), 5);  // the write-protected file cost no request
}

TEST_F(SaveAsTest, FailedPageIsSavedOnceTheServerRecovered) {
    const auto record = RecordFor(server.host() + "/docs/page.htm");
    broken = true;
    // The crawl's own fetch failed (the red cross) ...
    ASSERT_EQ(FetchPage(record->host, record->dir + record->file, dir / "crawl-copy"), 0);
    broken = false;
    // ... Save As fetches again, and the server answers now.
    answer = dir / "again.htm";
    Save(record.get());
    EXPECT_EQ(ReadFileBytes(dir / "again.htm"), body);
    EXPECT_TRUE(boxes.texts().empty());
    EXPECT_EQ(record->expanded.load(), 0);  // the record's state is not touched
}

TEST_F(SaveAsTest, FailedFetchSaysInternalErrorOnceAndKeepsTheOldFile) {
    const auto record = RecordFor(server.host() + "/docs/page.htm");
    WriteFileBytes(dir / "keep.htm", "the user's file");
    answer = dir / "keep.htm";
    broken = true;
    Save(record.get());
    EXPECT_EQ(boxes.texts(), (Texts{"Internal Error"}));
    EXPECT_EQ(ReadFileBytes(dir / "keep.htm"), "the user's file");
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"keep.htm"}));
    EXPECT_EQ(marks, 1);

    // A server that cannot be reached.
    const auto unreachable =
        RecordFor("127.0.0.1:" + std::to_string(test::UnusedLoopbackPort()) + "/x.htm");
    Save(unreachable.get());
    EXPECT_EQ(boxes.texts(), (Texts{"Internal Error", "Internal Error"}));
    EXPECT_EQ(ReadFileBytes(dir / "keep.htm"), "the user's file");

    // A file that cannot be written: one box, not one from the fetch and one from Save As.
    WriteFileBytes(dir / "plain", "x");
    answer = dir / "plain/page.htm";
    broken = false;
    Save(record.get());
    EXPECT_EQ(boxes.texts().size(), 3u);
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"keep.htm", "plain"}));
}

TEST_F(SaveAsTest, CancelFetchesNothingAndStillMarksTheItem) {
    const auto record = RecordFor(server.host() + "/docs/page.htm");
    answer.reset();
    Save(record.get());
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(requests.load(), 0);
    EXPECT_TRUE(FolderNames().empty());
    EXPECT_TRUE(boxes.texts().empty());
    EXPECT_EQ(marks, 1);

    // An item without a record: no dialog, only the mark.
    Save(nullptr);
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(marks, 2);
}

// The real dialog, inspected and answered while it waits for the user.
TEST(StandardSaveDialog, ShowsTheDocumentedChoicesAndLeavesTheCurrentDirectory) {
    test::TempDir dir;
    const std::string before = CurrentDirectory().value();
    SaveDialogSettings settings{"index.html", SaveFileTypeChoices()};
    QWidget owner;
    for (bool accept : {false, true}) {
        bool inspected = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            inspected = true;
            EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
            EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
            EXPECT_TRUE(dialog->defaultSuffix().isEmpty());
            EXPECT_EQ(dialog->nameFilters(), SaveFileTypeChoices());
            // The user sees each choice's label alone.
            EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("html files (*.htm, *.html)"));
            EXPECT_EQ(dialog->parentWidget(), &owner);
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            EXPECT_EQ(name->text(), QStringLiteral("index.html"));
            if (accept) {
                dialog->setDirectory(QString::fromStdString(dir.path()));
                dialog->selectFile(QStringLiteral("new.htm"));
                QMetaObject::invokeMethod(dialog, "accept");
            } else {
                dialog->reject();
            }
        });
        const std::optional<std::string> chosen = StandardSaveDialog(&owner, settings);
        EXPECT_TRUE(inspected);
        if (accept) {
            EXPECT_EQ(chosen, dir / "new.htm");
        } else {
            EXPECT_EQ(chosen, std::nullopt);
        }
        EXPECT_EQ(CurrentDirectory().value(), before);
    }
}

}  // namespace
}  // namespace zavel
