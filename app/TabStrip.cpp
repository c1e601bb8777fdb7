#include "app/TabStrip.h"

#include <QFrame>
#include <QGuiApplication>
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

    // The view follows the selected tab only through Click, so the selection may change by a
    // left click alone: no keyboard focus, no wheel, no other mouse button.
    bar->setFocusPolicy(Qt::NoFocus);
    bar->installEventFilter(this);
    connect(bar, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index < 0 || !(QGuiApplication::mouseButtons() & Qt::LeftButton))
            return;
        bar->setCurrentIndex(index);
        emit Click();
    });
}

int TabStrip::SelectedIndex() const {
    return bar->currentIndex() + 1;
}

void TabStrip::setSelectedIndex(int index) {
    bar->setCurrentIndex(index - 1);
}

bool TabStrip::eventFilter(QObject *watched, QEvent *event) {
    return watched == bar && (event->type() == QEvent::Wheel || event->type() == QEvent::KeyPress);
}

void TabStrip::resizeEvent(QResizeEvent *) {
    bar->adjustSize();
    page->setGeometry(0, bar->height() - 1, width(), height() - bar->height() + 1);
}
