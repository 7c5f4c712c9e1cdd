#include "Flatutilitys.h"

#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

QFont kitFont()
{
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    return f;
}

// Renders an image as one character per pixel, through a legend of colours, so expected
// pictures can be written out in the test.
std::string picture(const QImage &img, const std::vector<std::pair<QRgb, char>> &legend)
{
    std::string out;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            char ch = '?';
            for (const auto &[rgb, c] : legend) {
                if ((img.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF))
                    ch = c;
            }
            out += ch;
        }
        out += '\n';
    }
    return out;
}

QImage canvas(int w, int h, QColor fill = Qt::white)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

struct MeasureRow {
    const char *name;
    QString text;
    uint flags;
    QString widest; // the line whose width the result must have
    int lines;
};

TEST(KitDrawText, MeasuresPrefixesAndLines)
{
    const QFontMetrics fm(kitFont());
    const MeasureRow rows[] = {
        {"plain", "Hello", DT_SINGLELINE, "Hello", 1},
        {"accelerator hidden", "&File", DT_SINGLELINE, "File", 1},
        {"double ampersand", "A&&B", DT_SINGLELINE, "A&B", 1},
        {"no prefix", "&File", DT_SINGLELINE | DT_NOPREFIX, "&File", 1},
        {"lone trailing ampersand", "Save&", DT_SINGLELINE, "Save", 1},
        {"line breaks", "one\nlonger two", 0, "longer two", 2},
        {"crlf", "one\r\ntwo", 0, "one", 2},
        {"single line ignores breaks", "one\ntwo", DT_SINGLELINE, "one two", 1},
        {"empty", "", DT_SINGLELINE, "", 1},
    };
    for (const MeasureRow &r : rows) {
        SCOPED_TRACE(r.name);
        const QRect got =
            KitDrawText(nullptr, kitFont(), r.text, KitRect(7, 5, 7, 5), r.flags | DT_CALCRECT);
        EXPECT_EQ(got.left(), 7);
        EXPECT_EQ(got.top(), 5);
        EXPECT_EQ(got.width(), fm.horizontalAdvance(r.widest));
        EXPECT_EQ(got.height(), r.lines * fm.height());
    }
}

TEST(KitDrawText, WordBreakWrapsAtSpacesAndKeepsLongWordsWhole)
{
    const QFontMetrics fm(kitFont());
    const int word = fm.horizontalAdvance(QStringLiteral("bbbbbbbb"));
    struct Row {
        const char *name;
        QString text;
        int width;
        int wantWidth;
        int lines;
    };
    const Row rows[] = {
        {"fits on one line", "aa bbbbbbbb", 1000, fm.horizontalAdvance("aa bbbbbbbb"), 1},
        {"exact fit stays on one line", "bbbbbbbb", word, word, 1},
        {"wraps before the word that overflows", "aa bbbbbbbb cc", word, word, 3},
        {"long word keeps its width", "x bbbbbbbb y", 10, word, 3},
        {"prefix stripped before wrapping", "aa &bbbbbbbb", word, word, 2},
        {"spaces at the break are dropped", "bbbbbbbb     bbbbbbbb", word, word, 2},
        {"zero width puts each word alone", "a b c", 0, fm.horizontalAdvance("a"), 3},
        {"paragraphs wrap separately", "aa\nbbbbbbbb cc", word, word, 3},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        const QRect got = KitDrawText(nullptr, kitFont(), r.text, KitRect(0, 0, r.width, 0),
                                      DT_CALCRECT | DT_WORDBREAK);
        EXPECT_EQ(got.width(), r.wantWidth);
        EXPECT_EQ(got.height(), r.lines * fm.height());
    }
}

int darkPixelsInRow(const QImage &img, int y, int x0, int x1)
{
    int n = 0;
    for (int x = x0; x < x1; ++x)
        n += qGray(img.pixel(x, y)) < 128 ? 1 : 0;
    return n;
}

