// The default lookup definitions written into "consultas.vrk".
#include "core/consultasvrk.h"

#include "core/lib_clscons3.h"
#include "platform/legacy/textfile.h"
#include "platform/legacy/vberror.h"
#include "support/testdb.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray Lee(const QString& ruta)
{
    QFile f(ruta);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

QByteArray Relleno(const char* texto, int largo)
{
    return QByteArray(texto).leftJustified(largo, ' ');
}

TEST(ConsultasVrk, ElevenRecordsOnAMissingFile)
{
    testdb::TempFolder carpeta;
    const QString ruta = carpeta.file(QStringLiteral("consultas.vrk"));
    ModGlobal::gConsulta().gRutaMascaraConsultas = ruta;
    ModGlobal::GrabaConsultasDefault();
    ModGlobal::ResetConsulta();

    const QByteArray b = Lee(ruta);
    ASSERT_EQ(b.size(), 11 * 1202);

    // The first, the one the lookup windows use most and the last; every
    // record ends its 1202 bytes with CR LF.
    struct Esperado {
        int numero;
        const char* titulo;
        const char* tabla;
        const char* campos;
    };
    const Esperado esperados[] = {
        {1, "ARTICULOS", "V_MA_ARTICULOS", "|DESCRIPCION|IDARTICULO|"},
        {4, "CONTACTOS", "MA_CONTACTOS", "|Nombre_y_Apellido|Domicilio|Localidad|Telefono|"},
        {9, "TAREAS", "V_TA_Tareas", "|Descripcion|IdTarea|"},
        {11, "DEPOSITO", "V_TA_DEPOSITO", "|Descripcion|IdDeposito|"},
    };
    for (const Esperado& e : esperados) {
        const QByteArray esperado = Relleno(e.titulo, 100) + Relleno(e.tabla, 100) + Relleno(e.campos, 500) +
                                    QByteArray(500, ' ') + "\r\n";
        EXPECT_EQ(b.mid((e.numero - 1) * 1202, 1202), esperado) << "record " << e.numero;
    }
    for (int n = 0; n < 11; ++n)
        EXPECT_EQ(b.mid(n * 1202 + 1200, 2), QByteArray("\r\n"));
    // Read back through the record type.
    const ModGlobal::RegistroConsulta nueve = ModGlobal::RegistroConsulta::desdeBytes(b.mid(8 * 1202, 1202));
    EXPECT_EQ(nueve.Tabla, QStringLiteral("V_TA_Tareas").leftJustified(100, u' '));
    EXPECT_EQ(nueve.Campos.trimmed(), QStringLiteral("|Descripcion|IdTarea|"));
    EXPECT_EQ(nueve.FinDeLinea, QStringLiteral("\r\n"));
}

TEST(ConsultasVrk, AppendsAfterExistingRecords)
{
    testdb::TempFolder carpeta;
    const QString ruta = carpeta.file(QStringLiteral("consultas.vrk"));
    ModGlobal::RegistroConsulta propio;
    propio.Titulo = QStringLiteral("PROPIA");
    propio.Tabla = QStringLiteral("MI_TABLA");
    propio.Campos = QStringLiteral("|A|B|");
    propio.Condicion = QStringLiteral("A > 1");
    {
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(propio.aBytes());
        f.write(propio.aBytes());
    }
    ModGlobal::GrabaConsultasDefault(ruta);
    const QByteArray b = Lee(ruta);
    ASSERT_EQ(b.size(), 13 * 1202);
    EXPECT_EQ(b.left(1202), propio.aBytes()) << "existing records are kept";
    EXPECT_TRUE(b.mid(2 * 1202).startsWith(Relleno("ARTICULOS", 100)));
    EXPECT_TRUE(b.mid(12 * 1202).startsWith(Relleno("DEPOSITO", 100)));
    for (int n = 0; n < 13; ++n)
        EXPECT_EQ(b.mid(n * 1202 + 1200, 2), QByteArray("\r\n"));

    // A second call appends the eleven again, without deduplicating.
    ModGlobal::GrabaConsultasDefault(ruta);
    EXPECT_EQ(Lee(ruta).size(), 24 * 1202);
}

TEST(ConsultasVrk, RecordFieldsAreCutAndWindows1252)
{
    ModGlobal::RegistroConsulta r;
    r.Titulo = QStringLiteral("AÑO ") + QString(200, u'x');
    r.Campos = QStringLiteral("|Descripción|");
    const QByteArray b = r.aBytes();
    ASSERT_EQ(b.size(), 1202);
    EXPECT_EQ(b.left(4), QByteArray("A\xD1O "));
    EXPECT_EQ(b.mid(99, 1), QByteArray("x"));
    EXPECT_EQ(b.mid(100, 100), QByteArray(100, ' '));
    EXPECT_EQ(b.mid(200, 13), QByteArray("|Descripci\xF3n|"));
    EXPECT_EQ(ModGlobal::RegistroConsulta::desdeBytes(b).Campos.trimmed(), QStringLiteral("|Descripción|"));
}

TEST(ConsultasVrk, UnwritableFolderRaises)
{
    EXPECT_THROW(ModGlobal::GrabaConsultasDefault(QStringLiteral("/nonexistent-folder/x/consultas.vrk")),
                 legacy::VbError);
}

}  // namespace
