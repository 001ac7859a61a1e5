#pragma once
// What the program knows of itself and its machine (the runtime's App object,
// Command$, the machine and user names). Tests inject their own.
#include <QString>
#include <QStringList>

namespace legacy {

struct ProgramInfo {
    QString exeName;       // file name without folder and extension ("vordane")
    QString path;          // program folder, without a trailing separator
    QString commandLine;   // arguments after the program name joined by blanks
    QString machineName;
    QString userName;
    QString title;         // App.Title; defaults to exeName
    int major = 0, minor = 1, revision = 0;

    // Fills everything from the running process.
    static ProgramInfo fromProcess(const QStringList& arguments);
};

ProgramInfo& App();
void setApp(const ProgramInfo& info);
// Command$.
QString Command();
// No process of that number exists on this machine (any longer): what a
// temporary file named after its writer's process tells once the writer
// died on the way.
bool ProcessGone(qint64 pid);

}  // namespace legacy
