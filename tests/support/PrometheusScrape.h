#pragma once

// A scrape of a metrics endpoint over real HTTP, parsed by Prometheus' own Python client
// (python3-prometheus-client) in a process of its own, so the caller's thread may serve it.

#include <QJsonObject>
#include <QString>

#include <cstdint>

// {"status": 200, "content_type": ..., "families": [{"name", "type", "help", "samples": [{"name",
// "labels", "value"}]}]} for http://127.0.0.1:PORT/metrics, or an empty object with the reason in
// `problem`.
QJsonObject scrapedByPrometheusClient(uint16_t port, QString *problem);

// The family of that name in a scrape, or an empty object.
QJsonObject familyNamed(const QJsonObject &scrape, const QString &name);