TEST(KitDrawText, UnderlinesTheAcceleratorOnly)
{
    const QFontMetrics fm(kitFont());
    const int wWidth = fm.horizontalAdvance(QStringLiteral("W"));
    const int all = fm.horizontalAdvance(QStringLiteral("Wxx"));
    const int row = fm.ascent() + std::max(0, fm.underlinePos());

    QImage img = canvas(60, 20);
    {
        QPainter p(&img);
        p.setPen(Qt::black);
        KitDrawText(&p, kitFont(), QStringLiteral("&Wxx"), KitRect(0, 0, 60, 20), DT_SINGLELINE);
    }
    EXPECT_EQ(darkPixelsInRow(img, row, 0, wWidth), wWidth);
    EXPECT_EQ(darkPixelsInRow(img, row, wWidth + 1, all), 0);

    QImage plain = canvas(60, 20);
    {
        QPainter p(&plain);
        p.setPen(Qt::black);
        KitDrawText(&p, kitFont(), QStringLiteral("&Wxx"), KitRect(0, 0, 60, 20),
                    DT_SINGLELINE | DT_NOPREFIX);
        KitDrawText(&p, kitFont(), QStringLiteral("&&Wxx"), KitRect(0, 0, 60, 20), DT_SINGLELINE);
    }
    EXPECT_EQ(darkPixelsInRow(plain, row, 0, 60), 0);
}

TEST(KitDrawText, AlignsAndClipsToTheRectangle)
{
    const QFontMetrics fm(kitFont());
    const QString text = QStringLiteral("Wide text");
    const int tw = fm.horizontalAdvance(text);
    QImage img = canvas(200, 60);
    QPainter p(&img);
    p.setPen(Qt::black);

    const QRect right = KitDrawText(&p, kitFont(), text, KitRect(10, 0, 150, 20), DT_RIGHT);
    EXPECT_EQ(right, KitRect(150 - tw, 0, 150, fm.height()));
    const QRect centred = KitDrawText(&p, kitFont(), text, KitRect(0, 20, 100, 50),
                                      DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EXPECT_EQ(centred.left(), (100 - tw) / 2);
    EXPECT_EQ(centred.top(), 20 + (30 - fm.height()) / 2);
    // vertical centring needs a single line
    const QRect top = KitDrawText(&p, kitFont(), text, KitRect(0, 20, 100, 50), DT_VCENTER);
    EXPECT_EQ(top.top(), 20);
    p.end();

    QImage clipped = canvas(60, 20);
    QPainter q(&clipped);
    q.setPen(Qt::black);
    KitDrawText(&q, kitFont(), QStringLiteral("WWWWWWWW"), KitRect(0, 0, 5, 20), DT_SINGLELINE);
    q.end();
    for (int y = 0; y < 20; ++y)
        EXPECT_EQ(darkPixelsInRow(clipped, y, 5, 60), 0) << y;
}

TEST(Accelerator, FindsTheCharacterAfterASingleAmpersand)
{
    struct Row {
        const char *caption;
        QChar want;
    };
    const Row rows[] = {
        {"&File", u'F'},   {"E&xit", u'x'}, {"A&&B", QChar()}, {"A&&&B", u'B'},
        {"End&", QChar()}, {"", QChar()},   {"&&&&", QChar()}, {"&a &b", u'a'},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.caption);
        EXPECT_EQ(AcceleratorChar(QString::fromUtf8(r.caption)), r.want);
    }
    EXPECT_TRUE(IsAccelerator(u'X', QStringLiteral("E&xit")));
    EXPECT_TRUE(IsAccelerator(u'x', QStringLiteral("E&Xit")));
    EXPECT_FALSE(IsAccelerator(u'E', QStringLiteral("E&xit")));
    EXPECT_FALSE(IsAccelerator(QChar(), QStringLiteral("Exit")));
    EXPECT_FALSE(IsAccelerator(u'&', QStringLiteral("A&&B")));
}

const std::vector<std::pair<QRgb, char>> kLegend = {
    {0xFFFFFF, '.'}, {0x0000FF, 'a'}, {0x00FF00, 'b'}, {0xFF0000, 'c'}, {0x000000, '#'}};

TEST(Frames, FillFrameAndBevelLandOnExactPixels)
{
    QImage img = canvas(7, 6);
    QPainter p(&img);
    FrameRect(p, KitRect(0, 0, 7, 6), 0x00FF0000); // blue: 'a'
    FillRect(p, KitRect(2, 2, 4, 3), 0x00000000);
    FrameRect(p, KitRect(5, 5, 5, 6), 0x0000FF00); // empty: nothing
    p.end();
    EXPECT_EQ(picture(img, kLegend), "aaaaaaa\n"
                                     "a.....a\n"
                                     "a.##..a\n"
                                     "a.....a\n"
                                     "a.....a\n"
                                     "aaaaaaa\n");

    QImage bevel = canvas(6, 5);
    QPainter q(&bevel);
    QRect r = KitRect(0, 0, 6, 5);
    Frame3D(q, r, 0x00FF0000, 0x0000FF00, 2); // 'a' top-left, 'b' bottom-right
    q.end();
    EXPECT_EQ(r, KitRect(2, 2, 4, 3));
    EXPECT_EQ(picture(bevel, kLegend), "aaaaab\n"
                                       "aaaabb\n"
                                       "aa..bb\n"
                                       "abbbbb\n"
                                       "bbbbbb\n");
}

