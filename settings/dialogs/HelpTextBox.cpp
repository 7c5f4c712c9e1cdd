#include "HelpTextBox.h"

#include <QTextDocument>
#include <QTextEdit>

QTextEdit *CreateHelpTextBox(QWidget *parent, const QStringList &lines)
{
    auto *box = new QTextEdit(parent);
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
    return box;
}
