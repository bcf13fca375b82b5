// What the Install button does, up to the start of the setup engine: it takes the destination
// the user chose, unpacks the program's embedded files into a work folder, records the install
// folder, copies the running program beside them and starts the setup engine on the .inf. All
// outcomes the user must know of are message boxes (caption "ZAVEL").
//
// Every file is written through a checked handle on its folder (install/folder_writer.h): a
// link planted in the work folder, under a file's name or in the folder's place, never makes
// the installer write anywhere else.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "install/setup_engine_launch.h"

namespace zavel {

inline constexpr const char* kWorkFolderName = "temp";
inline constexpr const char* kInfFileName = "zavel.inf";
inline constexpr const char* kProgramCopyName = "zavel.exe";
inline constexpr const char* kProductFolderName = "ZAVEL";
// The install record is read a line of at most 99 characters at a time: a longer install
// folder could be recorded but never found again.
inline constexpr std::size_t kLongestInstallFolder = 99;

inline constexpr const char* kErrorAccessingDirectoryMessage = "Error accessing directory";
inline constexpr const char* kProgramCopyFailedMessage =
    "ZAVEL.EXE: Error be sure you did not rename ZAVEL.EXE installing file";
inline constexpr const char* kSetupEngineFailedMessage = "Execution of .inf file failed.";
inline constexpr const char* kInstalledMessage = "ZAVEL has been installed";

struct EmbeddedFile {
    int id;
    const char* name;
};

// The embedded files, in the order they are unpacked into the work folder.
inline constexpr EmbeddedFile kEmbeddedFiles[] = {
    {905, "zavel.hlp"}, {900, "ext.lst"},    {901, "ext2.lst"},  {902, "error.lst"},
    {903, "link.lst"},  {904, "status.lst"}, {906, "zavel.inf"},
};

// Where the procedure reads from and where it looks for the setup engine.
struct InstallSources {
    std::string windowsDir;  // no trailing "/"
    std::string startDir;    // the current directory the program started in
    std::string programFile = "/proc/self/exe";
    std::string setupEngineFolder;  // looked in first; "" is the running program's folder
};

// The line appended to the .inf: Dest_Fold="<install folder without its root "/">", which
// makes directory id 24 ("/") followed by it the install folder again.
std::string DestFoldLine(const std::string& installFolder);

// Writes the embedded text `id` to `path` byte for byte, replacing whatever is there. A file
// that cannot be written is reported as "<path>: File not found" and skipped.
void ExtractTextResource(int id, const std::string& path);

// The install button up to the setup engine, for the destination as typed (at most 199
// characters). nullopt when the procedure stopped; its box has been shown.
std::optional<SetupEngineProcess> StartInstall(const std::string& destination,
                                               const InstallSources& sources);

}  // namespace zavel
