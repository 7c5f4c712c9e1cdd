// Build tool: renders the application icon into a hicolor theme tree from the same drawing
// the program uses at run time, so the installed icons never drift from the code.
//
// Usage: voltline-iconrender OUTDIR SIZE... [scalable]
//   each SIZE writes OUTDIR/SIZExSIZE/apps/voltline.png,
//   "scalable" writes OUTDIR/scalable/apps/voltline.svg.
#include "StateIcons.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QtGlobal>

#ifdef VOLTLINE_HAVE_SVG
#include <QSvgGenerator>
#endif

#include <cstdio>

namespace {

void complain(const QString &message)
{
    std::fprintf(stderr, "voltline-iconrender: %s\n", qPrintable(message));
}

bool makeParent(const QString &file)
{
    return QDir().mkpath(QFileInfo(file).absolutePath());
}

// A drawing that leaves every pixel transparent would install an invisible icon.
bool hasVisiblePixels(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                return true;
    return false;
}

bool renderPng(const QString &dir, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        paintAppIcon(painter, QRectF(0, 0, size, size));
    }
    if (!hasVisiblePixels(image)) {
        complain(QStringLiteral("the icon drawing left %1x%1 empty").arg(size));
        return false;
    }
    const QString file = QStringLiteral("%1/%2x%2/apps/voltline.png").arg(dir).arg(size);
    if (!makeParent(file) || !image.save(file, "PNG")) {
        complain(QStringLiteral("cannot write ") + file);
        return false;
    }
    return true;
}

bool renderSvg(const QString &dir)
{
#ifdef VOLTLINE_HAVE_SVG
    const QString file = dir + QStringLiteral("/scalable/apps/voltline.svg");
    if (!makeParent(file))
        return false;
    constexpr int side = 256; // the drawing's reference size; the viewBox makes it scale
    QSvgGenerator generator;
    generator.setFileName(file);
    generator.setSize(QSize(side, side));
    generator.setViewBox(QRectF(0, 0, side, side));
    generator.setTitle(QStringLiteral("Voltline"));
    generator.setDescription(QStringLiteral("Voltline application icon"));
    QPainter painter;
    if (!painter.begin(&generator)) {
        complain(QStringLiteral("cannot write ") + file);
        return false;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    paintAppIcon(painter, QRectF(0, 0, side, side));
    return painter.end();
#else
    Q_UNUSED(dir);
    complain(QStringLiteral("built without SVG support"));
    return false;
#endif
}

} // namespace

int main(int argc, char **argv)
{
    // Runs inside the build, where there is no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        complain(QStringLiteral("usage: voltline-iconrender OUTDIR SIZE... [scalable]"));
        return 2;
    }
    const QString dir = args.first();
    for (const QString &arg : args.mid(1)) {
        if (arg == QLatin1String("scalable")) {
            if (!renderSvg(dir))
                return 1;
            continue;
        }
        bool ok = false;
        const int size = arg.toInt(&ok);
        if (!ok || size < 1 || size > 1024) {
            complain(QStringLiteral("not a size: ") + arg);
            return 2;
        }
        if (!renderPng(dir, size))
            return 1;
    }
    return 0;
}
