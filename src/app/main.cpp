#include "app/app_files.h"
#include "app/desktop_app.h"
#include "app/termination_signals.h"
#include "app/web_engine_setup.h"
#include "predict/clock.h"
#include "service/http_transport.h"

#include <QApplication>
#include <QFileInfo>
#include <atomic>

int main(int argc, char** argv) {
    using namespace zorlith;
    PrepareWebEngine();
    QApplication app(argc, argv);
    ChooseBrowserRendering();
    // The main window's close ends the program, not the status window's disappearance.
    QApplication::setQuitOnLastWindowClosed(false);
    const QString executableDir = QCoreApplication::applicationDirPath();

    std::atomic<bool> cancelRequests{false};
    CurlTransport curl(CurlTransport::Limits{}, &cancelRequests);
    EventPumpingTransport transport(curl, cancelRequests);
    SystemClock clock;
    MessageBoxDialogs dialogs;
    SystemBrowserLinks links;
    DetachedUpdaterHandOff updateHandOff(
        UpdaterPath(executableDir), QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    DesktopApp desktop(transport, clock, DesktopSeams{dialogs, links, updateHandOff},
                       StartupOptions{}, executableDir);

    RemoveStaleUpdater(UpdaterPath(executableDir));
    EndOnTerminationSignals([&desktop] {
        if (desktop.mainWindow().isVisible()) {
            desktop.mainWindow().close();
        } else {
            desktop.End();
        }
    });
    if (!desktop.Start()) {
        return 0;
    }
    QApplication::exec();
    return 0;
}
