// DB_Dll: one-query answers (does a row exist, one field of a row, largest
// or smallest value of a column).
#include "db/db_dll.h"

#include "db/db_texto.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/textconv.h"
#include "platform/ui/dialogs.h"

using namespace db_texto;
using legacy::Variant;
using legacy::VbError;

namespace {

enum class FormaClave { Texto, Fecha, Numero, Otra };

FormaClave FormaDe(const Variant& tipodato)
{
    if (tipodato.IsEmpty() || tipodato.IsNull())
        return FormaClave::Otra;
    if (legacy::Compare(tipodato, Variant(8)) == 0)
        return FormaClave::Texto;
    if (legacy::Compare(tipodato, Variant(7)) == 0)
        return FormaClave::Fecha;
    for (int n : {3, 4, 5})
        if (legacy::Compare(tipodato, Variant(n)) == 0)
            return FormaClave::Numero;
    return FormaClave::Otra;
}

// The number of an aggregate's value: an amount comes as the regional text
// ("1234,5", "-0,75") and keeps its decimals and its sign.
Variant NumeroAgregado(const Variant& valor)
{
    return Variant(kapores2::Funciones::TextoADoble(kapores2::Funciones::ValorNoNulo(valor).toString()));
}

// The first row's number in `campo` of an aggregate query (Empty when it
// gives no row); the recordset is closed again.
Variant ValorAgregado(const QString& sentencia, const std::shared_ptr<ado::Connection>& conexion,
                      const QString& campo)
{
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(sentencia, conexion, ado::adOpenForwardOnly, ado::adLockReadOnly, -1);
    Variant resultado;
    if (!(rs->Bof() && rs->Eof()))
        resultado = NumeroAgregado(rs->Fields(campo).Value());
    rs->Close();
    return resultado;
}

}  // namespace

bool DB_Dll::EsArchivoLocal() const
{
    return gCnn && Contiene(gCnn->ConnectionString(), QStringLiteral("Jet.OLEDB"));
}

// Only a local database file reads a bare date (or one between "#"); every
// server needs it between apostrophes.
QString DB_Dll::ComparacionFecha(const QString& valor, bool conNumerales) const
{
    const QString v = legacy::Trim(valor);
    if (EsArchivoLocal())
        return conNumerales ? QStringLiteral("#") + v + QStringLiteral("#") : v;
    if (v.startsWith(u'\''))
        return v;
    return QStringLiteral("'") + v + QStringLiteral("'");
}

// The server refuses a decimal comma ("Cantidad = -3,5"). A number that
// reached here as text in the regional form is read with either decimal sign.
QString DB_Dll::ComparacionNumero(const QString& valor)
{
    return legacy::DoubleToText(kapores2::Funciones::TextoADoble(valor), u'.');
}

bool DB_Dll::ExisteEnTabla(const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                           std::shared_ptr<ado::Recordset>* LRCS, const Variant& Tipodato, const QString& Condicion,
                           bool SoloLectura)
{
    return ExisteEnTablaComun(true, Tabla, ValorBuscado, Campo, LRCS, Tipodato, Condicion, SoloLectura);
}

bool DB_Dll::ExisteEnTablaST(const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                             std::shared_ptr<ado::Recordset>* LRCS, const Variant& Tipodato, const QString& Condicion,
                             bool SoloLectura)
{
    return ExisteEnTablaComun(false, Tabla, ValorBuscado, Campo, LRCS, Tipodato, Condicion, SoloLectura);
}

