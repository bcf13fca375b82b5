// The tree presenter: reports from any thread carried out on the widget in their order, with
// the appends gathered and the sorts put off inside a slice giving exactly what one report
// after another would give.
#include "ui/tree_presenter.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <functional>
#include <random>
#include <thread>

#include "tests/support/recording_tree.h"
#include "tests/ui/ui_fixture.h"
#include "ui/link_tree_control.h"

namespace zavel {
namespace {

using test::RecordingTree;

// One report, so that the same sequence can be given to two trees.
using Report = std::function<void(LinkTreeView&)>;

// The ids of the tree, depth first in display order, with each item's text, image and state.
std::string Shape(const RecordingTree& tree, TreeItemId parent = kNoTreeItem) {
    std::string shape;
    for (TreeItemId id : tree.Children(parent)) {
        const RecordingTree::Item item = tree.ItemOf(id);
        shape += std::to_string(id) + ":" + item.text + ":" + std::to_string(item.image) +
                 (item.expanded ? "+" : "") + "(" + Shape(tree, id) + ")";
    }
    return shape;
}

int ImageOf(const LinkTreeControl& tree, const QTreeWidgetItem* item) {
    for (int i = 0; i < kStateImageCount; ++i) {
        if (tree.StateImage(i).cacheKey() == item->icon(0).cacheKey()) {
            return i;
        }
    }
    return -1;
}

std::string Shape(const LinkTreeControl& tree, const QTreeWidgetItem* parent) {
    std::string shape;
    for (int i = 0; i < parent->childCount(); ++i) {
        const QTreeWidgetItem* item = parent->child(i);
        // Whether a childless item is open does not show; the widget keeps it closed.
        shape += std::to_string(TreePresenter::IdOf(item)) + ":" + item->text(0).toStdString() +
                 ":" + std::to_string(ImageOf(tree, item)) + (item->isExpanded() ? "+" : "") + "(" +
                 Shape(tree, item) + ")";
    }
    return shape;
}

int WidgetItemCount(const QTreeWidgetItem* parent) {
    int count = 0;
    for (int i = 0; i < parent->childCount(); ++i) {
        count += 1 + WidgetItemCount(parent->child(i));
    }
    return count;
}

class TreePresenterTest : public ::testing::Test {
  protected:
    TreePresenterTest() { tree.SetStateImages(BuildStateImages()); }

