#include "support/PrometheusScrape.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>

QJsonObject scrapedByPrometheusClient(uint16_t port, QString *problem) {
    QProcess python;
    python.start(QStringLiteral(PYTHON3_PATH),
                 {QStringLiteral(PARSE_METRICS_PATH),
                  QStringLiteral("http://127.0.0.1:%1/metrics").arg(QString::number(port))});
    if (!QTest::qWaitFor([&] { return python.state() == QProcess::NotRunning; }, 20000) ||
        python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0) {
        *problem = QStringLiteral("%1 failed (needs python3-prometheus-client): %2")
                       .arg(QStringLiteral(PYTHON3_PATH), QString::fromUtf8(python.readAllStandardError()));
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

QJsonObject familyNamed(const QJsonObject &scrape, const QString &name) {
    for (const QJsonValue &family : scrape.value("families").toArray())
        if (family.toObject().value("name").toString() == name)
            return family.toObject();
    return {};
}
