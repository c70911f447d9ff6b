#include "view/resultgridwidget.h"

#include "view/displaytext.h"
#include "view/uifontwidget.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

QString toQString(const std::u16string& text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

} // namespace

GridTableModel::GridTableModel(GridModel& grid, QObject* parent)
    : QAbstractTableModel(parent)
    , m_grid(grid)
{
    m_flushTimer.setSingleShot(true);
    m_sinceFlush.start();
    connect(&m_flushTimer, &QTimer::timeout, this, &GridTableModel::flush);
    m_shownLines = m_grid.lineCount();
}

int GridTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shownLines;
}

int GridTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_grid.columnCount();
}

QVariant GridTableModel::data(const QModelIndex& index, int role) const
{
    const int line = index.row();
    const int column = index.column();
    if (!index.isValid() || line >= m_grid.lineCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return toQString(m_grid.VSTGetText(line, column));
    case Qt::ForegroundRole:
        switch (m_grid.VSTPaintText(line, column)) {
        case CellColour::Red:
            return QColor(kStatusRed.r, kStatusRed.g, kStatusRed.b);
        case CellColour::Blue:
            return QColor(kTypeBlue.r, kTypeBlue.g, kTypeBlue.b);
        case CellColour::WindowText:
            return {};
        }
        return {};
    case Qt::ToolTipRole: {
        const QFontMetrics metrics(m_font);
        const auto width = [&metrics](const std::u16string& text) {
            return metrics.horizontalAdvance(toQString(text));
        };
        const std::u16string hint
            = m_grid.VSTGetHint(line, column, width, m_columnWidth ? m_columnWidth(column) : 0);
        if (hint.empty())
            return {};
        return toQString(hint);
    }
    default:
        return {};
    }
}

QVariant GridTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= m_grid.columnCount())
        return {};
    return QString::fromStdString(m_grid.columns()[size_t(section)].caption);
}

void GridTableModel::addLine(int32_t row)
{
    m_grid.addLine(row);
    scheduleFlush();
}

void GridTableModel::scheduleFlush()
{
    if (m_updateDepth == 0 && !m_flushTimer.isActive())
        m_flushTimer.start(std::max<qint64>(0, kFlushSpacingMs - m_sinceFlush.elapsed()));
}

void GridTableModel::flush()
{
    const int lines = m_grid.lineCount();
    if (m_updateDepth > 0)
        return;
    if (m_refreshPending && m_shownLines > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_shownLines - 1, m_grid.columnCount() - 1));
    m_refreshPending = false;
    if (lines == m_shownLines)
        return;
    if (lines < m_shownLines) {
        // The model lost lines behind our back (cleared directly): start over.
        beginResetModel();
        m_shownLines = lines;
        endResetModel();
        return;
    }
    beginInsertRows({}, m_shownLines, lines - 1);
    m_shownLines = lines;
    endInsertRows();
    m_sinceFlush.restart();
}

void GridTableModel::clearLines()
{
    m_flushTimer.stop();
    beginResetModel();
    m_grid.clearLines();
    m_shownLines = 0;
    endResetModel();
}

void GridTableModel::showPlaceholder()
{
    m_flushTimer.stop();
    beginResetModel();
    m_grid.showPlaceholder();
    m_shownLines = m_grid.lineCount();
    endResetModel();
}

void GridTableModel::refresh()
{
    // Redirect hops ask for a repaint many times a second during a crawl; one per batch is
    // enough, since every cell is read from the live rows when it is painted.
    m_refreshPending = true;
    scheduleFlush();
}

void GridTableModel::beginUpdate()
{
    ++m_updateDepth;
}

void GridTableModel::endUpdate()
{
    if (m_updateDepth == 0)
        return;
    if (--m_updateDepth > 0)
        return;
    // Lines may have been removed and added directly in the model meanwhile: show it afresh.
    m_flushTimer.stop();
    beginResetModel();
    m_shownLines = m_grid.lineCount();
    endResetModel();
}

