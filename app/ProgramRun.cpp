#include "ProgramRun.h"

#include "DialogLauncher.h"
#include "PowerSource.h"
#include "QtTrayIcon.h"
#include "ShutdownRequester.h"
#include "SignalCloser.h"
#include "TfrmMain.h"
#include "VoltlineApplication.h"

#include <QtGlobal>

#include <exception>

namespace {

// The strip places itself, which Wayland does not allow; XWayland does.
void preferX11OnWayland()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

} // namespace

int runVoltline(int argc, char **argv, const ProgramParts &parts)
{
    preferX11OnWayland();
    VoltlineApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("voltline"));
    app.setApplicationVersion(QStringLiteral("1.10"));
    // A hidden tray bar must survive the closing of a message box; the bar's close ends the run.
    app.setQuitOnLastWindowClosed(false);

    try {
        std::unique_ptr<PowerSource> source = parts.makePowerSource();
        std::unique_ptr<ShutdownRequester> shutdown = parts.makeShutdownRequester();
        SettingsStore store(parts.storePaths());

        TfrmMain frmMain(*source, store, *shutdown, std::make_unique<QtTrayIcon>());
        frmMain.setApplicationTitle(QStringLiteral("Voltline 1.10"));
        std::unique_ptr<QWidget> frmMainHelp(createQuickHelpWindow());
        frmMain.setQuickHelpWindow(frmMainHelp.get());
        QObject::connect(&frmMain, &TfrmMain::closed, &app, &QCoreApplication::quit,
                         Qt::QueuedConnection);

        SignalCloser closer;
        QObject::connect(&closer, &SignalCloser::terminationRequested, &frmMain, &QWidget::close);
        // The desktop session ending: save and leave the tray like a normal close.
        QObject::connect(&app, &QGuiApplication::commitDataRequest, &frmMain,
                         [&frmMain](QSessionManager &) { frmMain.close(); });
        QObject::connect(&app, &QCoreApplication::aboutToQuit, &frmMain,
                         [&frmMain] { frmMain.FormClose(); });

        frmMain.show();
        app.exec();
    } catch (const std::exception &e) {
        VoltlineApplication::showException(e.what());
    } catch (...) {
        VoltlineApplication::showException("Unknown error.");
    }
    return 0;
}
