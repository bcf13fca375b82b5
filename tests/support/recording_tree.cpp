#include "tests/support/recording_tree.h"

#include <algorithm>

namespace zavel::test {

void RecordingTree::InsertItem(TreeItemId item, TreeItemId parent, const std::string& text,
                               int image) {
    std::lock_guard lock(mutex_);
    items_[item] = Item{parent, text, image, false};
    children_[parent].push_back(item);
    log_.push_back("insert " + std::to_string(item) + " under " + std::to_string(parent) + " '" +
                   text + "' " + std::to_string(image));
}

void RecordingTree::SetImage(TreeItemId item, int image) {
    std::lock_guard lock(mutex_);
    if (auto it = items_.find(item); it != items_.end()) {
        it->second.image = image;
    }
    log_.push_back("image " + std::to_string(item) + " " + std::to_string(image));
}

void RecordingTree::ExpandItem(TreeItemId item) {
    std::lock_guard lock(mutex_);
    if (auto it = items_.find(item); it != items_.end()) {
        it->second.expanded = true;
    }
    log_.push_back("expand " + std::to_string(item));
}

void RecordingTree::SortChildren(TreeItemId parent) {
    std::lock_guard lock(mutex_);
    auto& list = children_[parent];
    std::stable_sort(list.begin(), list.end(), [this](TreeItemId a, TreeItemId b) {
        return items_[a].text < items_[b].text;
    });
    log_.push_back("sort " + std::to_string(parent));
}

void RecordingTree::DeleteItem(TreeItemId item) {
    std::lock_guard lock(mutex_);
    // Deleting an item deletes its descendants, as a tree control does.
    std::vector<TreeItemId> doomed{item};
    for (std::size_t i = 0; i < doomed.size(); ++i) {
        if (auto it = children_.find(doomed[i]); it != children_.end()) {
            doomed.insert(doomed.end(), it->second.begin(), it->second.end());
            children_.erase(it);
        }
    }
    if (auto it = items_.find(item); it != items_.end()) {
        auto& siblings = children_[it->second.parent];
        siblings.erase(std::remove(siblings.begin(), siblings.end(), item), siblings.end());
    }
    for (TreeItemId id : doomed) {
        items_.erase(id);
    }
    log_.push_back("delete " + std::to_string(item));
}

void RecordingTree::PostRefresh() {
    std::lock_guard lock(mutex_);
    ++refreshes_;
}

std::vector<std::string> RecordingTree::log() const {
    std::lock_guard lock(mutex_);
    return log_;
}

bool RecordingTree::Has(TreeItemId item) const {
    std::lock_guard lock(mutex_);
    return items_.count(item) != 0;
}

RecordingTree::Item RecordingTree::ItemOf(TreeItemId item) const {
    std::lock_guard lock(mutex_);
    auto it = items_.find(item);
    return it == items_.end() ? Item{} : it->second;
}

std::vector<TreeItemId> RecordingTree::Children(TreeItemId parent) const {
    std::lock_guard lock(mutex_);
    auto it = children_.find(parent);
    return it == children_.end() ? std::vector<TreeItemId>{} : it->second;
}

std::vector<std::string> RecordingTree::ChildTexts(TreeItemId parent) const {
    std::vector<std::string> texts;
    for (TreeItemId id : Children(parent)) {
        texts.push_back(ItemOf(id).text);
    }
    return texts;
}

int RecordingTree::refreshCount() const {
    std::lock_guard lock(mutex_);
    return refreshes_;
}

std::size_t RecordingTree::size() const {
    std::lock_guard lock(mutex_);
    return items_.size();
}

}  // namespace zavel::test