TEST(CreateDisabledBitmap, EmbossesTheOutlinePixels)
{
    // source: black 'X' marks on grey; the outline colour is black
    QImage src = canvas(5, 4, QColor(0x80, 0x80, 0x80));
    src.setPixel(0, 0, qRgb(0, 0, 0));
    src.setPixel(1, 1, qRgb(0, 0, 0));
    src.setPixel(4, 1, qRgb(0, 0, 0));
    src.setPixel(2, 3, qRgb(0, 0, 0));
    const QImage out =
        CreateDisabledBitmap(src, 0x00000000, 0x00FFFFFF, 0x0000FF00, 0x000000FF, true);
    ASSERT_EQ(out.size(), QSize(5, 4));
    // shadow 'c' (blue? no: 0x000000FF is red) over highlight 'b' moved by (1, 1)
    const std::vector<std::pair<QRgb, char>> legend = {
        {qRgb(255, 255, 255), '.'}, {qRgb(0, 255, 0), 'h'}, {qRgb(255, 0, 0), 's'}};
    EXPECT_EQ(picture(out, legend), "s....\n"
                                    ".s..s\n"
                                    "..h..\n"
                                    "..s..\n");

    const QImage flat =
        CreateDisabledBitmap(src, 0x00000000, 0x00FFFFFF, 0x0000FF00, 0x000000FF, false);
    EXPECT_EQ(picture(flat, legend), "s....\n"
                                     ".s..s\n"
                                     ".....\n"
                                     "..s..\n");

    // a one-bit source: its black pixels are the mask whatever the outline colour
    QImage mono(3, 1, QImage::Format_Mono);
    mono.setColor(0, qRgb(0, 0, 0));
    mono.setColor(1, qRgb(255, 255, 255));
    mono.setPixel(0, 0, 1);
    mono.setPixel(1, 0, 0);
    mono.setPixel(2, 0, 1);
    const QImage fromMono =
        CreateDisabledBitmap(mono, 0x00808080, 0x00FFFFFF, 0x0000FF00, 0x000000FF, false);
    EXPECT_EQ(picture(fromMono, legend), ".s.\n");
    const QImage allSet =
        CreateDisabledBitmap(mono, 0x00FFFFFF, 0x00FFFFFF, 0x0000FF00, 0x000000FF, false);
    EXPECT_EQ(picture(allSet, legend), "sss\n");

    EXPECT_TRUE(CreateDisabledBitmap(QImage(), 0, 0, 0, 0, true).isNull());
}

