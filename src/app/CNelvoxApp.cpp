#include "app/CNelvoxApp.h"

#include "app/CNelvoxDlg.h"
#include "app/SignalWatcher.h"
#include "platform/Version.h"

#include <QLocale>
#include <QLockFile>
#include <QMessageBox>
#include <QTranslator>

CNelvoxApp::CNelvoxApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Nelvox"));
    setApplicationVersion(QLatin1String(kVersionShort));
    setDesktopFileName(QStringLiteral("io.github.nelvox.Nelvox"));
    // The window hides into the tray; only its own close path ends the program.
    setQuitOnLastWindowClosed(false);
}

QString MissingDesktop(int argc, char** argv)
{
    for (int at = 1; at < argc; ++at) {
        if (qstrcmp(argv[at], "-platform") == 0 || qstrcmp(argv[at], "--platform") == 0)
            return {};
    }
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return {};
    const char* line = QT_TRANSLATE_NOOP("CNelvoxApp",
        "Nelvox needs a graphical desktop (X11 or Wayland), but neither DISPLAY nor WAYLAND_DISPLAY is set.");
    // There is no application object to install a translator in yet: ask one directly.
    QTranslator translator;
    if (translator.load(QLocale::system(), QStringLiteral("nelvox"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
        if (QString translated = translator.translate("CNelvoxApp", line); !translated.isEmpty())
            return translated;
    }
    return QString::fromLatin1(line);
}

int CNelvoxApp::run()
{
    return RunMainWindow();
}

int RunMainWindow()
{
    // Two copies in one directory would overwrite each other's favorites and snapshots.
    QLockFile lock(QString::fromLatin1(kLockFileName));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Nelvox"),
            QCoreApplication::translate("CNelvoxApp", "Nelvox is already running with the favorites in this folder."),
            QMessageBox::Ok);
        box.exec();
        return 1;
    }

    // kill, Ctrl+C, a closed terminal or a session ending without session management: the
    // favorites are saved and the lock released as on Quit. Caught from here on, a signal
    // that comes while the window is being set up waits in the pipe for the event loop.
    SignalWatcher signalWatcher({ SIGTERM, SIGINT, SIGHUP });
    CNelvoxDlg window;
    QObject::connect(&signalWatcher, &SignalWatcher::received, &window, &CNelvoxDlg::OnQuit);
    // The application's own loop runs until the window has ended.
    QObject::connect(&window, &CNelvoxDlg::ended, qApp, &QCoreApplication::quit);
    window.show();
    if (!window.hasEnded())
        QApplication::exec();
    return 0;
}
