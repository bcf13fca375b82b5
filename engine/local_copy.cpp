#include "engine/local_copy.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace zavel {
namespace {

// Opens `name` in `folder` for writing. Nothing under the name is followed: a link there, or a
// file with further names, is removed and a new file made in its place, exclusively, so that
// nothing planted meanwhile is followed either.
int OpenNameForWriting(int folder, const std::string& name) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        // Without O_NONBLOCK a pipe under the name would wait for a reader for ever.
        const int fd = openat(
            folder, name.c_str(),
            O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (attempt == 0 ? 0 : O_EXCL),
            0666);
        if (fd < 0) {
            // ELOOP: the name is a symbolic link.
            if (errno == ELOOP && attempt == 0 && unlinkat(folder, name.c_str(), 0) == 0) {
                continue;
            }
            return -1;
        }
        struct stat info {};
        if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            close(fd);
            errno = EINVAL;
            return -1;
        }
        if (info.st_nlink > 1) {
            close(fd);
            if (attempt == 0 && unlinkat(folder, name.c_str(), 0) == 0) {
                continue;
            }
            return -1;
        }
        const int flags = fcntl(fd, F_GETFL);
        if (ftruncate(fd, 0) != 0 || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
            close(fd);
            return -1;
        }
        return fd;
    }
    return -1;
}

}  // namespace

int OpenFolderBelow(const std::string& root, std::string_view relative, bool create) {
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (fd >= 0 && !relative.empty()) {
        const std::size_t slash = relative.find('/');
        const std::string part(relative.substr(0, slash));
        relative.remove_prefix(slash == std::string_view::npos ? relative.size() : slash + 1);
        if (part.empty()) {
            continue;
        }
        int next = -1;
        if (part != "." && part != "..") {
            if (create) {
                // One that exists, or cannot be made, is found out by the open.
                (void)mkdirat(fd, part.c_str(), 0755);
            }
            next = openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        close(fd);
        fd = next;
    }
    return fd;
}

int OpenCopyForWriting(const std::string& root, const std::string& path) {
    const std::string prefix = !root.empty() && root.back() == '/' ? root : root + "/";
    if (root.empty() || path.size() <= prefix.size() ||
        path.compare(0, prefix.size(), prefix) != 0) {
        errno = EINVAL;
        return -1;
    }
    const std::string_view relative = std::string_view(path).substr(prefix.size());
    const std::size_t slash = relative.rfind('/');
    const std::string name(slash == std::string_view::npos ? relative : relative.substr(slash + 1));
    if (name.empty() || name == "." || name == "..") {
        errno = EINVAL;
        return -1;
    }
    const int folder = OpenFolderBelow(
        root, slash == std::string_view::npos ? std::string_view() : relative.substr(0, slash),
        false);
    if (folder < 0) {
        return -1;
    }
    const int fd = OpenNameForWriting(folder, name);
    const int error = errno;
    close(folder);
    errno = error;
    return fd;
}

void WrittenCopies::Note(const std::string& path, const AddressParts& address) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        return;
    }
    const FileId id{info.st_dev, info.st_ino};
    std::lock_guard lock(mutex_);
    auto known = addresses_.find(id);
    if (known != addresses_.end()) {
        known->second = AddressKey(address);
    } else if (addresses_.size() < capacity_) {
        addresses_.emplace(id, AddressKey(address));
    } else {
        full_ = true;
    }
}

bool WrittenCopies::MayReplace(const struct stat& info, const AddressParts& address) const {
    const FileId id{info.st_dev, info.st_ino};
    std::lock_guard lock(mutex_);
    auto known = addresses_.find(id);
    if (known == addresses_.end()) {
        return !full_;
    }
    return known->second == AddressKey(address);
}

}  // namespace zavel
