// The setup engine's reading of a setup-information file: the parse, the strings, and the plan of
// each section, whose file names, folders, menu entries and registry values must be ones the
// engine can carry out without writing anywhere but where they say. The registry file the plan
// ends up in is read back as well, and the input is also read as such a registry file.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "install/folder_writer.h"
#include "install/setup/desktop_entry.h"
#include "install/setup/inf_file.h"
#include "install/setup/registry_file.h"
#include "install/setup/setup_plan.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using namespace zavel::setup;

bool HasControl(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return true;
        }
    }
    return false;
}

bool IsFolder(std::string_view folder) {
    return !folder.empty() && folder.front() == '/' && folder.find("//") == std::string::npos &&
           (folder.size() == 1 || folder.back() != '/');
}

void CheckParsed(const InfFile& inf) {
    for (const InfSection& section : inf.sections()) {
        // A name given twice gathers into the first section of that name, in file order.
        FUZZ_CHECK(inf.Find(section.name) == &section);
        int lastNumber = 0;
        for (const InfLine& line : section.lines) {
            FUZZ_CHECK(line.number > lastNumber);
            FUZZ_CHECK(!line.fields.empty());
            lastNumber = line.number;
        }
    }
}

void CheckPlan(const SetupPlan& plan, const SetupPlaces& places) {
    for (const FileCopy& copy : plan.copies) {
        FUZZ_CHECK(zavel::IsPlainFileName(copy.name) && !HasControl(copy.name));
        FUZZ_CHECK(IsFolder(copy.folder));
        FUZZ_CHECK(!copy.source.empty() && copy.source.front() == '/');
        FUZZ_CHECK(copy.source.size() > places.sourceFolder.size());
    }
    for (const FileDeletion& deletion : plan.deletions) {
        FUZZ_CHECK(zavel::IsPlainFileName(deletion.name) && !HasControl(deletion.name));
        FUZZ_CHECK(IsFolder(deletion.folder));
    }
    for (const GroupItem& item : plan.items) {
        FUZZ_CHECK(!item.name.empty() && !HasControl(item.name) && !HasControl(item.group));
        FUZZ_CHECK(!HasControl(item.target));
        FUZZ_CHECK(item.target.empty() || item.target.front() == '/');
        // The menu entry: a plain name in the applications folder, and exactly the lines
        // written, whatever the item's texts hold.
        if (const std::optional<std::string> name = MenuEntryFileName(item.group, item.name)) {
            FUZZ_CHECK(zavel::IsPlainFileName(*name));
            FUZZ_CHECK(name->size() > 8 && name->ends_with(".desktop"));
        }
        const std::string text = MenuEntryText(item.group, item.name, item.target, "");
        FUZZ_CHECK(std::count(text.begin(), text.end(), '\n') == 10);
        FUZZ_CHECK(IsOwnMenuEntry(text));
    }
    RegistryFile registry;
    for (const RegistryValue& value : plan.registryValues) {
        FUZZ_CHECK(!value.key.empty() && value.key.find(']') == std::string::npos);
        FUZZ_CHECK(!HasControl(value.key) && !HasControl(value.name));
        FUZZ_CHECK(value.name.find('=') == std::string::npos);
        FUZZ_CHECK(value.name.empty() || value.name.front() != '[');
        registry.Set(value.key, value.name, value.value);
    }
    for (const RegistryValue& value : plan.registryValues) {
        // The last value set under a name is the one read back.
        const RegistryFile back = RegistryFile::Parse(registry.Text());
        FUZZ_CHECK(back.Get(value.key, value.name) == registry.Get(value.key, value.name));
    }
    FUZZ_CHECK(RegistryFile::Parse(registry.Text()).Text() == registry.Text());
    for (const RegistryDeletion& deletion : plan.registryDeletions) {
        FUZZ_CHECK(!deletion.key.empty() && !HasControl(deletion.key));
        registry.DeleteKey(deletion.key);
        FUZZ_CHECK(!registry.HasKey(deletion.key));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // The registry file the engine keeps reads back as it was written.
    const std::string registryText = RegistryFile::Parse(text).Text();
    FUZZ_CHECK(RegistryFile::Parse(registryText).Text() == registryText);

    std::string error;
    const std::optional<InfFile> inf = InfFile::Parse(text, error);
    if (!inf) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    CheckParsed(*inf);

    static const SetupPlaces kPlaces{"/home/ann/.local/share/zavel",
                                     "/home/ann/.local/share/applications", "/tmp/zavel-work"};
    std::vector<std::string> sections = {"DefaultInstall", "DefaultInstall.NT", "DefaultUninstall"};
    for (std::size_t i = 0; i < inf->sections().size() && i < 16; ++i) {
        sections.push_back(inf->sections()[i].name);
    }
    for (const std::string& section : sections) {
        std::string why;
        if (const std::optional<SetupPlan> plan = PlanSection(*inf, section, kPlaces, why)) {
            CheckPlan(*plan, kPlaces);
        } else {
            FUZZ_CHECK(!why.empty());
        }
    }
    return 0;
}
