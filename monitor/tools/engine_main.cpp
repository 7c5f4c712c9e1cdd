// Runs the sampler and the monitor against the kernel's power-supply folder and prints, once a
// second, what the strip would show. Never shuts anything down.
//
// usage: voltline-engine [power-supply-folder [seconds]]
#include "BarSettings.h"
#include "Monitor.h"
#include "MonitorHost.h"
#include "ShutdownRequester.h"
#include "SysfsPowerSource.h"
#include "TPowerInfo.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

namespace {

class PrintingHost final : public MonitorHost {
public:
    void setGaugeColor(quint32 color) override { m_color = color; }
    void setGaugePosition(int position) override { m_position = position; }
    void setPercentText(const QString &text) override { m_percent = text; }
    void setTimeText(const QString &text) override { m_time = text; }
    void setApplicationTitle(const QString &text) override { m_title = text; }
    void setHintText(const QString &text) override { m_hint = text; }
    void showStatusBox(const QString &caption, const QString &text, bool warning) override
    {
        std::printf("[status box] %s: %s%s\n", qPrintable(caption), qPrintable(text),
                    warning ? " (warning)" : "");
    }
    void invalidateWindow() override {}
    bool isWindowNormal() const override { return true; }
    void drawStateIcon(QChar, int, int, int, int) override {}
    void SnapToEdges() override {}
    void UpdateTrayTip() override {}
    void SaveSettings() override { std::printf("[save settings]\n"); }

    void print(const Monitor &monitor) const
    {
        std::printf("%-5s gauge=%-3d colour=0x%08X state=%c time=%-8s title=\"%s\" hint=\"%s\"\n",
                    qPrintable(m_percent), m_position, m_color, monitor.DisplayState.toLatin1(),
                    qPrintable(m_time), qPrintable(m_title), qPrintable(m_hint));
        std::fflush(stdout);
    }

private:
    quint32 m_color = 0;
    int m_position = 0;
    QString m_percent, m_time, m_title, m_hint;
};

class PrintingShutdown final : public ShutdownRequester {
public:
    void requestPowerOff(bool withRights, Answer answer) override
    {
        std::printf("[shutdown requested%s: dry run, not powering off]\n",
                    withRights ? " with rights" : "");
        answer(Result::Failed);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString root = args.size() > 1 ? args.at(1) : QStringLiteral("/sys/class/power_supply");
    const int seconds = args.size() > 2 ? args.at(2).toInt() : 0; // 0: run until killed

    SysfsPowerSource source(root);
    PrintingHost host;
    PrintingShutdown shutdown;
    BarSettings settings;
    DischargeStatistics stats;
    TPowerInfo power(source, &app);
    Monitor monitor(power, settings, stats, host, shutdown);
    monitor.StartMonitor();

    int ticks = 0;
    QTimer tick;
    tick.setInterval(1000);
    QObject::connect(&tick, &QTimer::timeout, &app, [&] {
        monitor.tmrComputeInfoTimer();
        monitor.tmrDisplayInfoTimer();
        host.print(monitor);
        if (seconds > 0 && ++ticks >= seconds)
            app.quit();
    });
    // Line the monitor's ticks up with the sampler's, as the window does.
    power.timer()->start();
    tick.start();
    return app.exec();
}
