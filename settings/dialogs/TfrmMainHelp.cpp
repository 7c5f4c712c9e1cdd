#include "TfrmMainHelp.h"

#include "ClassicFont.h"
#include "DialogPlacement.h"
#include "FramedCentring.h"
#include "HelpTextBox.h"
#include "HelpTexts.h"
#include "TFlatButton.h"

#include <QShowEvent>
#include <QTextEdit>

TfrmMainHelp::TfrmMainHelp(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmMainHelp"));
    setWindowTitle(QStringLiteral("Voltline Quick Help"));
    const QFont f = ClassicDialogFont();
    setFont(f);
    setFixedSize(337, 302);

    RichEdit1 = CreateHelpTextBox(this, MainHelpLines(), QRect(6, 8, 325, 257));
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));

    btnClose = new TFlatButton(this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->SetCaption(QStringLiteral("&Close"));
    btnClose->setGeometry(128, 272, 81, 25);
    btnClose->SetTabStop(true);
    connect(btnClose, &TFlatButton::clicked, this, &TfrmMainHelp::btnCloseClick);
}

void TfrmMainHelp::showQuickHelp()
{
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    show();
    raise();
    activateWindow();
}

void TfrmMainHelp::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A window manager's restore is no new showing; only the program's show re-centres.
    if (!event->spontaneous())
        FormShow();
}

void TfrmMainHelp::FormShow()
{
    const auto centre = [this] {
        MoveFrameTo(this, CenteredTopLeft(PrimaryScreenSize(), OuterSize(this)));
    };
    centre();
    FramedCentring::armIfUnframed(this, centre);
}

void TfrmMainHelp::btnCloseClick()
{
    close();
}
