#include "TfrmMain.h"

#include "DialogLauncher.h"
#include "EdgeSnapping.h"
#include "Monitor.h"
#include "QuietPropertyEvents.h"
#include "SettingsStore.h"
#include "StateIcons.h"
#include "StripAccessible.h"
#include "TColor.h"
#include "TFlatHint.h"
#include "TFlatProgressBar.h"
#include "TPowerInfo.h"
#include "TaskbarEntry.h"
#include "TrayIcon.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QMenu>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QVarLengthArray>

#include <cmath>

TfrmMain::TfrmMain(PowerSource &source, SettingsStore &store, ShutdownRequester &shutdown,
                   std::unique_ptr<TrayIcon> tray, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , lblPercent(this, QStringLiteral("0%"))
    , lblTime(this, QStringLiteral("0:00:00"))
    , m_store(store)
    , m_runConfigurationDialog(&runConfigurationDialog)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Voltline"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ColorToQColor(clBtnFace));
    setPalette(pal);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);
    setToolTip(QStringLiteral("Right Click For Menu"));
    setGeometry(401, 170, 155, 20);
    setMinimumHeight(20);
    new QuietPropertyEvents(this); // the title changes every second without waking us

    ProgressBar = new TFlatProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->SetMin(0);
    ProgressBar->SetMax(100);
    ProgressBar->SetPosition(50);
    ProgressBar->SetSmooth(true);
    ProgressBar->setGeometry(32, 3, 57, 14);

    FlatHint = new TFlatHint(this);
    FlatHint->setObjectName(QStringLiteral("FlatHint"));
    // The time label shows no hint of its own; the rest of the strip shows the window's.
    FlatHint->OnShowHint = [this](QString &, bool &canShow, THintInfo &info) {
        if (info.HintControl == this && lblTime.geometry().contains(mapFromGlobal(info.CursorPos)))
            canShow = false;
    };

    createMenu();

    PowerInfo = new TPowerInfo(source, this);
    PowerInfo->setObjectName(QStringLiteral("PowerInfo"));
    PowerInfo->SetOnBatteryStatus([this](QObject *sender) { PowerInfoBatteryStatus(sender); });

    tmrComputeInfo = new QTimer(this);
    tmrComputeInfo->setObjectName(QStringLiteral("tmrComputeInfo"));
    tmrDisplayInfo = new QTimer(this);
    tmrDisplayInfo->setObjectName(QStringLiteral("tmrDisplayInfo"));
    connect(tmrComputeInfo, &QTimer::timeout, this, &TfrmMain::tmrComputeInfoTimer);
    connect(tmrDisplayInfo, &QTimer::timeout, this, &TfrmMain::tmrDisplayInfoTimer);

    m_monitor = std::make_unique<Monitor>(*PowerInfo, m_settings, m_stats, *this, shutdown);
    m_presence = std::make_unique<BarPresence>(*this, std::move(tray), m_settings,
                                               m_monitor->DisplayState, *popMain);
    m_drag = new WindowDrag(
        *this, [this](int h) { setWindowHeight(h); }, [this] { FormResize(); });
    FormCreate();

    // One wakeup a second for all three: started at the same instant, coarse, same interval.
    for (QTimer *timer : {PowerInfo->timer(), tmrComputeInfo, tmrDisplayInfo}) {
        if (!timer)
            continue;
        timer->setTimerType(Qt::CoarseTimer);
        timer->start(1000);
    }
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::createMenu()
{
    popMain = new QMenu(this);
    popMain->setObjectName(QStringLiteral("popMain"));
    mnuMinimize = addMenuItem(QStringLiteral("&Minimize"), QKeySequence(QStringLiteral("Ctrl+M")),
                              &TfrmMain::mnuMinimizeClick);
    mnuRestore = addMenuItem(QStringLiteral("&Restore"), QKeySequence(QStringLiteral("Ctrl+R")),
                             &TfrmMain::mnuRestoreClick);
    mnuBatteryStatus =
        addMenuItem(QStringLiteral("Battery &Status"), QKeySequence(QStringLiteral("Ctrl+S")),
                    &TfrmMain::mnuBatteryStatusClick);
    popMain->addSeparator()->setObjectName(QStringLiteral("N1"));
    mnuAlwaysOnTop =
        addMenuItem(QStringLiteral("&Always On Top"), QKeySequence(QStringLiteral("Ctrl+A")),
                    &TfrmMain::mnuAlwaysOnTopClick);
    mnuAlwaysOnTop->setCheckable(true);
    mnuAlwaysOnTop->setChecked(true);
    // A checkable action flips itself when triggered; the handler does the flipping here.
    connect(mnuAlwaysOnTop, &QAction::triggered, this,
            [this](bool checked) { mnuAlwaysOnTop->setChecked(!checked); });
    mnuConfiguration =
        addMenuItem(QStringLiteral("&Configuration"), QKeySequence(QStringLiteral("Ctrl+C")),
                    &TfrmMain::mnuConfigurationClick);
    mnuFullHelp = addMenuItem(QStringLiteral("&Help"), QKeySequence(QStringLiteral("Ctrl+H")),
                              &TfrmMain::mnuFullHelpClick);
    mnuHelp = addMenuItem(QStringLiteral("&Quick Help"), QKeySequence(QStringLiteral("Ctrl+Q")),
                          &TfrmMain::mnuHelpClick);
    mnuAbout = addMenuItem(QStringLiteral("A&bout"), QKeySequence(QStringLiteral("Ctrl+B")),
                           &TfrmMain::mnuAboutClick);
    popMain->addSeparator()->setObjectName(QStringLiteral("mnuBlank"));
    mnuExit = addMenuItem(QStringLiteral("E&xit"), QKeySequence(QStringLiteral("Ctrl+X")),
                          &TfrmMain::mnuExitClick);
}

