// plm870-gateway: the monitor without its window, for an unattended PC.
#include "DiskWriter.h"
#include "Gateway.h"
#include "GatewayOptions.h"
#include "HttpPasswords.h"
#include "Preferences.h"
#include "StopSignals.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

// The process list shows the command line to every user: a password given there is blanked
// out once it has been read (ps then shows "--password ********").
void hidePasswordArgument(int argc, char **argv)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--password") == 0)
            std::memset(argv[i + 1], '*', std::strlen(argv[i + 1]));
}

// The gateway's run, from its start to the end of its event loop. Every way out of it, a start
// that fails included, ends the gateway here (its destructor: the line thread waited for at
// most LineThread::kEndWaitMs, a device that does not close left behind) and then goes through
// the disk's wait in main.
int serve(QCoreApplication &app, const GatewayOptions &options, const QStringList &arguments)
{
    Gateway gateway;
    // The same command line read again: the password file, the certificates and the stored
    // preferences as they are now.
    const auto reload = [&gateway, arguments] {
        Prefs::reopen();
        gateway.reload(ParseGatewayOptions(arguments));
    };
    if (!InstallStopSignals(app, reload))
        std::fprintf(stderr, "The stop signals cannot be caught; stop with SIGKILL only as a last resort.\n");
    QString error;
    if (!gateway.start(options, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    return app.exec();
}

// A line for the HTTP password file, the password read from standard input (not echoed when it
// is a terminal), so that it is never on a command line.
int printPasswordLine(const QString &user)
{
    if (user.contains(QLatin1Char(':'))) {
        std::fprintf(stderr, "A user name cannot hold \":\".\n");
        return 2;
    }
    termios saved {};
    const bool terminal = ::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        std::fprintf(stderr, "Password for %s: ", qPrintable(user));
        termios quiet = saved;
        quiet.c_lflag &= tcflag_t(~ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string password;
    std::getline(std::cin, password);
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::fprintf(stderr, "\n");
    }
    if (password.empty()) {
        std::fprintf(stderr, "No password was given; nothing is printed.\n");
        return 2;
    }
    std::printf("%s\n", http::PasswordLine(user.toUtf8(), QByteArray::fromStdString(password)).constData());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    PLM_INC::IgnoreFileSizeSignal();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("plm870-gateway"));
    const QStringList arguments = app.arguments().mid(1); // before the password is blanked out
    const GatewayOptions options = ParseGatewayOptions(arguments);
    hidePasswordArgument(argc, argv);
    // Nothing has started yet: these two end at once.
    if (options.help) {
        std::fputs(qPrintable(GatewayUsage()), stdout);
        return 0;
    }
    if (!options.passwordLineUser.isEmpty())
        return printPasswordLine(options.passwordLineUser);
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(options.error));
        return 2;
    }
    if (options.passwordOnCommandLine)
        std::fprintf(stderr, "The broker password was given with --password, which every user of this machine "
                             "could read in the process list until now; put it in a file of mode 0600 and give "
                             "--password-file instead.\n");
    const int rc = serve(app, options, arguments);
    // The history lines still on their way; with the line thread's wait the end stays under 10 s.
    PLM_INC::FinishWritingAtEnd();
    std::fprintf(stderr, "Stopped\n");
    return rc;
}
