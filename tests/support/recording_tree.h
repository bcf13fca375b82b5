// A tree that remembers what the crawl asked of it: a log of calls and the resulting items.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "engine/link_tree_view.h"

namespace zavel::test {

class RecordingTree : public LinkTreeView {
  public:
    struct Item {
        TreeItemId parent = kNoTreeItem;
        std::string text;
        int image = -1;
        bool expanded = false;
    };

    void InsertItem(TreeItemId item, TreeItemId parent, const std::string& text,
                    int image) override;
    void SetImage(TreeItemId item, int image) override;
    void ExpandItem(TreeItemId item) override;
    void SortChildren(TreeItemId parent) override;
    void DeleteItem(TreeItemId item) override;
    void PostRefresh() override;

    // Snapshots, safe while another thread calls the tree.
    std::vector<std::string> log() const;  // "insert 3 under 1 'text' 1", "image 3 2", ...
    bool Has(TreeItemId item) const;
    Item ItemOf(TreeItemId item) const;                         // default Item when missing
    std::vector<TreeItemId> Children(TreeItemId parent) const;  // in display order
    std::vector<std::string> ChildTexts(TreeItemId parent) const;
    int refreshCount() const;
    std::size_t size() const;

  private:
    mutable std::mutex mutex_;
    std::map<TreeItemId, Item> items_;                        // guarded by mutex_
    std::map<TreeItemId, std::vector<TreeItemId>> children_;  // guarded by mutex_
    std::vector<std::string> log_;                            // guarded by mutex_
    int refreshes_ = 0;                                       // guarded by mutex_
};

}  // namespace zavel::test
