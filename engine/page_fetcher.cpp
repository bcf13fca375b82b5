#include "engine/page_fetcher.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "engine/local_copy.h"
#include "platform/http/http_client.h"
#include "platform/message_box.h"

namespace zavel {

std::atomic<int> lastStatusCode{0};

namespace {

// The local file, created only once there is something to put into it, so that a fetch that
// fails before the response leaves an earlier file of that name as it was.
class PageFile {
  public:
    PageFile(const std::string& path, const std::string& below) : path_(path), below_(below) {}
    ~PageFile() {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
    }
    PageFile(const PageFile&) = delete;
    PageFile& operator=(const PageFile&) = delete;

    bool Create() {
        if (file_ == nullptr && !createFailed_) {
            if (below_.empty()) {
                file_ = OpenFileForRewriting(path_);
            } else if (const int fd = OpenCopyForWriting(below_, path_); fd >= 0) {
                file_ = fdopen(fd, "wb");
                if (file_ == nullptr) {
                    close(fd);
                }
            }
            created_ = file_ != nullptr;
            createFailed_ = !created_;
        }
        return file_ != nullptr;
    }
    bool Write(const char* data, std::size_t size) {
        if (!Create()) {
            return false;
        }
        if (std::fwrite(data, 1, size, file_) != size) {
            writeFailed_ = true;
            return false;
        }
        return true;
    }
    // Closes the file; true when everything written reached it.
    bool Close() {
        if (file_ == nullptr) {
            return false;
        }
        bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        return closed && !writeFailed_;
    }
    // Closes and deletes a file this call created; a file never created stays as it was, and
    // so does anything that is not a regular file (a device named as the local file).
    void Discard() {
        if (file_ != nullptr) {
            std::fclose(file_);
            file_ = nullptr;
        }
        std::error_code ignored;
        if (created_ && std::filesystem::is_regular_file(path_, ignored)) {
            std::remove(path_.c_str());
        }
    }

    bool createFailed() const { return createFailed_; }

  private:
    std::string path_;
    std::string below_;
    std::FILE* file_ = nullptr;
    bool created_ = false;
    bool createFailed_ = false;
    bool writeFailed_ = false;
};

}  // namespace

std::FILE* OpenFileForRewriting(const std::string& path) {
    // A file emptied and written again is flushed to the disk at its close by file systems that
    // guard against losing a replaced file (ext4's auto_da_alloc): a disk write for every page.
    // A new file under the old name is not, so a plain file of one name only is removed first.
    struct stat status {};
    if (lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_nlink == 1) {
        unlink(path.c_str());
    }
    return std::fopen(path.c_str(), "wb");
}

std::string RequestUrl(bool secure, const std::string& host, const std::string& path) {
    return (secure ? "https://" : "http://") + host + path;
}

int FetchPage(const std::string& host, const std::string& path, const std::string& localFile,
              const platform::HttpAbort* abort) {
    return FetchPage(host, path, localFile, FetchOptions{abort});
}

int FetchPage(const std::string& host, const std::string& path, const std::string& localFile,
              const FetchOptions& options) {
    PageFile page(localFile, options.below);
    std::uint64_t received = 0;
    bool overLimit = false;

    platform::HttpGetRequest request;
    request.url = RequestUrl(options.secure, host, path);
    request.onStatus = [](int code) { lastStatusCode.store(code, std::memory_order_relaxed); };
    request.onBody = [&](const char* data, std::size_t size) {
        if (size > options.maxBytes - received) {
            // Past the limit: keep what fits, then end the transfer.
            overLimit = true;
            const auto fits = static_cast<std::size_t>(options.maxBytes - received);
            received = options.maxBytes;
            page.Write(data, fits);
            return false;
        }
        received += size;
        return page.Write(data, size);
    };
    request.abort = options.abort;
    request.bufferSize = kTransferBufferBytes;

    platform::HttpOutcome outcome =
        options.transfer ? options.transfer(request) : platform::HttpGet(request);
    if (options.outcome != nullptr) {
        *options.outcome = outcome;
    }
    const bool complete =
        outcome.result == platform::HttpResult::kOk ||
        (overLimit && options.keepTruncated && outcome.result == platform::HttpResult::kSinkFailed);
    if (complete) {
        page.Create();  // an empty body still gives a file
    }
    if (page.createFailed()) {
        if (options.onCreateFailed) {
            options.onCreateFailed();
        } else {
            platform::ShowErrorBox("Internal Error");
        }
        return 0;
    }
    if (!complete) {
        page.Discard();
        return 0;
    }
    if (!page.Close()) {
        page.Discard();
        return 0;
    }
    return 1;
}

}  // namespace zavel
