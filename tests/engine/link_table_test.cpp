#include "engine/link_table.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "tests/support/recording_tree.h"

namespace zavel {
namespace {

class LinkTableTest : public ::testing::Test {
  protected:
    LinkRecord* Root(const std::string& address, Admission* why = nullptr) {
        LinkArgs args;
        args.linkText = address;
        args.tempPath = "/prog/data";
        args.tree = &tree;
        args.settings = settings;
        args.label = table.NextRootLabel();
        return table.Construct(std::move(args), why);
    }

    LinkRecord* Child(const LinkRecord* parent, const std::string& link, int j,
                      Admission* why = nullptr) {
        LinkArgs args;
        args.linkText = link;
        args.tempPath = parent->tempPath;
        args.parent = parent;
        args.tree = parent->tree;
        args.parentItem = parent->treeItem;
        args.settings = parent->Settings();
        args.label = LinkTable::ChildLabel(parent->label, j);
        return table.Construct(std::move(args), why);
    }

    LinkTable table;
    test::RecordingTree tree;
    CrawlSettings settings{kModeGet, 2, 5};
};

TEST_F(LinkTableTest, RootsAndChildrenGetLevelsLabelsAndPendingItems) {
    LinkRecord* root = Root("http://example.com/docs/index.html");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->label, "A");
    EXPECT_EQ(root->level, 0);
    EXPECT_EQ(root->DisplayText(), "example.com/docs/index.html");
    EXPECT_TRUE(root->IsPending());

    LinkRecord* child = Child(root, "a.html", 0);
    LinkRecord* grandchild = Child(child, "/b/c.html", 0);
    ASSERT_NE(grandchild, nullptr);
    EXPECT_EQ(child->label, "AA");
    EXPECT_EQ(child->level, 1);
    EXPECT_EQ(child->DisplayText(), "example.com/docs/a.html");
    EXPECT_EQ(grandchild->label, "AAA");
    EXPECT_EQ(grandchild->level, 2);
    EXPECT_EQ(grandchild->DisplayText(), "example.com/b/c.html");

    EXPECT_EQ(table.Count(), 3);
    EXPECT_EQ(table.RecordAt(0), root);
    EXPECT_EQ(table.RecordAt(2), grandchild);
    EXPECT_EQ(table.RecordAt(3), nullptr);
    EXPECT_EQ(tree.ChildTexts(kNoTreeItem),
              std::vector<std::string>{"example.com/docs/index.html"});
    EXPECT_EQ(tree.ItemOf(child->treeItem).parent, root->treeItem);
    EXPECT_EQ(tree.ItemOf(grandchild->treeItem).image, kImagePending);
    EXPECT_EQ(table.FindByTreeItem(child->treeItem), child);
    EXPECT_EQ(table.FindByTreeItem(9999), nullptr);
}

TEST_F(LinkTableTest, OtherServerRuleComparesWithTheParentsServer) {
    settings.otherServerLevel = 2;
    LinkRecord* root = Root("http://a.example/");
    Admission why{};
    LinkRecord* other = Child(root, "http://b.example/x.html", 0, &why);
    ASSERT_NE(other, nullptr) << "level 1 is below 2";
    // From b.example onwards b.example is home: its own links are followed...
    EXPECT_NE(Child(other, "y.html", 0), nullptr);
    // ...but a third server at level 2 is not.
    EXPECT_EQ(Child(other, "http://c.example/", 1, &why), nullptr);
    EXPECT_EQ(why, Admission::kOtherServer);

    for (int limit : {0, 1}) {
        LinkTable strict;
        LinkArgs args;
        args.linkText = "http://a.example/";
        args.settings = CrawlSettings{kModeGet, limit, 5};
        args.label = strict.NextRootLabel();
        LinkRecord* r = strict.Construct(std::move(args));
        ASSERT_NE(r, nullptr) << "a root is admitted whatever the limit";
        LinkArgs link;
        link.linkText = "http://b.example/";
        link.parent = r;
        link.settings = r->Settings();
        link.label = LinkTable::ChildLabel(r->label, 0);
        EXPECT_EQ(strict.Construct(std::move(link), &why), nullptr) << limit;
        EXPECT_EQ(why, Admission::kOtherServer);
    }
}

TEST_F(LinkTableTest, HostLetterCaseMakesAnotherServerAndAnotherAddress) {
    settings.otherServerLevel = 0;
    LinkRecord* root = Root("http://Example.com/");
    Admission why{};
    EXPECT_EQ(Child(root, "http://example.com/", 0, &why), nullptr);
    EXPECT_EQ(why, Admission::kOtherServer);
    EXPECT_NE(Root("http://example.com/"), nullptr);
    EXPECT_EQ(table.Count(), 2);
}

TEST_F(LinkTableTest, DuplicatesAreDeclinedButRootsAlwaysAdmitted) {
    LinkRecord* first = Root("http://example.com/");
    LinkRecord* second = Root("http://example.com/");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->label, "A");
    EXPECT_EQ(second->label, "B");
    EXPECT_EQ(first->DisplayText(), second->DisplayText());

