#pragma once
// Reading the suite's configuration files (the `ArchivoIni` object): Windows
// style INI text in Windows-1252, "[section]" lines and "key=value" lines,
// read with a small reader of our own.
#include <QString>

#include <optional>

namespace kapores2 {

class ArchivoIni {
public:
    // The value of `clave` in `seccion` of the file, or `defecto` when the
    // file, the section or the key is missing. Sections and keys are found
    // without regard to letter case and to blanks around them; the first
    // matching section and key count. Values are trimmed, and one pair of
    // enclosing quotes is removed. Lines beginning with ";" or "#" are
    // comments. A present key with nothing after "=" gives "".
    static QString LeeIni(const QString& archivo, const QString& seccion, const QString& clave,
                          const QString& defecto = {});

    // The same lookup on text already read; nullopt when absent.
    static std::optional<QString> buscaValor(const QString& texto, const QString& seccion,
                                             const QString& clave);
    // The file's text: Windows-1252, or UTF-8 / UTF-16 when it starts with
    // their byte-order mark. nullopt when it cannot be read.
    static std::optional<QString> leeTexto(const QString& ruta);
    // Where the file is: a name without folder is looked for in the program
    // folder; the file name is matched without regard to letter case
    // ("QM410tx.INI" finds "qm410tx.ini").
    static QString ubicaArchivo(const QString& archivo);
};

}  // namespace kapores2
