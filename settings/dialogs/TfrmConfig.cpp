#include "TfrmConfig.h"

#include "ClassicFont.h"
#include "DialogPlacement.h"
#include "FramedCentring.h"
#include "KitControl.h"
#include "SelectionTrackBar.h"
#include "TFlatButton.h"
#include "TFlatCheckBox.h"
#include "TFlatGroupBox.h"
#include "TFlatHint.h"
#include "TFlatRadioButton.h"
#include "TfrmConfigHelp.h"

#include <QLabel>
#include <QShowEvent>
#include <QTimer>

#include <climits>

namespace {

TFlatCheckBox *makeCheckBox(QWidget *parent, const char *name, QRect geometry,
                            const QString &caption, const QString &hint)
{
    auto *box = new TFlatCheckBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->SetCaption(caption);
    box->SetHint(hint);
    box->SetShowHint(true);
    return box;
}

TFlatRadioButton *makeRadio(QWidget *parent, const char *name, QRect geometry,
                            const QString &caption, const QString &hint)
{
    auto *radio = new TFlatRadioButton(parent);
    radio->setObjectName(QLatin1String(name));
    radio->setGeometry(geometry);
    radio->SetCaption(caption);
    radio->SetHint(hint);
    radio->SetShowHint(true);
    return radio;
}

TFlatButton *makeButton(QWidget *parent, const char *name, QRect geometry, const QString &caption)
{
    auto *button = new TFlatButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->SetCaption(caption);
    button->SetTabStop(true);
    return button;
}

TFlatGroupBox *makeGroup(QWidget *parent, const char *name, QRect geometry, const QString &caption)
{
    auto *group = new TFlatGroupBox(parent);
    group->setObjectName(QLatin1String(name));
    group->setGeometry(geometry);
    group->SetCaption(caption);
    return group;
}

QLabel *makeLabel(QWidget *parent, const char *name, QPoint pos, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->move(pos);
    label->adjustSize();
    return label;
}

// Tightens the letters of a label a little until it ends before maxRight: the layout was made
// for the classic bitmap font, and a stand-in font may run a few pixels wider.
void condenseToFit(QLabel *label, int maxRight)
{
    QFont f = label->font();
    for (qreal spacing = -0.05; spacing >= -0.5; spacing -= 0.05) {
        if (label->x() + QFontMetrics(f).horizontalAdvance(label->text()) <= maxRight)
            break;
        f.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    }
    label->setFont(f);
    label->adjustSize();
}

void setLabel(QLabel *label, const QString &text)
{
    label->setText(text);
    label->adjustSize(); // the label sizes itself to its text
}

QString percentText(const char *prefix, int value)
{
    return QLatin1String(prefix) + QString::number(value) + QLatin1Char('%');
}

// Stored levels are whatever the store held; one below the smallest integer would overflow.
int oneBelow(int value)
{
    return value == INT_MIN ? INT_MIN : value - 1;
}

} // namespace

