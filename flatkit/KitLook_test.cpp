// The kit's controls in every state that paints differently, drawn under the light palette
// (compared with a picture of how they have always looked) and under dark palettes (measured).
#include "Hslutils.h"
#include "KitTestUtil.h"
#include "Legibility.h"
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
#include <map>
#include <memory>
#include <vector>

using namespace kittest;

namespace {

// A contrast that a dark palette must keep: what, as measured, and the least it may be.
struct Contrast {
    const char *what;
    double ratio;
    double need;
};
using Measure = std::function<std::vector<Contrast>(const QImage &, QWidget &)>;

// One control in one state. make builds it on the shown, active form (or as a window of its
// own) and returns what to grab; measure says which contrasts of the picture count.
struct Look {
    const char *name;
    std::function<QWidget *(QWidget &form)> make;
    Measure measure = [](const QImage &, QWidget &) { return std::vector<Contrast>(); };
};

TColor at(const QImage &img, QPoint p)
{
    return pixel(img, p.x(), p.y());
}

double between(const QImage &img, QPoint a, QPoint b)
{
    return contrastRatio(at(img, a), at(img, b));
}

// The strongest contrast in rect against its commonest colour: text and marks drawn on a
// plain ground (antialiased edges only blend the two). 1 when nothing is drawn there.
double strongestInk(const QImage &img, const QRect &rect)
{
    std::map<TColor, int> counts;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x)
            ++counts[pixel(img, x, y)];
    }
    TColor ground = 0;
    int most = 0;
    for (const auto &[color, count] : counts) {
        if (count > most) {
            most = count;
            ground = color;
        }
    }
    double strongest = 1;
    for (const auto &[color, count] : counts)
        strongest = std::max(strongest, contrastRatio(color, ground));
    return strongest;
}

std::vector<Contrast> buttonContrasts(const QImage &img, bool framed)
{
    std::vector<Contrast> c = {
        {"caption", strongestInk(img, img.rect().adjusted(3, 3, -3, -3)), kCaptionContrast}};
    if (framed)
        c.push_back({"frame", between(img, {0, 12}, {2, 12}), kMarkContrast});
    return c;
}

std::vector<Contrast> checkContrasts(const QImage &img, QWidget &control)
{
    auto &check = static_cast<FlatCheckControl &>(control);
    const int W = img.width();
    const int H = img.height();
    const QRect box = check.indicatorRect();
    const QRect caption =
        check.RightLayout() ? KitRect(1, 1, W - 16, H - 1) : KitRect(16, 1, W - 1, H - 1);
    std::vector<Contrast> c = {
        {"caption", strongestInk(img, caption), kCaptionContrast},
        {"border", between(img, {box.left(), 8}, {box.left() - 1, 8}), kMarkContrast}};
    if (!check.Checked())
        return c;
    if (qobject_cast<TFlatRadioButton *>(&check)) {
        const QPoint corner = box.topLeft();
        c.push_back(
            {"dot", between(img, corner + QPoint(4, 4), corner + QPoint(2, 2)), kMarkContrast});
    } else {
        c.push_back({"tick", strongestInk(img, box.adjusted(1, 1, -1, -1)), kMarkContrast});
    }
    return c;
}

std::vector<Contrast> groupContrasts(const QImage &img, QWidget &control)
{
    const QFontMetrics metrics(control.font());
    const int TW = metrics.horizontalAdvance(QStringLiteral("&Group"));
    const int m = metrics.height() / 2;
    return {
        {"caption", strongestInk(img, KitRect(10, 0, 10 + TW, metrics.height())), kCaptionContrast},
        {"border", between(img, {2, m}, {2, m + 2}), kMarkContrast}};
}

std::vector<Contrast> gaugeContrasts(const QImage &img, QWidget &)
{
    const int mid = img.height() / 2;
    return {{"fill", between(img, {3, mid}, {1, mid}), kMarkContrast},
            {"border", between(img, {0, mid}, {1, mid}), kMarkContrast}};
}

