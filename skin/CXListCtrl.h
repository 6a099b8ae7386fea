#pragma once

#include <QColor>
#include <QTableWidget>

class CXHeaderCtrl;

// A report-view list with the flat light-blue header; the area without rows shows a pale blue.
class CXListCtrl : public QTableWidget {
    Q_OBJECT
public:
    explicit CXListCtrl(QWidget* parent = nullptr);

    static inline const QColor kBackground{239, 247, 247};

    // Appends a column: "L" left, "R" right, anything else centred. Returns its index. A column of width 0
    // holds texts the list needs but does not show: it comes after the shown ones and is kept beside the row,
    // not as a column, so a screen reader meets no empty column either.
    int AddColumn(char alignment, int width, const QString& header);
    Qt::Alignment ColumnAlignment(int column) const;

    // Rows: the row's own text is column 0; texts are aligned as their column.
    int InsertItem(int row, const QString& text);
    void SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;

    CXHeaderCtrl* Header() const { return m_header; }

protected:
    void paintEvent(QPaintEvent* event) override;
    // The current row is the focused one only while the list holds the focus.
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    CXHeaderCtrl* m_header;
    QList<Qt::Alignment> m_alignments;
    int m_keptColumns = 0;
    QPersistentModelIndex m_currentBeforeFocusLeft;
};