bool GridTableModel::headerClick(int column)
{
    if (m_grid.GridPlaceholder())
        return false;
    flush();
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int32_t> rowsBefore;
    rowsBefore.reserve(size_t(before.size()));
    for (const QModelIndex& index : before)
        rowsBefore.push_back(index.row() < m_grid.lineCount() ? m_grid.rowOf(index.row()) : -1);

    const bool sorted = m_grid.VSTHeaderClick(column);

    // Each line carries its own row, so a row's new line tells where its indexes went.
    const auto rows = m_grid.displayRows();
    int32_t maxRow = -1;
    for (const int32_t row : rows)
        maxRow = std::max(maxRow, row);
    std::vector<int> lineOfRow(size_t(maxRow + 1), -1);
    for (size_t line = 0; line < rows.size(); ++line)
        if (rows[line] >= 0)
            lineOfRow[size_t(rows[line])] = int(line);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int32_t row = rowsBefore[size_t(i)];
        const int line = row >= 0 && row <= maxRow ? lineOfRow[size_t(row)] : -1;
        after << (line >= 0 ? index(line, before[i].column()) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    return sorted;
}

ResultGridWidget::ResultGridWidget(GridModel& grid, const RowTable& rows, QWidget* parent)
    : QTableView(parent)
    , m_rows(rows)
    , m_model(new GridTableModel(grid, this))
{
    setModel(m_model);
    setFont(uiFont(9));
    m_model->setTextFont(font());
    m_model->setColumnWidthSource([this](int column) { return columnWidth(column); });

    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setMouseTracking(true); // hot tracking of the line under the mouse
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSortingEnabled(false);

    // A million lines stay smooth only with one fixed line height and no per-line sizing.
    QHeaderView* lines = verticalHeader();
    lines->hide();
    lines->setSectionResizeMode(QHeaderView::Fixed);
    lines->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
    lines->setMinimumSectionSize(1);

    QHeaderView* header = horizontalHeader();
    header->setFont(uiFont(8));
    header->setFixedHeight(20);
    header->setSortIndicatorShown(false);
    header->setSectionsMovable(false);
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    connect(header, &QHeaderView::sectionClicked, this, &ResultGridWidget::headerClick);

    buildColumns();

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &ResultGridWidget::selectionToModel);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                m_model->grid().setFocusedLine(current.isValid() ? current.row() : -1);
                Q_EMIT clickAction();
            });

    m_menu = new QMenu(this);
    m_copyAll = m_menu->addAction(QStringLiteral("Copy All URLs"));
    m_copySelected = m_menu->addAction(QStringLiteral("Copy Selected URLs"));
    m_menu->addSeparator();
    m_copyCell = m_menu->addAction(QStringLiteral("Copy Cell content"));
    // CopyAllURLs1Click, CopyURL1Click and CopyCellcontent1Click.
    connect(m_copyAll, &QAction::triggered, this, [this] { CopyUrlsToClipboard(false); });
    connect(m_copySelected, &QAction::triggered, this, [this] { CopyUrlsToClipboard(true); });
    connect(m_copyCell, &QAction::triggered, this, [this] { CopyCellcontent1Click(); });
}

void ResultGridWidget::buildColumns()
{
    const QFontMetrics metrics(font());
    const auto& columns = m_model->grid().columns();
    for (size_t i = 0; i < columns.size(); ++i)
        setColumnWidth(int(i), initialColumnWidth(metrics.horizontalAdvance(QString::fromStdString(columns[i].widthSample))));
}

void ResultGridWidget::headerClick(int column)
{
    m_model->headerClick(column);
}

