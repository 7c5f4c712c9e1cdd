#include "VoltlineApplication.h"

#include <QMessageBox>

#include <exception>

VoltlineApplication::VoltlineApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool VoltlineApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        showException(e.what());
    } catch (...) {
        showException("Unknown error.");
    }
    return false;
}

void VoltlineApplication::showException(const char *what)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Voltline"), QString::fromUtf8(what),
                    QMessageBox::Ok);
    box.exec();
}
