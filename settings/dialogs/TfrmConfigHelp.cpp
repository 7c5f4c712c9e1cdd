#include "TfrmConfigHelp.h"

#include "ClassicFont.h"
#include "HelpTextBox.h"
#include "HelpTexts.h"
#include "TFlatButton.h"

#include <QCloseEvent>
#include <QTextEdit>

TfrmConfigHelp::TfrmConfigHelp(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmConfigHelp"));
    setWindowTitle(QStringLiteral("Voltline Configuration Help"));
    const QFont f = ClassicDialogFont();
    setFont(f);
    setFixedSize(336, 302);

    txtConfigHelp = CreateHelpTextBox(this, ConfigHelpLines(), QRect(7, 8, 321, 257));
    txtConfigHelp->setObjectName(QStringLiteral("txtConfigHelp"));

    btnClose = new TFlatButton(this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->SetCaption(QStringLiteral("&Close"));
    btnClose->setGeometry(120, 272, 81, 25);
    btnClose->SetTabStop(true);
    connect(btnClose, &TFlatButton::clicked, this, &TfrmConfigHelp::btnCloseClick);
}

void TfrmConfigHelp::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept(); // closing only hides; the dialog decides when the window goes
}

void TfrmConfigHelp::FormClose()
{
    HelpClosed = true;
}

void TfrmConfigHelp::btnCloseClick()
{
    close();
}
