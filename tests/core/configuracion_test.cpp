// Reading and writing TA_CONFIGURACION, the time-out of the statistics
// database, the settings loader, the company data and the server clock.
#include "core/support/entorno_core.h"

#include "platform/ado/error.h"
#include "platform/legacy/date.h"
#include "support/fault_injection.h"
#include "support/testutil.h"
#include "platform/ui/scripted.h"

#include <QDateTime>
#include <QMap>

#include <random>

using namespace ModGlobal;
using coretest::EntornoCore;

namespace {

class Configuracion : public EntornoCore {
protected:
    void SetUp() override
    {
        EntornoCore::SetUp();
        CreaBases();
        Conecta();
        Ejecuta(QStringLiteral("DELETE FROM TA_CONFIGURACION"));
    }
    void Fila(const QString& clave, const QString& grupo, const QString& valor, const QString& aux = {})
    {
        Ejecuta(QStringLiteral("INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor, valoraux, PoliticaNegocio) "
                               "VALUES ('%1', '%2', '%3', '%4', 0)")
                    .arg(clave, grupo, valor, aux));
    }
    // Keys of the group DATOS, each with its value.
    void Datos(std::initializer_list<std::pair<const char*, const char*>> filas)
    {
        for (const auto& [clave, valor] : filas)
            Fila(QString::fromUtf8(clave), QStringLiteral("DATOS"), QString::fromUtf8(valor));
    }
};

TEST_F(Configuracion, CfgLeeValorYAuxiliar)
{
    Fila(QStringLiteral("MADERERA"), QStringLiteral("DATOS"), QStringLiteral("SI"), QStringLiteral("aux1"));
    Fila(QStringLiteral("COLOR"), QStringLiteral("PANTALLA"), QStringLiteral("rojo"));
    Fila(QStringLiteral("[FECHA HASTA]"), QStringLiteral("DATOS"), QStringLiteral("fin de año"));
    Fila(QStringLiteral("THEME"), QStringLiteral("DATOS"), QStringLiteral("  "));

    struct {
        const char* clave;
        const char* grupo;
        const char* valor;
        const char* aux;
    } casos[] = {
        {"MADERERA", "DATOS", "SI", "aux1"},
        {" maderera ", "datos", "SI", "aux1"},
        {"NO_EXISTE", "DATOS", " ", ""},
        {"COLOR", "PANTALLA", "rojo", ""},
        {"COLOR", "OTRO", " ", ""},
        {"COLOR", "DATOS", "rojo", ""},          // DATOS does not test the group
        {"[fecha hasta]", "DATOS", "fin de año", ""},
        {"THEME", "DATOS", "1", ""},             // blank theme reads as 1
        {"theme", "DATOS", "1", ""},
        {"D'Angelo", "DATOS", " ", ""},          // an apostrophe does not break the statement
    };
    for (const auto& c : casos) {
        QString aux = QStringLiteral("previo");
        EXPECT_EQ(Cfg(QString::fromUtf8(c.clave), aux, QString::fromUtf8(c.grupo)), QString::fromUtf8(c.valor))
            << c.clave << " / " << c.grupo;
        EXPECT_EQ(aux, QString::fromUtf8(c.aux)) << c.clave;
    }
    EXPECT_EQ(TablaConfiguracion, QStringLiteral("TA_CONFIGURACION"));
}

TEST_F(Configuracion, CfgSinConexionNoTocaLaBase)
{
    gDB().gCnn->Close();
    gDB().gOpenFlag = false;
    QString aux = QStringLiteral("igual");
    EXPECT_EQ(Cfg(QStringLiteral("MADERERA"), aux), QString());
    EXPECT_EQ(aux, QStringLiteral("igual"));
}

TEST_F(Configuracion, GrabaCfgAltaCambioYBorrado)
{
    GrabaCfg(QStringLiteral("  clave nueva "), legacy::Variant(QStringLiteral("  valor ")), QStringLiteral(" a "),
             true, QStringLiteral("DATOS"), 1, 0);
    EXPECT_EQ(Filas(QStringLiteral("SELECT Clave, Grupo, Valor, valoraux, PoliticaNegocio FROM TA_CONFIGURACION")),
              QStringList{QStringLiteral("CLAVE NUEVA|DATOS|valor|a|True")});

    // The same key written untrimmed and in another case updates the row.
    GrabaCfg(QStringLiteral(" Clave Nueva"), legacy::Variant(QStringLiteral(" otro ")), QString(), false,
             QStringLiteral("DATOS"), 0, 0);
    EXPECT_EQ(Filas(QStringLiteral("SELECT Clave, Valor, valoraux FROM TA_CONFIGURACION")),
              QStringList{QStringLiteral("CLAVE NUEVA| otro |a")});

    // Deleting a key without a row adds nothing.
    GrabaCfg(QStringLiteral("NO_EXISTE"), legacy::Variant(QStringLiteral("x")), QString(), false,
             QStringLiteral("DATOS"), 1, kModoBorrar);
    EXPECT_EQ(Filas(QStringLiteral("SELECT COUNT(*) FROM TA_CONFIGURACION")), QStringList{QStringLiteral("1")});

    // Deleting an existing key (found trimmed) removes its row.
    GrabaCfg(QStringLiteral(" clave nueva "), legacy::Variant(QString()), QString(), false, QStringLiteral("DATOS"),
             1, kModoBorrar);
    EXPECT_EQ(Filas(QStringLiteral("SELECT COUNT(*) FROM TA_CONFIGURACION")), QStringList{QStringLiteral("0")});
}

TEST_F(Configuracion, GrabaCfgConGrupoPropio)
{
    Fila(QStringLiteral("ANCHO"), QStringLiteral("PANTALLA"), QStringLiteral("10"));
    GrabaCfg(QStringLiteral("ANCHO"), legacy::Variant(20), QString(), false, QStringLiteral("IMPRESORA"), 1, 0);
    GrabaCfg(QStringLiteral("ANCHO"), legacy::Variant(30), QString(), false, QStringLiteral("PANTALLA"), 1, 0);
    EXPECT_EQ(Filas(QStringLiteral("SELECT Grupo, Valor FROM TA_CONFIGURACION ORDER BY Grupo")),
              (QStringList{QStringLiteral("IMPRESORA|20"), QStringLiteral("PANTALLA|30")}));
}

// A value longer than the column (255) is not stored: the central error box
// tells it, under "GrabaCfg", and the row keeps what it had, whatever the
// answer; up to 255 characters are stored as given.
TEST_F(Configuracion, GrabaCfgQueNoCabeLoDiceYConservaLaFila)
{
    Datos({{"OBSERVACION", "vieja"}});
    const auto valor = [&] { return Filas(QStringLiteral("SELECT Valor FROM TA_CONFIGURACION WHERE Clave = 'OBSERVACION'")); };
    for (const int respuesta : {ui::vbAbort, ui::vbIgnore}) {
        ui::ScriptedSession dlg;
        dlg.expectMsgBox(QString(), respuesta).title(QStringLiteral(" - GrabaCfg Aviso al operador!!! - 2 "));
        GrabaCfg(QStringLiteral("Observacion"), legacy::Variant(QString(256, u'n')), QStringLiteral("aux"), false,
                 QStringLiteral("DATOS"), 0, 0);
        dlg.verifyDone();
        EXPECT_EQ(valor(), QStringList{QStringLiteral("vieja")}) << respuesta;
    }
    // a new key too long adds no row
    {
        ui::ScriptedSession dlg;
        dlg.expectMsgBox(QString(), ui::vbIgnore);
        GrabaCfg(QStringLiteral("OTRA"), legacy::Variant(QString(300, u'x')), QString(), false, QStringLiteral("DATOS"), 0, 0);
        dlg.verifyDone();
    }
    EXPECT_EQ(Filas(QStringLiteral("SELECT COUNT(*) FROM TA_CONFIGURACION")), QStringList{QStringLiteral("1")});
    ui::ScriptedSession dlg;
    GrabaCfg(QStringLiteral("Observacion"), legacy::Variant(QString(255, u'n')), QString(), false, QStringLiteral("DATOS"), 0, 0);
    dlg.verifyDone();
    EXPECT_EQ(valor(), QStringList{QString(255, u'n')});
}

// Seeded: settings with every awkward character (apostrophes, separators,
// line breaks, outer blanks, the decimal comma) read back as written; one
// longer than the column is told and leaves the stored value as it was.
TEST_F(Configuracion, GeneratedSettingsReadBackOrAreTold)
{
    std::mt19937 gen(53);
    const QString raros = QStringLiteral("'\",;=@|[]%_ \r\n\tñÑ€º.-/0");
    const auto texto = [&](int maximo) { return testutil::textoConRaros(gen, raros, maximo, 4); };
    QMap<QString, QString> guardados;  // by the key as stored
    int avisos = 0;
    for (int k = 0; k < 150; ++k) {
        const QString clave = QStringLiteral("K") + texto(6).remove(u'\r').remove(u'\n').remove(u'\t');
        const QString valor = k % 10 == 9 ? QString(256 + k % 3, u'v') : texto(k % 4 == 0 ? 255 : 20);
        const QString aux = texto(8);
        SCOPED_TRACE(clave.toStdString());
        ui::ScriptedSession dlg;
        if (valor.size() > 255)
            dlg.expectMsgBox(QString(), ui::vbIgnore).title(QStringLiteral("GrabaCfg"));
        GrabaCfg(clave, legacy::Variant(valor), aux, false, QStringLiteral("DATOS"), 0, 0);
        EXPECT_NO_THROW(dlg.verifyDone());
        const QString guardada = clave.trimmed().toUpper();
        if (valor.size() > 255)
            ++avisos;
        else
            guardados[guardada] = valor;
        QString leidoAux;
        const QString leido = Cfg(clave, leidoAux, QStringLiteral("DATOS"));
        EXPECT_EQ(leido, guardados.contains(guardada) ? guardados[guardada] : QStringLiteral(" "));
        if (valor.size() <= 255 && !aux.isEmpty())
            EXPECT_EQ(leidoAux, aux);
    }
    EXPECT_EQ(avisos, 15);
    for (auto it = guardados.cbegin(); it != guardados.cend(); ++it)
        EXPECT_EQ(Cfg(it.key()), it.value()) << it.key().toStdString();
}

TEST_F(Configuracion, LeeTimeOutDeLaBaseDeEstadisticas)
{
    // The demo statistics database keeps 30 seconds.
    EXPECT_EQ(LeeTimeOut(), QString());
    EXPECT_EQ(gTimeOut, 30);
    EXPECT_TRUE(gDB2().gOpenFlag);
    EXPECT_EQ(CfgJQ(QStringLiteral("TimeOut")), QStringLiteral("30"));

    // A missing row is written as "0" and 45 is used.
    Ejecuta(QStringLiteral("DELETE FROM TA_CONFIGURACION"), gDB2());
    LeeTimeOut();
    EXPECT_EQ(gTimeOut, 45);
    EXPECT_EQ(Filas(QStringLiteral("SELECT Clave, Grupo, Valor FROM TA_CONFIGURACION"), gDB2()),
              QStringList{QStringLiteral("TIMEOUT|BaseDeDatos|0")});
    // Read again: the zero row still gives 45 and no second row.
    LeeTimeOut();
    EXPECT_EQ(gTimeOut, 45);
    EXPECT_EQ(Filas(QStringLiteral("SELECT COUNT(*) FROM TA_CONFIGURACION"), gDB2()), QStringList{QStringLiteral("1")});

    // A stored value that is no count of seconds gives 45 and stays stored.
    const struct {
        const char* guardado;
        int segundos;
    } casos[] = {{"-5", 45}, {"99999", 45}, {"2.5", 2}};
    for (const auto& c : casos) {
        Ejecuta(QStringLiteral("UPDATE TA_CONFIGURACION SET Valor = '%1'").arg(c.guardado), gDB2());
        LeeTimeOut();
        EXPECT_EQ(gTimeOut, c.segundos) << c.guardado;
        EXPECT_EQ(CfgJQ(QStringLiteral("TimeOut")), QString::fromLatin1(c.guardado));
    }

    // The auxiliary value is written trimmed; blanks clear the old one.
    for (const auto& [aux, guardado] : {std::pair{" viejo ", "viejo"}, std::pair{"   ", ""}}) {
        GrabaCfgJQ(QStringLiteral("TimeOut"), legacy::Variant(30), QString::fromLatin1(aux), false,
                   QStringLiteral("BaseDeDatos"), 0);
        EXPECT_EQ(Filas(QStringLiteral("SELECT Valor, valoraux FROM TA_CONFIGURACION"), gDB2()),
                  QStringList{QStringLiteral("30|") + guardado});
    }
}

TEST_F(Configuracion, LeeTimeOutSinBaseDeEstadisticas)
{
    QFile::remove(carpeta_.file(QStringLiteral("KD_REGISTROSVAR.sqlite")));
    gTimeOut = 7;
    LeeTimeOut();
    EXPECT_EQ(gTimeOut, 45);
    EXPECT_FALSE(gDB2().gOpenFlag);
}

TEST_F(Configuracion, CargaConfiguracionConTablaVacia)
{
    gUsuarioLogeado = QStringLiteral("NADIE");
    CargaConfiguracion(QStringLiteral("/prog/"));
    EXPECT_FALSE(EsMaderera);
    EXPECT_FALSE(UsaCCosto);
    EXPECT_FALSE(VModificaCPrecio);
    EXPECT_TRUE(ModuloOrdenDeTrabajo);
    EXPECT_EQ(TituloClientes, QString());
    EXPECT_EQ(CantidadDecimales, QStringLiteral(" "));
    EXPECT_EQ(TopDefault, QStringLiteral("1000"));
    EXPECT_EQ(CondIvaEmpresa, 1);
    EXPECT_EQ(CFondo, 230 + 243 * 256 + 255 * 65536);
    EXPECT_EQ(CLetra, 0);
    EXPECT_EQ(gUNegocio, QStringLiteral("   1"));
    EXPECT_EQ(RutaDocTareas, QStringLiteral("/prog/JQDOCTareas.vrk"));
    EXPECT_EQ(TablaConfiguracion, QStringLiteral("ta_configuracion"));
    EXPECT_EQ(Filas(QStringLiteral("SELECT Clave, Valor FROM TA_CONFIGURACION ORDER BY Clave")),
              (QStringList{QStringLiteral("CFONDO|16774118"), QStringLiteral("CLETRA|0")}));
    // The unit's company data without per-unit keys: the text read for the VAT condition.
    EXPECT_EQ(CondIvaEmpresaTexto, QStringLiteral(" "));
}

TEST_F(Configuracion, CargaConfiguracionReglas)
{
    Datos({
        {"MADERERA", "no"},
        {"V_MODIFICACPRECIO", "cualquiera"},
        {"C_MODIFICACPRECIO", " "},
        {"MODULOORDENDETRABAJO", " no "},
        {"USACCOSTO", "si"},
        {"USAMULTILESMONEDAS", " SI"},  // SI is not trimmed
        {"RAZONSOCIALPORUNEG", " SI "},  // trim SI is
        {"PERIODO", "2026.5"},
        {"MAXDTO", " 12,5 "},
        {"CFONDO", "16776960"},  // &HFFFF00
        {"CLETRA", "255"},
        {"TOP_DEFAULT", "50"},
        {"CONDIVAEMPRESA", "4"},
        {"TITULOCLIENTES", "  Clientes  "},
        {"UTILIZARFECHADIA", "SI"},
        {"USAFACTURAPROFORMA", "SI"},
    });
    gUsuarioLogeado = QStringLiteral("OPERADOR");

    CargaConfiguracion(QStringLiteral("/p/"));
    EXPECT_FALSE(EsMaderera);
    EXPECT_TRUE(VModificaCPrecio);
    EXPECT_FALSE(CModificaCPrecio);
    EXPECT_FALSE(ModuloOrdenDeTrabajo);
    EXPECT_TRUE(UsaCCosto);
    EXPECT_FALSE(UsaMultilesMonedas);
    EXPECT_TRUE(RazonSocialPorUneg);
    EXPECT_TRUE(UtilizarFechaDia);
    EXPECT_EQ(Periodo, 2026);  // half to even
    EXPECT_EQ(MaxDto, legacy::Currency::fromRaw(125000));
    EXPECT_EQ(CFondo, 230 + 243 * 256 + 255 * 65536);
    EXPECT_EQ(CLetra, 255);
    EXPECT_EQ(TopDefault, QStringLiteral("50"));
    EXPECT_EQ(CondIvaEmpresa, 4);
    EXPECT_EQ(TituloClientes, QStringLiteral("Clientes"));
    // OPERADOR's row: unit "   1", verproforma Null leaves the proforma flag on.
    EXPECT_EQ(gUNegocio, QStringLiteral("   1"));
    EXPECT_TRUE(UsaFacturaProforma);
    // The colour &HFFFF00 is replaced for the run only.
    EXPECT_EQ(Filas(QStringLiteral("SELECT Valor FROM TA_CONFIGURACION WHERE Clave = 'CFONDO'")),
              QStringList{QStringLiteral("16776960")});
}

TEST_F(Configuracion, CargaConfiguracionUsuarioConApostrofe)
{
    Ejecuta(QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE, SISTEMA, PassWord, Administrador, UNegocio, "
                           "verproforma, clasepusa) VALUES ('D''Angelo', 'KAPO', '', 0, '   7', 0, ' a,b ')"));
    Fila(QStringLiteral("USAFACTURAPROFORMA"), QStringLiteral("DATOS"), QStringLiteral("SI"));
    gUsuarioLogeado = QStringLiteral("D'Angelo");
    CargaConfiguracion(QStringLiteral("/p/"));
    EXPECT_EQ(gUNegocio, QStringLiteral("   7"));
    EXPECT_FALSE(UsaFacturaProforma);
    EXPECT_EQ(gClasePusa, QStringLiteral("ab"));
}

