#include "install/setup/setup_run.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "install/setup/inf_file.h"
#include "install/setup/setup_actions.h"
#include "install/setup/setup_plan.h"
#include "platform/system_directories.h"

namespace zavel::setup {
namespace {

// Larger files are no setup-information file of ours.
constexpr std::uintmax_t kLargestInf = 1 << 20;

constexpr const char* kUsage =
    "usage: zavel-setup INF\n"
    "       zavel-setup SECTION MODE INF   (for example: DefaultUninstall 132 INF)\n";

std::optional<std::string> ReadInf(const std::string& path, std::string& error) {
    std::error_code code;
    if (!std::filesystem::is_regular_file(path, code)) {
        error = "no such file";
        return std::nullopt;
    }
    if (std::filesystem::file_size(path, code) > kLargestInf) {
        error = "too large for a setup-information file";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot be read";
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool IsNumber(const std::string& text) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    std::strtol(text.c_str(), &end, 0);
    return errno == 0 && *end == '\0';
}

}  // namespace

bool IsSectionCommand(const std::vector<std::string>& arguments) {
    return arguments.size() == 3 && IsNumber(arguments[1]);
}

int RunSetup(const std::vector<std::string>& arguments, std::ostream& messages) {
    std::string section = "DefaultInstall";
    std::string infPath;
    if (arguments.size() == 1 && arguments[0] != "--help" && arguments[0] != "-h") {
        infPath = arguments[0];
    } else if (IsSectionCommand(arguments)) {
        section = arguments[0];
        infPath = arguments[2];
    } else {
        messages << kUsage;
        return kSetupNotUnderstood;
    }

    std::string error;
    const std::optional<std::string> text = ReadInf(infPath, error);
    if (!text) {
        messages << "zavel-setup: " << infPath << ": " << error << "; nothing was changed\n";
        return kSetupNotUnderstood;
    }
    std::error_code code;
    const std::filesystem::path absolute = std::filesystem::absolute(infPath, code);
    SetupPlaces places;
    places.windowsDir = platform::WindowsDirectory();
    places.applicationsDir = platform::DataHomeDirectory() + "/applications";
    places.sourceFolder = absolute.parent_path().string();

    const std::optional<InfFile> inf = InfFile::Parse(*text, error);
    std::optional<SetupPlan> plan;
    if (inf) {
        plan = PlanSection(*inf, section, places, error);
    }
    if (!plan || !CheckPlan(*plan, error)) {
        messages << "zavel-setup: " << infPath << ": " << error << "; nothing was changed\n";
        return kSetupNotUnderstood;
    }
    if (!CarryOut(*plan, places, error, messages)) {
        messages << "zavel-setup: " << infPath << ": [" << section << "]: " << error << "\n";
        return kSetupFailed;
    }
    return kSetupDone;
}

}  // namespace zavel::setup
