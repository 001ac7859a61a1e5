// vordane-mkdb: creates a database file of the embedded engine.
//
//   vordane-mkdb [--force] [--no-data] [--data-dir DIR] --name NAME [-o FILE]
//       the schema and data files of database NAME (see mkdb.h); the file
//       defaults to NAME.sqlite in the current folder
//   vordane-mkdb [--force] -o FILE FILE.sql...
//       the given SQL files, in order
//   vordane-mkdb --production [--seed N] [--name NAME] [-o FILE]
//       the database NAME (DEMO by default) with the generated volumes of a
//       mid-sized company after several years added (see produccion.h);
//       the file defaults to PROD.sqlite
//   vordane-mkdb --query FILE SQL
//       runs SQL on the database FILE as the program sees it (with its text
//       collation and server functions) and prints the rows
#include <cstdio>
#include <cstring>

#include <QString>
#include <QStringList>

#include "mkdb/mkdb.h"
#include "mkdb/produccion.h"

#include <QElapsedTimer>

namespace {

int usage() {
    std::fputs(
        "usage: vordane-mkdb [--force] [--no-data] [--data-dir DIR] --name NAME [-o FILE]\n"
        "       vordane-mkdb [--force] -o FILE FILE.sql...\n"
        "       vordane-mkdb --production [--seed N] [--name NAME] [-o FILE]\n"
        "       vordane-mkdb --query FILE SQL\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bool force = false;
    bool withData = true;
    bool production = false;
    QString seed = QStringLiteral("1");
    QString dataDir;
    QString name;
    QString output;
    QString queried;
    QStringList files;

    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        auto value = [&](QString* target) {
            if (i + 1 >= argc) return false;
            *target = QString::fromLocal8Bit(argv[++i]);
            return true;
        };
        if (!std::strcmp(a, "--force")) {
            force = true;
        } else if (!std::strcmp(a, "--production")) {
            production = true;
        } else if (!std::strcmp(a, "--seed")) {
            if (!value(&seed)) return usage();
        } else if (!std::strcmp(a, "--no-data")) {
            withData = false;
        } else if (!std::strcmp(a, "--data-dir")) {
            if (!value(&dataDir)) return usage();
        } else if (!std::strcmp(a, "--name")) {
            if (!value(&name)) return usage();
        } else if (!std::strcmp(a, "--query")) {
            if (!value(&queried)) return usage();
        } else if (!std::strcmp(a, "-o") || !std::strcmp(a, "--output")) {
            if (!value(&output)) return usage();
        } else if (!std::strcmp(a, "-h") || !std::strcmp(a, "--help")) {
            usage();
            return 0;
        } else if (a[0] == '-') {
            return usage();
        } else {
            files << QString::fromLocal8Bit(a);
        }
    }

    QString error;
    if (production) {
        if (!files.isEmpty()) return usage();
        bool ok = false;
        const qulonglong semilla = seed.toULongLong(&ok);
        if (!ok) return usage();
        if (name.isEmpty()) name = QStringLiteral("DEMO");
        if (output.isEmpty()) output = QStringLiteral("PROD.sqlite");
        if (dataDir.isEmpty()) dataDir = QStringLiteral(VORDANE_DATA_DIR);
        files = mkdb::databaseFiles(dataDir, name, withData, &error);
        QElapsedTimer reloj;
        reloj.start();
        const auto avance = [&](const QString& tabla) {
            std::fprintf(stderr, "%6.1f s  %s\n", reloj.elapsed() / 1000.0, qPrintable(tabla));
        };
        if (files.isEmpty() || !mkdb::creaProduccion(output, files, semilla, mkdb::Volumenes{}, &error, avance)) {
            std::fprintf(stderr, "vordane-mkdb: %s\n", qPrintable(error));
            return 1;
        }
        std::fprintf(stderr, "%6.1f s  done\n", reloj.elapsed() / 1000.0);
        return 0;
    }
    if (!queried.isEmpty()) {
        if (files.size() != 1 || !name.isEmpty() || !output.isEmpty()) return usage();
        QString rows;
        const bool ok = mkdb::runQuery(queried, files.first(), &rows, &error);
        std::fputs(rows.toLocal8Bit().constData(), stdout);
        if (!ok) {
            std::fprintf(stderr, "vordane-mkdb: %s\n", qPrintable(error));
            return 1;
        }
        return 0;
    }
    if (!name.isEmpty()) {
        if (!files.isEmpty()) return usage();
        if (dataDir.isEmpty()) dataDir = QStringLiteral(VORDANE_DATA_DIR);
        if (output.isEmpty()) output = name + QStringLiteral(".sqlite");
        files = mkdb::databaseFiles(dataDir, name, withData, &error);
        if (files.isEmpty()) {
            std::fprintf(stderr, "vordane-mkdb: %s\n", qPrintable(error));
            return 1;
        }
    } else if (output.isEmpty() || files.isEmpty()) {
        return usage();
    }

    if (!mkdb::createDatabase(output, files, force, &error)) {
        std::fprintf(stderr, "vordane-mkdb: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
