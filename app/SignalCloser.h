#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the UI thread, so they close the bar
// the way its menu does (settings saved, tray icon removed).
class SignalCloser final : public QObject {
    Q_OBJECT
public:
    explicit SignalCloser(QObject *parent = nullptr);
    ~SignalCloser() override;

signals:
    void terminationRequested();

private:
    void drain();
    QSocketNotifier *m_notifier = nullptr;
};
