#include "HelpTextBox.h"

#include <QFontMetrics>
#include <QScrollBar>
#include <QStyle>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>

namespace {

constexpr int kSmallestPixelSize = 9;

// The rows are written to fill the classic box in its classic font; the fonts installed here
// run wider, and a wrapped row leaves one word alone on the next line. The box keeps its size
// and takes the largest pixel size, from the window's down, at which the widest row fits.
void fitRows(QTextEdit *box, const QStringList &lines, int boxWidth)
{
    const int scrollBar = box->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, box);
    const int margins = 2 * box->frameWidth() + 2 * int(box->document()->documentMargin());
    const int available = boxWidth - scrollBar - margins;
    QFont font = box->font();
    for (; font.pixelSize() > kSmallestPixelSize; font.setPixelSize(font.pixelSize() - 1)) {
        const QFontMetrics metrics(font);
        int widest = 0;
        for (const QString &line : lines) {
            // Spaces at the end of a row may run past the edge without wrapping it.
            qsizetype end = line.size();
            while (end > 0 && line.at(end - 1) == QLatin1Char(' '))
                --end;
            widest = std::max(widest, metrics.horizontalAdvance(line.left(end)));
        }
        if (widest <= available)
            break;
    }
    box->setFont(font);
}

} // namespace

QTextEdit *CreateHelpTextBox(QWidget *parent, const QStringList &lines, const QRect &geometry)
{
    auto *box = new QTextEdit(parent);
    box->setGeometry(geometry);
    box->setReadOnly(true);
    box->setAcceptRichText(false);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setLineWrapMode(QTextEdit::WidgetWidth);
    // The classic box sets its text almost against the frame; with Qt's wider margin the help
    // lines, written to just fit, would wrap one word early.
    box->document()->setDocumentMargin(1);
    // Plain text keeps runs of spaces; the lines are shown as written.
    box->setPlainText(lines.join(QLatin1Char('\n')));
    fitRows(box, lines, geometry.width());
    return box;
}
