// The crawl handed on: the export of the table as CSV or sitemap, and the problems window.
#include <QTreeWidgetItem>

#include "engine/crawl_report.h"
#include "platform/message_box.h"
#include "ui/main_frame.h"
#include "ui/problems_window.h"

namespace zavel {
namespace {

enum ExportChoice : int { kCsvChoice, kSitemapChoice };

QStringList ExportFileTypeChoices() {
    return {
        QStringLiteral("CSV table (*.csv) (*.csv)"),
        QStringLiteral("sitemap (*.xml) (*.xml)"),
    };
}

bool EndsWithIgnoringCase(const std::string& text, std::string_view end) {
    if (text.size() < end.size()) {
        return false;
    }
    for (std::size_t i = 0; i < end.size(); ++i) {
        const char c = text[text.size() - end.size() + i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != end[i]) {
            return false;
        }
    }
    return true;
}

// The name's extension decides; a name without either takes the choice of the dialog.
bool ExportsSitemap(const std::string& path, int choice) {
    if (EndsWithIgnoringCase(path, ".xml")) {
        return true;
    }
    if (EndsWithIgnoringCase(path, ".csv")) {
        return false;
    }
    return choice == kSitemapChoice;
}

}  // namespace

void MainFrame::OnExport() {
    if (!engine) {
        return;
    }
    int choice = kCsvChoice;
    SaveDialogSettings settings{"crawl.csv", ExportFileTypeChoices(), &choice};
    const std::optional<std::string> path = saveDialog(this, settings);
    if (!path) {
        return;
    }
    const LinkTable& table = engine->table();
    const std::vector<std::string> files = ExportsSitemap(*path, choice)
                                               ? SitemapFiles(SitemapAddresses(table))
                                               : std::vector<std::string>{CsvReport(table)};
    if (const std::optional<std::string> failed = WriteReportFiles(*path, files)) {
        platform::ShowErrorBox(*failed + ": File cannot be written");
    }
}

void MainFrame::OnProblems() {
    if (!engine || !treePresenter) {
        return;
    }
    if (problemsWindow == nullptr) {
        problemsWindow = new ProblemsWindow(
            engine->table(), [this](TreeItemId id) { SelectTreeItem(id); }, this);
        // New rows come with the tree's own updates, in batches.
        treePresenter->SetSliceHandler([this] {
            if (problemsWindow->isVisible()) {
                problemsWindow->Refresh();
            }
        });
    }
    problemsWindow->show();
    problemsWindow->raise();
    problemsWindow->activateWindow();
}

void MainFrame::SelectTreeItem(TreeItemId id) {
    if (!treePresenter || tree == nullptr) {
        return;
    }
    QTreeWidgetItem* item = treePresenter->ItemOf(id);
    if (item == nullptr) {
        treePresenter->ApplyAll();  // reported, not shown yet
        item = treePresenter->ItemOf(id);
    }
    if (item == nullptr) {
        return;
    }
    for (QTreeWidgetItem* parent = item->parent(); parent != nullptr; parent = parent->parent()) {
        parent->setExpanded(true);
    }
    tree->setCurrentItem(item);
    tree->scrollToItem(item);
    OnTreeClick();
    // The tree shows the item now: its window comes to the front.
    raise();
    activateWindow();
}

}  // namespace zavel
