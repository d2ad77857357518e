#include "app/result_list_model.h"

#include "app/qt_text.h"

namespace zarvo {
namespace {

// Column titles; the "&" is an ordinary character here, not a mnemonic.
const char* const kColumnTitles[ResultListModel::kColumns] = {
    "名称", "大小", "磁性链接(迅雷下载&双击打开)"};

}  // namespace

ResultListModel::ResultListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResultListModel::Clear() {
  if (rows_.empty()) return;
  beginResetModel();
  rows_.clear();
  endResetModel();
}

int ResultListModel::AppendRow() {
  int row = Rows();
  beginInsertRows(QModelIndex(), row, row);
  rows_.emplace_back();
  endInsertRows();
  return row;
}

void ResultListModel::SetCell(int row, int column, const Text& text) {
  if (!HasCell(row, column)) return;
  rows_[row][column] = text;
  QModelIndex changed = index(row, column);
  emit dataChanged(changed, changed, {Qt::DisplayRole});
}

Text ResultListModel::Cell(int row, int column) const {
  if (!HasCell(row, column)) return Text();
  return rows_[row][column];
}

bool ResultListModel::HasCell(int row, int column) const {
  return row >= 0 && row < Rows() && column >= 0 && column < kColumns;
}

int ResultListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Rows();
}

int ResultListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !HasCell(index.row(), index.column())) return {};
  if (role == Qt::DisplayRole) {
    return ToQString(rows_[index.row()][index.column()]);
  }
  return {};
}

QVariant ResultListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) return {};
  if (role == Qt::DisplayRole) return QString::fromUtf8(kColumnTitles[section]);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}

Qt::ItemFlags ResultListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}

}  // namespace zarvo