    LinkTreeControl tree{nullptr, nullptr};
    TreePresenter presenter{&tree};
};

TEST_F(TreePresenterTest, ReportsAreCarriedOutInOrderAndUnknownItemsIgnored) {
    presenter.InsertItem(1, kNoTreeItem, "root", kImagePending);
    presenter.InsertItem(2, 1, "b", kImagePending);
    presenter.InsertItem(3, 1, "a", kImagePending);
    presenter.InsertItem(4, 3, "a1", kImagePending);
    presenter.SetImage(2, kImageFetched);
    presenter.ExpandItem(1);
    presenter.SortChildren(1);
    presenter.DeleteItem(3);             // with its child
    presenter.InsertItem(5, 3, "x", 1);  // under a deleted item: nothing to show it under
    presenter.SetImage(4, kImageFailed);
    presenter.ExpandItem(99);
    presenter.SetImage(1, 17);            // outside the image list: no image
    EXPECT_EQ(presenter.ItemCount(), 0);  // queued, not carried out yet
    EXPECT_FALSE(presenter.Idle());
    presenter.ApplyAll();
    EXPECT_TRUE(presenter.Idle());

    ASSERT_EQ(tree.topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree.topLevelItem(0);
    EXPECT_EQ(Shape(tree, tree.invisibleRootItem()), "1:root:-1+(2:b:2())");
    EXPECT_EQ(presenter.ItemOf(1), root);
    EXPECT_EQ(TreePresenter::IdOf(root->child(0)), 2u);
    EXPECT_EQ(presenter.ItemOf(3), nullptr);
    EXPECT_EQ(presenter.ItemOf(4), nullptr);
    EXPECT_EQ(presenter.ItemCount(), 2);
    EXPECT_EQ(TreePresenter::IdOf(nullptr), kNoTreeItem);
}

TEST_F(TreePresenterTest, RefreshRequestsReachTheHandlerOncePerSlice) {
    int refreshes = 0;
    presenter.SetRefreshHandler([&refreshes] { ++refreshes; });
    presenter.PostRefresh();
    presenter.PostRefresh();
    presenter.ApplyAll();
    EXPECT_EQ(refreshes, 1);
    presenter.ApplyAll();
    EXPECT_EQ(refreshes, 1);
    presenter.PostRefresh();
    ASSERT_TRUE(test::WaitUntil([&refreshes] { return refreshes == 2; }));  // the timer's slice
}

// A random crawl-like sequence: appends (most followed by the sort of their parent, as records
// of a sorted root are), images, opens, sorts at any time, and deletions of whole branches.
std::vector<Report> RandomReports(unsigned seed, int count) {
    std::mt19937 random(seed);
    std::vector<TreeItemId> alive;
    std::vector<Report> reports;
    TreeItemId next = 1;
    const char* texts[] = {"m", "a", "z", "b", "a", "q", "m/x", "A", "b"};
    for (int i = 0; i < count; ++i) {
        const int kind = static_cast<int>(random() % 20);
        const TreeItemId some = alive.empty() ? kNoTreeItem : alive[random() % alive.size()];
        if (kind < 10 || alive.empty()) {
            const TreeItemId parent = random() % 4 == 0 ? kNoTreeItem : some;
            const TreeItemId id = next++;
            const std::string text = texts[random() % std::size(texts)];
            const bool sorted = random() % 3 != 0;
            reports.push_back([=](LinkTreeView& tree) { tree.InsertItem(id, parent, text, 1); });
            if (sorted) {
                reports.push_back([=](LinkTreeView& tree) { tree.SortChildren(parent); });
            }
            alive.push_back(id);
        } else if (kind < 14) {
            const int image = static_cast<int>(random() % 5);
            reports.push_back([=](LinkTreeView& tree) { tree.SetImage(some, image); });
        } else if (kind < 16) {
            reports.push_back([=](LinkTreeView& tree) { tree.ExpandItem(some); });
        } else if (kind < 19) {
            const TreeItemId parent = random() % 3 == 0 ? kNoTreeItem : some;
            reports.push_back([=](LinkTreeView& tree) { tree.SortChildren(parent); });
        } else {
            // Ids of deleted items are never used again; their descendants just stay in
            // `alive`, where reports about them must be ignored.
            reports.push_back([=](LinkTreeView& tree) { tree.DeleteItem(some); });
            alive.erase(std::find(alive.begin(), alive.end(), some));
        }
    }
    return reports;
}

TEST_F(TreePresenterTest, GatheredAppendsAndPutOffSortsEndAsReportsOneByOneWould) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        LinkTreeControl widget(nullptr, nullptr);
        widget.SetStateImages(BuildStateImages());
        TreePresenter shown(&widget);
        RecordingTree expected;
        const std::vector<Report> reports = RandomReports(seed, 400);
        std::mt19937 cut(seed);
        for (std::size_t i = 0; i < reports.size(); ++i) {
            reports[i](expected);
            reports[i](shown);
            // Slices end at arbitrary places.
            if (cut() % 37 == 0) {
                shown.ApplyAll();
            }
        }
        shown.ApplyAll();
        // Whether an item without children is open cannot be seen; compare what can.
        std::string want = Shape(expected);
        std::string got = Shape(widget, widget.invisibleRootItem());
        for (std::string* shape : {&want, &got}) {
            for (std::size_t at; (at = shape->find("+()")) != std::string::npos;) {
                shape->erase(at, 1);
            }
        }
        ASSERT_EQ(got, want) << "seed " << seed;
    }
}

TEST_F(TreePresenterTest, WorkerReportsWhileTheWindowDrainsAndNoSliceLeavesItemsOut) {
    RecordingTree expected;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        // Pages of fifteen sorted children each, every child fetched after its page.
        TreeItemId next = 2;
        presenter.InsertItem(1, kNoTreeItem, "root", 1);
        expected.InsertItem(1, kNoTreeItem, "root", 1);
        for (TreeItemId page = 1; next < 12000; ++page) {
            for (int k = 0; k < 15; ++k, ++next) {
                const std::string text = "p" + std::to_string(next * 7919 % 10007);
                for (LinkTreeView* tree : {static_cast<LinkTreeView*>(&presenter),
                                           static_cast<LinkTreeView*>(&expected)}) {
                    tree->InsertItem(next, page, text, kImagePending);
                    tree->SortChildren(page);
                    tree->ExpandItem(page);
                    tree->PostRefresh();
                }
            }
            presenter.SetImage(page, kImageFetched);
            expected.SetImage(page, kImageFetched);
        }
        done = true;
    });
    bool complete = true;
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            // After every pass of the event loop, each item known is in the widget.
            complete =
                complete && WidgetItemCount(tree.invisibleRootItem()) == presenter.ItemCount();
            return done.load() && presenter.Idle();
        },
        30000));
    worker.join();
    EXPECT_TRUE(complete);
    EXPECT_EQ(presenter.ItemCount(), static_cast<int>(expected.size()));
    EXPECT_EQ(Shape(tree, tree.invisibleRootItem()), Shape(expected));
}

