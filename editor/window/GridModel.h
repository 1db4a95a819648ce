// The open table as the grid view sees it: one item a cell, the column titles as the header,
// text shown in Windows-1252. It hears of every change to the table from the document, so the
// view follows; the view asks only for the cells it paints, however big the table.
#pragma once

#include <QAbstractTableModel>

#include "TableDocument.h"

namespace tavrel {

class GridModel : public QAbstractTableModel, private TableListener {
    Q_OBJECT

public:
    // A cell shows at most this many bytes of its text (the editor gets all of it): painting
    // and measuring a cell of megabytes would stall the grid.
    static constexpr std::size_t kShownBytes = 16384;

    explicit GridModel(TableDocument& document, QObject* parent = nullptr);
    ~GridModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const GridTable& Table() const { return document_.Table(); }

private:
    // TableListener.
    void BeforeRowsInserted(int first, int last) override;
    void AfterRowsInserted() override;
    void BeforeRowsRemoved(int first, int last) override;
    void AfterRowsRemoved() override;
    void CellsChanged(int firstRow, int lastRow, int firstColumn, int lastColumn) override;
    void BeforeReset() override;
    void AfterReset() override;

    TableDocument& document_;
};

}  // namespace tavrel
