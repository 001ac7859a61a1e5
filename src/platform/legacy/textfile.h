#pragma once
// The suite's text files are Windows-1252 with CR LF line ends.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace legacy {

QByteArray toWin1252(const QString& text);   // unmappable characters become "?"
QString fromWin1252(const QByteArray& bytes);

// Appends text and CR LF; creates the file when missing. Error 75 / 76 when
// the file cannot be written (path or access), as the runtime's Open.
void AppendLine(const QString& path, const QString& text);
// Lines without their ends (CR LF, LF or CR). Error 53 when the file is missing.
QStringList ReadLines(const QString& path);
QString ReadAllText(const QString& path);
void WriteAllText(const QString& path, const QString& text);
// Fixed-length records of a binary file, record 1 first.
QByteArray ReadRecord(const QString& path, long recordNumber, int recordLength);
void WriteRecord(const QString& path, long recordNumber, const QByteArray& record);
bool FileExists(const QString& path);
// A file in a folder without regard to letter case: the path of the first
// entry whose name equals fileName ignoring case, nullopt when none.
std::optional<QString> FindFileNoCase(const QString& folder, const QString& fileName);
// Folder + name with one separator between them; backslashes become "/".
QString JoinPath(const QString& folder, const QString& name);

}  // namespace legacy
