// The result grid on screen: a QTableView over an adapter of GridModel.
//
// GridModel decides everything (texts, colours, hints, order, sort state); this file only
// translates. Rows arrive fast during a crawl, so appended lines are collected and shown with
// one insertion from a zero-delay timer, and every cell text is built when it is painted.
#pragma once

#include "view/gridmodel.h"

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QFont>
#include <QTableView>
#include <QTimer>

#include <string>

class QMenu;

class GridTableModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GridTableModel)
public:
    // An insertion into a view of a million lines costs milliseconds, whatever its size:
    // batches are spaced so that a fast crawl cannot spend its time re-laying out the view.
    static constexpr int kFlushSpacingMs = 100;

    GridTableModel(GridModel& grid, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    GridModel& grid() { return m_grid; }
    const GridModel& grid() const { return m_grid; }

    // Appends a line; it appears on screen at the next turn of the event loop, or, while
    // lines pour in, with the next batch (at most every kFlushSpacingMs).
    void addLine(int32_t row);
    // Removes every line (ends the blank start-up state).
    void clearLines();
    // The blank start-up grid.
    void showPlaceholder();
    // Shows the lines added since the last flush with one insertion.
    void flush();
    // Repaints every visible cell from the live rows, with the next batch.
    void refresh();

    // Begin/end-update bracketing; the end also shows the lines added in between.
    void beginUpdate();
    void endUpdate();
    int pendingUpdates() const { return m_updateDepth; }

    // Width of a text in the grid's font, for hints.
    void setTextFont(const QFont& font) { m_font = font; }
    void setColumnWidthSource(std::function<int(int)> widthOf) { m_columnWidth = std::move(widthOf); }

    // VSTHeaderClick: sorts by a column. Selection and focus travel with their lines through
    // the persistent indexes, which costs O(n) however scattered the selection is.
    bool headerClick(int column);

private:
    void scheduleFlush();

    GridModel& m_grid;
    int m_shownLines = 0;
    bool m_refreshPending = false;
    int m_updateDepth = 0;
    QTimer m_flushTimer;
    QElapsedTimer m_sinceFlush;
    QFont m_font;
    std::function<int(int)> m_columnWidth;
};

class ResultGridWidget final : public QTableView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResultGridWidget)
public:
    ResultGridWidget(GridModel& grid, const RowTable& rows, QWidget* parent);

    GridTableModel* tableModel() const { return m_model; }
    GridModel& grid() { return m_model->grid(); }

    // CopyUrlsToClipboard: the URLs of all lines, or only the selected ones, in display
    // order, each followed by CR LF; the clipboard is left alone when there is none.
    void CopyUrlsToClipboard(bool selectedOnly);
    // CopyCellcontent1Click: the displayed text of the cell under the last mouse press.
    void CopyCellcontent1Click();

    // The context menu with its entries enabled as they would be when it opens, or nothing
    // when it must not open (PopupMenu1Popup).
    QMenu* PopupMenu1Popup();

    // Pulls the widget's selection and focus into the model after a programmatic change.
    void selectLines(const std::vector<int>& lines);

Q_SIGNALS:
    // VSTClick / VSTChange: the focused line or the selection changed.
    void clickAction();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // VSTHeaderClick: sorts by the clicked column and keeps selection and focus on their lines.
    void headerClick(int column);
    void selectionToModel(const QItemSelection& selected, const QItemSelection& deselected);
    void buildColumns();

    const RowTable& m_rows;
    GridTableModel* m_model = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_copyAll = nullptr;
    QAction* m_copySelected = nullptr;
    QAction* m_copyCell = nullptr;
};