TfrmConfig::TfrmConfig(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmConfig"));
    setWindowTitle(QStringLiteral("Voltline Configuration"));
    // 283 x 410 with the classic frame (4-pixel border, 19-pixel caption) around this client
    // area; the window manager's own frame is added to it.
    resize(275, 383);
    const QFont f = ClassicDialogFont();
    setFont(f);

    FlatHint = new TFlatHint(this);
    FlatHint->setObjectName(QStringLiteral("FlatHint"));
    FlatHint->SetHintFont(f);
    FlatHint->SetFontColor(clWindowText);

    Box = makeGroup(this, "Box", QRect(10, 8, 257, 137), QStringLiteral("Configuration"));
    KitControl::setShowHint(Box, false);
    chkSnapToEdge = makeCheckBox(
        Box, "chkSnapToEdge", QRect(16, 16, 217, 17), QStringLiteral("&Snap Window To Screen Edge"),
        QStringLiteral("Voltline will be pulled to the nearest edge of the screen"));
    chkAlwaysOnTop = makeCheckBox(
        Box, "chkAlwaysOnTop", QRect(16, 40, 201, 17), QStringLiteral("&Always On Top"),
        QStringLiteral("Voltline will run ontop of all the other windows"));
    chkPopupBoxStatus =
        makeCheckBox(Box, "chkPopupBoxStatus", QRect(16, 64, 225, 17),
                     QStringLiteral("&Popup Message Box On Status Change"),
                     QStringLiteral("Voltline will display battery message from the system"));
    chkRunAtWindowStartUp = makeCheckBox(Box, "chkRunAtWindowStartUp", QRect(16, 88, 233, 17),
                                         QStringLiteral("Automatically &Run At Windows Startup"),
                                         QStringLiteral("Voltline will start when Windows starts"));
    // This one follows the box, whose hints are off.
    chkRunAtWindowStartUp->SetParentShowHint(true);
    chkShowInSysTray =
        makeCheckBox(Box, "chkShowInSysTray", QRect(16, 112, 233, 17),
                     QStringLiteral("Use The System Tray Instead Of Taskbar"),
                     QStringLiteral("Voltline will run in the system tray, i.e. by the clock"));

    FlatGroupBox1 =
        makeGroup(this, "FlatGroupBox1", QRect(8, 152, 257, 65), QStringLiteral("Appearance"));
    radioShowRaised = makeRadio(FlatGroupBox1, "radioShowRaised", QRect(16, 16, 201, 17),
                                QStringLiteral("Show Window Bevel As &Raised"),
                                QStringLiteral("Voltline will appear raised 3D"));
    radioShowLowered =
        makeRadio(FlatGroupBox1, "radioShowLowered", QRect(16, 40, 209, 17),
                  QStringLiteral("Show Window Bevel As &Lowered"),
                  QStringLiteral("Voltline will appear sunken into the screen in 3D"));

    FlatGroupBox2 = makeGroup(this, "FlatGroupBox2", QRect(8, 224, 257, 113),
                              QStringLiteral("Advanced Options"));
    Label1 = makeLabel(FlatGroupBox2, "Label1", QPoint(14, 20),
                       QStringLiteral("Reset stored battery statistics ->"));
    bntReset =
        makeButton(FlatGroupBox2, "bntReset", QRect(168, 16, 81, 25), QStringLiteral("Reset!"));
    condenseToFit(Label1, bntReset->x() - 2);

    const QString warnHint =
        QStringLiteral("Percentage level that Voltline's display will become red");
    lblWarn = makeLabel(FlatGroupBox2, "lblWarn", QPoint(16, 56), QStringLiteral("Warn @ "));
    lblWarn->setToolTip(warnHint);
    KitControl::setShowHint(lblWarn, true);
    TrackBarWarn = new SelectionTrackBar(FlatGroupBox2);
    TrackBarWarn->setObjectName(QStringLiteral("TrackBarWarn"));
    TrackBarWarn->setGeometry(104, 48, 145, 25);
    TrackBarWarn->setToolTip(warnHint);
    KitControl::setShowHint(TrackBarWarn, true);

    lblShutdown =
        makeLabel(FlatGroupBox2, "lblShutdown", QPoint(16, 88), QStringLiteral("Shutdown @ 10%"));
    lblShutdown->setToolTip(
        QStringLiteral("Voltline will force the computer to shutdown at this percentage"));
    KitControl::setShowHint(lblShutdown, true);
    TrackBarShutdown = new SelectionTrackBar(FlatGroupBox2);
    TrackBarShutdown->setObjectName(QStringLiteral("TrackBarShutdown"));
    TrackBarShutdown->setGeometry(104, 80, 145, 25);
    TrackBarShutdown->setToolTip(QStringLiteral(
        "0% will disable, Voltline will force the computer to shutdown at this percentage"));
    KitControl::setShowHint(TrackBarShutdown, true);
    // Each label names its slider for a screen reader (the labels carry no access key).
    lblWarn->setBuddy(TrackBarWarn);
    lblShutdown->setBuddy(TrackBarShutdown);

    btnOK = makeButton(this, "btnOK", QRect(8, 344, 81, 25), QStringLiteral("&Ok"));
    btnCancel = makeButton(this, "btnCancel", QRect(96, 344, 81, 25), QStringLiteral("&Cancel"));
    btnHelp = makeButton(this, "btnHelp", QRect(184, 344, 81, 25), QStringLiteral("&Help"));

    QWidget *order[] = {chkSnapToEdge,
                        chkAlwaysOnTop,
                        chkPopupBoxStatus,
                        chkRunAtWindowStartUp,
                        chkShowInSysTray,
                        radioShowRaised,
                        radioShowLowered,
                        bntReset,
                        TrackBarWarn,
                        TrackBarShutdown,
                        btnOK,
                        btnCancel,
                        btnHelp};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(TrackBarWarn, &QSlider::valueChanged, this, &TfrmConfig::TrackBarWarnChange);
    connect(TrackBarShutdown, &QSlider::valueChanged, this, &TfrmConfig::TrackBarShutdownChange);
    connect(bntReset, &TFlatButton::clicked, this, &TfrmConfig::bntResetClick);
    connect(btnOK, &TFlatButton::clicked, this, &TfrmConfig::btnOKClick);
    connect(btnCancel, &TFlatButton::clicked, this, &TfrmConfig::btnCancelClick);
    connect(btnHelp, &TFlatButton::clicked, this, &TfrmConfig::btnHelpClick);

    tmrCenterForms = new QTimer(this);
    tmrCenterForms->setObjectName(QStringLiteral("tmrCenterForms"));
    tmrCenterForms->setInterval(1000);
    connect(tmrCenterForms, &QTimer::timeout, this, &TfrmConfig::tmrCenterFormsTimer);
    tmrCenterForms->start();

    FormCreate();
}

