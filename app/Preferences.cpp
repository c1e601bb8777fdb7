#include "app/Preferences.h"

#include <QEvent>
#include <QSettings>
#include <QWidget>

namespace {

const QString AlarmsKey = QStringLiteral("alarms");
const QString TrendSpanKey = QStringLiteral("trend/span");

QString placeKey(const QString &name) {
    return name + QStringLiteral("/geometry");
}

std::optional<double> optionalNumber(const QSettings &settings, const QString &key) {
    bool isNumber = false;
    const double number = settings.value(key).toDouble(&isNumber);
    return isNumber ? std::optional<double>(number) : std::nullopt;
}

} // namespace

Preferences::Preferences(std::unique_ptr<QSettings> settings) : settings(std::move(settings)) {}

Preferences::~Preferences() {
    // The program is ending: windows still shown were never hidden.
    for (auto window = placeNames.constBegin(); window != placeNames.constEnd(); ++window)
        if (auto *widget = qobject_cast<QWidget *>(window.key()); widget && widget->isVisible())
            savePlace(widget, window.value());
}

std::vector<AlarmLimit> Preferences::alarmLimits() const {
    std::vector<AlarmLimit> limits;
    const int count = settings->beginReadArray(AlarmsKey);
    for (int index = 0; index < count; ++index) {
        settings->setArrayIndex(index);
        AlarmLimit limit;
        limit.item = settings->value(QStringLiteral("item")).toString();
        limit.lower = optionalNumber(*settings, QStringLiteral("lower"));
        limit.upper = optionalNumber(*settings, QStringLiteral("upper"));
        limit.holdMs = settings->value(QStringLiteral("holdMs"), DefaultAlarmHoldMs).toLongLong();
        limit.hysteresisPercent =
            settings->value(QStringLiteral("hysteresisPercent"), DefaultAlarmHysteresisPercent).toDouble();
        // A file edited by hand, or by another version, must not set limits the dialog would refuse.
        if (alarmLimitProblem(limit).isEmpty())
            limits.push_back(limit);
    }
    settings->endArray();
    return limits;
}

void Preferences::setAlarmLimits(const std::vector<AlarmLimit> &limits) {
    // Entries of a longer list before would otherwise keep the keys this one does not set.
    settings->remove(AlarmsKey);
    settings->beginWriteArray(AlarmsKey, int(limits.size()));
    for (size_t index = 0; index < limits.size(); ++index) {
        const AlarmLimit &limit = limits[index];
        settings->setArrayIndex(int(index));
        settings->setValue(QStringLiteral("item"), limit.item);
        if (limit.lower)
            settings->setValue(QStringLiteral("lower"), *limit.lower);
        if (limit.upper)
            settings->setValue(QStringLiteral("upper"), *limit.upper);
        settings->setValue(QStringLiteral("holdMs"), limit.holdMs);
        settings->setValue(QStringLiteral("hysteresisPercent"), limit.hysteresisPercent);
    }
    settings->endArray();
    settings->sync();
}

int Preferences::trendSpan() const {
    return settings->value(TrendSpanKey, -1).toInt();
}

void Preferences::setTrendSpan(int span) {
    settings->setValue(TrendSpanKey, span);
    settings->sync();
}

bool Preferences::restorePlace(QWidget *window, const QString &name) const {
    const QByteArray geometry = settings->value(placeKey(name)).toByteArray();
    return !geometry.isEmpty() && window->restoreGeometry(geometry);
}

void Preferences::rememberPlace(QWidget *window, const QString &name) {
    placeNames.insert(window, name);
    window->installEventFilter(this);
    connect(window, &QObject::destroyed, this, [this](QObject *gone) { placeNames.remove(gone); });
}

bool Preferences::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Hide) {
        const auto name = placeNames.constFind(watched);
        if (auto *window = qobject_cast<QWidget *>(watched); name != placeNames.constEnd() && window)
            savePlace(window, *name);
    }
    return QObject::eventFilter(watched, event);
}

void Preferences::savePlace(QWidget *window, const QString &name) {
    settings->setValue(placeKey(name), window->saveGeometry());
    settings->sync();
}
