#include "install/setup/setup_plan.h"

#include <cctype>
#include <map>

#include "install/folder_writer.h"
#include "install/setup/inf_strings.h"

namespace zavel::setup {
namespace {

bool HasControl(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return true;
        }
    }
    return false;
}

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return upper;
}

class Planner {
  public:
    Planner(const InfFile& inf, const SetupPlaces& places, std::string& error)
        : inf_(inf), places_(places), error_(error) {}

    std::optional<SetupPlan> Plan(std::string_view sectionName) {
        if (!CheckSignature() || !ReadStrings()) {
            return std::nullopt;
        }
        const InfSection* section = inf_.Find(sectionName);
        if (section == nullptr) {
            Fail(nullptr, "it has no section [" + std::string(sectionName) + "]");
            return std::nullopt;
        }
        for (const InfLine& line : section->lines) {
            if (!Directive(line)) {
                return std::nullopt;
            }
        }
        return std::move(plan_);
    }

  private:
    bool Fail(const InfLine* line, const std::string& why) {
        error_ = line != nullptr ? "line " + std::to_string(line->number) + ": " + why : why;
        return false;
    }

    bool CheckSignature() {
        const InfLine* signature = inf_.FindKey("version", "signature");
        if (signature == nullptr || signature->fields.size() != 1) {
            return Fail(nullptr, "it has no [version] signature");
        }
        for (const char* known : {"$CHICAGO$", "$Windows NT$"}) {
            if (SameName(signature->fields[0], known)) {
                return true;
            }
        }
        return Fail(signature, "the signature " + signature->fields[0] + " is not known");
    }

    bool ReadStrings() {
        std::optional<InfStrings> strings = InfStrings::Read(inf_, places_.windowsDir, error_);
        if (!strings) {
            return false;
        }
        strings_ = std::move(*strings);
        return true;
    }

    std::optional<std::string> Resolve(const InfLine& line, std::string_view text) {
        std::string why;
        std::optional<std::string> resolved = strings_.Resolve(text, why);
        if (!resolved) {
            Fail(&line, why);
        }
        return resolved;
    }

    bool Directive(const InfLine& line) {
        if (line.key.empty()) {
            return Fail(&line, "a line that is no directive");
        }
        using Handler = bool (Planner::*)(const InfLine&, const InfSection&);
        const std::pair<const char*, Handler> handlers[] = {
            {"CopyFiles", &Planner::CopyFiles},   {"DelFiles", &Planner::DelFiles},
            {"UpdateInis", &Planner::UpdateInis}, {"AddReg", &Planner::AddReg},
            {"DelReg", &Planner::DelReg},         {"Uninstall", &Planner::NamesSection}};
        for (const auto& [name, handler] : handlers) {
            if (!SameName(line.key, name)) {
                continue;
            }
            for (const std::string& field : line.fields) {
                if (field.empty()) {
                    continue;
                }
                const InfSection* named = inf_.Find(field);
                if (named == nullptr) {
                    return Fail(&line, line.key + " names the missing section [" + field + "]");
                }
                if (!(this->*handler)(line, *named)) {
                    return false;
                }
            }
            return true;
        }
        return Fail(&line, "the directive " + line.key + " is not understood");
    }

    bool NamesSection(const InfLine& /*line*/, const InfSection& /*section*/) { return true; }

    // The folder that the files of `section` go to.
    std::optional<std::string> DestinationOf(const InfSection& section) {
        const InfLine* dirs = inf_.FindKey("DestinationDirs", section.name);
        if (dirs == nullptr) {
            dirs = inf_.FindKey("DestinationDirs", "DefaultDestDir");
        }
        if (dirs == nullptr || dirs->fields.empty() || dirs->fields.size() > 2) {
            Fail(dirs, "no destination for the files of [" + section.name + "]");
            return std::nullopt;
        }
        const std::optional<std::string> base = strings_.DirectoryId(dirs->fields[0]);
        if (!base) {
            Fail(dirs, "the directory id " + dirs->fields[0] + " is not known");
            return std::nullopt;
        }
        std::string folder = *base;
        if (dirs->fields.size() == 2) {
            const std::optional<std::string> sub = Resolve(*dirs, dirs->fields[1]);
            if (!sub) {
                return std::nullopt;
            }
            folder += "/" + *sub;
        }
        folder = NormalPath(folder);
        if (folder.size() > 1 && folder.back() == '/') {
            folder.pop_back();
        }
        return folder;
    }

