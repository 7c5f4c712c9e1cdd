#pragma once

#include <QApplication>

// The application object: an exception that escapes an event handler is shown in a message
// box and the program goes on.
class VoltlineApplication final : public QApplication {
    Q_OBJECT
public:
    VoltlineApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    static void showException(const char *what);
};
