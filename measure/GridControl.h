#pragma once

#include <QTableWidget>

#include <vector>

// The record grid with the classic grid control's interface: Rows, Cols, TextMatrix and
// per-column widths and alignments, sizes in twips (15 twips = 1 pixel).
class GridControl final : public QTableWidget {
    Q_OBJECT
public:
    explicit GridControl(QWidget *parent = nullptr);

    int Rows() const { return rowCount(); }
    void setRows(int rows) { setRowCount(rows); }
    int Cols() const { return columnCount(); }
    void setCols(int cols);

    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString &text);

    void setColWidth(int col, int twips);
    // 4 centres the text horizontally and vertically; other values align left.
    void setColAlignment(int col, int alignment);
    void setRowHeightTwips(int row, int twips);
    void setTwipsGeometry(int left, int top, int width, int height);

private:
    std::vector<Qt::Alignment> columnAlignment;
};
