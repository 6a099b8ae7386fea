#include "skin/CXListCtrl.h"

#include "skin/CXHeaderCtrl.h"

#include <QHeaderView>
#include <QPainter>

CXListCtrl::CXListCtrl(QWidget* parent) : QTableWidget(parent), m_header(new CXHeaderCtrl(this)) {
    m_header->setObjectName(QStringLiteral("listHeader"));
    m_header->setAccessibleName(QStringLiteral("열 제목"));
    setHorizontalHeader(m_header);
    verticalHeader()->hide();
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the list for the next control, as in every list; the arrows move within it.
    setTabKeyNavigation(false);
    setShowGrid(false);
    setWordWrap(false);
    m_header->setStretchLastSection(false);
    // The empty area is painted by us; rows are painted over it.
    viewport()->setAutoFillBackground(false);
}

int CXListCtrl::AddColumn(char alignment, int width, const QString& header) {
    Qt::Alignment align = Qt::AlignHCenter;
    if (alignment == 'L') {
        align = Qt::AlignLeft;
    } else if (alignment == 'R') {
        align = Qt::AlignRight;
    }
    m_alignments.append(align);
    if (width == 0 || m_keptColumns > 0) {
        return columnCount() + m_keptColumns++;
    }
    const int column = columnCount();
    insertColumn(column);
    setHorizontalHeaderItem(column, new QTableWidgetItem(header));
    setColumnWidth(column, width);
    return column;
}

Qt::Alignment CXListCtrl::ColumnAlignment(int column) const {
    return column >= 0 && column < m_alignments.size() ? m_alignments[column] : Qt::AlignLeft;
}

int CXListCtrl::InsertItem(int row, const QString& text) {
    row = std::clamp(row, 0, rowCount());
    insertRow(row);
    SetItemText(row, 0, text);
    return row;
}

void CXListCtrl::SetItemText(int row, int column, const QString& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount() + m_keptColumns) {
        return;
    }
    if (column >= columnCount()) {
        // A kept value rides on the row's first shown cell; a list that shows no column has none to carry it.
        if (columnCount() == 0) {
            return;
        }
        if (!item(row, 0)) {
            SetItemText(row, 0, QString());
        }
        item(row, 0)->setData(Qt::UserRole + column, text);
        return;
    }
    auto* cell = item(row, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        cell->setTextAlignment(ColumnAlignment(column) | Qt::AlignVCenter);
        setItem(row, column, cell);
    }
    cell->setText(text);
}

QString CXListCtrl::GetItemText(int row, int column) const {
    if (column >= columnCount()) {
        const auto* first = item(row, 0);
        return first ? first->data(Qt::UserRole + column).toString() : QString();
    }
    const auto* cell = item(row, column);
    return cell ? cell->text() : QString();
}

void CXListCtrl::focusInEvent(QFocusEvent* event) {
    if (m_currentBeforeFocusLeft.isValid() && !currentIndex().isValid()) {
        selectionModel()->setCurrentIndex(m_currentBeforeFocusLeft, QItemSelectionModel::NoUpdate);
    }
    QTableWidget::focusInEvent(event);
}

void CXListCtrl::focusOutEvent(QFocusEvent* event) {
    QTableWidget::focusOutEvent(event);
    m_currentBeforeFocusLeft = currentIndex();
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void CXListCtrl::paintEvent(QPaintEvent* event) {
    {
        QPainter p(viewport());
        p.fillRect(viewport()->rect(), kBackground);
        if (rowCount() > 0 && columnCount() > 0) {
            const int lastRow = rowCount() - 1;
            const int bottom = rowViewportPosition(lastRow) + rowHeight(lastRow);
            const int right = m_header->length() - m_header->offset();
            p.fillRect(QRect(0, 0, right, bottom), palette().brush(QPalette::Base));
        }
    }
    QTableWidget::paintEvent(event);
}