QAction *TfrmMain::addMenuItem(const QString &caption, const QKeySequence &shortcut,
                               void (TfrmMain::*handler)())
{
    QAction *action = popMain->addAction(caption);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    // Queued: a handler that opens a modal box or re-creates the window must not run inside
    // the menu's own event handling.
    connect(action, &QAction::triggered, this, handler, Qt::QueuedConnection);
    addAction(action); // the shortcuts work while the bar has the focus
    return action;
}

// --- creation, show, resize, close ---------------------------------------------------------

void TfrmMain::FormCreate()
{
    setMaximumHeight(kMaxBarHeight);
    setMinimumHeight(kMinBarHeight);
    m_store.LoadSettings(*this, m_settings, m_stats);
    FormResize(); // a failed height read still lays the strip out
    m_monitor->StartMonitor();
}

void TfrmMain::FormShow()
{
    UpdatePresence();
}

QSize TfrmMain::measureLabel(int pointSize, const QString &text) const
{
    QFont f = font();
    f.setPointSize(std::max(1, pointSize));
    const QFontMetrics fm(f, this);
    return {fm.horizontalAdvance(text), fm.height()};
}

void TfrmMain::FormResize()
{
    if (m_inResize || !m_monitor)
        return;
    const int h = height();
    // Same size as laid out (a re-created window, a move): keep the labels' current texts.
    if (h == m_laidOutHeight && width() == m_layout.windowWidth)
        return;
    m_laidOutHeight = h;
    m_layout =
        computeBarLayout(h, [this](int pt, const QString &text) { return measureLabel(pt, text); });

    QFont labelFont = font();
    labelFont.setPointSize(std::max(1, m_layout.labelPointSize));
    lblPercent.setFont(labelFont);
    lblPercent.setText(QStringLiteral("100%"));
    lblPercent.setGeometry(m_layout.lblPercent);
    ProgressBar->setGeometry(m_layout.ProgressBar);
    lblTime.setFont(labelFont);
    lblTime.setText(QStringLiteral("0:00:00"));
    lblTime.setGeometry(m_layout.lblTime);
    m_monitor->IconLeft = m_layout.IconLeft;
    m_monitor->IconWidth = m_layout.IconWidth;
    m_monitor->IconHeight = m_layout.IconHeight;

    if (width() != m_layout.windowWidth) {
        m_inResize = true;
        resize(m_layout.windowWidth, h);
        m_inResize = false;
    }
    update();
}

void TfrmMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FormResize();
    m_drag->windowResized(event, m_layout.windowWidth);
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Always in sight: on every virtual desktop, asked for before each mapping and after it.
    setOnAllDesktops(windowHandle());
    FormShow();
    // The task-list state can only be asked for once the window is mapped.
    QTimer::singleShot(0, this, [this] {
        setOnAllDesktops(windowHandle());
        m_presence->applyTaskbarEntry();
    });
}

void TfrmMain::FormClose()
{
    if (m_closed)
        return;
    m_closed = true;
    SaveSettings();
    if (m_presence->TrayIconShown)
        RemoveTrayIcon();
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
    // The bar may be a hidden tray program; its closing, not the last window's, ends the run.
    emit closed();
}