// ExisteEnTabla (conTop) and ExisteEnTablaST: ST reads every matching row
// on the main connection, without synonyms or the Oracle rewrite and without
// trimming a text key.
bool DB_Dll::ExisteEnTablaComun(bool conTop, const QString& Tabla, const QString& ValorBuscado, const QString& Campo,
                                std::shared_ptr<ado::Recordset>* LRCS, const Variant& Tipodato,
                                const QString& Condicion, bool SoloLectura)
{
    const QString inicio = conTop ? QStringLiteral("SELECT TOP 1 * FROM ") : QStringLiteral("SELECT * FROM ");
    const QString bloqueo = conTop ? QStringLiteral(" with(nolock)  WHERE ") : QStringLiteral(" with(nolock)   WHERE ");
    QString sentencia;
    if (!Condicion.isEmpty()) {
        sentencia = inicio + Tabla + (conTop ? QStringLiteral(" with(nolock) ") : QStringLiteral(" with(nolock)  ")) +
                    (ContieneFuera(Condicion, QStringLiteral(" WHERE ")) ? QStringLiteral(" ")
                                                                         : QStringLiteral(" WHERE ")) +
                    Condicion;
    } else {
        switch (FormaDe(Tipodato)) {
        case FormaClave::Texto:
            // An apostrophe in the key (O'NEIL) is doubled.
            sentencia = conTop ? QStringLiteral("SELECT TOP 1  * FROM ") + Tabla +
                                     QStringLiteral(" with(nolock)  WHERE LTRIM(RTRIM(") + Campo +
                                     QStringLiteral(")) ='") + DuplicaApostrofes(legacy::Trim(ValorBuscado)) +
                                     QStringLiteral("'")
                               : inicio + Tabla + bloqueo + Campo + QStringLiteral(" ='") +
                                     DuplicaApostrofes(ValorBuscado) + QStringLiteral("'");
            break;
        case FormaClave::Fecha:
            sentencia = inicio + Tabla + bloqueo + Campo + QStringLiteral(" = ") +
                        ComparacionFecha(ValorBuscado, false) + QStringLiteral(" ");
            break;
        case FormaClave::Numero:
            sentencia = inicio + Tabla + bloqueo + Campo + QStringLiteral(" = ") + ComparacionNumero(ValorBuscado);
            break;
        case FormaClave::Otra:
            sentencia = inicio + Tabla + bloqueo + Campo + QStringLiteral(" = ") + ValorBuscado;
            break;
        }
    }

    const std::shared_ptr<ado::Connection> conexion = conTop ? gCnn : ModGlobal::gDB().gCnn;
    bool resultado = false;
    int intentos = 0;
    auto manejador = [&](const VbError& e, const QString&) -> int {
        const ado::ErrorCollection& errores = conexion->Errors();
        if (errores.Count() > 0 && errores.Item(0).NativeError == ado::kNativeNetwork &&
            ReconectaTrasErrorRed(intentos, false))
            return 4;
        return ui::MsgBox(e.Description, ui::vbAbortRetryIgnore + ui::vbCritical, QStringLiteral("Aviso al Operador"));
    };
    legacy::ErrorTrap trap(conTop ? QStringLiteral("ExisteEnTabla") : QStringLiteral("ExisteEnTablaST"), manejador);

    if (conTop)
        trap([&] { sentencia = SS_TSinonimos(sentencia); });
    resultado = HayFilas(trap, LRCS || !conTop ? sentencia : ORACLE_Dicc(sentencia), conexion, LRCS, SoloLectura);
    return resultado;
}

bool DB_Dll::HayFilas(legacy::ErrorTrap& trap, const QString& sentencia, const std::shared_ptr<ado::Connection>& conexion,
                      std::shared_ptr<ado::Recordset>* LRCS, bool SoloLectura)
{
    bool resultado = false;
    if (LRCS) {
        trap([&] {
            if (!*LRCS)
                *LRCS = std::make_shared<ado::Recordset>();
            if ((*LRCS)->State() != ado::adStateClosed)
                (*LRCS)->Close();
        });
        trap([&] {
            if (SoloLectura)
                (*LRCS)->Open(sentencia, conexion, ado::adOpenForwardOnly, ado::adLockReadOnly);
            else
                (*LRCS)->Open(sentencia, conexion, (*LRCS)->CursorType(), (*LRCS)->LockType());
        });
        trap([&] { resultado = !(*LRCS)->Bof(); });
        return resultado;
    }
    auto rs = std::make_shared<ado::Recordset>();
    trap([&] { rs->Open(sentencia, conexion, ado::adOpenForwardOnly, ado::adLockReadOnly, -1); });
    trap([&] { resultado = !rs->Bof(); });
    trap([&] {
        if (rs->State() != ado::adStateClosed)
            rs->Close();
    });
    return resultado;
}

