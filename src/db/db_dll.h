#pragma once
// DB_Dll: the program's database class. Each object owns one connection and
// the login data it was opened with; the four shared objects live in
// ModGlobal (db/modglobal_db.h). Everything the rest of the program does with
// the database goes through here: opening, statements and recordsets,
// recovery of a lost connection, value quoting, lookups, schema tests, the
// synonyms of the restricted tables and the error box with its log file.
#include "platform/ado/ado.h"
#include "platform/kapores2/dialogo.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/variant.h"
#include "platform/legacy/vberror.h"

#include <QString>

#include <memory>
#include <optional>

class DB_Dll {
public:
    DB_Dll();
    ~DB_Dll();
    DB_Dll(const DB_Dll&) = delete;
    DB_Dll& operator=(const DB_Dll&) = delete;

    // --- public variables --------------------------------------------------
    std::shared_ptr<kapores2::Dialogo> CmdDlg;  // open-file dialog, created on first use
    bool gOpenFlag = false;                // the last opening succeeded
    legacy::Variant gIgnoraPassWord;       // retry a protected local file with gUserPassWord
    std::shared_ptr<ado::Connection> gCnn; // the connection (created with the object)
    std::shared_ptr<ado::Recordset> glrcs; // spare recordset
    legacy::Variant gCursorLocation;
    QString gProveedor;                    // provider name; "SQLOLEDB" when empty at opening
    QString gDsn;
    QString gServidor;                     // server; a "#" in it selects Oracle
    QString gDBName;                       // database (local file path, Oracle data source)
    QString gUsuario;                      // database login
    bool gEsAdmin = false;                 // the application user is an administrator
    QString gUserPassWord;                 // database password
    QString gConnString;                   // the connection string last used to open
    QString gExtended;                     // appended to a built connection string
    QString gLogErr;                       // full path of the error log (ArchivoErrores)
    bool ParametrosSQL = false;
    std::int16_t gJQTimeOut = 0;

    // --- opening -------------------------------------------------------------
    // Success and failure are read from gOpenFlag and gCnn->State().
    void OpenServerADODB(bool PideParametrosSQL = false, int lCursor = 0, const QString& ConnString = {},
                         bool ValidaAdmin = false, bool MuestraError = false);
    void OpenLocalADODB(const QString& ConnString = {}, const QString& CadenaID = {},
                        const QString& CadenaPWD = {});
    QString pJETOLEDB40() const { return QStringLiteral("Microsoft.Jet.OLEDB.4.0"); }
    QString pJETOLEDB35() const { return QStringLiteral("Microsoft.Jet.OLEDB.3.51"); }
    QString pSQLOLEDB() const { return QStringLiteral("SQLOLEDB"); }

    // The key of a lookup as the statement compares it: a date between
    // apostrophes (bare, or between "#" with `conNumerales`, on a local
    // database file); a number read from the start of the text and written
    // with "." as the decimal point whatever the regional profile.
    QString ComparacionFecha(const QString& valor, bool conNumerales) const;
    static QString ComparacionNumero(const QString& valor);

