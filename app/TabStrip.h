#pragma once

#include <QWidget>

class QFrame;
class QTabBar;

// A strip of tabs over a framed page area. Click fires for every click on a tab, also on the
// tab that is already selected, after the clicked tab has become the selected one.
class TabStrip final : public QWidget {
    Q_OBJECT
public:
    explicit TabStrip(const QStringList &captions, QWidget *parent = nullptr);

    // 1-based, as the tabs are numbered.
    int SelectedIndex() const;
    void setSelectedIndex(int index);
    QTabBar *tabBar() const { return bar; }

signals:
    void Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QTabBar *bar;
    QFrame *page;
};
