#include "TAboutBox.h"

#include "BevelPanel.h"
#include "ClassicFont.h"
#include "DialogPlacement.h"
#include "FramedCentring.h"
#include "StateIcons.h"
#include "TFlatButton.h"
#include "VersionTexts.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QShowEvent>

namespace {

QLabel *makeLabel(QWidget *parent, const char *name, int left, int top)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->move(left, top);
    return label;
}

// The logo is drawn at the size it is shown, for the screen it is shown on.
QPixmap logoPixmap(QSize size, qreal dpr)
{
    QPixmap pm(size * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    paintLogo(p, QRectF(QPointF(0, 0), QSizeF(size)));
    return pm;
}

} // namespace

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    const QFont f = ClassicDialogFont();
    setFont(f);
    setFixedSize(298, 274);

    Panel1 = new BevelPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 8, 281, 225);

    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 8, 73, 73);
    Image1->setPixmap(logoPixmap(Image1->size(), devicePixelRatioF()));

    ProductName = makeLabel(Panel1, "ProductName", 88, 8);
    Version = makeLabel(Panel1, "Version", 88, 24);
    Label1 = makeLabel(Panel1, "Label1", 88, 40);
    Label1->setText(QStringLiteral("Compatible with Windows 95/98/2000"));
    Label1->adjustSize();

    btnOK = new TFlatButton(this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->SetCaption(QStringLiteral("OK"));
    btnOK->setGeometry(111, 244, 75, 25);
    btnOK->SetTabStop(true);
    connect(btnOK, &TFlatButton::clicked, this, &TAboutBox::OKButtonClick);
}

void TAboutBox::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        FormShow();
        // The framework's screen-centre placement.
        const auto centre = [this] {
            MoveFrameTo(this, CenteredTopLeft(PrimaryScreenSize(), OuterSize(this)));
        };
        centre();
        FramedCentring::armIfUnframed(this, centre);
    }
    QDialog::showEvent(event);
}

void TAboutBox::FormShow()
{
    setWindowTitle(QStringLiteral("Voltline ") + QLatin1String(VersionText));
    ProductName->setText(QStringLiteral("Quorvex Voltline"));
    ProductName->adjustSize();
    Version->setText(QStringLiteral("Version: ") + QLatin1String(VersionText) +
                     QLatin1String(BuildText));
    Version->adjustSize();
}

void TAboutBox::OKButtonClick()
{
    accept();
}