    // --- statements and recordsets -----------------------------------------
    // SentenciaSQL comes back rewritten (markers removed or synonyms applied).
    // A failing statement does not raise: its errors stay in gCnn->Errors().
    void EjecutaConsultaSQL(QString& SentenciaSQL, int* RecordsAffected = nullptr,
                            std::shared_ptr<ado::Recordset>* LRCS = nullptr);
    void EjecutaConsultaSQL(const QString& SentenciaSQL, int* RecordsAffected = nullptr,
                            std::shared_ptr<ado::Recordset>* LRCS = nullptr);
    void EjecutaConsultaRSQL(QString& SentenciaSQL, int* RecordsAffected = nullptr,
                             std::shared_ptr<ado::Recordset>* LRCS = nullptr);
    void EjecutaConsultaRSQL(const QString& SentenciaSQL, int* RecordsAffected = nullptr,
                             std::shared_ptr<ado::Recordset>* LRCS = nullptr);
    // Opens LRCS (created when null) on Conexionactiva, or on gCnn when null.
    // SentenciaSQL comes back with the synonyms applied.
    void AbrirRecordset(QString& SentenciaSQL, std::shared_ptr<ado::Recordset>& LRCS,
                        const std::shared_ptr<ado::Connection>& Conexionactiva = nullptr, int CursorType = 0,
                        int LockType = 1, int Options = -1, bool ConvOracle = true);
    void AbrirRecordset(const QString& SentenciaSQL, std::shared_ptr<ado::Recordset>& LRCS,
                        const std::shared_ptr<ado::Connection>& Conexionactiva = nullptr, int CursorType = 0,
                        int LockType = 1, int Options = -1, bool ConvOracle = true);
    // Closes an open recordset; a null or closed one is left alone.
    void CierraRecordset(std::shared_ptr<ado::Recordset>& LrcsTemp);
    // Whether `sentencia` gives a row on `conexion`, each step run in the
    // caller's trap. With `LRCS` the rows stay in the caller's recordset
    // (created when null, closed first when open), opened forward-only and
    // read-only with `SoloLectura`, else with the cursor and lock it had;
    // without it a recordset of its own is opened and closed again.
    bool HayFilas(legacy::ErrorTrap& trap, const QString& sentencia, const std::shared_ptr<ado::Connection>& conexion,
                  std::shared_ptr<ado::Recordset>* LRCS, bool SoloLectura);

    // --- recovery of a lost connection --------------------------------------
    bool AsegurarConexion();
    bool ReintentaConectar();
    // 0: not a connection error (the caller handles it), 1: the connection is
    // back (run the failing step again), 2: the program must end.
    long ManejaErrorConexion(long NroError, int& Intentos, const QString& Rutina);
    bool EsperaReconexion(int Intentos, const QString& Mensaje);

    // --- Oracle dialect -------------------------------------------------------
    QString ORACLE_Dicc(const QString& Valor);

    // --- restricted-table synonyms ---------------------------------------------
    QString SS_TSinonimos(const QString& sql) const;

    // --- SQL values and field-type classes --------------------------------------
    // Tipo "'" quotes (apostrophes inside are NOT doubled: callers do that for
    // free text), "@" writes a number with a decimal point, anything else
    // inserts the value's text. Null gives NULL.
    legacy::Variant SQLValue(legacy::Variant Valor, const QString& Tipo = {}) const;
    legacy::Variant SQLValue2(legacy::Variant Valor, const QString& Tipo = {}) const;
    bool adodate(const legacy::Variant& Qtype) const;
    bool ADOText(const legacy::Variant& Qtype) const;
    bool ADONumeric(const legacy::Variant& Qtype) const;
    bool ADOCurrency(const legacy::Variant& Qtype) const;  // error 94 on Null
    bool ADOBoolean(const legacy::Variant& Qtype) const;   // error 94 on Null
    QString ADOComilla(const legacy::Variant& Qtype) const;

    // --- table lookups -------------------------------------------------------------
    // Tipodato: 8 text, 7 date, 3/4/5 number, other a bare comparison.
    bool ExisteEnTabla(const QString& Tabla, const QString& ValorBuscado, const QString& Campo = {},
                       std::shared_ptr<ado::Recordset>* LRCS = nullptr, const legacy::Variant& Tipodato = {},
                       const QString& Condicion = {}, bool SoloLectura = false);
    bool ExisteEnTablaST(const QString& Tabla, const QString& ValorBuscado, const QString& Campo = {},
                         std::shared_ptr<ado::Recordset>* LRCS = nullptr, const legacy::Variant& Tipodato = {},
                         const QString& Condicion = {}, bool SoloLectura = false);
    // The field's text, "" when no row matches, Empty when the connection is
    // not open. A Tipodato of "'" counts as 8 and is written back as 8.
    legacy::Variant DatosTabla(const QString& Tabla, const QString& ValorBuscado, const QString& CampoDevuelto,
                               const QString& Campo, legacy::Variant& Tipodato, const QString& Condicion = {},
                               bool UsaTrim = true, bool IgnoraError = false);
    legacy::Variant DatosTabla(const QString& Tabla, const QString& ValorBuscado, const QString& CampoDevuelto,
                               const QString& Campo = {}, const legacy::Variant& Tipodato = {},
                               const QString& Condicion = {}, bool UsaTrim = true, bool IgnoraError = false);
    // The aggregates raise every error to the caller. BuscaMaximo may extend
    // the caller's Condicion (articles whose largest code begins with "0").
    legacy::Variant BuscaMaximo(const QString& QueTabla, const QString& QueCampo, const legacy::Variant& Tipo,
                                legacy::Variant& Condicion);
    legacy::Variant BuscaMaximo(const QString& QueTabla, const QString& QueCampo, const legacy::Variant& Tipo = {},
                                const legacy::Variant& Condicion = {});
    legacy::Variant BuscaMinimo(const QString& QueTabla, const QString& QueCampo, const legacy::Variant& Tipo = {},
                                const legacy::Variant& Condicion = {});
    legacy::Variant BuscaUltimoCodigo(const QString& QueTabla, const QString& QueCampo,
                                      const legacy::Variant& Tipo = {}, const QString& Condicion = {});
    // Kept on the class's interface for its callers; they do nothing.
    void QConsulta(const legacy::Variant&, const legacy::Variant&, const legacy::Variant&, const legacy::Variant&,
                   const legacy::Variant& = {}, const legacy::Variant& = {}) {}
    void QGridConsulta(const QString&, const legacy::Variant&, const QString&, const legacy::Variant& = {},
                       const legacy::Variant& = {}) {}

