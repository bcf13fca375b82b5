// The problems window: every failed record and every error page of the crawl (and every page
// that answered with an error status), with its reason and the page that links to it, live.
// The rows are a model over the table's problem log, appended in batches when the tree
// presenter finishes a slice, and their texts are read from the table only for the rows shown:
// tens of thousands of rows stay smooth.
#pragma once

#include <QAbstractTableModel>
#include <QTreeView>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "engine/crawl_report.h"

namespace zavel {

class ProblemsModel : public QAbstractTableModel {
  public:
    explicit ProblemsModel(const LinkTable& table, QObject* parent = nullptr);

    // Takes the problems logged since the last call; starts again after a Remove.
    void Refresh();
    TreeItemId ItemAt(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    const LinkTable& table_;
    std::vector<TreeItemId> items_;
    std::uint64_t generation_ = 0;
    // The row whose texts were read last: the view asks for its columns one after another.
    mutable int cachedRow_ = -1;
    mutable std::optional<ProblemRow> cached_;
};

class ProblemsWindow : public QWidget {
  public:
    // `onChosen` receives the tree item of a double-clicked row.
    ProblemsWindow(const LinkTable& table, std::function<void(TreeItemId)> onChosen,
                   QWidget* owner);

    // Brings the rows up to date (while the window is shown) and the title with them.
    void Refresh();
    ProblemsModel& model() { return model_; }
    QTreeView* view() const { return view_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    ProblemsModel model_;
    QTreeView* view_;
    std::function<void(TreeItemId)> onChosen_;
};

}  // namespace zavel
