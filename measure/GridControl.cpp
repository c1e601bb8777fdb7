#include "measure/GridControl.h"

#include "app/Twips.h"

#include <QHeaderView>

GridControl::GridControl(QWidget *parent) : QTableWidget(parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    // Row heights are designed in twips; the header's font-based minimum would override them.
    verticalHeader()->setMinimumSectionSize(1);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void GridControl::setCols(int cols) {
    setColumnCount(cols);
    columnAlignment.resize(size_t(cols), Qt::AlignLeft | Qt::AlignVCenter);
}

QString GridControl::TextMatrix(int row, int col) const {
    const QTableWidgetItem *cell = item(row, col);
    return cell ? cell->text() : QString();
}

void GridControl::setTextMatrix(int row, int col, const QString &text) {
    QTableWidgetItem *cell = item(row, col);
    if (!cell) {
        cell = new QTableWidgetItem;
        cell->setTextAlignment(columnAlignment.at(size_t(col)));
        setItem(row, col, cell);
    }
    cell->setText(text);
}

void GridControl::setColWidth(int col, int size) {
    setColumnWidth(col, twips(size));
}

void GridControl::setColAlignment(int col, int alignment) {
    const Qt::Alignment chosen =
        alignment == 4 ? Qt::AlignCenter : Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter);
    columnAlignment.at(size_t(col)) = chosen;
    for (int row = 0; row < rowCount(); ++row)
        if (QTableWidgetItem *cell = item(row, col))
            cell->setTextAlignment(chosen);
}

void GridControl::setRowHeightTwips(int row, int size) {
    setRowHeight(row, twips(size));
}

void GridControl::setTwipsGeometry(int left, int top, int width, int height) {
    setGeometry(twips(left), twips(top), twips(width), twips(height));
}
