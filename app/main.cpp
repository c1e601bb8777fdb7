#include "app/Form1.h"
#include "app/QtPlatform.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("powerclamp"));
    QtPlatform platform;
    Form1 window(platform);
    window.adjustSize();
    window.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(),
                                           window.screen()->availableGeometry()));
    window.show();
    return application.exec();
}
