#include "lists/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace zavel {
namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Creates a fresh file beside `path` that no other writer uses, or returns -1.
int CreateSibling(const std::string& path, std::string& siblingPath) {
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        siblingPath = folder + "." + name + ".new-" + std::to_string(getpid()) + "-" +
                      std::to_string(counter.fetch_add(1));
        const int fd = open(siblingPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

}  // namespace

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Follows symbolic links at `path` so that the rename replaces the file, not the link.
std::string ReplacedPath(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) {
        return path;
    }
    const std::filesystem::path target = std::filesystem::weakly_canonical(path, error);
    return error ? path : target.string();
}

bool ReplaceFileContents(const std::string& path, std::string_view bytes) {
    const std::string target = ReplacedPath(path);
    std::string sibling;
    const int fd = CreateSibling(target, sibling);
    if (fd < 0) {
        return false;
    }
    struct stat old {};
    bool ok = true;
    if (stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ok = fchmod(fd, old.st_mode & 07777) == 0;
    }
    ok = ok && WriteAll(fd, bytes) && fsync(fd) == 0;
    // close() reports write errors that some file systems hold back until then.
    ok = close(fd) == 0 && ok;
    ok = ok && rename(sibling.c_str(), target.c_str()) == 0;
    if (!ok) {
        unlink(sibling.c_str());
        return false;
    }
    // The rename itself must reach the disk too; a failure here no longer endangers the old
    // contents, so it does not make the write fail.
    const int folder = open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return true;
}

}  // namespace zavel
