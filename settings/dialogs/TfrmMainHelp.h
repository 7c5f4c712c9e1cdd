#pragma once

#include <QWidget>

class QTextEdit;
class TFlatButton;

// The quick help window. One instance lives for the whole run; closing it only hides it, and
// every time it is shown again it comes back centred on the screen.
class TfrmMainHelp : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMainHelp(QWidget *parent = nullptr);

    // "Quick Help": shows the window without waiting for it; when it is already visible it is
    // only brought to the front, where it is.
    void showQuickHelp();

    QTextEdit *RichEdit1 = nullptr;
    TFlatButton *btnClose = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void btnCloseClick();
};