void ResultGridWidget::selectionToModel(const QItemSelection& selected, const QItemSelection& deselected)
{
    GridModel& grid = m_model->grid();
    const int lines = grid.lineCount();
    for (const QItemSelectionRange& range : deselected)
        for (int line = range.top(); line <= range.bottom() && line < lines; ++line)
            grid.setSelected(line, false);
    // Full-row selection keeps a line's cells together, so a range's rows are its lines.
    for (const QItemSelectionRange& range : selected)
        for (int line = range.top(); line <= range.bottom() && line < lines; ++line)
            grid.setSelected(line, true);
    Q_EMIT clickAction();
}

void ResultGridWidget::selectLines(const std::vector<int>& lines)
{
    m_model->flush();
    QItemSelection selection;
    const int lastColumn = m_model->columnCount() - 1;
    for (const int line : lines)
        selection.select(m_model->index(line, 0), m_model->index(line, lastColumn));
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!lines.empty())
        selectionModel()->setCurrentIndex(m_model->index(lines.back(), 0), QItemSelectionModel::NoUpdate);
}

void ResultGridWidget::mousePressEvent(QMouseEvent* event)
{
    GridModel& grid = m_model->grid();
    if (grid.GridPlaceholder()) {
        event->accept();
        return;
    }
    const QModelIndex hit = indexAt(event->position().toPoint());
    grid.VSTMouseDown(hit.isValid() ? hit.row() : -1, hit.isValid() ? hit.column() : -1);
    // A right click only aims the context menu; it leaves selection and focus alone.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void ResultGridWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_model->grid().GridPlaceholder() || event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTableView::mouseReleaseEvent(event);
    Q_EMIT clickAction();
}

void ResultGridWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (m_model->grid().GridPlaceholder()) {
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

void ResultGridWidget::keyPressEvent(QKeyEvent* event)
{
    if (m_model->grid().GridPlaceholder()) {
        event->ignore();
        return;
    }
    QTableView::keyPressEvent(event);
}

void ResultGridWidget::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    // The column rules run on below the last line, down to the bottom of the grid.
    const int lines = m_model->rowCount();
    const int bottom = lines > 0 ? rowViewportPosition(lines - 1) + rowHeight(lines - 1) : 0;
    if (bottom >= viewport()->height())
        return;
    QPainter painter(viewport());
    const QStyleOptionViewItem option;
    painter.setPen(QColor(QRgb(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this))));
    for (int column = 0; column < m_model->columnCount(); ++column) {
        const int x = columnViewportPosition(column) + columnWidth(column) - 1;
        if (x >= 0 && x < viewport()->width())
            painter.drawLine(x, std::max(bottom, 0), x, viewport()->height());
    }
}

QMenu* ResultGridWidget::PopupMenu1Popup()
{
    const GridModel& grid = m_model->grid();
    if (grid.GridPlaceholder() || grid.lineCount() == 0)
        return nullptr;
    m_copySelected->setEnabled(true);
    if (grid.selectedCount() < 1)
        m_copySelected->setEnabled(false);
    return m_menu;
}

void ResultGridWidget::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    m_model->flush();
    if (QMenu* menu = PopupMenu1Popup())
        menu->exec(event->globalPos());
}

void ResultGridWidget::CopyUrlsToClipboard(bool selectedOnly)
{
    m_model->flush();
    const GridModel& grid = m_model->grid();
    const auto rows = grid.displayRows();
    const auto selected = grid.selectedFlags();
    std::string text;
    bool any = false;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (selectedOnly && !selected[i])
            continue;
        text += m_rows[rows[i]].Url;
        text += "\r\n";
        any = true;
    }
    if (any)
        QApplication::clipboard()->setText(toQString(widenSystemCodePage(text)));
}

void ResultGridWidget::CopyCellcontent1Click()
{
    const GridModel& grid = m_model->grid();
    const int line = grid.HitLine();
    const int column = grid.HitColumn();
    if (line < 0 || column < 0 || line >= grid.lineCount())
        return;
    const std::u16string text = grid.VSTGetText(line, column);
    if (!text.empty())
        QApplication::clipboard()->setText(toQString(text));
}
