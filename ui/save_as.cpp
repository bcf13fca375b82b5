#include "ui/save_as.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "engine/page_fetcher.h"
#include "lists/file_replace.h"
#include "platform/message_box.h"

namespace zavel {
namespace {

// Creates an empty file beside `path` for the body to arrive in; false when the folder cannot
// take a new file.
bool CreatePartFile(const std::string& path, std::string& partPath) {
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        partPath = folder + "." + name + ".part-" + std::to_string(getpid()) + "-" +
                   std::to_string(counter.fetch_add(1));
        const int fd = open(partPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

// Fetches the page into a file beside the chosen one and renames it over the chosen file only
// once the whole body is there: a fetch that breaks off never costs the user a file that the
// dialog agreed to replace. A chosen file that exists but is write-protected is not replaced.
bool FetchIntoChosenFile(const std::string& host, const std::string& path,
                         const std::string& chosen) {
    const std::string target = ReplacedPath(chosen);
    if (access(target.c_str(), W_OK) != 0 && errno != ENOENT) {
        return false;
    }
    std::string part;
    if (!CreatePartFile(target, part)) {
        return false;
    }
    const bool fetched = FetchPage(host, path, part) == 1;
    if (!fetched || std::rename(part.c_str(), target.c_str()) != 0) {
        std::remove(part.c_str());
        return false;
    }
    return true;
}

}  // namespace

std::string ProposedSaveName(const LinkRecord& record) {
    std::string name = record.file;
    if (!name.empty() && name.front() == '/') {
        name.erase(0, 1);
    }
    return name.empty() ? std::string("index.html") : name;
}

void SaveSelectedAs(const LinkRecord* record, const SaveAsContext& context) {
    if (record != nullptr) {
        SaveDialogSettings settings;
        settings.proposedName = ProposedSaveName(*record);
        settings.fileTypeChoices = SaveFileTypeChoices();
        const std::optional<std::string> chosen = context.saveDialog(context.owner, settings);
        if (chosen) {
            // The area the dialog covered is drawn again before the fetch holds this thread.
            if (context.owner != nullptr) {
                context.owner->repaint();
            }
            if (!FetchIntoChosenFile(record->host, record->dir + record->file, *chosen)) {
                platform::ShowErrorBox("Internal Error");
            }
        }
    }
    if (context.markItem) {
        context.markItem();
    }
}

}  // namespace zavel
