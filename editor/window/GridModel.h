// The grid table as the grid view sees it: one item a cell, the column titles as the header,
// text shown in Windows-1252. Every change to the table goes through here, so the view hears of
// it. The view asks only for the cells it paints, however big the table.
#pragma once

#include <QAbstractTableModel>
#include <functional>

#include "GridTable.h"

namespace tavrel {

class GridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    GridModel(GridTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const GridTable& Table() const { return table_; }

    // Changes of the table.
    void SetCell(int row, int column, std::string_view text);
    void InsertRow(int row);
    void DeleteRow(int row);
    // Replaces the whole table (a load, or the columns set up before one).
    void Reset(const std::function<void(GridTable&)>& change);

private:
    GridTable& table_;
};

}  // namespace tavrel