// The view lays out all its shown rows again after rows are added under an open item; the
// presenter paces itself by that work, so the view must let it be measured.
TEST_F(TreePresenterTest, TreeDrawsLinesKeepsItsImagesOnSelectedItemsAndSortsIgnoringCase) {
    presenter.InsertItem(1, kNoTreeItem, "root", kImageFetched);
    const char* texts[] = {"b", "B", "c", "a", "A"};
    for (TreeItemId id = 2; const char* text : texts) {
        presenter.InsertItem(id++, 1, text, kImagePending);
    }
    presenter.SortChildren(1);
    presenter.ExpandItem(1);
    presenter.ApplyAll();
    EXPECT_EQ(Shape(tree, tree.invisibleRootItem()),
              "1:root:2+(6:A:1()5:a:1()3:B:1()2:b:1()4:c:1())");

    // The selected image is the image itself, not tinted with the selection colour.
    for (int i = 0; i < kStateImageCount; ++i) {
        EXPECT_EQ(tree.StateImage(i).pixmap(10, 10, QIcon::Selected).toImage(),
                  tree.StateImage(i).pixmap(10, 10, QIcon::Normal).toImage())
            << i;
    }

    // Dotted grey lines join a leaf to its parent and siblings, left of its image.
    tree.resize(300, 200);
    tree.show();
    const QImage view = tree.viewport()->grab().toImage();
    const QRect leaf = tree.visualItemRect(tree.topLevelItem(0)->child(2));
    int dots = 0;
    for (int y = leaf.top(); y <= leaf.bottom(); ++y) {
        for (int x = 0; x < tree.indentation() * 2; ++x) {
            dots += view.pixelColor(x, y) == QColor(128, 128, 128) ? 1 : 0;
        }
    }
    EXPECT_GT(dots, leaf.height() / 2);
}

TEST(TreeLayoutTime, TheViewsOwnLayoutsAfterAddedRowsAreCounted) {
    LinkTreeControl tree{nullptr, nullptr};
    tree.resize(300, 200);
    tree.show();
    auto* root = new QTreeWidgetItem(QStringList{QStringLiteral("root")});
    tree.addTopLevelItem(root);
    root->setExpanded(true);
    qint64 laidOut = 0;
    auto layoutSeen = [&] {
        laidOut += tree.TakeLayoutTime();
        return laidOut > 0;
    };
    ASSERT_TRUE(test::WaitUntil(layoutSeen));
    EXPECT_EQ(tree.TakeLayoutTime(), 0);  // taken: counted once

    laidOut = 0;
    root->addChild(new QTreeWidgetItem(QStringList{QStringLiteral("child")}));
    EXPECT_TRUE(test::WaitUntil(layoutSeen));
}

TEST(TreePresenterPause, GrowsWithTheWorkWithinItsBounds) {
    constexpr qint64 kMs = 1000000;
    EXPECT_EQ(TreePresenter::PauseAfter(0), TreePresenter::kDrainIntervalMilliseconds);
    EXPECT_EQ(TreePresenter::PauseAfter(2 * kMs), TreePresenter::kDrainIntervalMilliseconds);
    EXPECT_EQ(TreePresenter::PauseAfter(20 * kMs), 20 * TreePresenter::kPauseFactor);
    EXPECT_EQ(TreePresenter::PauseAfter(10000 * kMs), TreePresenter::kLongestPauseMilliseconds);
}

}  // namespace
}  // namespace zavel