    Admission why{};
    EXPECT_EQ(Child(first, "http://example.com", 0, &why), nullptr);
    EXPECT_EQ(why, Admission::kDuplicate);
    // The empty link is the page's own directory: a duplicate of the root.
    EXPECT_EQ(Child(first, "", 1, &why), nullptr);
    EXPECT_EQ(why, Admission::kDuplicate);
    LinkRecord* page = Child(first, "p.html", 2);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->label, "AC") << "declined children use up their suffixes";
    EXPECT_EQ(Child(second, "/p.html", 0, &why), nullptr);
    EXPECT_EQ(why, Admission::kDuplicate);
    EXPECT_EQ(table.Count(), 3);
}

TEST_F(LinkTableTest, SettingsHolderAndUnrepresentableAddressesAreNeverAdmitted) {
    LinkArgs holder;
    holder.tempPath = kSettingsHolderPath;
    holder.tree = &tree;
    holder.settings = CrawlSettings{kModeCopy, 3, 4};
    Admission why{};
    EXPECT_EQ(table.Construct(std::move(holder), &why), nullptr);
    EXPECT_EQ(why, Admission::kSettingsHolder);

    auto kept = LinkTable::Build(LinkArgs{"", kSettingsHolderPath, nullptr, nullptr, kNoTreeItem,
                                          CrawlSettings{kModeCopy, 3, 4}, ""});
    EXPECT_EQ(kept->mode, kModeCopy);
    EXPECT_EQ(kept->maxLevel, 4);

    std::string deep = "http://example.com";
    for (int i = 0; i < 30; ++i) {
        deep += "/d";
    }
    EXPECT_EQ(Root(deep, &why), nullptr);
    EXPECT_EQ(why, Admission::kInvalidAddress);
    EXPECT_EQ(Root("http://" + std::string(200, 'h') + "/", &why), nullptr);
    EXPECT_EQ(why, Admission::kInvalidAddress);

    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(tree.size(), 0u);
}

TEST_F(LinkTableTest, LabelsAreBytesAndStayUniqueAndPrefixFreeBeyondTheSingleBytes) {
    EXPECT_EQ(LinkTable::LabelSuffix(0), "A");
    EXPECT_EQ(LinkTable::LabelSuffix(25), "Z");
    EXPECT_EQ(LinkTable::LabelSuffix(26), "[");
    EXPECT_EQ(LinkTable::LabelSuffix(190), std::string(1, '\xff'));

    // Every suffix a page of a full table could need: unique, no byte 0, none a prefix of
    // another (sorted order puts a prefix right before the strings that extend it).
    std::set<std::string> suffixes;
    for (int j = 0; j < kTableCapacity + 10000; ++j) {
        std::string suffix = LinkTable::LabelSuffix(j);
        EXPECT_EQ(suffix.find('\0'), std::string::npos) << j;
        ASSERT_TRUE(suffixes.insert(suffix).second) << "repeated suffix at " << j;
    }
    for (auto it = suffixes.begin(); std::next(it) != suffixes.end(); ++it) {
        ASSERT_FALSE(LinkTable::InSubtree(*std::next(it), *it)) << "prefix at " << *it;
    }
}

TEST_F(LinkTableTest, LabelsStayPrefixFreeForEveryChildCountAPageCanReach) {
    // Windows around every change of suffix length, the counts an 8 MiB page reaches with one
    // keyword (about 2.8 million) or many, and the far end of the counter.
    std::vector<std::uint64_t> starts = {
        0,       191 - 50,   191 + 6112 - 50, 1137214 - 50, 1173695 - 50,
        2800000, 1ull << 31, 1ull << 32,      ~0ull - 100};
    for (std::uint64_t power = 191;; power *= 191) {
        starts.push_back(1137214 + power - 50);  // one digit more
        if (power > ~0ull / 191) {
            break;
        }
    }
    std::set<std::uint64_t> counts;
    for (std::uint64_t start : starts) {
        for (std::uint64_t j = start; j - start < 100; ++j) {
            counts.insert(j);
        }
    }
    std::set<std::string> suffixes;
    for (std::uint64_t j : counts) {
        const std::string suffix = LinkTable::LabelSuffix(j);
        EXPECT_EQ(suffix.find('\0'), std::string::npos) << j;
        EXPECT_LE(suffix.size(), 11u) << j;
        ASSERT_TRUE(suffixes.insert(suffix).second) << "repeated suffix at " << j;
    }
    for (auto it = suffixes.begin(); std::next(it) != suffixes.end(); ++it) {
        ASSERT_FALSE(LinkTable::InSubtree(*std::next(it), *it)) << "prefix at " << *it;
    }
    // The first 191 children keep their one documented byte; the rest keep their former
    // suffixes up to the counted ones.
    EXPECT_EQ(LinkTable::LabelSuffix(191), std::string("\x01"
                                                       "A"));
    EXPECT_EQ(LinkTable::LabelSuffix(1137213), std::string("?\xff\xff"));
}

