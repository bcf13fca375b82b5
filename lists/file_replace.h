// Own files are replaced as a whole, never truncated and rewritten in place: a crash, a full
// disk or a vanished folder in the middle of a write must not cost the user the old contents.
#pragma once

#include <string>
#include <string_view>

namespace zavel {

// Writes `bytes` to a new file beside `path`, flushes it to the disk and renames it over
// `path`. On any failure the old file (if any) stays as it was, the new file is removed, and
// the result is false. A symbolic link at `path` keeps its place: the file it points to is the
// one replaced. An existing file's permission bits are kept; a new file gets the usual ones
// (0666 less the umask). The new file is named ".<name>.new-<pid>-<n>"; one that a writer killed
// part way left behind is removed by the next write of the same file, once its process is gone.
bool ReplaceFileContents(const std::string& path, std::string_view bytes);

// True when the file at `path` exists and may not be written: this process lacks the right, or
// its mode grants nobody write access (0444 and the like), which also holds for root, whom the
// permission bits do not stop. A writer that replaces a file by a rename must ask first: the
// rename itself ignores the file's mode.
bool WriteProtected(const std::string& path);

// Writes all of `bytes` to the open descriptor, going on after interrupted writes.
bool WriteAll(int fd, std::string_view bytes);

// The file that replacing `path` must replace: the target of a symbolic link at `path`, or
// `path` itself.
std::string ReplacedPath(const std::string& path);

}  // namespace zavel
