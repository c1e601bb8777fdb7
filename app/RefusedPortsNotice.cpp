// Telling the user that ports were refused for permission, without stopping the search.
#include "app/Form1.h"

#include <QDebug>
#include <QMessageBox>

void Form1::ReportRefusedPorts(const QString &notice) {
    if (notice.isEmpty())
        return;
    qWarning().noquote() << notice;
    auto *box =
        new QMessageBox(QMessageBox::Warning, QStringLiteral("Serial ports"), notice, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("RefusedPortsNotice"));
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // The window stays usable and the search goes on while the notice is up.
    box->setWindowModality(Qt::NonModal);
    box->show();
}