// --- painting ------------------------------------------------------------------------------

void TfrmMain::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), palette().color(QPalette::Window));
    if (event->rect().intersects(lblPercent.geometry()))
        lblPercent.paint(p);
    if (event->rect().intersects(lblTime.geometry()))
        lblTime.paint(p);

    // Classic one-pixel bevel, drawn over the labels.
    const int w = width();
    const int h = height();
    const QColor light = ColorToQColor(clBtnHighlight);
    const QColor dark = ColorToQColor(clBtnShadow);
    const QColor topLeft = m_bevelRaised ? light : dark;
    const QColor bottomRight = m_bevelRaised ? dark : light;
    p.fillRect(QRect(0, 0, 1, h), topLeft);     // left column, bottom-left corner too
    p.fillRect(QRect(0, 0, w - 1, 1), topLeft); // top row
    // At a fractional scale the window's size in device pixels is rounded and its last device
    // column or row can fall short of the last logical one: the right and bottom lines reach
    // one device pixel further in, so the window's edge always carries them.
    const qreal ratio = devicePixelRatioF();
    const qreal in = ratio == std::floor(ratio) ? 0.0 : 1.0 / ratio;
    p.fillRect(QRectF(w - 1 - in, 0, 1 + in, h), bottomRight);     // right column, top-right too
    p.fillRect(QRectF(1, h - 1 - in, w - 1, 1 + in), bottomRight); // bottom row

    if (!m_pendingIcon.isNull() && event->region().intersects(m_pendingIconRect)) {
        m_iconCache.paint(p, m_pendingIconRect, stateIconFor(m_pendingIcon),
                          palette().color(QPalette::Window));
        m_pendingIcon = QChar();
    }
}

void TfrmMain::drawStateIcon(QChar state, int left, int top, int width, int height)
{
    m_pendingIcon = state;
    m_pendingIconRect = QRect(left, top, width, height);
    update(m_pendingIconRect);
}

void TfrmMain::invalidateWindow()
{
    m_pendingIcon = QChar();
    update();
    // The monitor repaints the whole strip when the display state, and so the icon, changed.
    StripAccessible::notifyIconChanged(this);
}

// --- monitor ---------------------------------------------------------------------------

void TfrmMain::tmrComputeInfoTimer()
{
    m_monitor->tmrComputeInfoTimer(tmrComputeInfo);
    m_presence->joinLateTray();
}

void TfrmMain::tmrDisplayInfoTimer()
{
    m_monitor->tmrDisplayInfoTimer(tmrDisplayInfo);
}

void TfrmMain::mnuBatteryStatusClick()
{
    m_monitor->mnuBatteryStatusClick(mnuBatteryStatus);
}

void TfrmMain::setGaugeColor(quint32 color)
{
    // Asked every second; the gauge repaints on every SetColors.
    if (ProgressBar->ColorElement() != color)
        ProgressBar->SetColors(0, color);
}

void TfrmMain::setGaugePosition(int position)
{
    ProgressBar->SetPosition(position);
}

void TfrmMain::setPercentText(const QString &text)
{
    if (text == lblPercent.text())
        return;
    lblPercent.setText(text);
    StripAccessible::notifyPercentChanged(this);
}

void TfrmMain::setTimeText(const QString &text)
{
    lblTime.setText(text);
}

void TfrmMain::setApplicationTitle(const QString &text)
{
    if (windowTitle() == text)
        return;
    setWindowTitle(text);
    m_xlib.titleChanged();
}

void TfrmMain::setHintText(const QString &text)
{
    // Only the stored text: a tooltip on screen keeps what it shows.
    if (toolTip() != text)
        setToolTip(text);
}

