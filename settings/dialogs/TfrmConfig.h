#pragma once

#include "ConfigExchange.h"

#include <QDialog>
#include <QPointer>

class FramedCentring;
class QLabel;
class QTimer;
class SelectionTrackBar;
class TFlatButton;
class TFlatCheckBox;
class TFlatGroupBox;
class TFlatHint;
class TFlatRadioButton;
class TfrmConfigHelp;

// The configuration dialog. It never touches the settings itself: the caller fills the
// exchange fields, runs the dialog and applies the fields when Accepted is set. While the user
// moves the sliders the shutdown level stays below the warning level.
class TfrmConfig : public QDialog, public ConfigExchange {
    Q_OBJECT
public:
    explicit TfrmConfig(QWidget *parent = nullptr);
    ~TfrmConfig() override;

    // The exchange field, not QDialog's result code of the same name.
    using ConfigExchange::Accepted;

    // The help window of this opening of the dialog; null once OK or Cancel destroyed it.
    TfrmConfigHelp *frmConfigHelp() const;

    TFlatGroupBox *Box = nullptr;
    TFlatCheckBox *chkSnapToEdge = nullptr;
    TFlatCheckBox *chkAlwaysOnTop = nullptr;
    TFlatCheckBox *chkPopupBoxStatus = nullptr;
    TFlatCheckBox *chkRunAtWindowStartUp = nullptr;
    TFlatCheckBox *chkShowInSysTray = nullptr;
    TFlatGroupBox *FlatGroupBox1 = nullptr;
    TFlatRadioButton *radioShowRaised = nullptr;
    TFlatRadioButton *radioShowLowered = nullptr;
    TFlatGroupBox *FlatGroupBox2 = nullptr;
    QLabel *Label1 = nullptr;
    TFlatButton *bntReset = nullptr;
    QLabel *lblWarn = nullptr;
    SelectionTrackBar *TrackBarWarn = nullptr;
    QLabel *lblShutdown = nullptr;
    SelectionTrackBar *TrackBarShutdown = nullptr;
    TFlatButton *btnOK = nullptr;
    TFlatButton *btnCancel = nullptr;
    TFlatButton *btnHelp = nullptr;
    QTimer *tmrCenterForms = nullptr;
    TFlatHint *FlatHint = nullptr;

    // Escape and the window manager's close act as Cancel.
    void reject() override;

    void TrackBarWarnChange();
    void TrackBarShutdownChange();
    void bntResetClick();
    void btnOKClick();
    void btnCancelClick();
    void btnHelpClick();
    void tmrCenterFormsTimer();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void centerOnScreen();
    void destroyHelp();

    QPointer<TfrmConfigHelp> m_help;
    QPointer<FramedCentring> m_framedCentring;
};
