#pragma once
// The lookup definitions file "consultas.vrk": fixed records of 1202 bytes in
// Windows-1252, each text field left-aligned and padded with blanks.
#include <QByteArray>
#include <QString>

namespace ModGlobal {

struct RegistroConsulta {
    static constexpr int Largo = 1202;
    static constexpr int LargoTitulo = 100;
    static constexpr int LargoTabla = 100;
    static constexpr int LargoCampos = 500;
    static constexpr int LargoCondicion = 500;

    QString Titulo;     // bytes 0-99
    QString Tabla;      // bytes 100-199
    QString Campos;     // bytes 200-699: "|COL1|COL2|"
    QString Condicion;  // bytes 700-1199
    QString FinDeLinea = QStringLiteral("\r\n");  // bytes 1200-1201

    // The record's 1202 bytes: each field cut or padded with blanks to its
    // length.
    QByteArray aBytes() const;
    // A record read back from its bytes (fields keep their padding).
    static RegistroConsulta desdeBytes(const QByteArray& bytes);
};

// Appends the eleven default definitions to the file named by
// gConsulta()->gRutaMascaraConsultas (created when missing). A failure to
// open or write the file raises to the caller.
void GrabaConsultasDefault();
// The same on a given path.
void GrabaConsultasDefault(const QString& ruta);

}  // namespace ModGlobal