// The edit's letters are antialiased, so no pixel need carry the text colour itself: the
// colour it draws them with counts, against its fill as painted. The border is measured on the
// idle edit only: focused, a white ring lies between it and the dark window and sets the edit
// off by itself.
std::vector<Contrast> editContrasts(const QImage &img, QWidget &control)
{
    const int mid = img.height() / 2;
    const TColor text = QColorToColor(control.palette().color(QPalette::Text));
    std::vector<Contrast> c = {{"text", contrastRatio(text, at(img, {2, mid})), kCaptionContrast}};
    if (!control.hasFocus())
        c.push_back({"border", between(img, {0, mid}, {1, mid}), kMarkContrast});
    return c;
}

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
        {"button up", [](QWidget &f) { return button(f); },
         [](const QImage &img, QWidget &) { return buttonContrasts(img, true); }},
        {"button default",
         [](QWidget &f) {
             auto *b = button(f);
             b->SetDefault(true);
             return b;
         },
         [](const QImage &img, QWidget &) { return buttonContrasts(img, true); }},
        {"button hot",
         [](QWidget &f) {
             auto *b = button(f);
             b->setFocus();
             return b;
         },
         [](const QImage &img, QWidget &) { return buttonContrasts(img, false); }},
        {"button pressed",
         [](QWidget &f) {
             auto *b = button(f);
             b->setFocus();
             QTest::keyPress(b, Qt::Key_Space);
             return b;
         },
         [](const QImage &img, QWidget &) { return buttonContrasts(img, false); }},
        {"button latched",
         [](QWidget &f) {
             auto *b = button(f);
             b->SetGroupIndex(1);
             b->SetDown(true);
             return b;
         },
         [](const QImage &img, QWidget &) { return buttonContrasts(img, false); }},
        {"button disabled",
         [](QWidget &f) {
             auto *b = button(f);
             b->setEnabled(false);
             return b;
         }},
        {"check box", [](QWidget &f) { return check<TFlatCheckBox>(f, false); }, checkContrasts},
        {"check box checked", [](QWidget &f) { return check<TFlatCheckBox>(f, true); },
         checkContrasts},
        {"check box focused",
         [](QWidget &f) {
             auto *c = check<TFlatCheckBox>(f, true);
             c->setFocus();
             return c;
         },
         checkContrasts},
        {"check box pressed",
         [](QWidget &f) {
             auto *c = check<TFlatCheckBox>(f, true);
             QTest::mousePress(c, Qt::LeftButton, {}, QPoint(5, 8));
             return c;
         },
         checkContrasts},
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
         },
         checkContrasts},
        {"radio button", [](QWidget &f) { return check<TFlatRadioButton>(f, false); },
         checkContrasts},
        {"radio button checked", [](QWidget &f) { return check<TFlatRadioButton>(f, true); },
         checkContrasts},
        {"radio button focused",
         [](QWidget &f) {
             auto *c = check<TFlatRadioButton>(f, true);
             c->setFocus();
             return c;
         },
         checkContrasts},
        {"radio button disabled",
         [](QWidget &f) {
             auto *c = check<TFlatRadioButton>(f, true);
             c->setEnabled(false);
             return c;
         }},
        {"group box", [](QWidget &f) { return group(f); }, groupContrasts},
        {"group box top line",
         [](QWidget &f) {
             auto *g = group(f);
             g->SetBorder(brOnlyTopLine);
             return g;
         },
         groupContrasts},
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
        {"edit", [](QWidget &f) { return edit(f); }, editContrasts},
        {"edit focused",
         [](QWidget &f) {
             auto *e = edit(f);
             e->setFocus();
             return e;
         },
         editContrasts},
        {"hint",
         [](QWidget &f) {
             auto *source = new TFlatHint(&f);
             source->SetHintFont(testFont());
             TFlatHint::SetMainForm(&f);
             auto *w = new TFlatHintWindow(&f);
             w->ActivateHintAt(QRect(), QStringLiteral("A hint"), QPoint(10, 10));
             return w;
         },
         [](const QImage &img, QWidget &) {
             return std::vector<Contrast>{
                 {"text", strongestInk(img, KitRect(18, 2, img.width() - 4, img.height() - 2)),
                  kCaptionContrast}};
         }},
    };
    for (TColor color : kGaugeColors)
        rows.push_back({"gauge", [color](QWidget &f) { return gauge(f, color); }, gaugeContrasts});
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

// All looks one under the other; each is also handed to alsoUse.
QImage
sheetOfLooks(const std::function<void(const Look &, QWidget &, const QImage &)> &alsoUse = {})
{
    std::vector<QImage> images;
    drawLooks([&](const Look &look, QWidget &control, const QImage &img) {
        images.push_back(img);
        if (alsoUse)
            alsoUse(look, control, img);
    });
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

// Where a test leaves a picture for whoever looks into its failure.
QString keptPicture(const QString &name)
{
    return QDir::temp().filePath(QStringLiteral("flatkit-") + name + QStringLiteral(".png"));
}

} // namespace

TEST(KitLook, LightPaletteLooksAsItAlwaysHas)
{
    const QImage want(QStringLiteral(VOLTLINE_FLATKIT_TESTDATA "/light-looks.png"));
    const QImage got = sheetOfLooks();
    if (want.convertToFormat(QImage::Format_RGB32) != got) {
        const QString path = keptPicture(QStringLiteral("light-looks"));
        got.save(path);
        FAIL() << "the light looks changed; now drawn: " << path.toStdString();
    }
}