TEST_F(Configuracion, DatosDeEmpresaPorUnidad)
{
    Datos({
        {"NOMBRE", "Empresa"},
        {"CUIT", "30-1"},
        {"CONDIVAEMPRESA", "2"},
        {"CONDICIONIVA_UN_1", " 3 "},
        {"DOMICILIO_UN_1", "Calle 1"},
        {"INICIOACTIVIDADES", " enero 2000 "},
    });

    // Unit 1 exists in the demo with a tax id: per-unit keys first.
    QString razon, cuit, inicio, ingresos, condicion, pv = QStringLiteral("pv"), domicilio;
    ObtieneDatosEmpresa(QStringLiteral("   1"), razon, cuit, inicio, ingresos, condicion, pv, domicilio);
    EXPECT_EQ(razon, QStringLiteral("Empresa Demo S.A."));
    EXPECT_EQ(cuit, QStringLiteral("30-71234567-9"));
    EXPECT_EQ(condicion, QStringLiteral("3"));
    EXPECT_EQ(domicilio, QStringLiteral("Calle 1"));
    EXPECT_EQ(inicio, QStringLiteral("enero 2000"));  // falls back, trimmed
    EXPECT_EQ(ingresos, QString());                   // no key anywhere: " " trimmed
    EXPECT_EQ(pv, QStringLiteral("0001"));
    EXPECT_EQ(CondIvaEmpresa, 3);
    EXPECT_EQ(CondIvaEmpresaTexto, QStringLiteral("3"));

    // Blank unit: company-wide keys, the point of sale stays as passed.
    QString r2, c2, i2, n2, v2, p2 = QStringLiteral("pv"), d2;
    ObtieneDatosEmpresa(QString(), r2, c2, i2, n2, v2, p2, d2);
    EXPECT_EQ(r2, QStringLiteral("Empresa"));
    EXPECT_EQ(c2, QStringLiteral("30-1"));
    EXPECT_EQ(v2, QStringLiteral("2"));
    EXPECT_EQ(p2, QStringLiteral("pv"));
    EXPECT_EQ(d2, QStringLiteral("        "));  // eight blanks
}