    // The folder a source file is read from, after [SourceDisksFiles] and [SourceDisksNames].
    std::optional<std::string> SourceFolderOf(const InfLine& line, const std::string& name) {
        if (inf_.Find("SourceDisksFiles") == nullptr) {
            return places_.sourceFolder;
        }
        const InfLine* file = inf_.FindKey("SourceDisksFiles", name);
        if (file == nullptr || file->fields.empty()) {
            Fail(&line, name + " is not listed in [SourceDisksFiles]");
            return std::nullopt;
        }
        const InfLine* disk = inf_.FindKey("SourceDisksNames", file->fields[0]);
        if (disk == nullptr) {
            Fail(file, "the source disk " + file->fields[0] + " is not described");
            return std::nullopt;
        }
        if (disk->fields.size() < 4 || disk->fields[3].empty()) {
            return places_.sourceFolder;
        }
        const std::optional<std::string> path = Resolve(*disk, disk->fields[3]);
        if (!path) {
            return std::nullopt;
        }
        if (!path->empty() && NormalPath(*path).front() == '/') {
            Fail(disk, "a source path must lie beside the .inf");
            return std::nullopt;
        }
        return NormalPath(places_.sourceFolder + "/" + *path);
    }

    // Each line of a file list: the destination name and, if it differs, the source name.
    template <typename Use>
    bool FileList(const InfSection& section, Use use) {
        for (const InfLine& line : section.lines) {
            bool extra = false;  // a temporary name or flags, which are not understood
            for (std::size_t i = 2; i < line.fields.size(); ++i) {
                extra = extra || !line.fields[i].empty();
            }
            if (!line.key.empty() || line.fields.empty() || extra) {
                return Fail(&line, "a file list line that is not understood");
            }
            const std::optional<std::string> name = Resolve(line, line.fields[0]);
            std::optional<std::string> source = name;
            if (line.fields.size() > 1 && !line.fields[1].empty()) {
                source = Resolve(line, line.fields[1]);
            }
            if (!name || !source) {
                return false;
            }
            if (!IsPlainFileName(*name) || !IsPlainFileName(*source) || HasControl(*name)) {
                return Fail(&line, "\"" + line.fields[0] + "\" is not a plain file name");
            }
            if (!use(line, *name, *source)) {
                return false;
            }
        }
        return true;
    }

    bool CopyFiles(const InfLine& /*directive*/, const InfSection& section) {
        const std::optional<std::string> folder = DestinationOf(section);
        return folder && FileList(section, [&](const InfLine& line, const std::string& name,
                                               const std::string& sourceName) {
                   const std::optional<std::string> from = SourceFolderOf(line, sourceName);
                   if (!from) {
                       return false;
                   }
                   plan_.copies.push_back({*from + "/" + sourceName, *folder, name});
                   return true;
               });
    }

    bool DelFiles(const InfLine& /*directive*/, const InfSection& section) {
        const std::optional<std::string> folder = DestinationOf(section);
        return folder &&
               FileList(section, [&](const InfLine&, const std::string& name, const std::string&) {
                   plan_.deletions.push_back({*folder, name});
                   return true;
               });
    }

    bool UpdateInis(const InfLine& /*directive*/, const InfSection& section) {
        for (const InfLine& line : section.lines) {
            if (!line.key.empty() || line.fields.size() != 4 || !line.fields[2].empty() ||
                !SameName(line.fields[0], "setup.ini")) {
                return Fail(&line,
                            "only program groups (setup.ini, with no old entry) are "
                            "understood");
            }
            if (!GroupLine(line)) {
                return false;
            }
        }
        return true;
    }