TfrmConfig::~TfrmConfig() = default;

TfrmConfigHelp *TfrmConfig::frmConfigHelp() const
{
    return m_help.data();
}

void TfrmConfig::FormCreate()
{
    // The help window is a child window of the dialog so that it stays usable while the dialog
    // is modal, and so that it can never outlive it.
    m_help = new TfrmConfigHelp(this);
    m_help->HelpClosed = false;
}

void TfrmConfig::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TfrmConfig::centerOnScreen()
{
    MoveFrameTo(this, CenteredTopLeft(PrimaryScreenSize(), OuterSize(this)));
}

void TfrmConfig::FormShow()
{
    centerOnScreen();
    m_framedCentring = FramedCentring::armIfUnframed(this, [this] { centerOnScreen(); });
    chkSnapToEdge->SetChecked(Snap);
    chkAlwaysOnTop->SetChecked(AlwaysOnTop);
    chkPopupBoxStatus->SetChecked(PopupBoxStatus);
    chkRunAtWindowStartUp->SetChecked(RunAtWindowsStartUp);
    chkShowInSysTray->SetChecked(ShowInSysTray);
    RunAtStartupChanged = false;
    if (ShowRaised)
        radioShowRaised->SetChecked(true);
    else
        radioShowLowered->SetChecked(true);
    // The sliders clamp to 0..100; a position that changes runs its change handler.
    TrackBarWarn->setValue(WarnPercent);
    TrackBarShutdown->setValue(ShutdownPercent);
    setLabel(lblWarn, percentText("Warn @ ", TrackBarWarn->value()));
    setLabel(lblShutdown, percentText("Shutdown @ ", TrackBarShutdown->value()));
    TrackBarShutdown->setSelEnd(oneBelow(WarnPercent));
    TrackBarShutdown->setSelStart(1);
}

void TfrmConfig::TrackBarWarnChange()
{
    const int warn = TrackBarWarn->value();
    setLabel(lblWarn, percentText("Warn @ ", warn));
    TrackBarShutdown->setSelEnd(warn - 1);
    if (warn - 1 < TrackBarShutdown->value())
        TrackBarShutdown->setValue(warn - 1);
}

void TfrmConfig::TrackBarShutdownChange()
{
    const int shutdown = TrackBarShutdown->value();
    setLabel(lblShutdown, percentText("Shutdown @ ", shutdown));
    // Re-enters this handler with the lowered position when it actually moves.
    if (shutdown >= TrackBarWarn->value())
        TrackBarShutdown->setValue(TrackBarWarn->value() - 1);
}

void TfrmConfig::bntResetClick()
{
    ResetStatistics = true;
}

void TfrmConfig::btnOKClick()
{
    Accepted = true;
    Snap = chkSnapToEdge->Checked();
    AlwaysOnTop = chkAlwaysOnTop->Checked();
    PopupBoxStatus = chkPopupBoxStatus->Checked();
    ShowInSysTray = chkShowInSysTray->Checked();
    RunAtStartupChanged = chkRunAtWindowStartUp->Checked() != RunAtWindowsStartUp;
    ShowRaised = radioShowRaised->Checked();
    WarnPercent = TrackBarWarn->value();
    ShutdownPercent = TrackBarShutdown->value();
    destroyHelp();
    QDialog::accept();
}

void TfrmConfig::btnCancelClick()
{
    Accepted = false;
    destroyHelp();
    QDialog::reject();
}

void TfrmConfig::reject()
{
    btnCancelClick();
}

void TfrmConfig::destroyHelp()
{
    delete m_help.data();
}

void TfrmConfig::btnHelpClick()
{
    if (!m_help)
        return;
    delete m_framedCentring.data(); // placed side by side now, not centred
    const SideBySidePlacement p =
        SideBySide(PrimaryScreenSize(), OuterSize(this), OuterSize(m_help, this).width());
    MoveFrameTo(this, p.dialog);
    MoveFrameTo(m_help, p.help);
    m_help->show();
    m_help->raise();
}

void TfrmConfig::tmrCenterFormsTimer()
{
    if (m_help && m_help->HelpClosed) {
        centerOnScreen();
        m_help->HelpClosed = false;
    }
}
