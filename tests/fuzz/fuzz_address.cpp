// The address rules: ResolveLink with and without a parent, CollapseDotSegments against the rule
// applied pass by pass, and LocalCopyPath into a real temporary destination, which the path it
// gives must never leave.
//
// Input: one byte of choices, then lines. Bit 0 of the choice gives the link a parent (the
// first line, resolved as a root); bit 1 takes the parts for the copy from the next two lines
// as they stand instead of from the resolved link; bits 2 and 3 are copyDirectory and rewrite.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "engine/address.h"
#include "tests/fuzz/address_checks.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/collapse_model.h"

namespace fs = std::filesystem;

namespace {

using zavel::AddressParts;
using zavel::fuzz::FuzzInput;

using zavel::test::CollapsePassByPass;

void CheckCollapse(const std::string& text) {
    std::string collapsed = text;
    zavel::CollapseDotSegments(collapsed);
    FUZZ_CHECK(collapsed.size() <= text.size());
    // The passes go on until none changes anything, so no "/." is left and a second run is
    // a no-op.
    FUZZ_CHECK(collapsed.find("/.") == std::string::npos);
    std::string again = collapsed;
    zavel::CollapseDotSegments(again);
    FUZZ_CHECK(again == collapsed);
    if (text.size() <= 512) {
        FUZZ_CHECK(collapsed == CollapsePassByPass(text));
    }
}

// A sandbox with the destination one level down, so that anything made beside the destination
// shows. Made once per process; removed when it ends normally.
struct Sandbox {
    Sandbox() {
        std::string pattern = (fs::temp_directory_path() / "zavel-fuzz-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        FUZZ_CHECK(mkdtemp(buffer.data()) != nullptr);
        root = buffer.data();
        dest = root + "/dest";
        fs::create_directory(dest);
    }
    ~Sandbox() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    static Sandbox& Get() {
        static Sandbox sandbox;
        return sandbox;
    }
    std::string root;
    std::string dest;
};

void CheckCopyPath(const AddressParts& parts, int copyDirectory, int rewrite) {
    Sandbox& box = Sandbox::Get();
    const std::string path = zavel::LocalCopyPath({box.dest, copyDirectory, rewrite}, parts);
    // The destination is emptied after every input, so some name is always free.
    FUZZ_CHECK(!path.empty());
    FUZZ_CHECK(path.find('\0') == std::string::npos);
    FUZZ_CHECK(path.compare(0, box.dest.size() + 1, box.dest + "/") == 0);

    // Below the destination: only plain segments, the last one a name with a ".".
    const std::string relative = path.substr(box.dest.size() + 1);
    std::size_t segments = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = relative.find('/', start);
        const std::string segment = relative.substr(start, end - start);
        FUZZ_CHECK(!segment.empty() && segment != "." && segment != "..");
        ++segments;
        if (end == std::string::npos) {
            FUZZ_CHECK(segment.find('.') != std::string::npos);
            break;
        }
        start = end + 1;
    }
    // The name is free: nothing is under it with rewrite off, and never a folder (a name "."
    // included) with rewrite on.
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0) {
        FUZZ_CHECK(rewrite == 1 && !S_ISDIR(info.st_mode));
    }

    // The same seen as the system would: after lexical normalisation it is still below.
    const fs::path below =
        fs::path(path).lexically_normal().lexically_relative(fs::path(box.dest).lexically_normal());
    FUZZ_CHECK(!below.empty() && *below.begin() != ".." && *below.begin() != ".");

    std::size_t folders = 0;
    if (copyDirectory == 1) {
        for (std::size_t i = 0; i < parts.dir.size(); ++i) {
            if (parts.dir[i] != '/' && (i == 0 || parts.dir[i - 1] == '/')) {
                ++folders;
            }
        }
    }
    FUZZ_CHECK(segments == folders + 1);

    // Nothing appeared beside the destination; what appeared inside it goes for the next input.
    for (const fs::directory_entry& entry : fs::directory_iterator(box.root)) {
        FUZZ_CHECK(entry.path() == fs::path(box.dest));
    }
    if (copyDirectory == 1) {
        for (const fs::directory_entry& entry : fs::directory_iterator(box.dest)) {
            fs::remove_all(entry.path());
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const std::uint8_t choice = input.Byte();
    const int copyDirectory = (choice & 4) != 0 ? 1 : 0;
    const int rewrite = (choice & 8) != 0 ? 1 : 0;

    if ((choice & 2) != 0) {
        // Parts as another caller might hand them over, not as SplitAddress makes them.
        AddressParts parts;
        parts.host = input.Line();
        parts.dir = input.Line();
        parts.file = input.Rest();
        CheckCollapse(parts.dir);
        // Only an admitted record's parts are ever copied: within the capacities and the
        // segment count, whatever bytes they hold.
        const std::size_t slashes = std::count(parts.dir.begin(), parts.dir.end(), '/');
        if (parts.host.size() <= zavel::kHostCapacity && parts.dir.size() <= zavel::kDirCapacity &&
            parts.file.size() <= zavel::kFileCapacity && slashes + 2 <= zavel::kMaxSegments) {
            CheckCopyPath(parts, copyDirectory, rewrite);
        }
        return 0;
    }

    AddressParts parent;
    const bool hasParent = (choice & 1) != 0;
    if (hasParent) {
        parent = zavel::fuzz::ResolveChecked(std::string(input.Line()), nullptr).parts;
        if (!parent.valid) {
            return 0;  // no record, so no page to find links on
        }
    }
    const std::string link(input.Rest());
    const zavel::ResolvedLink resolved =
        zavel::fuzz::ResolveChecked(link, hasParent ? &parent : nullptr);
    CheckCollapse(link);
    if (resolved.parts.valid) {
        CheckCopyPath(resolved.parts, copyDirectory, rewrite);
    }
    return 0;
}
