// The kit's controls in every state that paints differently, drawn under the light palette
// (compared with a picture of how they have always looked) and under dark palettes (measured).
#include "KitTestUtil.h"
#include "TFlatButton.h"
#include "TFlatCheckBox.h"
#include "TFlatEdit.h"
#include "TFlatGroupBox.h"
#include "TFlatHint.h"
#include "TFlatHintWindow.h"
#include "TFlatProgressBar.h"
#include "TFlatRadioButton.h"

#include <QDir>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using namespace kittest;

namespace {

// One control in one state. make builds it on the shown, active form (or as a window of its
// own) and returns what to grab.
struct Look {
    const char *name;
    std::function<QWidget *(QWidget &form)> make;
};

TFlatButton *button(QWidget &form)
{
    auto *b = new TFlatButton(&form);
    b->setGeometry(10, 10, 81, 25);
    b->SetCaption(QStringLiteral("&Ok"));
    b->show();
    return b;
}

template<class Control> Control *check(QWidget &form, bool checked)
{
    auto *c = new Control(&form);
    c->move(10, 10);
    c->SetCaption(QStringLiteral("&Check me"));
    c->SetChecked(checked);
    c->show();
    return c;
}

TFlatGroupBox *group(QWidget &form)
{
    auto *g = new TFlatGroupBox(&form);
    g->setGeometry(10, 10, 120, 50);
    g->SetCaption(QStringLiteral("&Group"));
    g->show();
    return g;
}

TFlatProgressBar *gauge(QWidget &form, TColor color)
{
    auto *g = new TFlatProgressBar(&form);
    g->setGeometry(10, 10, 57, 14);
    g->SetSmooth(true);
    g->SetPosition(50);
    g->SetColors(0, color);
    g->show();
    return g;
}

TFlatEdit *edit(QWidget &form)
{
    auto *e = new TFlatEdit(&form);
    e->move(10, 10);
    e->setText(QStringLiteral("Text"));
    e->show();
    return e;
}

// The strip's gauge colours: blue, red, green, purple, yellow.
constexpr TColor kGaugeColors[] = {0x00FF0000, 0x000000FF, 0x00008000, 0x00800080, 0x0000FFFF};

std::vector<Look> looks()
{
    std::vector<Look> rows = {
        {"button up", [](QWidget &f) { return button(f); }},
        {"button default",
         [](QWidget &f) {
             auto *b = button(f);
             b->SetDefault(true);
             return b;
         }},
        {"button hot",
         [](QWidget &f) {
             auto *b = button(f);
             b->setFocus();
             return b;
         }},
        {"button pressed",
         [](QWidget &f) {
             auto *b = button(f);
             b->setFocus();
             QTest::keyPress(b, Qt::Key_Space);
             return b;
         }},
        {"button latched",
         [](QWidget &f) {
             auto *b = button(f);
             b->SetGroupIndex(1);
             b->SetDown(true);
             return b;
         }},
        {"button disabled",
         [](QWidget &f) {
             auto *b = button(f);
             b->setEnabled(false);
             return b;
         }},
        {"check box", [](QWidget &f) { return check<TFlatCheckBox>(f, false); }},
        {"check box checked", [](QWidget &f) { return check<TFlatCheckBox>(f, true); }},
        {"check box focused",
         [](QWidget &f) {
             auto *c = check<TFlatCheckBox>(f, true);
             c->setFocus();
             return c;
         }},
        {"check box pressed",
         [](QWidget &f) {
             auto *c = check<TFlatCheckBox>(f, true);
             QTest::mousePress(c, Qt::LeftButton, {}, QPoint(5, 8));
             return c;
         }},
        {"check box disabled",
         [](QWidget &f) {
             auto *c = check<TFlatCheckBox>(f, true);
             c->setEnabled(false);
             return c;
         }},
        {"check box right",
         [](QWidget &f) {
             auto *c = check<TFlatCheckBox>(f, true);
             c->SetLayout(checkboxRight);
             return c;
         }},
        {"radio button", [](QWidget &f) { return check<TFlatRadioButton>(f, false); }},
        {"radio button checked", [](QWidget &f) { return check<TFlatRadioButton>(f, true); }},
        {"radio button focused",
         [](QWidget &f) {
             auto *c = check<TFlatRadioButton>(f, true);
             c->setFocus();
             return c;
         }},
        {"radio button disabled",
         [](QWidget &f) {
             auto *c = check<TFlatRadioButton>(f, true);
             c->setEnabled(false);
             return c;
         }},
        {"group box", [](QWidget &f) { return group(f); }},
        {"group box top line",
         [](QWidget &f) {
             auto *g = group(f);
             g->SetBorder(brOnlyTopLine);
             return g;
         }},
        {"group box disabled",
         [](QWidget &f) {
             auto *g = group(f);
             g->setEnabled(false);
             return g;
         }},
        {"gauge in blocks",
         [](QWidget &f) {
             auto *g = gauge(f, 0x00996633);
             g->SetSmooth(false);
             g->resize(147, 16);
             return g;
         }},
        {"edit", [](QWidget &f) { return edit(f); }},
        {"edit focused",
         [](QWidget &f) {
             auto *e = edit(f);
             e->setFocus();
             return e;
         }},
        {"hint",
         [](QWidget &f) {
             auto *source = new TFlatHint(&f);
             source->SetHintFont(testFont());
             TFlatHint::SetMainForm(&f);
             auto *w = new TFlatHintWindow(&f);
             w->ActivateHintAt(QRect(), QStringLiteral("A hint"), QPoint(10, 10));
             return w;
         }},
    };
    for (TColor color : kGaugeColors)
        rows.push_back({"gauge", [color](QWidget &f) { return gauge(f, color); }});
    return rows;
}

// Builds each look on a form of its own and hands its picture to use.
void drawLooks(const std::function<void(const Look &, QWidget &, const QImage &)> &use)
{
    for (const Look &look : looks()) {
        SCOPED_TRACE(look.name);
        QWidget form;
        form.resize(300, 200);
        form.setFont(testFont());
        parkCursor();
        ASSERT_TRUE(showActive(form));
        QWidget *control = look.make(form);
        QApplication::processEvents();
        use(look, *control, image(*control));
        TFlatHint::SetMainForm(nullptr);
    }
}

QImage sheetOfLooks()
{
    std::vector<QImage> images;
    drawLooks([&](const Look &, QWidget &, const QImage &img) { images.push_back(img); });
    int height = 0;
    for (const QImage &img : images)
        height += img.height() + 2;
    QImage sheet(260, height, QImage::Format_RGB32);
    sheet.fill(Qt::magenta);
    QPainter painter(&sheet);
    int y = 0;
    for (const QImage &img : images) {
        painter.drawImage(0, y, img);
        y += img.height() + 2;
    }
    return sheet;
}

} // namespace

TEST(KitLook, LightPaletteLooksAsItAlwaysHas)
{
    const QImage want(QStringLiteral(VOLTLINE_FLATKIT_TESTDATA "/light-looks.png"));
    const QImage got = sheetOfLooks();
    if (want.convertToFormat(QImage::Format_RGB32) != got) {
        const QString path = QDir::temp().filePath(QStringLiteral("flatkit-light-looks.png"));
        got.save(path);
        FAIL() << "the light looks changed; now drawn: " << path.toStdString();
    }
}
