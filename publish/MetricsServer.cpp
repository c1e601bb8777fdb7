#include "publish/MetricsServer.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpServer>

namespace {

const QByteArray TextFormat = QByteArrayLiteral("text/plain; version=0.0.4; charset=utf-8");

} // namespace

MetricsServer::MetricsServer(const MeterMetrics &metrics, Clock clock, QObject *parent)
    : QAbstractHttpServer(parent), metrics(metrics), clock(std::move(clock)) {}

std::optional<uint16_t> MetricsServer::start(const QHostAddress &address, uint16_t port, QString *error) {
    auto *listener = new QTcpServer(this);
    if (!listener->listen(address, port)) {
        *error = QStringLiteral("cannot serve metrics on %1 port %2: %3")
                     .arg(address.toString(), QString::number(port), listener->errorString());
        delete listener;
        return std::nullopt;
    }
    bind(listener);
    return listener->serverPort();
}

bool MetricsServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) {
    QHttpServerResponder responder = makeResponder(request, socket);
    if (request.url().path() != QLatin1String("/metrics")) {
        responder.write(QByteArrayLiteral("Not found: the metrics are at /metrics\n"),
                        {{"Content-Type", "text/plain; charset=utf-8"}},
                        QHttpServerResponder::StatusCode::NotFound);
        return true;
    }
    if (request.method() != QHttpServerRequest::Method::Get) {
        responder.write(QByteArrayLiteral("Only GET is served here\n"),
                        {{"Content-Type", "text/plain; charset=utf-8"}, {"Allow", "GET"}},
                        QHttpServerResponder::StatusCode::MethodNotAllowed);
        return true;
    }
    responder.write(metrics.render(clock()), {{"Content-Type", TextFormat}});
    return true;
}

void MetricsServer::missingHandler(const QHttpServerRequest &, QTcpSocket *) {
    // handleRequest answers every request itself.
}
