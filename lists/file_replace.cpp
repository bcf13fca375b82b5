#include "lists/file_replace.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
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

// The folder part of `path` with its "/", or "" for a bare name.
std::string FolderPrefix(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    return path.substr(FolderPrefix(path).size());
}

// The new contents are written to ".<name>.new-<pid>-<n>" beside the file.
std::string SiblingPrefix(const std::string& path) {
    return "." + NameOf(path) + ".new-";
}

// The writer that made a sibling named `entry`, or 0 when the name is not one of ours.
pid_t SiblingWriter(const std::string& entry, const std::string& prefix) {
    if (entry.compare(0, prefix.size(), prefix) != 0) {
        return 0;
    }
    long pid = 0;
    std::size_t i = prefix.size();
    for (; i < entry.size() && entry[i] >= '0' && entry[i] <= '9' && pid < 1000000000; ++i) {
        pid = pid * 10 + (entry[i] - '0');
    }
    if (i == prefix.size() || i + 1 >= entry.size() || entry[i] != '-') {
        return 0;
    }
    for (++i; i < entry.size(); ++i) {
        if (entry[i] < '0' || entry[i] > '9') {
            return 0;
        }
    }
    return static_cast<pid_t>(pid);
}

// A writer killed between creating its sibling and renaming it leaves the sibling behind, and
// nobody else ever renames it. Such leftovers are removed before the next write of the same file,
// so they never pile up. A sibling is left alone while its writer might still be running: this
// process's own (another thread's write), and any whose process exists.
void RemoveAbandonedSiblings(const std::string& path) {
    DIR* folder = opendir(FolderOf(path).c_str());
    if (folder == nullptr) {
        return;
    }
    const std::string prefix = SiblingPrefix(path);
    const std::string base = FolderPrefix(path);
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        const pid_t writer = SiblingWriter(name, prefix);
        if (writer <= 0 || writer == getpid()) {
            continue;
        }
        if (kill(writer, 0) != 0 && errno == ESRCH) {
            unlink((base + name).c_str());
        }
    }
    closedir(folder);
}

// Creates a fresh file beside `path` that no other writer uses, or returns -1.
int CreateSibling(const std::string& path, std::string& siblingPath) {
    static std::atomic<unsigned> counter{0};
    const std::string folder = FolderPrefix(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        siblingPath = folder + SiblingPrefix(path) + std::to_string(getpid()) + "-" +
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

bool WriteProtected(const std::string& path) {
    if (access(path.c_str(), W_OK) != 0) {
        return errno != ENOENT;
    }
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && (info.st_mode & 0222) == 0;
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
    RemoveAbandonedSiblings(target);
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
