#pragma once

#include <QStringList>

class QTextEdit;
class QWidget;

// The read-only text box of a help window, holding lines exactly as given (spaces at either
// end included), with a vertical scroll bar that is always there.
QTextEdit *CreateHelpTextBox(QWidget *parent, const QStringList &lines);
