#pragma once

#include <QWidget>

class QTextEdit;
class TFlatButton;

// The configuration dialog's help window. The dialog places, shows and destroys it; closing it
// (close box or "Close") hides it and raises HelpClosed, which the dialog reads and clears.
class TfrmConfigHelp : public QWidget {
    Q_OBJECT
public:
    explicit TfrmConfigHelp(QWidget *parent = nullptr);

    bool HelpClosed = false;

    QTextEdit *txtConfigHelp = nullptr;
    TFlatButton *btnClose = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void FormClose();
    void btnCloseClick();
};