TEST(CreateDisabledBitmap, TransparentPixelsAreNeverOutline)
{
    QImage src(2, 1, QImage::Format_ARGB32);
    src.setPixel(0, 0, qRgba(0, 0, 0, 0));
    src.setPixel(1, 0, qRgba(0, 0, 0, 255));
    const QImage out =
        CreateDisabledBitmap(src, 0x00000000, 0x00FFFFFF, 0x0000FF00, 0x000000FF, false);
    EXPECT_EQ(out.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(out.pixel(1, 0), qRgb(255, 0, 0));
}

struct LayoutRow {
    const char *name;
    QRect client;
    QPoint offset;
    TButtonLayout layout;
    int spacing, margin;
    QSize glyph;
    int numGlyphs;
    QPoint wantGlyph;
};

TEST(CalcButtonLayout, PlacesAGlyphWithoutCaption)
{
    const LayoutRow rows[] = {
        // spacing is forced to 0 without caption, so margin -1 centres
        {"top centred", KitRect(0, 0, 25, 25), {0, 0}, blGlyphTop, 4, -1, {16, 16}, 1, {5, 5}},
        {"left centred", KitRect(0, 0, 40, 20), {0, 0}, blGlyphLeft, 4, -1, {16, 10}, 1, {12, 5}},
        {"strip of four", KitRect(0, 0, 40, 20), {0, 0}, blGlyphLeft, 4, -1, {64, 16}, 4, {12, 2}},
        {"right with margin",
         KitRect(0, 0, 40, 20),
         {0, 0},
         blGlyphRight,
         4,
         3,
         {16, 16},
         1,
         {21, 2}},
        {"bottom with margin",
         KitRect(0, 0, 20, 40),
         {0, 0},
         blGlyphBottom,
         4,
         3,
         {16, 16},
         1,
         {2, 21}},
        {"offset and client origin",
         KitRect(10, 20, 35, 45),
         {1, 1},
         blGlyphTop,
         4,
         -1,
         {16, 16},
         1,
         {16, 26}},
        {"no caption: automatic spacing becomes 0",
         KitRect(0, 0, 31, 20),
         {0, 0},
         blGlyphLeft,
         -1,
         -1,
         {16, 16},
         1,
         {8, 2}},
    };
    for (const LayoutRow &r : rows) {
        SCOPED_TRACE(r.name);
        QRect text;
        QPoint glyphPos;
        QImage glyph(r.glyph, QImage::Format_RGB32);
        CalcButtonLayout(kitFont(), r.client, r.offset, r.layout, r.spacing, r.margin, glyph,
                         r.numGlyphs, QString(), text, glyphPos);
        EXPECT_EQ(glyphPos, r.wantGlyph);
        EXPECT_EQ(text.width(), 0);
        EXPECT_EQ(text.height(), 0);
    }
}

TEST(CalcButtonLayout, PlacesCaptionBesideGlyph)
{
    const QFontMetrics fm(kitFont());
    const int tw = fm.horizontalAdvance(QStringLiteral("OK"));
    const int th = fm.height();
    QRect text;
    QPoint glyphPos;

    // caption only: centred both ways, the ampersand is not measured
    CalcButtonLayout(kitFont(), KitRect(0, 0, 75, 25), {0, 0}, blGlyphTop, 4, -1, QImage(), 1,
                     QStringLiteral("&OK"), text, glyphPos);
    EXPECT_EQ(text, KitRect((75 - tw + 1) / 2, (25 - th + 1) / 2, (75 - tw + 1) / 2 + tw,
                            (25 - th + 1) / 2 + th));

    // glyph above caption with spacing 4, margin automatic
    const QImage glyph(QSize(16, 16), QImage::Format_RGB32);
    CalcButtonLayout(kitFont(), KitRect(0, 0, 75, 60), {1, 1}, blGlyphTop, 4, -1, glyph, 1,
                     QStringLiteral("OK"), text, glyphPos);
    const int margin = (60 - (16 + 4 + th) + 1) / 2;
    EXPECT_EQ(glyphPos, QPoint((75 - 16 + 1) / 2 + 1, margin + 1));
    EXPECT_EQ(text.topLeft(), QPoint((75 - tw + 1) / 2 + 1, margin + 16 + 4 + 1));

    // both automatic: the free space splits in three
    CalcButtonLayout(kitFont(), KitRect(0, 0, 100, 25), {0, 0}, blGlyphLeft, -1, -1, glyph, 1,
                     QStringLiteral("OK"), text, glyphPos);
    const int third = (100 - (16 + tw)) / 3;
    EXPECT_EQ(glyphPos.x(), third);
    EXPECT_EQ(text.left(), third + 16 + third);
    EXPECT_EQ(text.top(), (25 - th + 1) / 2);

    // glyph right, margin given, spacing automatic
    CalcButtonLayout(kitFont(), KitRect(0, 0, 100, 25), {0, 0}, blGlyphRight, -1, 2, glyph, 1,
                     QStringLiteral("OK"), text, glyphPos);
    const int spacing = (100 - (2 + 16) - tw) / 2;
    EXPECT_EQ(glyphPos, QPoint(100 - 2 - 16, (25 - 16 + 1) / 2));
    EXPECT_EQ(text.left(), 100 - 2 - 16 - spacing - tw);
}

TEST(SmallHelpers, RectInRectNeedsARealOverlap)
{
    struct Row {
        const char *name;
        QRect a, b;
        bool want;
    };
    const Row rows[] = {
        {"shared vertical edge", KitRect(0, 0, 10, 10), KitRect(10, 0, 20, 10), false},
        {"shared horizontal edge", KitRect(0, 0, 10, 10), KitRect(0, 10, 10, 20), false},
        {"one pixel overlap", KitRect(0, 0, 10, 10), KitRect(9, 9, 20, 20), true},
        {"partial overlap", KitRect(0, 0, 10, 10), KitRect(5, -5, 15, 5), true},
        {"containment", KitRect(0, 0, 10, 10), KitRect(2, 2, 3, 3), true},
        {"empty", KitRect(0, 0, 10, 10), KitRect(5, 5, 5, 5), false},
        {"zero width inside", KitRect(0, 0, 10, 10), KitRect(5, 2, 5, 8), false},
        {"zero height inside", KitRect(0, 0, 10, 10), KitRect(2, 5, 8, 5), false},
        {"inverted across", KitRect(0, 0, 10, 10), KitRect(8, 8, 2, 2), false},
        {"inverted horizontally", KitRect(0, 0, 10, 10), KitRect(8, 2, 2, 8), false},
        {"apart", KitRect(0, 0, 10, 10), KitRect(20, 20, 30, 30), false},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(RectInRect(r.a, r.b), r.want);
        EXPECT_EQ(RectInRect(r.b, r.a), r.want);
    }
    EXPECT_EQ(Min(3, 7), 3);
    EXPECT_EQ(Min(65535, 0), 0);
}

TEST(SmallHelpers, FontHeightAddsAnEighthRoundingHalfToEven)
{
    // Which metric heights occur depends on the installed fonts; check every one that does.
    const std::map<int, int> want = {{4, 4}, {8, 9}, {12, 14}, {13, 15}, {16, 18}, {20, 22}};
    int checked = 0;
    for (int px = 2; px < 40; ++px) {
        QFont f = kitFont();
        f.setPixelSize(px);
        const auto it = want.find(GetFontMetrics(f).height());
        if (it == want.end())
            continue;
        EXPECT_EQ(GetFontHeight(f), it->second) << "pixel size " << px;
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

// A parent that paints a marker; used to check what shows behind a transparent child.
class MarkedParent : public QWidget {
public:
    MarkedParent()
    {
        setAutoFillBackground(true);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, Qt::green);
        setPalette(pal);
        resize(40, 40);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(KitRect(12, 12, 14, 14), Qt::red);
    }
};

class TransparentChild : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        DrawParentImage(this, p);
        p.fillRect(KitRect(0, 0, 1, 1), Qt::black);
    }
};

