// Prints the strip's width for each height given on the command line, measured with the fonts
// of the display it runs on, so the system tests can check the real window against it.
#include "BarLayout.h"

#include <QApplication>
#include <QFontMetrics>
#include <QTextStream>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget probe;
    QFont base(QStringLiteral("MS Sans Serif"));
    base.setPointSize(8);
    probe.setFont(base);
    const auto measure = [&probe](int pt, const QString &text) {
        QFont f = probe.font();
        f.setPointSize(std::max(1, pt));
        const QFontMetrics fm(f, &probe);
        return QSize(fm.horizontalAdvance(text), fm.height());
    };
    QTextStream out(stdout);
    for (int i = 1; i < argc; ++i) {
        const int h = QString::fromLocal8Bit(argv[i]).toInt();
        out << h << ' ' << computeBarLayout(h, measure).windowWidth << '\n';
    }
    return 0;
}