    bool GroupLine(const InfLine& line) {
        if (SameName(line.fields[1], "progman.groups")) {
            const std::optional<std::string> entry = Resolve(line, line.fields[3]);
            if (!entry) {
                return false;
            }
            const std::size_t equals = entry->find('=');
            if (equals == std::string::npos || equals == 0 || equals + 1 == entry->size() ||
                HasControl(*entry)) {
                return Fail(&line, "a group must be given as key=name");
            }
            groups_[Upper(entry->substr(0, equals))] = entry->substr(equals + 1);
            return true;
        }
        const auto group = groups_.find(Upper(line.fields[1]));
        if (group == groups_.end()) {
            return Fail(&line, "the group " + line.fields[1] + " is not defined before");
        }
        const std::optional<std::vector<std::string>> item = SplitFields(line.fields[3]);
        if (!item || item->empty() || item->size() > 5) {
            return Fail(&line, "a group item that is not understood");
        }
        const std::optional<std::string> name = Resolve(line, (*item)[0]);
        std::optional<std::string> target = std::string();
        if (item->size() > 1 && !(*item)[1].empty()) {
            target = Resolve(line, (*item)[1]);
        }
        if (!name || !target) {
            return false;
        }
        if (name->empty() || HasControl(*name) || HasControl(*target)) {
            return Fail(&line, "a group item needs a name");
        }
        if (!target->empty()) {
            target = NormalPath(*target);
            if (target->front() != '/') {
                target = "/" + *target;
            }
        }
        plan_.items.push_back({group->second, *name, *target});
        return true;
    }

    std::optional<std::string> RegistryKey(const InfLine& line) {
        if (line.fields.size() < 2) {
            Fail(&line, "a registry line needs a root and a key");
            return std::nullopt;
        }
        const std::string root = Upper(line.fields[0]);
        if (root != "HKLM" && root != "HKCU" && root != "HKCR" && root != "HKU") {
            Fail(&line, "the registry root " + line.fields[0] + " is not known");
            return std::nullopt;
        }
        const std::optional<std::string> sub = Resolve(line, line.fields[1]);
        if (!sub) {
            return std::nullopt;
        }
        if (sub->empty() || sub->find(']') != std::string::npos || HasControl(*sub)) {
            Fail(&line, "the registry key \"" + *sub + "\" cannot be kept");
            return std::nullopt;
        }
        return root + "\\" + *sub;
    }

    std::optional<std::string> ValueName(const InfLine& line) {
        std::optional<std::string> name =
            line.fields.size() > 2 ? Resolve(line, line.fields[2]) : std::string();
        if (name && (name->find('=') != std::string::npos || HasControl(*name) ||
                     (!name->empty() && name->front() == '['))) {
            Fail(&line, "the value name \"" + *name + "\" cannot be kept");
            return std::nullopt;
        }
        return name;
    }

    bool AddReg(const InfLine& /*directive*/, const InfSection& section) {
        for (const InfLine& line : section.lines) {
            const std::optional<std::string> key = RegistryKey(line);
            if (!key) {
                return false;
            }
            const std::optional<std::string> name = ValueName(line);
            if (!name) {
                return false;
            }
            const std::string flags = line.fields.size() > 3 ? Upper(line.fields[3]) : "";
            if (line.fields.size() < 3 || line.fields.size() > 5 ||
                (flags != "" && flags != "0" && flags != "0X0" && flags != "0X00000000")) {
                return Fail(&line, "only plain text values are understood");
            }
            std::optional<std::string> value =
                line.fields.size() > 4 ? Resolve(line, line.fields[4]) : std::string();
            if (!value) {
                return false;
            }
            for (char& c : *value) {
                c = c == '\\' ? '/' : c;
            }
            plan_.registryValues.push_back({*key, *name, *value});
        }
        return true;
    }

    bool DelReg(const InfLine& /*directive*/, const InfSection& section) {
        for (const InfLine& line : section.lines) {
            const std::optional<std::string> key = RegistryKey(line);
            if (!key) {
                return false;
            }
            if (line.fields.size() > 3) {
                return Fail(&line, "a registry deletion that is not understood");
            }
            std::optional<std::string> name;
            if (line.fields.size() == 3) {
                name = ValueName(line);
                if (!name) {
                    return false;
                }
            }
            plan_.registryDeletions.push_back({*key, name});
        }
        return true;
    }

    const InfFile& inf_;
    const SetupPlaces& places_;
    std::string& error_;
    InfStrings strings_;
    std::map<std::string, std::string> groups_;  // group key (upper case) to group name
    SetupPlan plan_;
};

}  // namespace

std::string NormalPath(std::string_view path) {
    std::string normal;
    for (char c : path) {
        c = c == '\\' ? '/' : c;
        if (c == '/' && !normal.empty() && normal.back() == '/') {
            continue;
        }
        normal += c;
    }
    return normal;
}

std::optional<SetupPlan> PlanSection(const InfFile& inf, std::string_view section,
                                     const SetupPlaces& places, std::string& error) {
    return Planner(inf, places, error).Plan(section);
}

}  // namespace zavel::setup
