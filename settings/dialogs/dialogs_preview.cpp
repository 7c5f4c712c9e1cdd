// Shows one of the dialogs on its own, for screenshots and for looking at them while they are
// built: dialogs_preview config|config-help|quick-help|about
#include "TAboutBox.h"
#include "TFlatButton.h"
#include "TfrmConfig.h"
#include "TfrmMainHelp.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const char *what = argc > 1 ? argv[1] : "config";
    if (!std::strcmp(what, "config") || !std::strcmp(what, "config-help")) {
        TfrmConfig dlg;
        dlg.Snap = true;
        dlg.AlwaysOnTop = true;
        dlg.ShowRaised = true;
        dlg.ShowInSysTray = true;
        dlg.WarnPercent = 25;
        dlg.ShutdownPercent = 10;
        if (!std::strcmp(what, "config-help"))
            QTimer::singleShot(300, &dlg, [&dlg] { dlg.btnHelp->Click(); });
        dlg.exec();
        std::printf("Accepted=%d\n", dlg.Accepted);
        return 0;
    }
    if (!std::strcmp(what, "quick-help")) {
        TfrmMainHelp help;
        help.showQuickHelp();
        QObject::connect(help.btnClose, &TFlatButton::clicked, &app, &QApplication::quit);
        return app.exec();
    }
    if (!std::strcmp(what, "about")) {
        TAboutBox box;
        box.exec();
        return 0;
    }
    std::fprintf(stderr, "usage: %s config|config-help|quick-help|about\n", argv[0]);
    return 2;
}