TEST_F(Configuracion, DatosDeEmpresaConCondicionQueNoEsNumero)
{
    Fila(QStringLiteral("CONDIVAEMPRESA"), QStringLiteral("DATOS"), QStringLiteral("RI"));
    QString r, c, i, n, v, p, d;
    EXPECT_THROW(ObtieneDatosEmpresa(QString(), r, c, i, n, v, p, d), legacy::VbError);
    EXPECT_EQ(CondIvaEmpresaTexto, QStringLiteral("RI"));
}

TEST_F(Configuracion, FechaServidorAlSegundo)
{
    const QDateTime antes = QDateTime::currentDateTime().addSecs(-2);
    const legacy::Date f = FechaServidor();
    const QDateTime dt = f.toDateTime();
    EXPECT_EQ(dt.time().msec(), 0);
    EXPECT_GE(dt, antes);
    EXPECT_LE(dt, QDateTime::currentDateTime().addSecs(2));
}

// The server gives no date: "FECHAOPERHASTA" when it holds a date, day or
// month first, else the local clock.
TEST_F(Configuracion, FechaServidorSinRespuestaTomaFechaOperHasta)
{
    ui::ScriptedSession dlg;
    UtilizarFechaDia = true;
    Datos({{"FECHAOPERHASTA", ""}});
    const ado::Error error{ado::kErrSyntax, 102, QStringLiteral("42000"), QStringLiteral("Incorrect syntax"), {}};
    struct {
        const char* texto;
        QDate fecha;
    } casos[] = {{"12/31/2024", QDate(2024, 12, 31)}, {"31/12/2024", QDate(2024, 12, 31)},
                 {"12/31/23", QDate(2023, 12, 31)}, {"31/31/2024", QDate::currentDate()}};
    for (const auto& c : casos) {
        Ejecuta(QStringLiteral("UPDATE TA_CONFIGURACION SET Valor = '%1' WHERE Clave = 'FECHAOPERHASTA'")
                    .arg(QString::fromLatin1(c.texto)));
        ado::testing::FailNextExecute(*gDB().gCnn, error, 1);
        dlg.expectMsgBox(QString(), ui::vbAbort);
        EXPECT_EQ(FechaServidor().date(), c.fecha) << c.texto;
    }
}

}  // namespace
