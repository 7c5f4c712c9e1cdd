// Gallery sections of the flat button, check box, radio button, group box and edit.
#include "Gallery.h"

#include "TFlatButton.h"
#include "TFlatCheckBox.h"
#include "TFlatEdit.h"
#include "TFlatGroupBox.h"
#include "TFlatRadioButton.h"

#include <QDialog>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace {

QImage arrowGlyph(int images)
{
    // A strip of images: each a black arrow on a magenta (transparent) ground, its tip a
    // colour of its own so that the image shown per state can be told apart.
    const QColor tips[] = {Qt::black, Qt::gray, Qt::darkGreen, Qt::darkBlue};
    QImage strip(16 * images, 16, QImage::Format_RGB32);
    strip.fill(QColor(255, 0, 255));
    QPainter p(&strip);
    for (int i = 0; i < images; ++i) {
        const int x = 16 * i;
        p.fillRect(x + 2, 6, 8, 4, Qt::black);
        for (int d = 0; d < 5; ++d)
            p.fillRect(x + 10 + d, 3 + d, 1, 10 - 2 * d, tips[i]);
    }
    return strip;
}

QWidget *stripedPanel(QWidget *parent, const QRect &geometry)
{
    auto *panel = new QLabel(parent);
    QPixmap pattern(geometry.size());
    pattern.fill(Qt::white);
    QPainter p(&pattern);
    for (int x = 0; x < geometry.width(); x += 6)
        p.fillRect(x, 0, 3, geometry.height(), QColor(0xC0, 0xD0, 0xF0));
    p.end();
    panel->setPixmap(pattern);
    panel->setGeometry(geometry);
    return panel;
}

TFlatButton *addButton(QWidget *parent, const QString &caption, const QRect &geometry)
{
    auto *button = new TFlatButton(parent);
    button->SetCaption(caption);
    button->setGeometry(geometry);
    return button;
}

// Holds the left button down on a control, to show its pressed look at rest.
void holdPressed(QWidget *control)
{
    QTimer::singleShot(0, control, [control] {
        const QPointF at(5, 5);
        QMouseEvent press(QEvent::MouseButtonPress, at, control->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(control, &press);
    });
}

} // namespace