TEST_F(LinkTableTest, SubtreeOfAPageWithManyChildrenHoldsOnlyItsOwn) {
    LinkRecord* root = Root("http://example.com/");
    std::vector<LinkRecord*> children;
    for (int j = 0; j < 300; ++j) {
        children.push_back(Child(root, "p" + std::to_string(j) + ".html", j));
        ASSERT_NE(children.back(), nullptr);
    }
    Child(children[191], "deep.html", 0);
    EXPECT_EQ(table.Subtree(children[191]->label).size(), 2u);
    EXPECT_EQ(table.Subtree(children[0]->label).size(), 1u);
    EXPECT_EQ(table.Subtree(children[299]->label).size(), 1u);
    EXPECT_EQ(table.Subtree("A").size(), 302u);
}

TEST_F(LinkTableTest, AdmissionStopsWhenTheTableIsFull) {
    LinkRecord* root = Root("http://example.com/");
    for (int j = 1; j < kTableCapacity; ++j) {
        ASSERT_NE(Child(root, "p" + std::to_string(j) + ".html", j), nullptr) << j;
    }
    EXPECT_EQ(table.Count(), kTableCapacity);
    Admission why{};
    EXPECT_EQ(Child(root, "one-more.html", kTableCapacity, &why), nullptr);
    EXPECT_EQ(why, Admission::kTableFull);
    EXPECT_EQ(Root("http://another.example/", &why), nullptr);
    EXPECT_EQ(why, Admission::kTableFull);
    EXPECT_EQ(table.Count(), kTableCapacity);
    EXPECT_EQ(tree.size(), static_cast<std::size_t>(kTableCapacity));
}

TEST_F(LinkTableTest, SortedChildrenAskTheTreeToSortTheParent) {
    settings.sort = 1;
    LinkRecord* root = Root("http://example.com/");
    Child(root, "c.html", 0);
    Child(root, "a.html", 1);
    Child(root, "b.html", 2);
    EXPECT_EQ(tree.ChildTexts(root->treeItem),
              (std::vector<std::string>{"example.com/a.html", "example.com/b.html",
                                        "example.com/c.html"}));
}

TEST_F(LinkTableTest, RemoveSubtreeCompactsInOrderAndForgetsTheAddresses) {
    LinkRecord* a = Root("http://a.example/");
    LinkRecord* b = Root("http://b.example/");
    LinkRecord* a1 = Child(a, "1.html", 0);
    LinkRecord* b1 = Child(b, "1.html", 0);
    Child(a1, "2.html", 0);
    Child(b1, "2.html", 0);
    table.currentIndex = 4;
    table.currentRecord = b1;
    TreeItemId a1Item = a1->treeItem;

    EXPECT_EQ(table.RemoveSubtree(a->label, &tree), 3);
    EXPECT_EQ(table.Count(), 3);
    EXPECT_EQ(table.RecordAt(0)->DisplayText(), "b.example/");
    EXPECT_EQ(table.RecordAt(1)->DisplayText(), "b.example/1.html");
    EXPECT_EQ(table.RecordAt(2)->DisplayText(), "b.example/2.html");
    EXPECT_EQ(table.currentIndex.load(), 0);
    EXPECT_EQ(table.currentRecord.load(), nullptr);
    EXPECT_EQ(table.FindByTreeItem(a1Item), nullptr);
    EXPECT_FALSE(tree.Has(a1Item));
    EXPECT_EQ(tree.size(), 3u);

    // The removed addresses can be found again; the next root still takes the next letter.
    EXPECT_NE(Child(b, "http://a.example/1.html", 1), nullptr) << "otherServerLevel 2";
    EXPECT_EQ(Root("http://a.example/")->label, "C");
}

TEST_F(LinkTableTest, RootsAddedWhileAnotherThreadAdmitsChildrenStayConsistent) {
    LinkRecord* root = Root("http://example.com/");
    std::thread worker([&] {
        for (int j = 0; j < 2000; ++j) {
            Child(root, "p" + std::to_string(j) + ".html", j);
        }
    });
    for (int i = 0; i < 50; ++i) {
        Root("http://r" + std::to_string(i) + ".example/");
        (void)table.Count();
        (void)table.FindByTreeItem(root->treeItem);
    }
    worker.join();
    EXPECT_EQ(table.Count(), 2051);
    std::set<TreeItemId> items;
    for (int i = 0; i < table.Count(); ++i) {
        items.insert(table.RecordAt(i)->treeItem);
    }
    EXPECT_EQ(items.size(), 2051u);
    EXPECT_EQ(tree.size(), 2051u);
}

}  // namespace
}  // namespace zavel
