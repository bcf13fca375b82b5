// The tree as the crawl sees it. The engine allocates every item id, so a record knows its
// item at once; an implementation maps ids to its own items. Calls come from the worker thread
// (and from the UI thread for the link commands); an implementation must carry them out on the
// thread that owns the widgets, in the order they were made.
#pragma once

#include <cstdint>
#include <string>

namespace zavel {

using TreeItemId = std::uint64_t;
inline constexpr TreeItemId kNoTreeItem = 0;  // the top level of the tree

// Indices into the tree's image list; an item's image and selected image are always equal.
enum TreeImage : int {
    kImageFailed = 0,       // fetch failed or error page
    kImagePending = 1,      // admitted, or released by Expand
    kImageFetched = 2,      // page fetched
    kImageNotExpanded = 3,  // extension not listed, or level equals the maximum
    kImageHeld = 4,         // put on hold by Stop
};

class LinkTreeView {
  public:
    virtual ~LinkTreeView() = default;
    // Appends `item` as the last child of `parent` (kNoTreeItem: the top level).
    virtual void InsertItem(TreeItemId item, TreeItemId parent, const std::string& text,
                            int image) = 0;
    virtual void SetImage(TreeItemId item, int image) = 0;
    virtual void ExpandItem(TreeItemId item) = 0;
    // Sorts the direct children of `parent` by their text, without recursion.
    virtual void SortChildren(TreeItemId parent) = 0;
    // Deletes the item with all its descendants; their ids are not used again.
    virtual void DeleteItem(TreeItemId item) = 0;
    // The refresh request after every constructed child (command 11 to the main window).
    virtual void PostRefresh() = 0;
};

}  // namespace zavel
