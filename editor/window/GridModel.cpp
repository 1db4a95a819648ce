#include "GridModel.h"

#include "QtCp1252.h"

namespace tavrel {

GridModel::GridModel(GridTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_.RowCount();
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_.ColumnCount();
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    if (role != Qt::DisplayRole) return {};
    return desktop::FromCp1252(table_.Cell(index.row(), index.column()));
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    if (!table_.ColumnExists(section)) return {};
    return desktop::FromCp1252(table_.ColumnTitle(section));
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    // Not editable: cells are edited only in the window's own cell editor.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void GridModel::SetCell(int row, int column, std::string_view text) {
    table_.SetCell(row, column, text);
    const QModelIndex cell = index(row, column);
    if (cell.isValid()) emit dataChanged(cell, cell, {Qt::DisplayRole});
}

void GridModel::InsertRow(int row) {
    if (row < 0 || row > table_.RowCount()) row = table_.RowCount();
    beginInsertRows({}, row, row);
    table_.InsertRow(row);
    endInsertRows();
}

void GridModel::DeleteRow(int row) {
    if (row < 0 || row >= table_.RowCount()) return;
    beginRemoveRows({}, row, row);
    table_.DeleteRow(row);
    endRemoveRows();
}

void GridModel::Reset(const std::function<void(GridTable&)>& change) {
    beginResetModel();
    change(table_);
    endResetModel();
}

}  // namespace tavrel
