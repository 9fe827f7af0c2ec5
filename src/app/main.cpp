#include "app/gui/LauncherController.h"
#include "app/Workspace.h"
#include "platform/RunDirectory.h"
#include "platform/TerminationSignals.h"
#include "ui/MainWindow.h"
#include "ui/MessageBoxes.h"
#include "ui/automation/AutomationServer.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VelkManager"));
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Velk Manager: a launcher and manager for one Minecraft server"));
    parser.addHelpOption();
    const QCommandLineOption runDirOption(
        QStringLiteral("run-dir"),
        QStringLiteral("Use DIR as the run directory instead of the program's folder."),
        QStringLiteral("DIR"));
    const QCommandLineOption automationOption(
        QStringLiteral("automation"),
        QStringLiteral("Answer the automation line protocol on a Unix socket at PATH."),
        QStringLiteral("PATH"));
    const QCommandLineOption screenshotOption(
        QStringLiteral("screenshot"),
        QStringLiteral("Save a PNG of the main window to FILE once start-up is done, then exit."),
        QStringLiteral("FILE"));
    const QCommandLineOption quitWhenShownOption(
        QStringLiteral("quit-when-shown"),
        QStringLiteral(
            "Print \"shown MS\" once the main window is painted, then exit (start-up benchmark)."));
    parser.addOptions({runDirOption, automationOption, screenshotOption, quitWhenShownOption});
    parser.process(app);

    // Installed first, so a signal during start-up still ends the program through the event loop.
    LauncherController* running = nullptr;
    onTerminationSignal(&app, [&running] {
        if (running)
            running->shutdownLauncher();
        else
            QCoreApplication::exit(0);
    });

    if (parser.isSet(runDirOption))
        rundir::setOverride(parser.value(runDirOption));

    // The automation socket is open before the start-up checks so a refusal box can be answered too.
    std::unique_ptr<AutomationServer> automation;
    if (parser.isSet(automationOption)) {
        automation = std::make_unique<AutomationServer>();
        if (!automation->listen(parser.value(automationOption))) {
            qCritical("automation: %s", qPrintable(automation->errorString()));
            return 2;
        }
    }

    const QString refusal = workspace::startupRefusal(rundir::path());
    if (!refusal.isEmpty()) {
        boxes::showInfoBox(refusal, QStringLiteral("启动检测"), boxes::Error);
        return 0;
    }

    LauncherController launcher;
    running = &launcher;
    launcher.start();
    launcher.window()->show();
    launcher.shown();

    if (parser.isSet(screenshotOption)) {
        const QString file = parser.value(screenshotOption);
        QTimer::singleShot(300, &launcher, [&launcher, file] {
            const bool saved = launcher.window()->grab().save(file, "PNG");
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    if (parser.isSet(quitWhenShownOption)) {
        // Queued behind the first paint of the shown window.
        QTimer::singleShot(0, &launcher, [&sinceStart] {
            std::printf("shown %lld\n", static_cast<long long>(sinceStart.elapsed()));
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
    }
    return QApplication::exec();
}
