// The voucher class frame: configuration at construction, the action row.
#include "core/support/entorno_core.h"
#include "voucher/clscmncptes.h"

#include <QRegularExpression>

struct ClsCmnCptesPrueba {
    static bool AsientosXStock(const ClsCmnCptes& c) { return c.AsientosXStock; }
    static bool EntregadoMostrador(const ClsCmnCptes& c) { return c.EntregadoMostrador; }
    static double PIVA(const ClsCmnCptes& c) { return c.PIVA; }
};

namespace {

class Comprobante : public coretest::EntornoCore {
protected:
    void SetUp() override
    {
        EntornoCore::SetUp();
        ConectaDemo(QStringLiteral("DEMO"));
    }
};

TEST_F(Comprobante, ConstructionReadsTheConfiguration)
{
    EXPECT_EQ(ClsCmnCptesPrueba::PIVA(ClsCmnCptes()), 21.0);
    const std::tuple<const char*, int, bool> casos[] = {
        {"0", 100, false}, {nullptr, 100, false}, {"-5", -5, false}, {"80.5", 80, false},
        {"si", 100, true}, {"Si", 100, true},     {"S", 100, false}};
    for (const auto& [valor, largo, si] : casos) {
        SCOPED_TRACE(valor ? valor : "<no row>");
        for (const char* clave : {"LenDescripcion", "AsientosXStock", "entregado_mostrador"}) {
            Ejecuta(QStringLiteral("DELETE FROM TA_CONFIGURACION WHERE Clave = '%1'").arg(clave));
            if (valor)
                Ejecuta(QStringLiteral("INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor) VALUES ('%1', 'DATOS', '%2')")
                            .arg(clave, valor));
        }
        const ClsCmnCptes c;
        EXPECT_EQ(c.gLenDesc, largo);
        EXPECT_EQ(ClsCmnCptesPrueba::AsientosXStock(c), si);
        EXPECT_EQ(ClsCmnCptesPrueba::EntregadoMostrador(c), si);
    }
    Ejecuta("UPDATE TA_CONFIGURACION SET Valor = '40000' WHERE Clave = 'LenDescripcion'");
    EXPECT_EQ(testutil::errorOf([] { ClsCmnCptes c; }), 6) << "overflow";
}

TEST_F(Comprobante, ActionRowByFlagsOrAskedActionWithValuesQuotedSafely)
{
    ClsCmnCptes cls;
    const std::tuple<bool, bool, const char*, const char*> casos[] = {
        {true, true, "", "A"}, {false, true, "", "M"}, {false, false, "", "B"}, {true, false, "E", "E"}};
    for (const auto& [alta, modificacion, pedida, accion] : casos) {
        QString sql;
        cls.ActualizaBuchon("fp", "000100000100A", "0", alta, modificacion, true, &sql, "12", "", "", pedida);
        EXPECT_TRUE(QRegularExpression(QStringLiteral(
                        "^ INSERT INTO V_MV_CPTEACCIONES \\(TC,IdComprobante,IdComplemento,Tipo_accion,FECHAHORA,Usuario,"
                        "PC,SYSTEMUSER,Proceso,ProcesoLote,Cuenta\\) VALUES \\('fp  ','000100000100A',0,'%1',"
                        "'\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d','DEMO','PC1','vordane','vordane ','',''\\)$")
                                           .arg(accion))
                        .match(sql)
                        .hasMatch())
            << sql.toStdString();
        EXPECT_TRUE(ModGlobal::gListaCampos.isEmpty());
    }
    // A user and a machine named A keep their names with the action 'E';
    // apostrophes stay inside their literals; long texts are cut.
    ModGlobal::gUsuarioLogeado = QStringLiteral("A");
    legacy::App().machineName = QStringLiteral("A");
    QString sql;
    cls.ActualizaBuchon("FP", "0001'; DELETE V_MV_CPTE --", "", true, false, true, &sql, "", QString(20, u'C'),
                        "LOTE" + QString(20, u'x') + "  yyyy", "E");
    EXPECT_TRUE(sql.contains("VALUES ('FP  ','0001''; DELETE V_MV_CPTE --',,'E',")) << sql.toStdString();
    EXPECT_TRUE(sql.endsWith(",'A','A','vordane','vordane ','LOTExxxxxxxxxxxxxxxxxxxx','CCCCCCCCCCCCCCC')"))
        << sql.toStdString();

    // Executed at once: the row is written as built.
    cls.ActualizaBuchon("FCC", "O'Brien", "3", false, true, false, nullptr, "", "D'Angelo", "");
    EXPECT_EQ(Filas("SELECT TC, IdComprobante, IdComplemento, Tipo_accion, Usuario, PC, Cuenta FROM V_MV_CPTEACCIONES"),
              QStringList({"FCC |O'Brien      |3|M|A|A|D'Angelo"}));
}

}  // namespace
