// Files written into a folder through a handle on that folder, never through a path that a link
// could redirect: the folder is opened once (and, where asked, checked to be a real folder of
// our own), and every file is written as a new file beside its name and then renamed over it.
// A link planted under the file's name is thereby replaced, never followed, and a reader never
// sees half a file. Standard library and POSIX only; the setup engine shares it.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace zavel {

enum class FolderCheck {
    kAsNamed,        // the path may pass through links, as a user's own folders may
    kOwnRealFolder,  // its last part must be no link, and the folder must belong to this user
};

class VerifiedFolder {
  public:
    // Opens an existing folder, or nullopt when it is missing, is no folder or fails the check.
    static std::optional<VerifiedFolder> Open(const std::string& path, FolderCheck check);

    VerifiedFolder(VerifiedFolder&& other) noexcept;
    VerifiedFolder& operator=(VerifiedFolder&& other) noexcept;
    VerifiedFolder(const VerifiedFolder&) = delete;
    VerifiedFolder& operator=(const VerifiedFolder&) = delete;
    ~VerifiedFolder();

    const std::string& path() const { return path_; }

    // Gives `name` the contents `bytes` and the permission bits `mode`. False (and nothing
    // changed under `name`) when it cannot be done, also when `name` is a folder.
    bool WriteFile(const std::string& name, std::string_view bytes, mode_t mode = 0644) const;
    // The same with the contents of the file at `source` (which may be anything readable, such
    // as /proc/self/exe).
    bool CopyFile(const std::string& name, const std::string& source, mode_t mode) const;
    // Appends to an existing plain file of the folder; a link under the name is refused, and so
    // is a file with a second name elsewhere.
    bool AppendToFile(const std::string& name, std::string_view bytes) const;
    // Removes a file (or a link) of the folder; true when it is gone, also when it never was.
    bool RemoveFile(const std::string& name) const;
    // Whether `name` is a plain file of the folder (a link does not count).
    bool HasPlainFile(const std::string& name) const;

  private:
    VerifiedFolder(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    // Writes a new file beside `name` with what `fill` writes into it, then renames it over.
    template <typename Fill>
    bool Replace(const std::string& name, mode_t mode, Fill fill) const;

    int fd_ = -1;
    std::string path_;
};

// Whether a name can stand for a file directly inside a folder: not empty, no "/", not "." or
// "..".
bool IsPlainFileName(std::string_view name);

// Whether `path` is a plain file (links followed) that this user may run.
bool IsRunnableFile(const std::string& path);

// Makes a folder and the folders above it where missing (0755 less the umask). True when it is
// a folder afterwards.
bool MakeFolders(const std::string& path);

}  // namespace zavel
