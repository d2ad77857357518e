// ResultListModel: the rows of the result list, three GBK cells per row
// ("名称", "大小" and the magnet link). Cells are kept as the GBK `Text` they
// were given and turned into Qt strings only when the view draws or a
// screen reader asks, so filling tens of thousands of rows costs no
// conversion. Rows and columns count from 0.
//
// Example:
//   ResultListModel m;
//   int r = m.AppendRow();        // 0
//   m.SetCell(r, 1, "1.2 GB");
//   m.Cell(r, 1);                 // "1.2 GB"
//   m.Cell(5, 1);                 // ""
#ifndef ZARVO_APP_RESULT_LIST_MODEL_H_
#define ZARVO_APP_RESULT_LIST_MODEL_H_

#include <QAbstractTableModel>
#include <array>
#include <vector>

#include "text/text_value.h"

namespace zarvo {

class ResultListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr int kColumns = 3;

  explicit ResultListModel(QObject* parent = nullptr);

  // Removes every row.
  void Clear();

  // Adds a row of empty cells after the last one; returns its index.
  int AppendRow();

  // Sets cell (row, column); a cell that does not exist is ignored.
  void SetCell(int row, int column, const Text& text);

  // Cell (row, column) whole; the empty text for a cell that does not exist.
  Text Cell(int row, int column) const;

  int Rows() const { return static_cast<int>(rows_.size()); }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  bool HasCell(int row, int column) const;

  std::vector<std::array<Text, kColumns>> rows_;
};

}  // namespace zarvo

#endif  // ZARVO_APP_RESULT_LIST_MODEL_H_
