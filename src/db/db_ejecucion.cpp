// DB_Dll: running statements and opening and closing recordsets.
#include "db/db_dll.h"

#include "db/db_texto.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/funciones.h"
#include "platform/ui/dialogs.h"

using namespace db_texto;
using legacy::VbError;

namespace {

bool EsTransaccion(const QString& sentencia)
{
    return Contiene(sentencia, QStringLiteral("TRANS"));
}

bool EsOracle(const std::shared_ptr<ado::Connection>& cnn)
{
    return Contiene(cnn->ConnectionString(), QStringLiteral("ORACLE"));
}

// After a statement that went through: a truncation warning alone (one or
// two entries) is not a failure of the statement, outside a transaction.
void OlvidaTruncamiento(ado::ErrorCollection& errores, const QString& sentencia)
{
    if ((errores.Count() == 1 || errores.Count() == 2) && !EsTransaccion(sentencia) &&
        errores.Item(0).NativeError == ado::kNativeTruncation)
        errores.Clear();
}

}  // namespace

// The marker "@Admin_" lets a statement reach a restricted table directly.
// Only a statement that both creates and drops (a script that rebuilds an
// object) goes through the synonyms here; AbrirRecordset applies them to
// every query.
void DB_Dll::RescribeMarcas(QString& sentencia) const
{
    const QString marca = QStringLiteral("@Admin_");
    // no "@", no mark: the text is not searched again
    const auto quitaMarca = [&] {
        if (sentencia.contains(u'@'))
            sentencia = ReemplazaTodo(sentencia, marca, QString());
    };
    if (!(Contiene(sentencia, QStringLiteral("CREATE")) && Contiene(sentencia, QStringLiteral("DROP")))) {
        quitaMarca();
        return;
    }
    if (Contiene(sentencia, QStringLiteral("DELETE"))) {
        if (Contiene(sentencia, marca))
            sentencia = ReemplazaTodo(sentencia, marca, QString());
        return;
    }
    if (Contiene(sentencia, marca))
        sentencia = ReemplazaTodo(sentencia, marca, QString());
    else
        sentencia = SS_TSinonimos(sentencia);
}

void DB_Dll::EjecutaConsultaSQL(const QString& SentenciaSQL, int* RecordsAffected,
                                std::shared_ptr<ado::Recordset>* LRCS)
{
    QString copia = SentenciaSQL;
    EjecutaConsultaSQL(copia, RecordsAffected, LRCS);
}

void DB_Dll::EjecutaConsultaRSQL(const QString& SentenciaSQL, int* RecordsAffected,
                                 std::shared_ptr<ado::Recordset>* LRCS)
{
    QString copia = SentenciaSQL;
    EjecutaConsultaRSQL(copia, RecordsAffected, LRCS);
}

// The lost-connection question after the silent reopenings failed. No ends
// the program.
int DB_Dll::PreguntaConexionPerdida()
{
    DB_Dll& principal = ModGlobal::gDB();
    const QString texto = CRLF + CRLF + CRLF + QStringLiteral("Se perdio la conexion con la base de datos ") +
                          principal.gDBName + CRLF + QStringLiteral(" Servidor ") + principal.gServidor + CRLF + CRLF +
                          QStringLiteral("Elija SI para reintentar conectarse") + CRLF +
                          QStringLiteral("Elija NO para cerrar la aplicacion") + CRLF + CRLF + CRLF;
    const int respuesta = ui::MsgBox(texto, ui::vbYesNo + ui::vbCritical, QStringLiteral("AVISO AL OPERADOR"));
    if (respuesta != ui::vbYes)
        throw legacy::ProgramEnd(0);
    return respuesta;
}

// After a network failure (native error 11): reopens the connection. True
// when the failed step should run again. `intentos` counts the successful
// reopenings of the whole call: at 3 the caller stops retrying. When the
// reopening fails:
//   form B (statements, DatosTabla): tries again, each failure counting one,
//     and from 3 on asks the operator after each failed try;
//   form A (ExisteEnTabla): tries once more, then asks; after Yes two tries.
// No to the question ends the program.
bool DB_Dll::ReconectaTrasErrorRed(int& intentos, bool formaB)
{
    auto reglaDelContador = [&] {
        ++intentos;
        return intentos < 3;
    };
    if (ReintentaConectar())
        return reglaDelContador();
    if (formaB) {
        ++intentos;
        for (;;) {
            if (intentos >= 3)
                PreguntaConexionPerdida();
            if (ReintentaConectar())
                return true;
            ++intentos;
        }
    }
    for (;;) {
        if (ReintentaConectar())
            return reglaDelContador();
        PreguntaConexionPerdida();
        if (ReintentaConectar())
            return reglaDelContador();
    }
}

// One run of the statement as it stands, the step both execution members
// share: on Oracle as a script (which consumes `sentencia`), elsewhere as one
// statement. A truncation warning alone is then forgotten.
void DB_Dll::EjecutaUnaVez(QString& sentencia, int* recordsAffected, std::shared_ptr<ado::Recordset>* lrcs,
                           bool oracle)
{
    if (oracle) {
        int cuenta = recordsAffected ? *recordsAffected : 0;
        EjecutaScriptOracle(sentencia, cuenta);
        if (recordsAffected)
            *recordsAffected = cuenta;
    } else {
        auto resultado = gCnn->Execute(sentencia, recordsAffected, -1);
        if (lrcs)
            *lrcs = resultado;
    }
    OlvidaTruncamiento(gCnn->Errors(), sentencia);
}