void buttonSection(Gallery &gallery)
{
    QWidget *canvas = gallery.addSection(QStringLiteral("Flat button"), QSize(420, 220));
    const QString captions[] = {QStringLiteral("&Up"),      QStringLiteral("&Default"),
                                QStringLiteral("&Hot"),     QStringLiteral("&Pressed"),
                                QStringLiteral("&Latched"), QStringLiteral("Disa&bled")};
    TFlatButton *row[6];
    for (int i = 0; i < 6; ++i)
        row[i] = addButton(canvas, captions[i], QRect(4 + 69 * i, 4, 64, 25));
    row[1]->SetDefault(true);
    row[2]->SetTabStop(true);
    row[4]->SetGroupIndex(9);
    row[4]->SetDown(true);
    row[5]->setEnabled(false);
    holdPressed(row[3]);
    // The hot look through the focus, after the pressed button has taken it.
    QTimer::singleShot(50, row[2], [b = row[2]] { b->setFocus(); });

    const TButtonLayout layouts[] = {blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom};
    const QString names[] = {QStringLiteral("Left"), QStringLiteral("Right"), QStringLiteral("Top"),
                             QStringLiteral("Bottom")};
    for (int i = 0; i < 4; ++i) {
        auto *b = addButton(canvas, names[i], QRect(4 + 104 * i, 36, 98, 40));
        b->SetGlyph(arrowGlyph(1));
        b->SetLayout(layouts[i]);
    }

    // Glyph strips: the image per state; one image gets the embossed disabled copy.
    auto *strip = addButton(canvas, QStringLiteral("Strip of 4"), QRect(4, 84, 98, 40));
    strip->SetGlyph(arrowGlyph(4));
    auto *stripOff = addButton(canvas, QStringLiteral("Strip, off"), QRect(108, 84, 98, 40));
    stripOff->SetGlyph(arrowGlyph(4));
    stripOff->setEnabled(false);
    auto *single = addButton(canvas, QStringLiteral("One, off"), QRect(212, 84, 98, 40));
    single->SetGlyph(arrowGlyph(1));
    single->setEnabled(false);
    QWidget *stripes = stripedPanel(canvas, QRect(316, 84, 98, 40));
    auto *glass = addButton(stripes, QStringLiteral("tmAlways"), QRect(4, 7, 90, 25));
    glass->SetTransparent(tmAlways);

    // A latching group: one of three stays down; AllowAllUp off.
    const QString align[] = {QStringLiteral("&Left"), QStringLiteral("&Centre"),
                             QStringLiteral("&Right")};
    for (int i = 0; i < 3; ++i) {
        auto *b = addButton(canvas, align[i], QRect(4 + 56 * i, 132, 52, 25));
        b->SetGroupIndex(1);
        if (i == 1)
            b->SetDown(true);
    }

    // ModalResult: the dialog closes with the result of the button clicked.
    auto *result = new QLabel(QStringLiteral("Dialog result: none yet"), canvas);
    result->setGeometry(260, 132, 160, 25);
    auto *open = addButton(canvas, QStringLiteral("&Open dialog..."), QRect(176, 132, 80, 25));
    QObject::connect(open, &TFlatButton::clicked, canvas, [canvas, result] {
        QDialog dialog(canvas);
        dialog.setWindowTitle(QStringLiteral("ModalResult"));
        dialog.resize(200, 60);
        auto *ok = addButton(&dialog, QStringLiteral("&Ok"), QRect(10, 20, 81, 25));
        ok->ModalResult = QDialog::Accepted;
        ok->SetDefault(true);
        auto *cancel = addButton(&dialog, QStringLiteral("&Cancel"), QRect(100, 20, 81, 25));
        cancel->ModalResult = 2;
        result->setText(QStringLiteral("Dialog result: %1").arg(dialog.exec()));
    });

    auto *big = addButton(canvas, QStringLiteral("A taller &button with a longer caption"),
                          QRect(4, 166, 410, 40));
    big->SetTabStop(true);
}

void checkSection(Gallery &gallery)
{
    QWidget *canvas =
        gallery.addSection(QStringLiteral("Flat check box and radio button"), QSize(420, 220));
    struct Box {
        const char *caption;
        bool checked, enabled, right;
    };
    const Box boxes[] = {
        {"&Unchecked", false, true, false},   {"&Checked", true, true, false},
        {"Disabled", false, false, false},    {"Disabled, checked", true, false, false},
        {"Right &layout", false, true, true}, {"Right, checked", true, true, true}};
    for (int i = 0; i < 6; ++i) {
        auto *box = new TFlatCheckBox(canvas);
        box->SetCaption(QString::fromLatin1(boxes[i].caption));
        box->setGeometry(4 + 206 * (i % 2), 4 + 20 * (i / 2), 200, 17);
        box->SetChecked(boxes[i].checked);
        box->setEnabled(boxes[i].enabled);
        box->SetLayout(boxes[i].right ? checkboxRight : checkboxLeft);
    }
    auto *wrapped = new TFlatCheckBox(canvas);
    wrapped->SetCaption(QStringLiteral("A long caption wraps at word boundaries onto the "
                                       "next line of the control"));
    wrapped->setGeometry(4, 66, 200, 30);
    QWidget *stripes = stripedPanel(canvas, QRect(210, 66, 200, 30));
    auto *glass = new TFlatCheckBox(stripes);
    glass->SetCaption(QStringLiteral("&Transparent"));
    glass->SetTransparent(true);
    glass->SetChecked(true);
    glass->setGeometry(4, 6, 150, 17);

    struct Radio {
        const char *caption;
        bool checked, enabled, right;
        int group;
    };
    const Radio radios[] = {{"Show Window Bevel As &Raised", true, true, false, 0},
                            {"Show Window Bevel As L&owered", false, true, false, 0},
                            {"Right layout, &group 1", false, true, true, 1},
                            {"Right, checked, group 1", true, true, true, 1},
                            {"Disabled", false, false, false, 2},
                            {"Disabled, checked", true, false, false, 3}};
    for (int i = 0; i < 6; ++i) {
        auto *radio = new TFlatRadioButton(canvas);
        radio->SetCaption(QString::fromLatin1(radios[i].caption));
        radio->setGeometry(4 + 206 * (i % 2), 104 + 20 * (i / 2), 200, 17);
        radio->GroupIndex = radios[i].group;
        radio->SetChecked(radios[i].checked);
        radio->setEnabled(radios[i].enabled);
        radio->SetLayout(radios[i].right ? radioRight : radioLeft);
    }
    auto *pressed = new TFlatCheckBox(canvas);
    pressed->SetCaption(QStringLiteral("&Pressed (held)"));
    pressed->setGeometry(4, 168, 200, 17);
    holdPressed(pressed);
}

