// The lookup class's query paths on the database: the table's columns, a
// missing definitions file, a definition that is not configured, the row
// limit from the configuration and the caller's condition.
#include "entorno_consultas.h"

#include "core/configuracion.h"
#include "core/consultasvrk.h"

#include <QFile>

using consultastest::EntornoConsultas;

namespace {

class Clase : public EntornoConsultas {
protected:
    // The statement the list window received for a lookup, the window
    // closed with Cancelar; its first column's rows go to filas_.
    QString Sentencia(const QString& sql, QString* campo = nullptr, QString* where = nullptr,
                      const QString& opcional = {})
    {
        QString recibida = QStringLiteral("<no window>");
        ui::ScriptedSession dlg;
        dlg.onModal(QStringLiteral("Lib_FrmCons3"), [&](QWidget* w) {
            auto& f = static_cast<Lib_FrmCons3&>(*w);
            recibida = f.SentenciaOriginal();
            filas_ = Columna(f, 1);
            f.CmdCancelar->click();
        });
        lookup::Consulta().ConsultaSearch(sql, nullptr, QString(), campo, where, opcional);
        return recibida;
    }
    QStringList filas_;
};

TEST_F(Clase, QueriesFromColumnsDefinitionsAndSelectTexts)
{
    ModGlobal::GrabaCfg(QStringLiteral("TopConsArt"), QStringLiteral("250"));
    QString campo = QStringLiteral("X"), where = QStringLiteral("IdRubro > '0'");
    EXPECT_EQ(Sentencia(QStringLiteral("V_TA_RUBROS"), &campo, &where),
              "SELECT TOP 250 Descripcion,IdRubro FROM V_TA_RUBROS WHERE   (IdRubro > '0')  ORDER BY Descripcion ");
    EXPECT_EQ(campo, "Descripcion") << "the columns' search column replaces the caller's";
    EXPECT_EQ(where, " (IdRubro > '0') ");

    // The caller's condition binds to the whole of the statement's own.
    campo.clear();
    where = QStringLiteral("CONTACTO = 'Ana Gomez'");
    EXPECT_EQ(Sentencia(QStringLiteral("SELECT CODIGO, CONTACTO FROM VT_CLIENTES WHERE CODIGO = 'C0001' OR CODIGO = "
                                       "'C0002' ORDER BY CODIGO"),
                        &campo, &where),
              "SELECT CODIGO, CONTACTO FROM VT_CLIENTES WHERE (CODIGO = 'C0001' OR CODIGO = 'C0002')  AND  (CONTACTO = "
              "'Ana Gomez')  ORDER BY CODIGO ");
    EXPECT_EQ(filas_, QStringList({"C0002"}));
    EXPECT_EQ(Sentencia(QStringLiteral("V_TA_RUBROS"), nullptr, nullptr, QStringLiteral("SELECT IdRubro FROM V_TA_RUBROS")),
              "SELECT IdRubro FROM V_TA_RUBROS ");

    // The definitions file gone: the table's columns, not the bare name.
    QFile::remove(lookup::Consulta().gRutaMascaraConsultas);
    EXPECT_EQ(Sentencia(QStringLiteral("VT_PROVEEDORES")),
              "SELECT TOP 250 Dada_De_Baja,RAZON_SOCIAL,CODIGO FROM VT_PROVEEDORES  ORDER BY CODIGO ");
}

TEST_F(Clase, ADefinitionOfOneFieldMustBeConfigured)
{
    ModGlobal::RegistroConsulta r;
    r.Titulo = QStringLiteral("RUBROS");
    r.Tabla = QStringLiteral("V_TA_RUBROS");
    r.Campos = QStringLiteral("|Descripcion|");
    QFile f(lookup::Consulta().gRutaMascaraConsultas);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(r.aBytes());
    f.close();
    lookup::Lib_ClsCons3& c = lookup::Consulta();
    c.Checks = true;
    c.CampoDevuelto = QStringLiteral("IdRubro");
    {
        ui::ScriptedSession dlg;
        dlg.expectMsgBox(QStringLiteral("Debe configurar la consulta para esta tabla"))
            .title("Aviso al operador")
            .style(ui::vbInformation);
        c.ConsultaSearch(QStringLiteral("v_ta_rubros"));
        EXPECT_TRUE(dlg.remaining().isEmpty());
    }
    EXPECT_TRUE(c.Checks) << "nothing reset without a window";
    EXPECT_EQ(c.CampoDevuelto, "IdRubro");
    QString campo = QStringLiteral("Descripcion");
    c.Checks = false;
    EXPECT_EQ(Sentencia(QStringLiteral("V_TA_RUBROS"), &campo),
              "SELECT TOP 1000 Descripcion FROM V_TA_RUBROS  with(nolock)  ORDER BY Descripcion ");
}

}  // namespace