void DB_Dll::EjecutaConsultaSQL(QString& SentenciaSQL, int* RecordsAffected, std::shared_ptr<ado::Recordset>* LRCS)
{
    RescribeMarcas(SentenciaSQL);
    int intentos = 0;
    for (;;) {
        try {
            EjecutaUnaVez(SentenciaSQL, RecordsAffected, LRCS, EsOracle(gCnn));
            return;
        } catch (const VbError&) {
            ado::ErrorCollection& errores = gCnn->Errors();
            if (errores.Count() == 0 || EsTransaccion(SentenciaSQL))
                return;
            const int nativo = errores.Item(0).NativeError;
            if (nativo == ado::kNativeNetwork) {
                if (ReconectaTrasErrorRed(intentos, true))
                    continue;
                return;
            }
            if (nativo == ado::kNativeTruncation)
                errores.Clear();
            return;
        }
    }
}

void DB_Dll::EjecutaConsultaRSQL(QString& SentenciaSQL, int* RecordsAffected, std::shared_ptr<ado::Recordset>* LRCS)
{
    RescribeMarcas(SentenciaSQL);
    try {
        const bool oracle = EsOracle(gCnn);
        if (!oracle && !AsegurarConexion()) {
            ui::MsgBox(QStringLiteral("No hay conexión con el servidor. Intentá de nuevo en unos segundos."),
                       ui::vbExclamation, QString());
            return;
        }
        EjecutaUnaVez(SentenciaSQL, RecordsAffected, LRCS, oracle);
    } catch (const VbError& e) {
        ado::ErrorCollection& errores = gCnn->Errors();
        if (errores.Count() > 0 && !EsTransaccion(SentenciaSQL)) {
            if (errores.Item(0).NativeError == ado::kNativeTruncation)
                errores.Clear();
            return;
        }
        if (errores.Count() > 0)
            return;
        const bool callado = e.Number == ado::kErrProvider || e.Number == ado::kErrSyntax ||
                             e.Number == ado::kErrNoSuchObject || e.Number == ado::kErrIntegrity;
        if (!callado && !EsTransaccion(SentenciaSQL))
            ui::MsgBox(e.Description, ui::vbCritical, QStringLiteral("Aviso al operador!!!"));
    }
}

void DB_Dll::AbrirRecordset(const QString& SentenciaSQL, std::shared_ptr<ado::Recordset>& LRCS,
                            const std::shared_ptr<ado::Connection>& Conexionactiva, int CursorType, int LockType,
                            int Options, bool ConvOracle)
{
    QString copia = SentenciaSQL;
    AbrirRecordset(copia, LRCS, Conexionactiva, CursorType, LockType, Options, ConvOracle);
}

void DB_Dll::AbrirRecordset(QString& SentenciaSQL, std::shared_ptr<ado::Recordset>& LRCS,
                            const std::shared_ptr<ado::Connection>& Conexionactiva, int CursorType, int LockType,
                            int Options, bool ConvOracle)
{
    auto manejador = [this](const VbError& e, const QString& rutina) -> int {
        switch (ManejaErrorConexion(e.Number, intentosAbrirRecordset_, rutina)) {
        case 1:
            return 4;
        case 2:
            throw legacy::ProgramEnd(0);
        default:
            if (abrirSinAvisos_)
                return 0;
            return kapores2::Funciones::MuestraError(e, std::nullopt, QStringLiteral("AbrirRecordset"));
        }
    };
    legacy::ErrorTrap trap(QStringLiteral("AbrirRecordset"), manejador);

    QString origen;
    trap([&] {
        if (!LRCS)
            LRCS = std::make_shared<ado::Recordset>();
        CierraRecordset(LRCS);
    });
    trap([&] { SentenciaSQL = SS_TSinonimos(SentenciaSQL); });
    trap([&] {
        if (!AsegurarConexion())
            throw VbError(ado::kErrNoConnection, QStringLiteral("No hay conexión con la base de datos."));
    });
    trap([&] {
        if (legacy::InStr(gCnn->ConnectionString(), QStringLiteral("ORACLE"), legacy::vbTextCompare) > 1 &&
            ConvOracle)
            origen = ORACLE_Dicc(SentenciaSQL);
        else
            origen = SentenciaSQL;
    });
    trap([&] {
        if (!LRCS)
            LRCS = std::make_shared<ado::Recordset>();
        LRCS->Open(origen, Conexionactiva ? Conexionactiva : gCnn, CursorType, LockType, Options);
    });
    trap([&] { ui::DoEvents(); });
}

void DB_Dll::CierraRecordset(std::shared_ptr<ado::Recordset>& LrcsTemp)
{
    // A recordset that was never created is as good as closed.
    if (!LrcsTemp)
        return;
    for (;;) {
        try {
            if (LrcsTemp->State() != ado::adStateClosed)
                LrcsTemp->Close();
            return;
        } catch (const VbError& e) {
            if (e.Number == ado::adErrIllegalOperation) {
                try {
                    LrcsTemp->CancelUpdate();
                } catch (const VbError&) {
                }
                try {
                    if (LrcsTemp->State() != ado::adStateClosed)
                        LrcsTemp->Close();
                } catch (const VbError&) {
                }
                return;
            }
            if (TratamientoErrores(e, std::nullopt, QStringLiteral("CierraRecordset")) == 4)
                continue;
            return;
        }
    }
}
