#include "platform/legacy/program.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>
#include <limits>

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

namespace legacy {

namespace {

QString systemUserName()
{
    QString user = qEnvironmentVariable("USER");
    if (!user.isEmpty())
        return user;
    if (const passwd* pw = getpwuid(geteuid()))
        return QString::fromLocal8Bit(pw->pw_name);
    return {};
}

bool& appSet()
{
    static bool set = false;
    return set;
}

ProgramInfo& appStorage()
{
    static ProgramInfo info;
    return info;
}

}  // namespace

ProgramInfo ProgramInfo::fromProcess(const QStringList& arguments)
{
    ProgramInfo info;
    const QString argv0 = arguments.isEmpty() ? QString() : arguments.first();
    info.exeName = argv0.isEmpty() ? QStringLiteral("vordane") : QFileInfo(argv0).completeBaseName();
    if (QCoreApplication::instance())
        info.path = QCoreApplication::applicationDirPath();
    else if (!argv0.isEmpty())
        info.path = QFileInfo(argv0).absolutePath();
    else
        info.path = QDir::currentPath();
    while (info.path.size() > 1 && info.path.endsWith(u'/'))
        info.path.chop(1);
    info.commandLine = arguments.mid(1).join(u' ');
    info.machineName = QSysInfo::machineHostName();
    info.userName = systemUserName();
    info.title = info.exeName;
    return info;
}

ProgramInfo& App()
{
    if (!appSet()) {
        // Nobody injected one yet: take it from the running process.
        appStorage() = ProgramInfo::fromProcess(QCoreApplication::instance() ? QCoreApplication::arguments()
                                                                             : QStringList());
        appSet() = true;
    }
    return appStorage();
}

void setApp(const ProgramInfo& info)
{
    appStorage() = info;
    if (appStorage().title.isEmpty())
        appStorage().title = appStorage().exeName;
    appSet() = true;
}

QString Command()
{
    return App().commandLine;
}

bool ProcessGone(qint64 pid)
{
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) return false;
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace legacy
