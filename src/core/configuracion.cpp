#include "core/configuracion.h"

#include "core/sqlbuilder.h"
#include "core/tratamientoerrores.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/strings.h"

using namespace legacy;
using kapores2::Funciones;

namespace ModGlobal {

QString TablaConfiguracion;
int gTimeOut = 45;

namespace {

const QString kDatos = QStringLiteral("DATOS");
const QString kTablaPorDefecto = QStringLiteral("TA_CONFIGURACION");

bool EsGrupoDatos(const QString& grupo)
{
    return StrComp(grupo, kDatos, vbTextCompare) == 0;
}

// Dates kept as "[FECHA HASTA]" / "[FECHA DESDE]" are stored upper-cased, and
// so is the whole statement that reads them.
bool EsClaveDeFecha(const QString& clave)
{
    const QString c = Trim(clave);
    return StrComp(c, QStringLiteral("[FECHA HASTA]"), vbTextCompare) == 0 ||
           StrComp(c, QStringLiteral("[FECHA DESDE]"), vbTextCompare) == 0;
}

// " with(nolock)  WHERE CLAVE = 'key'" and, for a group other than DATOS,
// the group test; `pruebaGrupo` is that test's text up to the group's
// opening apostrophe (the read and the write space it differently).
QString DondeClave(const QString& Clave, const QString& Grupo, const QString& pruebaGrupo)
{
    QString donde = QStringLiteral(" with(nolock)  WHERE CLAVE = '") + DuplicaApostrofes(Trim(Clave));
    if (!EsGrupoDatos(Grupo))
        donde += pruebaGrupo + DuplicaApostrofes(Grupo);
    return donde + QStringLiteral("'");
}

// The common read of Cfg and CfgJQ on one database object.
QString LeeClave(DB_Dll& db, const QString& sql, const QString& Clave, QString& ValorAux,
                 const QString& rutina, bool reintentaEnRetry)
{
    legacy::ErrorHandler manejador = [reintentaEnRetry](const VbError& e, const QString& r) {
        const int respuesta = ManejadorErrores(e, r);
        // Cfg does not repeat a failing step: Retry leaves like Abort.
        if (respuesta == 4 && !reintentaEnRetry)
            return 3;
        return respuesta;
    };
    ErrorTrap trap(rutina, manejador);

    QString resultado;
    std::shared_ptr<ado::Recordset> rs;
    trap([&] { db.AbrirRecordset(sql, rs, nullptr, 0, 1, -1, true); });
    trap([&] {
        if (!rs || rs->Bof()) {
            resultado = QStringLiteral(" ");
            ValorAux.clear();
        } else {
            resultado = Funciones::ValorNoNulo(rs->Fields("Valor").Value()).toString();
            ValorAux = Funciones::ValorNoNulo(rs->Fields("ValorAux").Value()).toString();
        }
    });
    if (trap.left()) {
        try {
            db.CierraRecordset(rs);
        } catch (const VbError&) {
        }
        return QString();
    }
    trap([&] { db.CierraRecordset(rs); });
    if (trap.left())
        return QString();
    if (StrComp(Clave, QStringLiteral("THEME"), vbTextCompare) == 0 && Trim(resultado).isEmpty())
        resultado = QStringLiteral("1");
    return resultado;
}

// The common write of GrabaCfg and GrabaCfgJQ: every failing step is skipped.
// RecortaAux trims the auxiliary value whatever Recortar says; either way
// only an auxiliary value that is not "" is written (blanks written trimmed
// clear the old one). With `rutinaAviso` given, a value the row cannot take
// (longer than its column) or a row that is not stored goes to the central
// error box under that name, so the operator knows the setting was not
// kept; the row then keeps what it had (a Retry tries again). Without it
// (the statistics database's time-out, written at start-up) the write stays
// silent.
void GrabaClave(DB_Dll& db, const QString& sql, const QString& Clave, const Variant& Valor,
                const QString& ValorAux, bool PoliticaNegocio, const QString& Grupo, int Recortar, int Modo,
                bool RecortaAux = false, const QString& rutinaAviso = {})
{
    ErrorTrap trap = ErrorTrap::ResumeNext(QStringLiteral("GrabaCfg"));
    ErrorTrap aviso = rutinaAviso.isEmpty() ? ErrorTrap::ResumeNext(QStringLiteral("GrabaCfg"))
                                            : ErrorTrap(rutinaAviso, ManejadorErrores);
    std::shared_ptr<ado::Recordset> rs;
    bool borrado = false;
    bool sinFila = false;
    trap([&] { db.AbrirRecordset(sql, rs, db.gCnn, 2, 3, -1, true); });
    trap([&] {
        if (!rs) {
            sinFila = true;
            return;
        }
        if (rs->Bof()) {
            // Deleting a key that has no row must not create it.
            if (Modo == kModoBorrar) {
                sinFila = true;
                return;
            }
            rs->AddNew();
        } else if (Modo == kModoBorrar) {
            borrado = true;
            rs->Delete(ado::adAffectCurrent);
        } else {
            rs->MoveFirst();
        }
    });
    if (!borrado && !sinFila) {
        trap([&] { rs->Fields("Grupo") = Funciones::ValorNoNulo(Variant(Grupo)); });
        trap([&] { rs->Fields("Clave") = Funciones::ValorNoNulo(Variant(UCase(Trim(Clave)))); });
        bool valorPuesto = false;
        (rutinaAviso.isEmpty() ? trap : aviso)([&] {
            Variant v = Valor;
            if (Recortar != 0 && !v.IsNull())
                v = Variant(Trim(v.toString()));
            rs->Fields("Valor") = Funciones::ValorNoNulo(v);
            valorPuesto = true;
        });
        if (valorPuesto || rutinaAviso.isEmpty()) {
            trap([&] { rs->Fields("PoliticaNegocio") = Funciones::ValorNoNulo(Variant(PoliticaNegocio)); });
            if (!ValorAux.isEmpty())
                (rutinaAviso.isEmpty() ? trap : aviso)(
                    [&] { rs->Fields("valoraux") = Variant(Recortar != 0 || RecortaAux ? Trim(ValorAux) : ValorAux); });
            if (!aviso.left())
                (rutinaAviso.isEmpty() ? trap : aviso)([&] { rs->Update(); });
        }
    }
    trap([&] {
        if (rs && rs->EditMode() != ado::adEditNone)
            rs->CancelUpdate();
    });
    trap([&] { db.CierraRecordset(rs); });
}

}  // namespace

QString Cfg(const QString& Clave, QString& ValorAux, const QString& Grupo)
{
    if (!gDB().gOpenFlag)
        return QString();
    if (Trim(TablaConfiguracion).isEmpty())
        TablaConfiguracion = kTablaPorDefecto;

    QString sql = QStringLiteral("SELECT VALOR, valoraux FROM ") + TablaConfiguracion +
                  DondeClave(Clave, Grupo, QStringLiteral("' AND GRUPO ='"));
    if (EsClaveDeFecha(Clave))
        sql = UCase(sql);
    return LeeClave(gDB(), sql, Clave, ValorAux, QStringLiteral("Cfg"), false);
}

QString Cfg(const QString& Clave)
{
    QString aux;
    return Cfg(Clave, aux, kDatos);
}

QString CfgJQ(const QString& Clave, QString& ValorAux)
{
    QString sql = QStringLiteral("SELECT VALOR, valoraux FROM ") + kTablaPorDefecto + DondeClave(Clave, kDatos, {});
    if (EsClaveDeFecha(Clave))
        sql = UCase(sql);
    return LeeClave(gDB2(), sql, Clave, ValorAux, QStringLiteral("CfgJQ"), true);
}

QString CfgJQ(const QString& Clave)
{
    QString aux;
    return CfgJQ(Clave, aux);
}

void GrabaCfg(const QString& Clave, const Variant& Valor, const QString& ValorAux, bool PoliticaNegocio,
              const QString& Grupo, int Recortar, int Modo)
{
    // A write before any read still needs a table name.
    if (Trim(TablaConfiguracion).isEmpty())
        TablaConfiguracion = kTablaPorDefecto;
    // Keys are stored trimmed, so they are looked up trimmed as well: an
    // untrimmed key would miss its row and add a second one.
    const QString sql = QStringLiteral("SELECT * FROM ") + TablaConfiguracion +
                        DondeClave(Clave, Grupo, QStringLiteral("' AND GRUPO = '"));
    GrabaClave(gDB(), sql, Clave, Valor, ValorAux, PoliticaNegocio, Grupo, Recortar, Modo, false,
               QStringLiteral("GrabaCfg"));
}

void GrabaCfgJQ(const QString& Clave, const Variant& Valor, const QString& ValorAux, bool PoliticaNegocio,
                const QString& Grupo, int Recortar)
{
    const QString sql = QStringLiteral("SELECT * FROM ") + kTablaPorDefecto + DondeClave(Clave, kDatos, {});
    GrabaClave(gDB2(), sql, Clave, Valor, ValorAux, PoliticaNegocio, Grupo, Recortar, 0, true);
}

QString LeeTimeOut()
{
    gTimeOut = 45;
    ErrorTrap trap = ErrorTrap::ResumeNext(QStringLiteral("LeeTimeOut"));
    DB_Dll& db2 = gDB2();
    trap([&] {
        if (db2.gOpenFlag)
            db2.gCnn->Close();
    });
    trap([&] {
        db2.gProveedor = gDB().pSQLOLEDB();
        db2.gServidor = gDB().gServidor;
        const QString estadisticas = QStringLiteral("KD_REGISTROSVAR");
        db2.gDBName = estadisticas;
        db2.gUsuario = estadisticas;
        db2.gUserPassWord = estadisticas;
    });
    trap([&] { db2.OpenServerADODB(false, 3, QString(), true, false); });
    if (db2.gOpenFlag) {
        trap([&] { db2.gCnn->setDefaultDatabase(QStringLiteral("KD_REGISTROSVAR")); });
        trap([&] { gTimeOut = CInt(Variant(Val(CfgJQ(QStringLiteral("TimeOut"))))); });
        if (gTimeOut == 0)
            GrabaCfgJQ(QStringLiteral("TimeOut"), Variant(gTimeOut), QString(), false,
                       QStringLiteral("BaseDeDatos"), 1);
    }
    // Only a positive count of seconds is a time-out the connection takes
    // (0 would wait for ever, a negative one is refused).
    if (gTimeOut <= 0)
        gTimeOut = 45;
    return QString();
}

}  // namespace ModGlobal
