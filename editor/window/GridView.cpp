#include "GridView.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <algorithm>
#include <vector>

#include "GridModel.h"
#include "SelectionColours.h"

namespace tavrel {
namespace {

// Shows a cell's whole text as a tooltip only when it does not fit its cell.
class TruncatedTipDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() != QEvent::ToolTip) {
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        }
        const QString text = index.data().toString();
        const int margin = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
        if (text.isEmpty() ||
            option.fontMetrics.horizontalAdvance(text) <= option.rect.width() - margin) {
            QToolTip::hideText();
            return true;
        }
        QToolTip::showText(event->globalPos(), text, view->viewport(), option.rect);
        return true;
    }
};

// Columns are fitted to 1.4 times their widest text, which leaves short texts little room: the
// cells draw their text with a one-pixel margin instead of the style's wider one.
class NarrowMarginStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_FocusFrameHMargin) return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

bool IsEnterOrEscape(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

}  // namespace

GridView::GridView(GridModel& model, GridEvents& events, QWidget* parent)
    : QTableView(parent), model_(model), events_(events) {
    setModel(&model_);
    auto* style = new NarrowMarginStyle;
    style->setParent(this);
    setStyle(style);
    setItemDelegate(new TruncatedTipDelegate(this));
    setSelectionBehavior(SelectRows);
    setSelectionMode(ExtendedSelection);
    setEditTriggers(NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setSortingEnabled(false);
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerItem);
    setCornerButtonEnabled(false);

    desktop::KeepSelectionVisible(*this);

    // Fixed row heights and explicit column widths: nothing is sized to its contents, which
    // keeps a grid of a million rows as quick as a small one.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    QHeaderView* header = horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setMinimumSectionSize(0);
    header->setStretchLastSection(false);
    header->setSectionsClickable(false);  // no sorting, no column selection
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(&model_, &QAbstractItemModel::modelReset, this, &GridView::ApplyColumnWidths);
    connect(header, &QHeaderView::sectionResized, this, [this] { events_.OnGridLayoutChanged(); });
    ApplyColumnWidths();
}

// A column the table makes 0 pixels wide (title and cells all empty) is shown 1 pixel wide: the
// view paints every cell of a zero-width column that lies between visible ones, so a header of a
// million empty fields would cost a million cells a row at every paint.
int GridView::ShownWidth(int column) const {
    return std::max(1, model_.Table().ColumnWidth(column));
}

// Setting widths one by one on a header that updates itself costs time in proportion to the
// column count each (it finds where the column now lies on screen), so the header hears nothing
// until all are set; the most common width goes in as the default in one sweep, and only the
// others are set one by one. A table of millions of columns opens in time in proportion to them.
void GridView::ApplyColumnWidths() {
    const int count = model_.Table().ColumnCount();
    std::vector<int> tally(GridTable::kMaxColumnWidth + 1);
    for (int c = 0; c < count; ++c)
        ++tally[static_cast<std::size_t>(ShownWidth(c))];
    const int common =
        static_cast<int>(std::max_element(tally.begin(), tally.end()) - tally.begin());
    QHeaderView* header = horizontalHeader();
    {
        const QSignalBlocker quiet(header);
        header->setUpdatesEnabled(false);
        header->setDefaultSectionSize(common);
        for (int c = 0; c < count; ++c) {
            if (const int width = ShownWidth(c); width != common) header->resizeSection(c, width);
        }
        header->setUpdatesEnabled(true);
    }
    updateGeometries();
    header->viewport()->update();
    viewport()->update();
}

QRect GridView::CellRect(int row, int column) const {
    if (row < 0 || row >= model_.rowCount() || column < 0 || column >= model_.columnCount()) {
        return {};
    }
    return visualRect(model_.index(row, column));
}

void GridView::EnsureRowVisible(int row) {
    if (row >= 0 && row < model_.rowCount()) scrollTo(model_.index(row, 0), EnsureVisible);
}

void GridView::ScrollHorizontally(int dx) {
    QScrollBar* bar = horizontalScrollBar();
    bar->setValue(bar->value() + dx);
}

