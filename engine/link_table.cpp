#include "engine/link_table.h"

#include <algorithm>
#include <optional>
#include <unordered_set>
#include <utility>

namespace zavel {
namespace {

// Single-byte suffixes use the bytes 65..255; longer suffixes begin with a byte below 65 that
// tells how many bytes follow, so no suffix is a prefix of another. Two-byte suffixes begin
// with 1..32, three-byte ones with 33..63, and the rest with 64 followed by a byte 65 + n and n
// digits in base 191: enough for any count a page can reach. Byte 0 never appears.
constexpr std::uint64_t kSingleByteSuffixes = 191;
constexpr std::uint64_t kDigits = 191;  // every byte after the first runs through 65..255
constexpr std::uint64_t kTwoByteSuffixes = 32 * kDigits;
constexpr std::uint64_t kThreeByteSuffixes = 31 * kDigits * kDigits;
constexpr int kCountedLead = 64;

char Byte(std::uint64_t value) {
    return static_cast<char>(static_cast<unsigned char>(value));
}

char Digit(std::uint64_t value) {
    return Byte(65 + value % kDigits);
}

}  // namespace

std::string LinkTable::LabelSuffix(std::uint64_t j) {
    if (j < kSingleByteSuffixes) {
        return std::string(1, Byte(65 + j));
    }
    std::uint64_t k = j - kSingleByteSuffixes;
    if (k < kTwoByteSuffixes) {
        return {Byte(1 + k / kDigits), Digit(k)};
    }
    k -= kTwoByteSuffixes;
    if (k < kThreeByteSuffixes) {
        return {Byte(33 + k / (kDigits * kDigits)), Digit(k / kDigits), Digit(k)};
    }
    k -= kThreeByteSuffixes;
    std::string digits;
    do {
        digits.insert(digits.begin(), Digit(k));
        k /= kDigits;
    } while (k != 0);
    return std::string{Byte(kCountedLead), Byte(65 + digits.size())} + digits;
}

std::string LinkTable::ChildLabel(std::string_view parentLabel, std::uint64_t j) {
    std::string label(parentLabel);
    label += LabelSuffix(j);
    return label;
}

bool LinkTable::InSubtree(std::string_view label, std::string_view subtreeLabel) {
    return label.substr(0, subtreeLabel.size()) == subtreeLabel;
}

std::string_view LinkTable::RootLabel(std::string_view label) {
    if (label.empty()) {
        return label;
    }
    const auto lead = static_cast<unsigned char>(label[0]);
    std::size_t length = 1;
    if (lead < 33) {
        length = 2;
    } else if (lead < kCountedLead) {
        length = 3;
    } else if (lead == kCountedLead) {
        length = label.size() > 1 ? 2 + (static_cast<unsigned char>(label[1]) - 65u) : 1;
    }
    return label.substr(0, length);
}

std::string LinkTable::NextRootLabel() {
    return LabelSuffix(static_cast<std::uint64_t>(rootCount_.fetch_add(1)));
}

std::string LinkTable::AddressKey(const LinkRecord& record) {
    return zavel::AddressKey(record.Parts());
}

std::unique_ptr<LinkRecord> LinkTable::Build(LinkArgs args, bool* addressValid) {
    auto record = std::make_unique<LinkRecord>();
    static_cast<CrawlSettings&>(*record) = std::move(args.settings);
    record->label = std::move(args.label);
    record->tempPath = std::move(args.tempPath);
    record->tree = args.tree;
    record->parentItem = args.parentItem;

    std::optional<AddressParts> parentParts;
    if (args.parent != nullptr) {
        parentParts = args.parent->Parts();
    }
    ResolvedLink resolved = ResolveLink(args.linkText, parentParts ? &*parentParts : nullptr);
    record->host = std::move(resolved.parts.host);
    record->dir = std::move(resolved.parts.dir);
    record->file = std::move(resolved.parts.file);
    record->secure = resolved.parts.secure;
    if (addressValid != nullptr) {
        *addressValid = resolved.parts.valid;
    }

    record->level = args.parent == nullptr ? 0 : args.parent->level + 1;
    record->boxGate = args.parent != nullptr && args.parent->boxGate != nullptr
                          ? args.parent->boxGate
                          : std::make_shared<RootBoxGate>();
    return record;
}

LinkRecord* LinkTable::Construct(LinkArgs args, Admission* why) {
    Admission ignored;
    Admission& outcome = why != nullptr ? *why : ignored;
    const LinkRecord* parent = args.parent;
    bool addressValid = true;
    std::unique_ptr<LinkRecord> record = Build(std::move(args), &addressValid);

    if (parent != nullptr && record->host != parent->host &&
        record->level >= record->otherServerLevel) {
        outcome = Admission::kOtherServer;
        return nullptr;
    }
    if (record->tempPath == kSettingsHolderPath) {
        outcome = Admission::kSettingsHolder;
        return nullptr;
    }
    if (!addressValid) {
        outcome = Admission::kInvalidAddress;
        return nullptr;
    }

    std::string key = AddressKey(*record);
    std::lock_guard lock(mutex_);
    auto known = addressCounts_.find(key);
    if (known != addressCounts_.end() && record->level != 0) {
        outcome = Admission::kDuplicate;
        return nullptr;
    }
    if (records_.size() >= static_cast<std::size_t>(kTableCapacity)) {
        outcome = Admission::kTableFull;
        return nullptr;
    }

    record->owner = this;
    record->treeItem = nextTreeItem_++;
    LinkRecord* admitted = record.get();
    if (known != addressCounts_.end()) {
        ++known->second;
    } else {
        addressCounts_.emplace(std::move(key), 1);
    }
    byTreeItem_.emplace(admitted->treeItem, admitted);
    records_.push_back(std::move(record));
    count_.store(static_cast<int>(records_.size()), std::memory_order_release);

    // Still under the lock, so the tree receives insertions in table order even when the UI
    // thread adds a root while the worker admits children.
    if (admitted->tree != nullptr) {
        admitted->tree->InsertItem(admitted->treeItem, admitted->parentItem,
                                   admitted->DisplayText(), kImagePending);
        if (admitted->sort == 1) {
            admitted->tree->SortChildren(admitted->parentItem);
        }
    }
    outcome = Admission::kAdmitted;
    workArrived_.notify_all();
    return admitted;
}

void LinkTable::NoteReleased() {
    {
        std::lock_guard lock(mutex_);
        releases_.fetch_add(1, std::memory_order_acq_rel);
    }
    workArrived_.notify_all();
}

void LinkTable::WaitForWork(int seenCount, std::uint64_t seenReleases,
                            const std::function<bool()>& stop) {
    std::unique_lock lock(mutex_);
    auto ready = [&] {
        return static_cast<int>(records_.size()) != seenCount ||
               releases_.load(std::memory_order_acquire) != seenReleases || stop();
    };
    if (ready()) {
        return;
    }
    sleeping_.store(true, std::memory_order_release);
    workArrived_.wait(lock, ready);
    sleeping_.store(false, std::memory_order_release);
}

void LinkTable::WakeWaiters() {
    // Taking the lock orders this after a sleeper's last look at its condition, so the wake-up
    // cannot fall between that look and the sleep.
    { std::lock_guard lock(mutex_); }
    workArrived_.notify_all();
}

bool LinkTable::CrawlSettled() const {
    if (!WorkerSleeping()) {
        return false;
    }
    std::lock_guard lock(mutex_);
    return std::none_of(records_.begin(), records_.end(),
                        [](const auto& record) { return record->IsPending(); });
}

void LinkTable::SetAnswer(LinkRecord& record, RecordAnswer answer) {
    std::lock_guard lock(mutex_);
    const bool wasProblem = IsProblem(record.answer);
    record.answer = std::move(answer);
    if (!wasProblem && IsProblem(record.answer) && byTreeItem_.count(record.treeItem) != 0) {
        problems_.push_back(record.treeItem);
    }
}

RecordAnswer LinkTable::AnswerOf(const LinkRecord& record) const {
    std::lock_guard lock(mutex_);
    return record.answer;
}

void LinkTable::VisitRecords(const RecordVisitor& visit) const {
    std::lock_guard lock(mutex_);
    for (const auto& record : records_) {
        auto parent = byTreeItem_.find(record->parentItem);
        visit(*record, parent == byTreeItem_.end() ? nullptr : parent->second);
    }
}

bool LinkTable::VisitRecord(TreeItemId item, const RecordVisitor& visit) const {
    std::lock_guard lock(mutex_);
    auto found = byTreeItem_.find(item);
    if (found == byTreeItem_.end()) {
        return false;
    }
    auto parent = byTreeItem_.find(found->second->parentItem);
    visit(*found->second, parent == byTreeItem_.end() ? nullptr : parent->second);
    return true;
}

std::uint64_t LinkTable::ProblemsSince(std::size_t from, std::vector<TreeItemId>& items) const {
    std::lock_guard lock(mutex_);
    if (from < problems_.size()) {
        items.insert(items.end(), problems_.begin() + static_cast<std::ptrdiff_t>(from),
                     problems_.end());
    }
    return problemsGeneration_;
}

LinkRecord* LinkTable::RecordAt(int index) const {
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<std::size_t>(index) >= records_.size()) {
        return nullptr;
    }
    return records_[static_cast<std::size_t>(index)].get();
}