legacy::Variant DB_Dll::DatosTabla(const QString& Tabla, const QString& ValorBuscado, const QString& CampoDevuelto,
                                   const QString& Campo, const Variant& Tipodato, const QString& Condicion,
                                   bool UsaTrim, bool IgnoraError)
{
    Variant copia = Tipodato;
    return DatosTabla(Tabla, ValorBuscado, CampoDevuelto, Campo, copia, Condicion, UsaTrim, IgnoraError);
}

legacy::Variant DB_Dll::DatosTabla(const QString& Tabla, const QString& ValorBuscado, const QString& CampoDevuelto,
                                   const QString& Campo, Variant& Tipodato, const QString& Condicion, bool UsaTrim,
                                   bool IgnoraError)
{
    if (Tipodato.IsString() && Tipodato.toString() == u"'")
        Tipodato = Variant(8);

    const QString inicio = QStringLiteral("SELECT TOP 1 * FROM ") + Tabla + QStringLiteral(" with(nolock)  WHERE ");
    const QString condicion = legacy::Trim(Condicion).isEmpty() ? QString() : QStringLiteral(" AND ") + Condicion;
    // A text key goes between apostrophes: one inside it (O'NEIL) is doubled.
    const auto texto = DuplicaApostrofes;
    QString sentencia;
    switch (FormaDe(Tipodato)) {
    case FormaClave::Texto:
        sentencia = UsaTrim ? inicio + QStringLiteral("LTRIM(RTRIM(") + Campo + QStringLiteral(")) ='") +
                                  texto(legacy::Trim(ValorBuscado)) + QStringLiteral("' ")
                            : inicio + Campo + QStringLiteral(" ='") + texto(ValorBuscado) + QStringLiteral("' ");
        break;
    case FormaClave::Fecha:
        sentencia = inicio + Campo + QStringLiteral(" = ") + ComparacionFecha(ValorBuscado, true) + QStringLiteral(" ");
        break;
    case FormaClave::Numero:
        sentencia = inicio + Campo + QStringLiteral(" = ") + ComparacionNumero(ValorBuscado);
        break;
    case FormaClave::Otra:
        sentencia = inicio + Campo + QStringLiteral(" = ") + ValorBuscado;
        break;
    }
    sentencia += condicion;

    Variant resultado;
    int intentos = 0;
    auto manejador = [&](const VbError& e, const QString&) -> int {
        if (IgnoraError) {
            resultado = Variant(QString());
            return 0;
        }
        const ado::ErrorCollection& errores = gCnn->Errors();
        if (errores.Count() > 0 && errores.Item(0).NativeError == ado::kNativeNetwork &&
            ReconectaTrasErrorRed(intentos, true))
            return 4;
        return ui::MsgBox(e.Description, ui::vbAbortRetryIgnore + ui::vbCritical, QStringLiteral("Aviso al Operador"));
    };
    legacy::ErrorTrap trap(QStringLiteral("DatosTabla"), manejador);

    std::shared_ptr<ado::Recordset> rs;
    trap([&] {
        // A lookup that ignores its errors shows no box for them either.
        const bool antes = abrirSinAvisos_;
        abrirSinAvisos_ = IgnoraError;
        try {
            AbrirRecordset(sentencia, rs, gCnn, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
        } catch (...) {
            abrirSinAvisos_ = antes;
            throw;
        }
        abrirSinAvisos_ = antes;
    });
    if (trap.left())
        return resultado;
    if (!gOpenFlag)
        return Variant();
    trap([&] {
        if (rs->Bof())
            resultado = Variant(QString());
        else
            resultado = Variant(kapores2::Funciones::ValorNoNulo(rs->Fields(CampoDevuelto)).toString());
    });
    trap([&] { CierraRecordset(rs); });
    return resultado;
}

legacy::Variant DB_Dll::BuscaMaximo(const QString& QueTabla, const QString& QueCampo, const Variant& Tipo,
                                    const Variant& Condicion)
{
    Variant copia = Condicion;
    return BuscaMaximo(QueTabla, QueCampo, Tipo, copia);
}

legacy::Variant DB_Dll::BuscaMaximo(const QString& QueTabla, const QString& QueCampo, const Variant& Tipo,
                                    Variant& Condicion)
{
    bool extendida = false;
    for (;;) {
        const QString condicion = Condicion.IsNull() ? QString() : legacy::Trim(Condicion.toString());
        QString sentencia = QStringLiteral("SELECT MAX(") + QueCampo + QStringLiteral(") AS MAYOR FROM ") + QueTabla;
        if (!condicion.isEmpty())
            sentencia += QStringLiteral(" WHERE ") + condicion;
        auto rs = std::make_shared<ado::Recordset>();
        rs->Open(sentencia, gCnn, ado::adOpenForwardOnly, ado::adLockReadOnly, -1);
        if (rs->Bof() && rs->Eof())
            return Variant();
        const Variant mayor = kapores2::Funciones::ValorNoNulo(rs->Fields(QStringLiteral("MAYOR")).Value());
        // Article codes beginning with "0" are not part of the numbering: the
        // largest code is looked for again among the others, once.
        if (!extendida && Iguales(QueTabla, QStringLiteral("V_MA_ARTICULOS")) &&
            legacy::LTrim(mayor.toString()).startsWith(u'0')) {
            extendida = true;
            const QString original = Condicion.IsNull() ? QString() : Condicion.toString();
            // A condition of blanks only is no condition (it would give "WHERE and ...").
            if (legacy::Trim(original).isEmpty())
                Condicion = Variant(QStringLiteral(" substring(ltrim(idarticulo),1,1)<>'0'"));
            else
                Condicion = Variant(original + QStringLiteral(" and substring(ltrim(idarticulo),1,1)<>'0'"));
            continue;
        }
        if (!Tipo.IsEmpty() && legacy::Compare(Tipo, Variant(7)) == 0)
            return mayor;
        return NumeroAgregado(mayor);
    }
}

legacy::Variant DB_Dll::BuscaMinimo(const QString& QueTabla, const QString& QueCampo, const Variant&,
                                    const Variant& Condicion)
{
    const QString condicion = Condicion.IsNull() ? QString() : legacy::Trim(Condicion.toString());
    QString sentencia =
        QStringLiteral("SELECT MIN(") + QueCampo + QStringLiteral(") AS MENOR FROM ") + QueTabla + QStringLiteral("  with(nolock) ");
    if (!condicion.isEmpty())
        sentencia += QStringLiteral(" WHERE ") + condicion;
    return ValorAgregado(sentencia, gCnn, QStringLiteral("MENOR"));
}

legacy::Variant DB_Dll::BuscaUltimoCodigo(const QString& QueTabla, const QString& QueCampo, const Variant&,
                                          const QString& Condicion)
{
    QString sentencia = QStringLiteral("SELECT MAX(") + QueCampo + QStringLiteral(") AS MAYOR FROM ") + QueTabla;
    if (!legacy::Trim(Condicion).isEmpty())
        sentencia += QStringLiteral(" WHERE ") + Condicion;
    return ValorAgregado(sentencia, gCnn, QStringLiteral("MAYOR"));
}
