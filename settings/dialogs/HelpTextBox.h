#pragma once

#include <QRect>
#include <QStringList>

class QTextEdit;
class QWidget;

// The read-only text box of a help window, holding lines exactly as given (spaces at either
// end included), with a vertical scroll bar that is always there. Every line stays one row:
// where the installed font is too wide for that, the box's font is made smaller.
QTextEdit *CreateHelpTextBox(QWidget *parent, const QStringList &lines, const QRect &geometry);
