// The floor of the toolkit: a frameless label whose text one 1 s timer rewrites. Voltline's
// own cost is measured against this program.
#include <QApplication>
#include <QLabel>
#include <QTimer>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);

    QLabel label;
    label.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    label.setWindowTitle(QStringLiteral("voltline-baseline"));
    label.setMinimumWidth(180);

    // A countdown like the strip's time, so each tick changes the text and repaints.
    int seconds = 2 * 3600;
    const auto show = [&] {
        label.setText(QStringLiteral("57%  %1:%2:%3")
                          .arg(seconds / 3600)
                          .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                          .arg(seconds % 60, 2, 10, QLatin1Char('0')));
    };
    show();

    QTimer timer;
    timer.setInterval(1000);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (seconds > 0)
            --seconds;
        show();
    });
    timer.start();

    label.show();
    return app.exec();
}
