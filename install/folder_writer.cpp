#include "install/folder_writer.h"

#include "lists/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

namespace zavel {
namespace {

// Copies everything readable from `from` to `to`.
bool CopyAll(int from, int to) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(from, buffer, sizeof buffer);
        if (got == 0) {
            return true;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (!WriteAll(to, std::string_view(buffer, static_cast<std::size_t>(got)))) {
            return false;
        }
    }
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

bool IsRunnableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

bool MakeFolders(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

std::optional<VerifiedFolder> VerifiedFolder::Open(const std::string& path, FolderCheck check) {
    int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    if (check == FolderCheck::kOwnRealFolder) {
        flags |= O_NOFOLLOW;
    }
    const int fd = open(path.c_str(), flags);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat info {};
    const bool folder = fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
    const bool ours = check != FolderCheck::kOwnRealFolder || info.st_uid == geteuid();
    if (!folder || !ours) {
        close(fd);
        return std::nullopt;
    }
    return VerifiedFolder(fd, path);
}

VerifiedFolder::VerifiedFolder(VerifiedFolder&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

VerifiedFolder& VerifiedFolder::operator=(VerifiedFolder&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

VerifiedFolder::~VerifiedFolder() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

template <typename Fill>
bool VerifiedFolder::Replace(const std::string& name, mode_t mode, Fill fill) const {
    if (!IsPlainFileName(name)) {
        return false;
    }
    static std::atomic<unsigned> counter{0};
    std::string sibling;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        sibling = "." + name + ".new-" + std::to_string(getpid()) + "-" +
                  std::to_string(counter.fetch_add(1));
        fd = openat(fd_, sibling.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0600);
        if (fd < 0 && errno != EEXIST) {
            return false;
        }
    }
    if (fd < 0) {
        return false;
    }
    // The bits are set on the open file, so the umask does not decide them.
    bool ok = fchmod(fd, mode) == 0 && fill(fd) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && renameat(fd_, sibling.c_str(), fd_, name.c_str()) == 0;
    if (!ok) {
        unlinkat(fd_, sibling.c_str(), 0);
        return false;
    }
    fsync(fd_);
    return true;
}

bool VerifiedFolder::WriteFile(const std::string& name, std::string_view bytes, mode_t mode) const {
    return Replace(name, mode, [bytes](int fd) { return WriteAll(fd, bytes); });
}

bool VerifiedFolder::CopyFile(const std::string& name, const std::string& source,
                              mode_t mode) const {
    const int from = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (from < 0) {
        return false;
    }
    struct stat info {};
    // Only a file's bytes are copied: a folder or a device named as the source is refused.
    const bool plain = fstat(from, &info) == 0 && S_ISREG(info.st_mode);
    const bool ok = plain && Replace(name, mode, [from](int fd) { return CopyAll(from, fd); });
    close(from);
    return ok;
}

bool VerifiedFolder::AppendToFile(const std::string& name, std::string_view bytes) const {
    if (!IsPlainFileName(name)) {
        return false;
    }
    const int fd = openat(fd_, name.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    // A second name for the same file (a hard link planted in its place) is refused as well.
    bool ok =
        fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1 && WriteAll(fd, bytes);
    ok = close(fd) == 0 && ok;
    return ok;
}

bool VerifiedFolder::RemoveFile(const std::string& name) const {
    if (!IsPlainFileName(name)) {
        return false;
    }
    return unlinkat(fd_, name.c_str(), 0) == 0 || errno == ENOENT;
}

bool VerifiedFolder::HasPlainFile(const std::string& name) const {
    struct stat info {};
    return IsPlainFileName(name) && fstatat(fd_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(info.st_mode);
}

}  // namespace zavel
