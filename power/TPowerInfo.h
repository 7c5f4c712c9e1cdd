#pragma once

#include <QObject>
#include <QtGlobal>

#include <functional>

class PowerSource;
class QTimer;

// Samples the power status and the desktop work area once a second and reports changes of
// the AC line status and of the battery flag.
class TPowerInfo : public QObject {
    Q_OBJECT
    // Read-only in effect: writes go to IgnoreLong, so restored values never disturb live ones.
    Q_PROPERTY(qint32 PowerSupply READ PowerSupply WRITE IgnoreLong)
    Q_PROPERTY(qint32 BatteryStatus READ BatteryStatus WRITE IgnoreLong)
    Q_PROPERTY(qint32 BatteryPercent READ BatteryPercent WRITE IgnoreLong)
    Q_PROPERTY(qint32 BatteryTime READ BatteryTime WRITE IgnoreLong)
    Q_PROPERTY(qint32 Top READ Top WRITE IgnoreLong)
    Q_PROPERTY(qint32 Bottom READ Bottom WRITE IgnoreLong)
    Q_PROPERTY(qint32 Left READ Left WRITE IgnoreLong)
    Q_PROPERTY(qint32 Right READ Right WRITE IgnoreLong)
    Q_PROPERTY(qint32 Height READ Height WRITE IgnoreLong)
    Q_PROPERTY(qint32 Width READ Width WRITE IgnoreLong)

public:
    // A notify event: receives the sampler as sender.
    using TNotifyEvent = std::function<void(QObject *sender)>;

    // Reads the source at once (twice: the baseline for change detection, then a refresh)
    // and starts the 1000 ms timer.
    TPowerInfo(PowerSource &source, QObject *owner);

    void Refresh();
    virtual void OnTimer(QObject *sender);

    void SetOnBatteryStatus(TNotifyEvent handler);
    void SetOnACLineStatus(TNotifyEvent handler);
    const TNotifyEvent &OnBatteryStatus() const { return FOnBatteryStatus; }
    const TNotifyEvent &OnACLineStatus() const { return FOnACLineStatus; }

    void IgnoreLong(qint32) {}

    qint32 PowerSupply() const { return FPowerSupply; }
    qint32 BatteryStatus() const { return FBatteryStatus; }
    qint32 BatteryPercent() const { return FBatteryPercent; }
    qint32 BatteryTime() const { return FBatteryTime; } // minutes
    // BatteryPercent was really read at the last refresh: neither "cannot tell" (stored as 0)
    // nor a last reading standing in for a battery that could not be read.
    bool ChargeRead() const { return m_chargeRead; }
    // On mains with the battery held where it is (a charge limit, "Full" below 100 %).
    bool BatteryHeld() const { return m_batteryHeld; }
    qint32 Top() const { return FTop; }
    qint32 Bottom() const { return FBottom; }
    qint32 Left() const { return FLeft; }
    qint32 Right() const { return FRight; }
    qint32 Height() const { return FHeight; }
    qint32 Width() const { return FWidth; }

    // The polling timer, so that the owner can restart it in step with its own timers.
    QTimer *timer() const { return FTimer; }

private:
    PowerSource &m_source;

    qint32 FPowerSupply = 0;
    qint32 FLastPowerSupply = 0;
    qint32 FBatteryStatus = 0;
    qint32 FLastBatteryStatus = 0;
    qint32 FBatteryPercent = 0;
    qint32 FBatteryTime = 0;
    bool m_chargeRead = false;
    bool m_batteryHeld = false;
    QTimer *FTimer = nullptr;
    TNotifyEvent FOnBatteryStatus;
    TNotifyEvent FOnACLineStatus;
    qint32 FTop = 0;
    qint32 FBottom = 0;
    qint32 FLeft = 0;
    qint32 FRight = 0;
    qint32 FHeight = 0;
    qint32 FWidth = 0;
};
