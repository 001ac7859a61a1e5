#include "support/testdb.h"

#include <stdexcept>

#include <QDir>

#include "mkdb/mkdb.h"

namespace testdb {

QStringList dataFiles(const QString& name, bool withDemoData) {
    QString error;
    const QStringList files = mkdb::databaseFiles(QStringLiteral(VORDANE_SOURCE_DIR "/data"), name, withDemoData, &error);
    if (files.isEmpty())
        throw std::runtime_error("testdb: " + error.toStdString());
    return files;
}

QString createDatabase(const QString& folder, const QString& name, bool withDemoData) {
    const QStringList files = dataFiles(name, withDemoData);
    QString error;
    const QString path = QDir(folder).filePath(name + QStringLiteral(".sqlite"));
    if (!mkdb::createDatabase(path, files, /*overwrite=*/true, &error))
        throw std::runtime_error("testdb: " + error.toStdString());
    return path;
}

TempFolder::TempFolder() {
    if (!dir_.isValid())
        throw std::runtime_error("testdb: cannot create a temporary folder");
}

QString TempFolder::path() const { return dir_.path(); }

QString TempFolder::file(const QString& name) const { return dir_.filePath(name); }

}  // namespace testdb