    // --- object names and schema -------------------------------------------------
    QString stSTF(QString& rsName, int rnPart);
    QString AddBrackets(const QString& rObjName) const;
    QString StripConnect(const QString& rsTblName) const;
    QString StripBrackets(const QString& rsObjName) const;
    QString StripOwner(QString& rsTblName) const;
    QString StripFileName(const QString& rsFileName) const;
    void AddField(const QString& Tabla, const QString& Campo, const QString& Tipo, bool PermiteNulos,
                  const std::optional<legacy::Variant>& ValorDefault = std::nullopt);
    bool ExisteTablaDB(const QString& Tabla);
    bool ExisteCampoDB(const QString& Tabla, const QString& Campo);
    bool VerCampoDB(const QString& Tabla, const QString& Campo, bool Agregar = false, const QString& Tipo = {},
                    bool PermiteNulos = false, const std::optional<legacy::Variant>& ValorDefault = std::nullopt);

    // --- error box and error log -------------------------------------------------
    // Shows the error with the given buttons (Abort/Retry/Ignore and the
    // critical icon by default), appends one line to the error log and
    // returns the answer; 0 without doing anything for error number 0.
    int TratamientoErrores(const legacy::VbError& CodErr, std::optional<int> Botones = std::nullopt,
                           const std::optional<QString>& Rutina = std::nullopt);
    int TratamientoErrores(const legacy::ErrObject& CodErr, std::optional<int> Botones = std::nullopt,
                           const std::optional<QString>& Rutina = std::nullopt);
    legacy::Variant ArchivoErrores() const { return legacy::Variant(gLogErr); }
    void setArchivoErrores(const legacy::Variant& vNewValue) { gLogErr = vNewValue.toString(); }
    // TratamientoErrores as the handler of a legacy::ErrorTrap.
    legacy::ErrorHandler errorHandler();

private:
    void ArmaCadenaConexion();
    bool PideDatosConexion();
    void RescribeMarcas(QString& sentencia) const;
    void EjecutaUnaVez(QString& sentencia, int* recordsAffected, std::shared_ptr<ado::Recordset>* lrcs,
                       bool oracle);
    QString EjecutaScriptOracle(QString& script, int& recordsAffected);
    QString DepuraSentenciaOracle(QString& sentencia);
    bool ReconectaTrasErrorRed(int& intentos, bool formaB);
    int PreguntaConexionPerdida();
    bool EsArchivoLocal() const;
    bool ExisteEnTablaComun(bool conTop, const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                            std::shared_ptr<ado::Recordset>* LRCS, const legacy::Variant& Tipodato,
                            const QString& Condicion, bool SoloLectura);

    int intentosAbrirRecordset_ = 0;   // retry counters kept across calls
    int intentosAsegurarConexion_ = 0;
    bool preguntando_ = false;         // the lost-connection question is on screen
    bool abrirSinAvisos_ = false;      // AbrirRecordset for a lookup that ignores its errors
};
