#include "HelpTextBox.h"

#include <QTextEdit>

QTextEdit *CreateHelpTextBox(QWidget *parent, const QStringList &lines)
{
    auto *box = new QTextEdit(parent);
    box->setReadOnly(true);
    box->setAcceptRichText(false);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setLineWrapMode(QTextEdit::WidgetWidth);
    // Plain text keeps runs of spaces; the lines are shown as written.
    box->setPlainText(lines.join(QLatin1Char('\n')));
    return box;
}
