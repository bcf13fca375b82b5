// What the %name% references of a setup-information file stand for: the values of its
// [Strings] section and the directory ids (10 the Windows directory, 17 its "inf" folder, 24
// the root "/"). "%%" is a percent sign.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "install/setup/inf_file.h"

namespace zavel::setup {

class InfStrings {
  public:
    // The strings of `inf`; nullopt with the reason when [Strings] holds a line without a name.
    static std::optional<InfStrings> Read(const InfFile& inf, const std::string& windowsDir,
                                          std::string& error);

    // `text` with each reference replaced once: a replacement is not read for references
    // again. nullopt with the reason for an unknown name or a % without its closing %.
    std::optional<std::string> Resolve(std::string_view text, std::string& error) const;

    // The folder of a directory id, or nullopt for an id this system does not have.
    std::optional<std::string> DirectoryId(std::string_view id) const;

  private:
    std::string windowsDir_;
    std::map<std::string, std::string> values_;  // by upper-case name
};

}  // namespace zavel::setup