void groupBoxSection(Gallery &gallery)
{
    QWidget *canvas = gallery.addSection(QStringLiteral("Flat group box"), QSize(420, 220));
    auto *full = new TFlatGroupBox(canvas);
    full->SetCaption(QStringLiteral("&Configuration"));
    full->setGeometry(4, 4, 200, 100);
    auto *inner = new TFlatCheckBox(full);
    inner->SetCaption(QStringLiteral("&Snap Window To Edge"));
    inner->setGeometry(16, 16, 170, 17);
    auto *innerButton = addButton(full, QStringLiteral("Reset!"), QRect(16, 44, 81, 25));
    innerButton->SetTabStop(true);

    auto *top = new TFlatGroupBox(canvas);
    top->SetCaption(QStringLiteral("Appearance"));
    top->SetBorder(brOnlyTopLine);
    top->setGeometry(212, 4, 200, 100);
    auto *radio = new TFlatRadioButton(top);
    radio->SetCaption(QStringLiteral("Raised"));
    radio->setGeometry(16, 16, 170, 17);
    radio->SetChecked(true);

    auto *off = new TFlatGroupBox(canvas);
    off->SetCaption(QStringLiteral("Advanced &Options"));
    off->setGeometry(4, 112, 200, 100);
    auto *offBox = new TFlatCheckBox(off);
    offBox->SetCaption(QStringLiteral("Inside a disabled box"));
    offBox->setGeometry(16, 16, 170, 17);
    off->setEnabled(false);

    QWidget *stripes = stripedPanel(canvas, QRect(212, 112, 200, 100));
    auto *glass = new TFlatGroupBox(stripes);
    glass->SetCaption(QStringLiteral("Transparent, empty caption gap:"));
    glass->SetTransparent(true);
    glass->setGeometry(4, 4, 192, 44);
    auto *empty = new TFlatGroupBox(stripes);
    empty->setGeometry(4, 52, 192, 44);
    empty->SetColor(0x00E1EAEB);
}

void editSection(Gallery &gallery)
{
    QWidget *canvas = gallery.addSection(QStringLiteral("Flat edit"), QSize(420, 110));
    const char *labels[] = {"Idle",          "With text", "Disabled",
                            "ColorFlat set", "Password",  "Focused"};
    for (int i = 0; i < 6; ++i) {
        auto *label = new QLabel(QString::fromLatin1(labels[i]), canvas);
        label->setGeometry(4 + 206 * (i % 2), 4 + 34 * (i / 2), 70, 19);
        auto *edit = new TFlatEdit(canvas);
        edit->setGeometry(80 + 206 * (i % 2), 4 + 34 * (i / 2), 121, 19);
        switch (i) {
        case 1:
            edit->setText(QStringLiteral("Battery 87 %"));
            break;
        case 2:
            edit->setText(QStringLiteral("Read me"));
            edit->setEnabled(false);
            break;
        case 3:
            edit->SetColors(2, 0x00C5D6D9);
            break;
        case 4:
            edit->setEchoMode(QLineEdit::Password);
            edit->setText(QStringLiteral("secret"));
            break;
        case 5:
            QTimer::singleShot(100, edit, [edit] { edit->setFocus(); });
            break;
        default:
            break;
        }
    }
}
