#include "GridModel.h"

#include "QtCp1252.h"

namespace tavrel {

GridModel::GridModel(TableDocument& document, QObject* parent)
    : QAbstractTableModel(parent), document_(document) {
    document_.SetListener(this);
}

GridModel::~GridModel() {
    document_.SetListener(nullptr);
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Table().RowCount();
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Table().ColumnCount();
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    if (role != Qt::DisplayRole) return {};
    return desktop::FromCp1252(Table().Cell(index.row(), index.column()).substr(0, kShownBytes));
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    if (!Table().ColumnExists(section)) return {};
    return desktop::FromCp1252(Table().ColumnTitle(section).substr(0, kShownBytes));
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    // Not editable: cells are edited only in the window's own cell editor.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void GridModel::BeforeRowsInserted(int first, int last) {
    beginInsertRows({}, first, last);
}

void GridModel::AfterRowsInserted() {
    endInsertRows();
}

void GridModel::BeforeRowsRemoved(int first, int last) {
    beginRemoveRows({}, first, last);
}

void GridModel::AfterRowsRemoved() {
    endRemoveRows();
}

void GridModel::CellsChanged(int firstRow, int lastRow, int firstColumn, int lastColumn) {
    // Cells of rows or columns the table lacks were not stored.
    const QModelIndex from = index(firstRow, firstColumn);
    const QModelIndex to =
        index(std::min(lastRow, rowCount() - 1), std::min(lastColumn, columnCount() - 1));
    if (from.isValid() && to.isValid()) emit dataChanged(from, to, {Qt::DisplayRole});
}

void GridModel::BeforeReset() {
    beginResetModel();
}

void GridModel::AfterReset() {
    endResetModel();
}

}  // namespace tavrel
