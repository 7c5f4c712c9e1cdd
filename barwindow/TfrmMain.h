#pragma once

#include "BarLayout.h"
#include "BarPresence.h"
#include "BarSettings.h"
#include "ConfigurationApply.h"
#include "MonitorHost.h"
#include "StateIconCache.h"
#include "StripLabel.h"
#include "WindowDrag.h"
#include "XlibSettler.h"

#include <QChar>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class Monitor;
class PowerSource;
class QAction;
class QMenu;
class QTimer;
class SettingsStore;
class ShutdownRequester;
class TFlatHint;
class TFlatProgressBar;
class TPowerInfo;
class TrayIcon;

// The strip: percent, gauge, time and state icon inside a bevel. The program's main window.
class TfrmMain final : public QWidget, public MonitorHost, public ConfigurationTarget {
    Q_OBJECT
public:
    TfrmMain(PowerSource &source, SettingsStore &store, ShutdownRequester &shutdown,
             std::unique_ptr<TrayIcon> tray, QWidget *parent = nullptr);
    ~TfrmMain() override;

    // Components, named as the rest of the program knows them.
    StripLabel lblPercent;
    StripLabel lblTime;
    TFlatProgressBar *ProgressBar = nullptr;
    TPowerInfo *PowerInfo = nullptr;
    QTimer *tmrComputeInfo = nullptr;
    QTimer *tmrDisplayInfo = nullptr;
    TFlatHint *FlatHint = nullptr;
    QMenu *popMain = nullptr;
    QAction *mnuMinimize = nullptr;
    QAction *mnuRestore = nullptr;
    QAction *mnuBatteryStatus = nullptr;
    QAction *mnuAlwaysOnTop = nullptr;
    QAction *mnuConfiguration = nullptr;
    QAction *mnuFullHelp = nullptr;
    QAction *mnuHelp = nullptr;
    QAction *mnuAbout = nullptr;
    QAction *mnuExit = nullptr;

    bool bevelRaised() const { return m_bevelRaised; }
    const BarLayout &layout() const { return m_layout; }
    Monitor &monitor() { return *m_monitor; }
    BarSettings &settings() { return m_settings; }
    DischargeStatistics &stats() { return m_stats; }
    BarPresence &presence() { return *m_presence; }

    void setQuickHelpWindow(QWidget *window) { m_quickHelp = window; }
    // The configuration dialog; tests put a scripted answer here.
    void setConfigurationDialog(std::function<bool(ConfigExchange &)> run)
    {
        m_runConfigurationDialog = std::move(run);
    }

    // Handlers.
    void FormCreate();
    void FormShow();
    void FormResize();
    void FormClose();
    void tmrComputeInfoTimer();
    void tmrDisplayInfoTimer();
    // The sampler's own change event; the monitor tick polls instead.
    void PowerInfoBatteryStatus(QObject *) {}
    void mnuMinimizeClick() { m_presence->minimize(); }
    void mnuRestoreClick() { m_presence->restore(); }
    void mnuBatteryStatusClick();
    void mnuAlwaysOnTopClick();
    void mnuConfigurationClick();
    void mnuFullHelpClick();
    void mnuHelpClick();
    void mnuAboutClick();
    void mnuExitClick();

    // Presence in the tray or the task list.
    void AddTrayIcon() { m_presence->AddTrayIcon(); }
    void RemoveTrayIcon() { m_presence->RemoveTrayIcon(); }
    void UpdatePresence() override { m_presence->UpdatePresence(); }
    void TrayIconNotify(int mouseEvent) { m_presence->TrayIconNotify(mouseEvent); }

    // MonitorHost
    void setGaugeColor(quint32 color) override;
    void setGaugePosition(int position) override;
    void setPercentText(const QString &text) override;
    void setTimeText(const QString &text) override;
    void setApplicationTitle(const QString &text) override;
    void setHintText(const QString &text) override;
    void showStatusBox(const QString &caption, const QString &text, bool warning) override;
    void invalidateWindow() override;
    bool isWindowNormal() const override;
    void drawStateIcon(QChar state, int left, int top, int width, int height) override;
    void SnapToEdges() override;
    void UpdateTrayTip() override { m_presence->UpdateTrayTip(); }
    void SaveSettings() override;

    // ConfigurationTarget, with the store's SettingsWindow
    int windowLeft() const override;
    int windowTop() const override;
    int windowHeight() const override;
    void setWindowLeft(int left) override;
    void setWindowTop(int top) override;
    void setWindowHeight(int height) override;
    bool alwaysOnTopChecked() const override;
    void setAlwaysOnTopChecked(bool checked) override;
    void applyStackingStyle() override;
    void applyBevelStyle(bool raised) override;
    void openDocument(const QString &path) override;
    BarSettings &barSettings() override { return m_settings; }
    DischargeStatistics &statistics() override { return m_stats; }
    void toggleAlwaysOnTop() override;
    void ApplyRunAtStartup() override;
    void LearnAndEstimate() override;
    void SaveConfiguration() override;

    // Closed through FormClose already (menu, signal, session end)?
    bool formClosed() const { return m_closed; }
    // Whether a move or resize by the mouse is going on.
    bool dragging() const { return m_drag->dragging(); }

signals:
    // The bar was closed; the program ends.
    void closed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void createMenu();
    QAction *addMenuItem(const QString &caption, const QKeySequence &shortcut,
                         void (TfrmMain::*handler)());
    QSize measureLabel(int pointSize, const QString &text) const;

    SettingsStore &m_store;
    BarSettings m_settings;
    DischargeStatistics m_stats;
    std::unique_ptr<Monitor> m_monitor;
    std::unique_ptr<BarPresence> m_presence;
    WindowDrag *m_drag = nullptr;
    QPointer<QWidget> m_quickHelp;
    std::function<bool(ConfigExchange &)> m_runConfigurationDialog;

    BarLayout m_layout;
    int m_laidOutHeight = -1;
    bool m_bevelRaised = true;
    bool m_closed = false;
    bool m_inResize = false;

    // The icon the last tick asked for; painted once, then the area is left to the next tick.
    QChar m_pendingIcon;
    QRect m_pendingIconRect;
    StateIconCache m_iconCache;
    XlibSettler m_xlib; // the title's Xlib requests, settled now and then
};
