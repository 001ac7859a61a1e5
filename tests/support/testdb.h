#pragma once
// Fresh databases of the embedded engine for tests, made from the same
// schema and demo files as the demo databases (data/schema, data/demo).
#include <QString>
#include <QTemporaryDir>

namespace testdb {

// Creates "<folder>/<name>.sqlite" afresh (an old file of that name is
// replaced) with the schema of database `name` and, when `withDemoData` is
// set, its demo rows (data/demo/<name>, or the DEMO rows for a name without
// a folder of its own). Returns the file's path. Throws std::runtime_error
// when the files cannot be read or a statement fails.
QString createDatabase(const QString& folder, const QString& name, bool withDemoData);
// The schema and data files of that database, in the order they run.
QStringList dataFiles(const QString& name, bool withDemoData);

// A scratch folder removed with everything in it when the object goes.
class TempFolder {
public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, without a trailing separator.
    QString path() const;
    // The path of a file `name` inside the folder.
    QString file(const QString& name) const;

private:
    QTemporaryDir dir_;
};

}  // namespace testdb
