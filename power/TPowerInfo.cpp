#include "TPowerInfo.h"

#include "PowerSource.h"

#include <QTimer>

#include <utility>

TPowerInfo::TPowerInfo(PowerSource &source, QObject *owner)
    : QObject(owner)
    , m_source(source)
{
    // Baseline for change detection, so that the first refresh raises no event.
    const PowerStatusReading first = m_source.readPowerStatus();
    FLastPowerSupply = first.ACLineStatus;
    FLastBatteryStatus = first.BatteryFlag;

    FTimer = new QTimer(this);
    FTimer->setInterval(1000);
    // Dispatched at call time, so an override of OnTimer is what runs.
    connect(FTimer, &QTimer::timeout, this, [this] { OnTimer(FTimer); });
    FTimer->start();

    Refresh();
}

void TPowerInfo::OnTimer(QObject *)
{
    Refresh();
}

void TPowerInfo::Refresh()
{
    const PowerStatusReading status = m_source.readPowerStatus();
    FPowerSupply = status.ACLineStatus;
    FBatteryStatus = status.BatteryFlag;
    FBatteryPercent = status.BatteryLifePercent > 100 ? 0 : status.BatteryLifePercent;
    FBatteryTime = status.BatteryLifeTime == -1 ? 0 : status.BatteryLifeTime / 60;
    m_chargeRead = status.BatteryLifePercent <= 100 && !status.ChargeBridged;
    m_batteryHeld = status.BatteryHeld;

    // The last-considered values move only after the handler returns: a handler that runs a
    // nested event loop sees the same change again from a nested refresh.
    // Handlers run from a copy: one may replace itself (the setters allow it) while running.
    if (FLastPowerSupply != FPowerSupply) {
        if (FOnACLineStatus) {
            const TNotifyEvent handler = FOnACLineStatus;
            handler(this);
        }
        FLastPowerSupply = FPowerSupply;
    }
    if (FLastBatteryStatus != FBatteryStatus) {
        if (FOnBatteryStatus) {
            const TNotifyEvent handler = FOnBatteryStatus;
            handler(this);
        }
        FLastBatteryStatus = FBatteryStatus;
    }

    const WorkAreaRect area = m_source.readWorkArea();
    FTop = area.Top;
    FBottom = area.Bottom;
    FLeft = area.Left;
    FRight = area.Right;
    FHeight = qint32(qint64(FBottom) - FTop);
    FWidth = qint32(qint64(FRight) - FLeft);
}

void TPowerInfo::SetOnBatteryStatus(TNotifyEvent handler)
{
    FOnBatteryStatus = std::move(handler);
    Refresh();
}

void TPowerInfo::SetOnACLineStatus(TNotifyEvent handler)
{
    FOnACLineStatus = std::move(handler);
    Refresh();
}
