#pragma once

#include <QObject>
#include <QString>

#include <functional>

// One bar per session and store: the first start owns a name on the session bus derived from
// its store; a later start asks that one to show itself and ends. The bus drops the name of
// a process that dies, so a crash leaves nothing behind that blocks the next start.
class SingleInstance final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.quorvex.Voltline")
public:
    explicit SingleInstance(const QString &storeFile, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when another start on the same store runs and has been asked to show itself; this
    // one should end. Without a session bus every start runs.
    bool handOver();
    // What a later start asks of this one.
    void setActivation(std::function<void()> activate) { m_activate = std::move(activate); }

    static QString serviceName(const QString &storeFile);

public slots:
    Q_SCRIPTABLE void Activate();

private:
    bool claim();

    QString m_service;
    bool m_owner = false;
    std::function<void()> m_activate;
};
