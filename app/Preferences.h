#pragma once

#include "readings/AlarmLimits.h"

#include <QHash>
#include <QObject>

#include <memory>
#include <vector>

class QSettings;
class QWidget;

// What the window remembers from one run to the next: the alarm limits, where its windows were
// and how big, and the trend's span. Nothing is written until one of them is set or a window
// it keeps the place of is hidden.
class Preferences final : public QObject {
    Q_OBJECT
public:
    explicit Preferences(std::unique_ptr<QSettings> settings);
    ~Preferences() override;

    // The limits last set, leaving out any that could not be watched.
    std::vector<AlarmLimit> alarmLimits() const;
    void setAlarmLimits(const std::vector<AlarmLimit> &limits);

    // The trend's span last chosen, or -1.
    int trendSpan() const;
    void setTrendSpan(int span);

    // Puts the window where it was when it was last hidden; false when nothing is remembered.
    bool restorePlace(QWidget *window, const QString &name) const;
    // From now on, remembers where the window is and its size whenever it is hidden or closed,
    // and when the program ends while it is shown.
    void rememberPlace(QWidget *window, const QString &name);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void savePlace(QWidget *window, const QString &name);

    std::unique_ptr<QSettings> settings;
    QHash<QObject *, QString> placeNames;
};