TEST(DrawParentImage, ShowsParentBackgroundAndDrawingButNoSiblings)
{
    MarkedParent parent;
    TransparentChild child(&parent);
    child.setGeometry(10, 10, 10, 10);
    QWidget sibling(&parent);
    sibling.setAutoFillBackground(true);
    QPalette pal = sibling.palette();
    pal.setColor(QPalette::Window, Qt::blue);
    sibling.setPalette(pal);
    sibling.setGeometry(15, 15, 10, 10);

    const QImage img = child.grab().toImage();
    ASSERT_EQ(img.size(), QSize(10, 10));
    EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(img.pixel(1, 1) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(img.pixel(2, 2) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(img.pixel(3, 3) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(img.pixel(4, 4) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(img.pixel(7, 7) & 0xFFFFFF, 0x00FF00u); // the sibling is not drawn

    QImage orphan = canvas(3, 3);
    QWidget lone;
    QPainter p(&orphan);
    DrawParentImage(&lone, p);
    DrawParentImage(nullptr, p);
    p.end();
    EXPECT_EQ(orphan.pixel(1, 1), qRgb(255, 255, 255));
}

TEST(DrawParentImage, WorksWhenPaintingOnScreen)
{
    // On screen the child's painter targets the window's backing store, with the parent
    // somewhere inside the window.
    QWidget window;
    window.resize(80, 70);
    QLabel parent(&window);
    QPixmap picture(40, 40);
    picture.fill(Qt::green);
    {
        QPainter p(&picture);
        p.fillRect(KitRect(12, 12, 14, 14), Qt::red);
    }
    parent.setPixmap(picture);
    parent.setGeometry(30, 20, 40, 40);
    TransparentChild child(&parent);
    child.setGeometry(10, 10, 10, 10);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QImage shown = window.windowHandle()
                             ->screen()
                             ->grabWindow(window.winId(), 30, 20, 40, 40)
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.width(), 40);
    EXPECT_EQ(shown.pixel(10, 10) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(shown.pixel(11, 11) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(shown.pixel(12, 12) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(shown.pixel(15, 15) & 0xFFFFFF, 0x00FF00u);
}

TEST(ParentColor, FollowsKitParentsAndForms)
{
    QWidget form;
    QWidget child(&form);
    EXPECT_EQ(ParentColorOf(&child), clBtnFace);
    QPalette pal = form.palette();
    pal.setColor(QPalette::Window, QColor(0x10, 0x20, 0x30));
    form.setPalette(pal);
    EXPECT_EQ(ParentColorOf(&child), 0x00302010u);
    PublishKitColor(&form, clWindow);
    EXPECT_EQ(ParentColorOf(&child), clWindow);
    EXPECT_EQ(ParentColorOf(&form), clBtnFace);
}

} // namespace