namespace {

QPalette paletteOf(std::initializer_list<std::pair<QPalette::ColorRole, QRgb>> roles)
{
    QPalette palette;
    for (const auto &[role, rgb] : roles)
        palette.setColor(role, QColor::fromRgb(rgb));
    return palette;
}

// Breeze Dark's colours, with Qt's shades of its button colour.
QPalette breezeDark()
{
    QPalette palette(QColor(0x31363b), QColor(0x31363b));
    palette.setColor(QPalette::WindowText, QColor(0xeff0f1));
    palette.setColor(QPalette::ButtonText, QColor(0xeff0f1));
    palette.setColor(QPalette::Text, QColor(0xeff0f1));
    palette.setColor(QPalette::Base, QColor(0x232629));
    return palette;
}

// Sets the application palette for a while.
struct AppPalette {
    QPalette before = QApplication::palette();
    explicit AppPalette(const QPalette &palette) { QApplication::setPalette(palette); }
    ~AppPalette() { QApplication::setPalette(before); }
};

} // namespace

TEST(KitLook, DarkPalettesKeepCaptionsMarksAndBordersLegible)
{
    const std::pair<const char *, QPalette> palettes[] = {
        // What Qt's GTK theme gives for Adwaita:dark.
        {"Adwaita dark", paletteOf({{QPalette::WindowText, 0xf0f0f0},
                                    {QPalette::Button, 0x323232},
                                    {QPalette::Light, 0x4b4b4b},
                                    {QPalette::Midlight, 0x2a2a2a},
                                    {QPalette::Dark, 0x212121},
                                    {QPalette::Mid, 0x262626},
                                    {QPalette::Text, 0xf0f0f0},
                                    {QPalette::BrightText, 0x4b4b4b},
                                    {QPalette::ButtonText, 0xf0f0f0},
                                    {QPalette::Base, 0x242424},
                                    {QPalette::Window, 0x323232},
                                    {QPalette::Shadow, 0x191919}})},
        {"Breeze dark", breezeDark()},
        {"black", paletteOf({{QPalette::WindowText, 0xffffff},
                             {QPalette::Button, 0x000000},
                             {QPalette::Window, 0x000000},
                             {QPalette::Text, 0xffffff},
                             {QPalette::Base, 0x000000}})},
    };
    for (const auto &[name, palette] : palettes) {
        SCOPED_TRACE(name);
        AppPalette dark(palette);
        bool failed = false;
        const QImage sheet =
            sheetOfLooks([&](const Look &look, QWidget &control, const QImage &img) {
                for (const Contrast &c : look.measure(img, control)) {
                    EXPECT_GE(c.ratio, c.need) << c.what;
                    failed = failed || c.ratio < c.need;
                }
            });
        if (failed) {
            const QString path = keptPicture(QString::fromLatin1(name).replace(u' ', u'-'));
            sheet.save(path);
            ADD_FAILURE() << "drawn: " << path.toStdString();
        }
    }
}

TEST(Legibility, NearestLegibleShadeKeepsHueAndSaturation)
{
    struct Row {
        const char *name;
        TColor color, background;
        double ratio;
    };
    const Row rows[] = {{"black tick on dark grey", 0x000000, 0x323232, kMarkContrast},
                        {"blue gauge on dark grey", 0xFF0000, 0x323232, kMarkContrast},
                        {"green gauge on dark grey", 0x008000, 0x323232, kMarkContrast},
                        {"light text on a light face", 0xF0F0F0, 0xEBEAE1, kCaptionContrast},
                        {"already legible", 0xFFFFFF, 0x323232, kCaptionContrast}};
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        const TColor got = legibleColor(r.color, r.background, r.ratio);
        EXPECT_GE(contrastRatio(got, r.background), r.ratio);
        int h0, s0, l0, h1, s1, l1;
        RGBtoHSLRange(r.color, h0, s0, l0);
        RGBtoHSLRange(got, h1, s1, l1);
        if (s0 > 0 && l1 > 0 && l1 < 240) {
            EXPECT_NEAR(h1, h0, 2);
            EXPECT_NEAR(s1, s0, 2);
        }
        if (contrastRatio(r.color, r.background) >= r.ratio) {
            EXPECT_EQ(got, r.color);
        }
    }
    // Nothing reaches 21:1 against grey: the better of black and white.
    EXPECT_EQ(legibleColor(0x808080, 0x323232, 21), clWhite);
}