int GridView::RowsPerPage() const {
    const int rowHeight = verticalHeader()->defaultSectionSize();
    return rowHeight > 0 ? std::max(1, viewport()->height() / rowHeight) : 1;
}

void GridView::keyPressEvent(QKeyEvent* event) {
    if (IsEnterOrEscape(event->key())) {
        if (event->key() == Qt::Key_Escape) {
            events_.OnCancelAction();
        } else {
            events_.OnDefaultAction();
        }
        event->accept();
        return;
    }
    if (events_.OnGridKey(*event)) {
        QTableView::keyPressEvent(event);
    } else {
        event->accept();  // the window's key: the grid does nothing else with it
    }
}

void GridView::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex hit = indexAt(event->position().toPoint());
    events_.OnGridClick(hit.isValid() ? hit.row() : -1, hit.isValid() ? hit.column() : -1);
}

void GridView::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    events_.OnGridFocusOut(event->reason());
}

void GridView::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    KeepTopRowWhole();
    events_.OnGridLayoutChanged();
}

void GridView::updateGeometries() {
    QTableView::updateGeometries();
    KeepTopRowWhole();
    events_.OnGridLayoutChanged();
}

// At the end of its scroll range the stock view lines the last row up with the bottom edge,
// which leaves the top row half hidden under the header. A list shows whole rows from the top;
// the scroll range already leaves room for the last row below them.
void GridView::KeepTopRowWhole() {
    QHeaderView* rows = verticalHeader();
    if (rows->count() == 0) return;
    const int top = rows->sectionPosition(verticalScrollBar()->value());
    if (top < 0 || rows->offset() == top) return;
    rows->setOffset(top);
    viewport()->update();
}

// Tab is one of the keys the grid swallows: the focus stays where it is.
bool GridView::focusNextPrevChild(bool) {
    return false;
}

// The list's own row movement: Home and End go to the first and last row (not column); Page Up
// and Page Down go to the top and bottom row of the visible page, then a page further; Left and
// Right stay put.
QModelIndex GridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const int rows = model_.rowCount();
    if (rows == 0 || model_.columnCount() == 0) return {};
    const QModelIndex current = currentIndex();
    const int row = current.isValid() ? current.row() : -1;
    const int column = current.isValid() ? current.column() : 0;
    const int page = RowsPerPage();
    const int top = std::max(0, rowAt(0));
    const int bottom = std::min(rows - 1, top + page - 1);
    const bool onPage = row >= top && row <= bottom;
    int target = row;
    switch (action) {
        case MoveHome:
            target = 0;
            break;
        case MoveEnd:
            target = rows - 1;
            break;
        case MovePageUp:
            target = !onPage || row > top ? top : std::max(0, row - (page - 1));
            break;
        case MovePageDown:
            target = !onPage || row < bottom ? bottom : std::min(rows - 1, row + (page - 1));
            break;
        case MoveUp:
            target = std::max(0, row - 1);
            break;
        case MoveDown:
            target = std::min(rows - 1, row + 1);
            break;
        case MoveLeft:
        case MoveRight:
            return current;
        default:
            return QTableView::moveCursor(action, modifiers);
    }
    return model_.index(std::max(0, target), column);
}

// Scrolling a row into view never moves the columns sideways.
void GridView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    const int left = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    horizontalScrollBar()->setValue(left);
}

// Shift with a movement key selects just the rows from the anchor to the new row, as a list does.
QItemSelectionModel::SelectionFlags GridView::selectionCommand(const QModelIndex& index,
                                                               const QEvent* event) const {
    if (event && event->type() == QEvent::KeyPress) {
        const auto modifiers = static_cast<const QKeyEvent*>(event)->modifiers();
        if ((modifiers & Qt::ShiftModifier) && !(modifiers & Qt::ControlModifier)) {
            return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Current |
                   QItemSelectionModel::Rows;
        }
    }
    return QTableView::selectionCommand(index, event);
}

}  // namespace tavrel
