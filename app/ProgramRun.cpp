#include "ProgramRun.h"

#include "DialogLauncher.h"
#include "EndGuards.h"
#include "KitAccessible.h"
#include "PowerSource.h"
#include "QtTrayIcon.h"
#include "ShutdownRequester.h"
#include "SignalCloser.h"
#include "SingleInstance.h"
#include "StateIcons.h"
#include "StripAccessible.h"
#include "StripWorkAreaSource.h"
#include "TFlatHint.h"
#include "TfrmMain.h"
#include "VersionTexts.h"
#include "VoltlineApplication.h"
#include "X11Util.h"

#include <QFileInfo>
#include <QtGlobal>

#include <cstdio>
#include <exception>
#include <optional>

namespace {

// The strip places itself and stays on top, which Wayland leaves to the compositor; XWayland
// allows both. Without an X display that answers, Wayland is chosen here rather than by Qt's
// own fallback, which first reports the failed X connection as if the program had failed.
enum class Platform { Unchosen, X11, Wayland };

Platform choosePlatformOnWayland()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return Platform::Unchosen;
    const bool x11 = X11Util::displayAnswers();
    qputenv("QT_QPA_PLATFORM", x11 ? "xcb" : "wayland");
    return x11 ? Platform::X11 : Platform::Wayland;
}

// The strip repaints a few dozen pixels a second. Through X shared memory each repaint first
// waits for the server to finish with the previous one, a round trip that wakes two threads
// every second; a plain image request needs no answer. Only the X connection made here is
// affected: the variable is gone again before anything is started from the program.
bool avoidSharedMemoryImages()
{
    if (qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        return false;
    qputenv("QT_XCB_NO_MITSHM", "1");
    return true;
}

} // namespace

int runVoltline(int argc, char **argv, const ProgramParts &parts)
{
    // Both choices are for this process only: programs started from the bar (the help
    // viewer) get the user's own environment.
    const Platform platform = choosePlatformOnWayland();
    const bool setNoSharedMemory = avoidSharedMemoryImages();
    const QString program =
        QFileInfo(QString::fromLocal8Bit(argc > 0 ? argv[0] : "voltline")).fileName();
    std::optional<DisplayStartGuard> displayGuard(std::in_place, program);
    VoltlineApplication app(argc, argv);
    displayGuard.reset();
    if (platform != Platform::Unchosen)
        qunsetenv("QT_QPA_PLATFORM");
    if (setNoSharedMemory)
        qunsetenv("QT_XCB_NO_MITSHM");
    // The name trays show for the program (a StatusNotifierItem's title); the desktop entry
    // ties its windows to the launcher's, also on Wayland.
    app.setApplicationName(QStringLiteral("Voltline"));
    app.setDesktopFileName(QStringLiteral("org.quorvex.Voltline"));
    app.setApplicationVersion(QLatin1String(VersionText));
    app.setWindowIcon(appQIcon());
    // The strip and the kit's controls tell screen readers what they are.
    KitAccessible::install();
    StripAccessible::install();
    // A hidden tray bar must survive the closing of a message box; the bar's close ends the run.
    app.setQuitOnLastWindowClosed(false);

    try {
        const StorePaths paths = parts.storePaths();
        // One bar per store: a second start shows the first one and ends.
        SingleInstance instance(paths.registryFile);
        if (instance.handOver())
            return 0;
        if (platform == Platform::Wayland) {
            const QString line = program + QStringLiteral(": no X display, running natively on "
                                                          "Wayland, where the compositor decides "
                                                          "where the strip goes and whether it "
                                                          "stays on top\n");
            std::fputs(line.toLocal8Bit().constData(), stderr);
        }

        std::unique_ptr<PowerSource> source = parts.makePowerSource();
        StripWorkAreaSource stripSource(*source);
        std::unique_ptr<ShutdownRequester> shutdown = parts.makeShutdownRequester();
        SettingsStore store(paths);

        TfrmMain frmMain(stripSource, store, *shutdown, std::make_unique<QtTrayIcon>());
        stripSource.setStrip(&frmMain);
        frmMain.setApplicationTitle(QStringLiteral("Voltline ") + QLatin1String(VersionText));
        TFlatHint::SetMainForm(&frmMain); // every hint takes its looks from the bar's FlatHint
        std::unique_ptr<QWidget> frmMainHelp(createQuickHelpWindow());
        frmMain.setQuickHelpWindow(frmMainHelp.get());
        instance.setActivation([&frmMain] {
            frmMain.mnuRestoreClick();
            frmMain.raise();
            frmMain.activateWindow();
        });
        QObject::connect(&frmMain, &TfrmMain::closed, &app, &QCoreApplication::quit,
                         Qt::QueuedConnection);

        SignalCloser closer;
        QObject::connect(&closer, &SignalCloser::terminationRequested, &frmMain, &QWidget::close);
        // The desktop session is about to end: save, but stay. Another program may still
        // cancel the logout, and then the bar carries on; when the session does end, it quits
        // the event loop and the bar closes as usual.
        QObject::connect(&app, &QGuiApplication::commitDataRequest, &frmMain,
                         [&frmMain](QSessionManager &) { frmMain.SaveSettings(); });
        QObject::connect(&app, &QCoreApplication::aboutToQuit, &frmMain,
                         [&frmMain] { frmMain.FormClose(); });
        // A broken display connection ends the process from inside Qt by exit(): save first.
        const SaveOnExit saveOnExit([&frmMain] { frmMain.SaveSettings(); });

        frmMain.show();
        app.exec();
    } catch (const std::exception &e) {
        VoltlineApplication::showException(e.what());
    } catch (...) {
        VoltlineApplication::showException("Unknown error.");
    }
    return 0;
}