LinkRecord* LinkTable::FindByTreeItem(TreeItemId item) const {
    std::lock_guard lock(mutex_);
    auto it = byTreeItem_.find(item);
    return it == byTreeItem_.end() ? nullptr : it->second;
}

std::vector<LinkRecord*> LinkTable::Subtree(std::string_view label) const {
    std::vector<LinkRecord*> members;
    std::lock_guard lock(mutex_);
    for (const auto& record : records_) {
        if (InSubtree(record->label, label)) {
            members.push_back(record.get());
        }
    }
    return members;
}

int LinkTable::RemoveSubtree(std::string_view label, LinkTreeView* tree) {
    std::vector<std::unique_ptr<LinkRecord>> removed;
    {
        std::lock_guard lock(mutex_);
        std::vector<std::unique_ptr<LinkRecord>> kept;
        kept.reserve(records_.size());
        for (auto& record : records_) {
            if (InSubtree(record->label, label)) {
                removed.push_back(std::move(record));
            } else {
                kept.push_back(std::move(record));
            }
        }
        records_ = std::move(kept);
        for (const auto& record : removed) {
            byTreeItem_.erase(record->treeItem);
            auto known = addressCounts_.find(AddressKey(*record));
            if (known != addressCounts_.end() && --known->second == 0) {
                addressCounts_.erase(known);
            }
        }
        count_.store(static_cast<int>(records_.size()), std::memory_order_release);
        if (std::erase_if(problems_,
                          [&](TreeItemId item) { return byTreeItem_.count(item) == 0; }) > 0) {
            ++problemsGeneration_;
        }
        currentIndex.store(0);
        currentRecord.store(nullptr);
    }
    // A deleted item takes its descendants with it, so only the top of each removed branch is
    // deleted: one call for a whole subtree, however large.
    if (tree != nullptr) {
        std::unordered_set<TreeItemId> removedItems;
        for (const auto& record : removed) {
            removedItems.insert(record->treeItem);
        }
        for (const auto& record : removed) {
            if (removedItems.count(record->parentItem) == 0) {
                tree->DeleteItem(record->treeItem);
            }
        }
    }
    return static_cast<int>(removed.size());
}

}  // namespace zavel
