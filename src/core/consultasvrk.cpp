#include "core/consultasvrk.h"

#include "core/lib_clscons3.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/textfile.h"
#include "platform/legacy/vberror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using legacy::Trim;

namespace ModGlobal {

namespace {

// A fixed-length text field: cut or padded with blanks to `largo` bytes.
QByteArray Campo(const QString& texto, int largo)
{
    QByteArray b = legacy::toWin1252(texto).left(largo);
    if (b.size() < largo)
        b.append(QByteArray(largo - b.size(), ' '));
    return b;
}

}  // namespace

QByteArray RegistroConsulta::aBytes() const
{
    QByteArray r;
    r.reserve(Largo);
    r += Campo(Titulo, LargoTitulo);
    r += Campo(Tabla, LargoTabla);
    r += Campo(Campos, LargoCampos);
    r += Campo(Condicion, LargoCondicion);
    r += Campo(FinDeLinea, 2);
    return r;
}

RegistroConsulta RegistroConsulta::desdeBytes(const QByteArray& bytes)
{
    const QByteArray b = bytes.leftJustified(Largo, ' ', true);
    RegistroConsulta r;
    int p = 0;
    auto toma = [&](int largo) {
        const QString t = legacy::fromWin1252(b.mid(p, largo));
        p += largo;
        return t;
    };
    r.Titulo = toma(LargoTitulo);
    r.Tabla = toma(LargoTabla);
    r.Campos = toma(LargoCampos);
    r.Condicion = toma(LargoCondicion);
    r.FinDeLinea = toma(2);
    return r;
}

void GrabaConsultasDefault()
{
    GrabaConsultasDefault(gConsulta().gRutaMascaraConsultas);
}

void GrabaConsultasDefault(const QString& ruta)
{
    struct Defecto {
        const char* titulo;
        const char* tabla;
        const char* campos;
    };
    static const Defecto defectos[] = {
        {"ARTICULOS", "V_MA_ARTICULOS", "|DESCRIPCION|IDARTICULO|"},
        {"CLIENTES", "VT_CLIENTES", "|RAZON_SOCIAL|CODIGO|CONTACTO|"},
        {"PROVEEDORES", "VT_PROVEEDORES", "|RAZON_SOCIAL|CODIGO|"},
        {"CONTACTOS", "MA_CONTACTOS", "|Nombre_y_Apellido|Domicilio|Localidad|Telefono|"},
        {"VENDEDORES", "V_TA_VENDEDORES", "|NOMBRE|IDVENDEDOR|"},
        {"TECNICOS", "V_TA_TECNICOS", "|NOMBRE|IDTECNICO|"},
        {"MANTENIMIENTOS", "V_MA_MANTENIMIENTOS", "|DESCRIPCION|CODIGO|"},
        {"CUENTAS", "MA_CUENTAS", "|DESCRIPCION|CODIGO|"},
        {"TAREAS", "V_TA_Tareas", "|Descripcion|IdTarea|"},
        {"UnidadNegocio", "V_TA_UnidadNegocio", "|Descripcion|Codigo|"},
        {"DEPOSITO", "V_TA_DEPOSITO", "|Descripcion|IdDeposito|"},
    };

    // Opening for random access creates a missing file (error 75 / 76 when
    // the folder cannot take it).
    {
        QFile f(QString(ruta).replace(u'\\', u'/'));
        if (!f.open(QIODevice::ReadWrite))
            throw legacy::VbError(QFileInfo(f.fileName()).dir().exists() ? 75 : 76, {}, ruta);
    }
    const QString archivo = QString(ruta).replace(u'\\', u'/');

    for (const Defecto& d : defectos) {
        RegistroConsulta r;
        r.Titulo = Trim(QString::fromLatin1(d.titulo));
        r.Tabla = QString::fromLatin1(d.tabla);
        r.Campos = Trim(QString::fromLatin1(d.campos));
        r.Condicion = Trim(QString());
        r.FinDeLinea = QStringLiteral("\r\n");
        // Each record goes after whatever the file already holds.
        const long numero = long(QFileInfo(archivo).size() / RegistroConsulta::Largo) + 1;
        legacy::WriteRecord(archivo, numero, r.aBytes());
    }
}

}  // namespace ModGlobal
