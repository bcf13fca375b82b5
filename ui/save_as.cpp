#include "ui/save_as.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "engine/page_fetcher.h"
#include "lists/file_replace.h"
#include "platform/message_box.h"
#include "ui/control_text.h"

namespace zavel {
namespace {

// A descriptor closed when it goes out of scope.
class FileHandle {
  public:
    explicit FileHandle(int fd = -1) : fd_(fd) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle& operator=(FileHandle&& other) noexcept {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        return *this;
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Closes now; false when the file system reports a write that did not reach it.
    bool Close() { return fd_ < 0 || close(std::exchange(fd_, -1)) == 0; }

  private:
    int fd_;
};

// The file the body arrives in before it goes into the chosen file: beside the chosen file when
// its folder takes a new file, so that an absent chosen file can take its place by a rename;
// otherwise (a folder only its files may be written in, a name too long for a longer one) in
// the temporary folder. Removed when it goes out of scope.
class PartFile {
  public:
    explicit PartFile(const std::string& target) {
        const std::size_t slash = target.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
        const std::string name = target.substr(folder.size());
        static std::atomic<unsigned> counter{0};
        for (int attempt = 0; attempt < 100 && !beside_; ++attempt) {
            path_ = folder + "." + name + ".part-" + std::to_string(getpid()) + "-" +
                    std::to_string(counter.fetch_add(1));
            FileHandle file(open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
            beside_ = static_cast<bool>(file);
            if (!beside_ && errno != EEXIST) {
                break;
            }
        }
        if (!beside_) {
            std::error_code error;
            path_ = (std::filesystem::temp_directory_path(error) / "zavel-save-XXXXXX").string();
            FileHandle file(error ? -1 : mkostemp(path_.data(), O_CLOEXEC));
            if (!file) {
                path_.clear();
            }
        }
    }
    ~PartFile() {
        if (!path_.empty()) {
            unlink(path_.c_str());
        }
    }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    bool made() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    // Gives the file the name `target` when nothing has it; false otherwise.
    bool RenameToAbsent(const std::string& target) {
        if (!beside_ ||
            renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
            return false;
        }
        path_.clear();
        return true;
    }

  private:
    std::string path_;
    bool beside_ = false;
};

// Writes the whole of file `from` over the start of the open file and cuts it to that length.
bool CopyInto(const std::string& from, int to) {
    FileHandle source(open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!source || lseek(to, 0, SEEK_SET) != 0) {
        return false;
    }
    std::vector<char> buffer(1 << 16);
    off_t length = 0;
    for (;;) {
        const ssize_t got = read(source.get(), buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            break;
        }
        if (!WriteAll(to, std::string_view(buffer.data(), static_cast<std::size_t>(got)))) {
            return false;
        }
        length += got;
    }
    return ftruncate(to, length) == 0;
}

// Fetches the page into a part file and only once the whole body is there puts it into the
// chosen file: a fetch that breaks off never costs the user a file that the dialog agreed to
// replace. An existing file is written in place, so it keeps its permissions, its owner, its
// other names (hard links) and its place, and it can be saved wherever the file itself may be
// written; one that is write-protected, or not a plain file, is not touched. A file that does
// not exist yet is made with the usual permissions.
bool FetchIntoChosenFile(const std::string& host, const std::string& path, bool secure,
                         const std::string& chosen) {
    const std::string target = ReplacedPath(chosen);
    // Opened before the fetch: a file that may not be written costs no request.
    FileHandle existing(open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status {};
    if (existing ? fstat(existing.get(), &status) != 0 || !S_ISREG(status.st_mode)
                 : errno != ENOENT) {
        return false;
    }
    PartFile part(target);
    FetchOptions options;
    options.secure = secure;
    if (!part.made() || FetchPage(host, path, part.path(), options) != 1) {
        return false;
    }
    if (!existing) {
        if (part.RenameToAbsent(target)) {
            return true;
        }
        existing =
            FileHandle(open(target.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC, 0666));
        if (!existing) {
            return false;
        }
    }
    const bool copied = CopyInto(part.path(), existing.get());
    return existing.Close() && copied;
}

}  // namespace

std::string ProposedSaveName(const LinkRecord& record) {
    std::string name = record.file;
    if (!name.empty() && name.front() == '/') {
        name.erase(0, 1);
    }
    return name.empty() ? std::string("index.html") : CutBytes(std::move(name), kProposedNameBytes);
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
            if (!FetchIntoChosenFile(record->host, record->dir + record->file, record->secure,
                                     *chosen)) {
                platform::ShowErrorBox("Internal Error");
            }
        }
    }
    if (context.markItem) {
        context.markItem();
    }
}

}  // namespace zavel
