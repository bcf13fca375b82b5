#include "install/install_procedure.h"

#include <unistd.h>

#include "install/folder_writer.h"
#include "lists/embedded_text.h"
#include "lists/install_location.h"
#include "platform/message_box.h"
#include "platform/system_directories.h"

namespace zavel {
namespace {

void ReportNotFound(const std::string& path) {
    platform::ShowErrorBox(path + ": File not found");
}

// Splits a path into its folder and its last name.
std::pair<std::string, std::string> FolderAndName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {".", path};
    }
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// The install folder for the destination as typed: its trailing separators dropped (the root
// keeps its own), entered as the current directory to prove it can be, made absolute when it
// was typed relative, and "ZAVEL/" appended. nullopt when the destination cannot be entered.
std::optional<std::string> InstallFolderFor(std::string destination, const std::string& startDir) {
    while (destination.size() > 1 && destination.back() == '/') {
        destination.pop_back();
    }
    if (destination.empty() || chdir(destination.c_str()) != 0) {
        return std::nullopt;
    }
    if (destination.front() != '/') {
        destination = platform::CurrentDirectory();
    }
    // Nothing between here and the start of the setup engine depends on the current
    // directory: the program's own start directory is in force again at once.
    if (chdir(startDir.c_str()) != 0) {
        // The start directory is gone; the destination stays current, which harms nothing.
    }
    if (destination.empty()) {
        return std::nullopt;
    }
    if (destination.back() != '/') {
        destination += '/';
    }
    return destination + kProductFolderName + "/";
}

// Whether the install record and the setup engine can both carry the folder: one line the
// record's reader takes whole, a value the .inf can quote (a double quote would end it early)
// and the engine reads back as it stands (a backslash is the .inf's path separator), and a
// path the menu entries can start (desktop launchers look a program up before they resolve
// the "%%" that a "%" becomes in an Exec line, and find nothing).
bool Recordable(const std::string& installFolder) {
    if (installFolder.size() > kLongestInstallFolder) {
        return false;
    }
    for (const char c : installFolder) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f || c == '"' || c == '\\' ||
            c == '%') {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string DestFoldLine(const std::string& installFolder) {
    const std::string relative = installFolder.empty() ? installFolder : installFolder.substr(1);
    return "Dest_Fold=\"" + relative + "\"";
}

void ExtractTextResource(int id, const std::string& path) {
    const auto [folderPath, name] = FolderAndName(path);
    const std::optional<VerifiedFolder> folder =
        VerifiedFolder::Open(folderPath, FolderCheck::kOwnRealFolder);
    if (!folder || !folder->WriteFile(name, EmbeddedText(id))) {
        ReportNotFound(path);
    }
}

std::optional<SetupEngineProcess> StartInstall(const std::string& destination,
                                               const InstallSources& sources) {
    const std::optional<std::string> installFolder =
        InstallFolderFor(destination, sources.startDir);
    if (!installFolder) {
        platform::ShowErrorBox(kErrorAccessingDirectoryMessage);
        return std::nullopt;
    }
    if (!Recordable(*installFolder)) {
        platform::ShowErrorBox(
            *installFolder +
            ": ZAVEL cannot be installed here. The folder's path may have at "
            "most 99 characters and no double quote, backslash or percent sign.");
        return std::nullopt;
    }

    const std::string workFolder = sources.windowsDir + "/" + kWorkFolderName;
    MakeFolders(workFolder);
    for (const EmbeddedFile& file : kEmbeddedFiles) {
        ExtractTextResource(file.id, workFolder + "/" + file.name);
    }

    const std::string record = *installFolder + "\n";
    // The .inf and the work folder's record are only read by the setup engine, which refuses
    // to go on without them; it is the one to say so.
    if (const std::optional<VerifiedFolder> work =
            VerifiedFolder::Open(workFolder, FolderCheck::kOwnRealFolder)) {
        work->AppendToFile(kInfFileName, DestFoldLine(*installFolder));
        work->WriteFile(kInstallLocationFileName, record);
    }
    // Without this record the installed copy would not find itself: the user must know.
    const std::optional<VerifiedFolder> windows =
        VerifiedFolder::Open(sources.windowsDir, FolderCheck::kAsNamed);
    if (!windows || !windows->WriteFile(kInstallLocationFileName, record)) {
        ReportNotFound(sources.windowsDir + "/" + kInstallLocationFileName);
    }

    const std::optional<VerifiedFolder> work =
        VerifiedFolder::Open(workFolder, FolderCheck::kOwnRealFolder);
    if (!work || !work->CopyFile(kProgramCopyName, sources.programFile, 0755)) {
        platform::ShowErrorBox(kProgramCopyFailedMessage);
    }

    const std::string besideFolder =
        sources.setupEngineFolder.empty() ? RunningProgramFolder() : sources.setupEngineFolder;
    const std::optional<std::string> engine = FindSetupEngine(besideFolder);
    std::optional<SetupEngineProcess> started;
    // The setup engine takes the .inf and every file it copies from the work folder: one that
    // was refused above (a link, or someone else's folder) is never handed to it.
    if (work && engine) {
        started = SetupEngineProcess::Start(*engine, workFolder + "/" + kInfFileName, workFolder);
    }
    if (!started) {
        platform::ShowErrorBox(kSetupEngineFailedMessage);
    }
    return started;
}

}  // namespace zavel