void TfrmMain::showStatusBox(const QString &caption, const QString &text, bool warning)
{
    QMessageBox box(warning ? QMessageBox::Warning : QMessageBox::Information, caption, text,
                    QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.exec();
}

bool TfrmMain::isWindowNormal() const
{
    return !isMinimized() && !isMaximized();
}

void TfrmMain::SnapToEdges()
{
    // Pulling the window while the window manager moves it would fight the user.
    if (dragging())
        return;
    const QSize workArea(PowerInfo->Width(), PowerInfo->Height());
    // No screen known (yet): pulling toward a zero-sized area would throw the bar off-screen.
    if (workArea.isEmpty())
        return;
    // The sample's work area belongs to the screen the strip was on; snap against that
    // screen's origin, and not at all while the strip is already on another one.
    QVarLengthArray<QRect, 8> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append(screen->geometry());
    const QRect area(PowerInfo->Left(), PowerInfo->Top(), workArea.width(), workArea.height());
    const std::optional<QPoint> origin = snapOrigin(frameGeometry(), area, screens);
    if (!origin)
        return;
    const QPoint to = snappedPosition(frameGeometry(), workArea, *origin);
    if (to != pos())
        move(to);
}

void TfrmMain::SaveSettings()
{
    m_store.SaveSettings(*this, m_settings, m_stats);
}

void TfrmMain::SaveConfiguration()
{
    m_store.SaveConfiguration(*this, m_settings);
}

void TfrmMain::ApplyRunAtStartup()
{
    m_store.ApplyRunAtStartup(m_settings.RunAtWindowsStartUp);
}

void TfrmMain::LearnAndEstimate()
{
    m_monitor->LearnAndEstimate();
}

// --- settings window -------------------------------------------------------------------

int TfrmMain::windowLeft() const
{
    return pos().x();
}
int TfrmMain::windowTop() const
{
    return pos().y();
}
int TfrmMain::windowHeight() const
{
    return height();
}
void TfrmMain::setWindowLeft(int left)
{
    move(left, pos().y());
}
void TfrmMain::setWindowTop(int top)
{
    move(pos().x(), top);
}

void TfrmMain::setWindowHeight(int h)
{
    resize(width(), std::clamp(h, kMinBarHeight, kMaxBarHeight));
    FormResize(); // at once, also while the window is not shown yet
}

bool TfrmMain::alwaysOnTopChecked() const
{
    return mnuAlwaysOnTop->isChecked();
}

void TfrmMain::setAlwaysOnTopChecked(bool checked)
{
    mnuAlwaysOnTop->setChecked(checked);
}

void TfrmMain::applyStackingStyle()
{
    const bool onTop = mnuAlwaysOnTop->isChecked();
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    const bool wasVisible = isVisible();
    // Re-creates the native window; showing it again runs FormShow, which re-adds the icon.
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (wasVisible) {
        show();
    } else if (m_presence->TrayIconShown) {
        // A bar hidden in the tray has no show to come; without this the icon would be gone
        // and with it the only way back to the bar.
        UpdatePresence();
    }
}

void TfrmMain::applyBevelStyle(bool raised)
{
    if (m_bevelRaised == raised)
        return;
    m_bevelRaised = raised;
    update();
}

void TfrmMain::openDocument(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

// --- menu commands ---------------------------------------------------------------------

void TfrmMain::mnuAlwaysOnTopClick()
{
    if (m_presence->TrayIconShown)
        RemoveTrayIcon();
    mnuAlwaysOnTop->setChecked(!mnuAlwaysOnTop->isChecked());
    applyStackingStyle();
}

void TfrmMain::toggleAlwaysOnTop()
{
    mnuAlwaysOnTopClick();
}

void TfrmMain::mnuConfigurationClick()
{
    ConfigExchange exchange;
    fillConfiguration(exchange, *this);
    m_runConfigurationDialog(exchange);
    if (exchange.Accepted)
        applyConfiguration(exchange, *this);
}

void TfrmMain::mnuFullHelpClick()
{
    if (m_settings.HelpPath.isEmpty()) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Voltline Help"),
                        QStringLiteral("Help file not found."), QMessageBox::Ok);
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
        box.exec();
        return;
    }
    openDocument(m_settings.HelpPath);
}

void TfrmMain::mnuHelpClick()
{
    if (!m_quickHelp)
        return;
    m_quickHelp->show();
    m_quickHelp->raise();
    m_quickHelp->activateWindow();
}

void TfrmMain::mnuAboutClick()
{
    showAboutBox();
}

void TfrmMain::mnuExitClick()
{
    close();
}

// --- moving and sizing -----------------------------------------------------------------

void TfrmMain::mousePressEvent(QMouseEvent *event)
{
    if (!m_drag->press(event))
        QWidget::mousePressEvent(event);
}

void TfrmMain::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_drag->move(event))
        QWidget::mouseMoveEvent(event);
}

void TfrmMain::mouseReleaseEvent(QMouseEvent *event)
{
    m_drag->release(event);
    QWidget::mouseReleaseEvent(event);
}

void TfrmMain::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    m_drag->windowMoved();
}

void TfrmMain::contextMenuEvent(QContextMenuEvent *event)
{
    popMain->popup(event->globalPos());
}
