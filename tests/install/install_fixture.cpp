#include "tests/install/install_fixture.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "install/install_procedure.h"
#include "lists/embedded_text.h"

namespace zavel::test {

InstallTest::InstallTest() {
    std::filesystem::create_directories(home);
}

std::string InstallTest::InfFor(const std::string& installFolder) {
    return std::string(EmbeddedText(906)) + DestFoldLine(installFolder);
}

void InstallTest::PrepareWorkFolder(const std::string& folder,
                                    const std::string& installFolder) const {
    std::filesystem::create_directories(folder);
    for (const char* name : kInstalledFiles) {
        WriteFileBytes(folder + "/" + name, std::string(name) + " for " + installFolder + "\n");
    }
    chmod((folder + "/zavel.exe").c_str(), 0755);
    WriteFileBytes(folder + "/zavel.inf", InfFor(installFolder));
}

std::vector<std::string> InstallTest::Listing(const std::string& folder) {
    std::vector<std::string> paths;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        paths.push_back(std::filesystem::relative(it->path(), folder).string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

}  // namespace zavel::test
