#include "app/TabStrip.h"

#include <QFrame>
#include <QResizeEvent>
#include <QTabBar>

TabStrip::TabStrip(const QStringList &captions, QWidget *parent)
    : QWidget(parent), bar(new QTabBar(this)), page(new QFrame(this)) {
    for (const QString &caption : captions)
        bar->addTab(caption);
    bar->setDrawBase(false);
    bar->move(2, 0);
    bar->adjustSize();

    page->setFrameShape(QFrame::StyledPanel);
    page->lower();

    connect(bar, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index < 0)
            return;
        bar->setCurrentIndex(index);
        emit Click();
    });
}

int TabStrip::SelectedIndex() const { return bar->currentIndex() + 1; }

void TabStrip::setSelectedIndex(int index) { bar->setCurrentIndex(index - 1); }

void TabStrip::resizeEvent(QResizeEvent *) {
    bar->adjustSize();
    page->setGeometry(0, bar->height() - 1, width(), height() - bar->height() + 1);
}
