#pragma once

#include <QDialog>

class BevelPanel;
class QLabel;
class TFlatButton;

// The about box: product name, version and build, supported systems. A new one is made for
// every showing.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);

    BevelPanel *Panel1 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *ProductName = nullptr;
    QLabel *Version = nullptr;
    QLabel *Label1 = nullptr;
    TFlatButton *btnOK = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void OKButtonClick();
};
