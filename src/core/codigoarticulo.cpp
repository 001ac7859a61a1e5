// The article-code lookup: peels the decorations off the typed text in a
// fixed order, then tries the lookups one after another until one yields a
// row.
#include "core/codigoarticulo.h"

#include "core/cargaconfiguracion.h"
#include "core/sqlbuilder.h"
#include "core/tratamientoerrores.h"
#include "db/db_dll.h"
#include "db/db_texto.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/program.h"
#include "platform/legacy/strings.h"
#include "platform/ui/dialogs.h"

#include <cmath>

namespace ModGlobal {
QString MascaraBalanza;
QString DecimalesBalanza;
}  // namespace ModGlobal

using db_texto::Iguales;
using kapores2::Funciones;
using legacy::InStr;
using legacy::Left;
using legacy::Len;
using legacy::Mid;
using legacy::Trim;
using legacy::Variant;

namespace {

bool EsNumerico(const QString& texto)
{
    return legacy::IsNumeric(Variant(texto));
}

double Numero(const QString& texto)
{
    return Funciones::TextoANumero(Variant(texto)).toDouble();
}

// The article-maintenance programs take "*" and "A" as parts of a code.
bool EsProgramaDeArticulos()
{
    const QString programa = legacy::App().exeName;
    return Iguales(programa, QStringLiteral("v_ma_articulos")) || Iguales(programa, QStringLiteral("BOSPEL_MURANTE2"));
}

// The sales programs that keep articles per business unit.
bool EsProgramaPorUnidadDeNegocio()
{
    const QString programa = legacy::App().exeName;
    for (const char* nombre : {"QUELMONTARI", "PELDAR_TRUMOSA", "PELDAR_TRUMOSAh", "ZORBALENTIQUEMPASODRILUNERAVOS"})
        if (Iguales(programa, QString::fromLatin1(nombre)))
            return true;
    return false;
}

// Quantities on a scale label: 1 to 4 decimals, or none.
double Divisor(const QString& decimales)
{
    const QString t = Trim(decimales);
    const double n = EsNumerico(t) ? legacy::Val(t) : 0;
    if (n == 0)
        return 1;
    if (n == 1 || n == 2 || n == 3 || n == 4)
        return std::pow(10.0, n);
    return 0;
}

double Divide(double valor, double divisor)
{
    if (divisor == 0)
        throw legacy::VbError(11, QStringLiteral("Division by zero"));
    return valor / divisor;
}

bool EsEtiquetaDeBalanza(const QString& codigo)
{
    const long largo = Len(codigo);
    const QString t = Trim(codigo);
    const long largoT = Len(t);
    if (largo > 12 && Left(codigo, 2) == u"77")
        return false;
    for (const char* signo : {".", "/", "$", "*"})
        if (codigo.contains(QLatin1StringView(signo)))
            return false;
    if (InStr(codigo, QStringLiteral("-")) >= 2)
        return false;
    const bool numerico = EsNumerico(codigo);
    return (largo == 13 && Left(codigo, 1) == u"2" && numerico) ||
           (largo == 14 && Left(codigo, 2) == u"-2" && numerico) ||
           (largoT == 12 && Left(t, 1) == u"0" && numerico) || (largoT == 13 && Left(t, 2) == u"-0" && numerico) ||
           (largoT == 13 && Left(t, 1) == u"0" && numerico) || (largoT == 13 && Left(t, 1) == u"7" && numerico) ||
           largoT == 12;
}

// What one call works on.
struct Busqueda {
    QString& codigo;
    double& cantidad;
    legacy::Currency& precio;
    int signo = 1;
    int o = 1;  // the label's offset
    double divisor = 1;

    QString Parte(long desde, long n) const { return Mid(codigo, desde, n); }
    double Valor(long desde, long n) const { return Numero(Parte(desde, n)); }
    void PrecioDe(double valor) { precio = legacy::Currency::fromDouble(Divide(valor, divisor)); }
    void PrecioPorSigno() { precio = legacy::Currency::fromDouble(precio.toDouble() * signo); }

    // The article-code digits and the value of a label, by the mask.
    void Decodifica(const QString& mascara)
    {
        const long largo = Len(codigo);
        const bool doceOTrece = largo == 12 || largo == 13;
        auto es = [&](const char* nombre) { return Iguales(mascara, QString::fromLatin1(nombre)); };
        // Quantity at k (n digits) over `entre`, code at ck (cn digits).
        auto cantidadEntre = [&](double entre, long k, long n, long ck, long cn) {
            cantidad = Divide(Valor(o + k, n), entre);
            codigo = Parte(o + ck, cn);
            cantidad *= signo;
        };
        auto cantidadMil = [&](long k, long n, long ck, long cn) { cantidadEntre(1000, k, n, ck, cn); };
        auto cantidadDiv = [&](long k, long n, long ck, long cn) { cantidadEntre(divisor, k, n, ck, cn); };

        if (es("2CCCCCTTTTTT0")) {
            if (largo == 12)
                PrecioDe(Numero(Mid(codigo, 6, 6)));
            else if (largo == 13)
                PrecioDe(Numero(Mid(codigo, 7, 6)));
            if (doceOTrece)
                codigo = Parte(o, 5);
            cantidad = signo;
            PrecioPorSigno();
        } else if (es("0CCCCCPPPPPP")) {
            cantidadMil(5, 6, 0, 5);
        } else if (es("0CCCCCTTTTT")) {
            if (doceOTrece) {
                PrecioDe(Valor(o + 6, 5));
                codigo = Parte(o + 1, 5);
            }
            cantidad = signo;
            PrecioPorSigno();
        } else if (es("CCCCCTTTTTT")) {
            if (largo == 12)
                PrecioDe(Valor(o + 5, 6));
            else if (largo == 13)
                PrecioDe(Valor(o + 6, 5));
            if (doceOTrece)
                codigo = Parte(o, 5);
            cantidad = signo;
            PrecioPorSigno();
        } else if (es("CCCC0TTTTTT")) {
            codigo = Parte(o, 4);
            cantidad = signo;
        } else if (es("CCCCCCTTTTT")) {
            PrecioDe(Valor(o + 6, 5));
            codigo = Parte(o, 6);
            cantidad = signo;
        } else if (es("CCCCC0PPPPP")) {
            codigo = Parte(o, 4);
        } else if (es("CCCCC0QQQQQ")) {
            codigo = Parte(o, 5);
        } else if (es("CCCCCCPPPPP")) {
            cantidadMil(6, 5, 0, 6);
        } else if (es("CCCCCTTTTT")) {
            PrecioDe(Valor(o + 6, 5));
            codigo = Parte(o + 1, 5);
            cantidad = signo;
        } else if (es("CCCCTTTTT")) {
            PrecioDe(Valor(o + 6, 5));
            codigo = Parte(o + 2, 4);
            cantidad = signo;
        } else if (es("CCCCCCQQQQQ")) {
            cantidad = Divide(Valor(o + 6, 5), divisor);
            const double articulo = Numero(Parte(o, 6)) * signo;
            codigo = Variant(articulo).toString();
        } else if (es("00CCCCPPPPP")) {
            cantidadMil(6, 5, 2, 4);
        } else if (es("00CCCCQQQQQ")) {
            cantidadDiv(6, 5, 2, 4);
        } else if (es("0CCCCCPPPPP")) {
            cantidadMil(6, 5, 1, 5);
        } else if (es("0CCCCCQQQQQ")) {
            cantidadDiv(6, 5, 1, 5);
        } else if (es("7CCCPPPPPP")) {
            cantidadMil(6, 5, 1, 3);
        } else if (es("CCCCCPPPPPP")) {
            cantidadMil(6, 5, 1, 5);
        }
    }
};

const QString kArticulo = QStringLiteral("SELECT *,IDUNIDAD AS UDBASE  FROM V_MA_ARTICULOS WHERE ");

}  // namespace

bool ModGlobal::BuscaArticulo(QString& Codigo, std::shared_ptr<ado::Recordset>* rsArticulo)
{
    bool primeroPorCodigo = false;
    QString descripcion;
    QString unidad;
    double cantidad = 0;
    legacy::Currency precio;
    QString lote;
    std::int16_t aviso = 0;
    return BuscaArticulo(Codigo, rsArticulo, true, primeroPorCodigo, descripcion, QString(), unidad, QString(),
                         cantidad, precio, lote, QString(), aviso);
}

bool ModGlobal::BuscaArticulo(QString& Codigo, std::shared_ptr<ado::Recordset>* rsArticulo, bool SoloLectura,
                              bool& BuscaPrimeroPorCodigo, QString& Descripcion, const QString& CuentaProveedor,
                              QString& Unidad, const QString& IdLista, double& Cantidad, legacy::Currency& Precio,
                              QString& NroLote, const QString& TC, std::int16_t& AvisoUNegocio)
{
    if (Trim(Codigo).isEmpty())
        return false;

    DB_Dll& db = gDB();
    legacy::ErrorTrap trap(QStringLiteral("ExisteArticulo"), ManejadorErrores);
    bool encontrado = false;
    bool balanzaPosible = true;
    Busqueda b{Codigo, Cantidad, Precio};
    std::shared_ptr<ado::Recordset> rs;

    // Every code and account goes between apostrophes: one typed or scanned
    // inside them is doubled so the statement stays whole.
    auto c25 = [&] { return DuplicaApostrofes(Funciones::RellenaCodigo(Codigo, 25)); };
    // Bar codes and suppliers' codes are free-form columns that hold the code
    // as it was typed, while the code fill right-aligns a code of digits
    // behind blanks ("7790001001001" becomes "            7790001001001"):
    // such a code is looked for in both forms. `igual` is the comparison as
    // written for one form (" = '", " =  '").
    auto libre = [&](const QString& igual) {
        const QString relleno = c25();
        const QString tipeado = DuplicaApostrofes(Trim(Codigo));
        if (relleno == tipeado)
            return igual + relleno + QStringLiteral("'");
        return QStringLiteral(" IN ('") + relleno + QStringLiteral("', '") + tipeado + QStringLiteral("')");
    };
    // The query step: true when the query found a row.
    auto consulta = [&](const QString& sql) {
        bool hay = false;
        trap([&] {
            db.AbrirRecordset(sql, rs, nullptr, SoloLectura ? ado::adOpenForwardOnly : ado::adOpenDynamic,
                              SoloLectura ? ado::adLockReadOnly : ado::adLockOptimistic, -1, true);
            hay = !rs->Bof();
            if (hay)
                Unidad = Funciones::ValorNoNulo(rs->Fields("UdBase").Value()).toString();
        });
        return hay;
    };
    auto hallado = [&] {
        encontrado = true;
        trap([&] {
            Codigo = rs->Fields("IdArticulo").Value().toString();
            if (rsArticulo)
                *rsArticulo = rs;
        });
    };

    trap([&] {
        b.divisor = Divisor(DecimalesBalanza);
        Unidad.clear();
        if (Len(Codigo) <= 3)
            BuscaPrimeroPorCodigo = false;
    });
    if (trap.left())
        return encontrado;

    // A quantity ahead of the code: "3*ABC123".
    trap([&] {
        const long asterisco = InStr(Codigo, QStringLiteral("*"));
        if (Len(Codigo) > 2 && asterisco > 0 && !EsProgramaDeArticulos()) {
            Cantidad = Numero(Left(Codigo, asterisco - 1));
            if (Cantidad != 0) {
                Codigo = Trim(Mid(Codigo, asterisco + 1));
                balanzaPosible = false;
            }
        }
    });
    // A lot ahead of the code: "12A345", or just "A345".
    trap([&] {
        if ((AsignacionAutomaticaDeLoteING || AsignacionAutomaticaDeLoteINGOP) && Len(Codigo) > 2 &&
            !EsProgramaDeArticulos()) {
            const long p = InStr(Codigo, QStringLiteral("A"), legacy::vbTextCompare);
            if (p > 0) {
                const QString antes = Left(Codigo, p - 1);
                const QString despues = Mid(Codigo, p + 1);
                if (EsNumerico(antes) && EsNumerico(despues)) {
                    NroLote = Trim(antes);
                    Codigo = Trim(despues);
                } else if (p == 1 && EsNumerico(despues)) {
                    NroLote.clear();
                    Codigo = Trim(despues);
                }
            }
        }
    });
    if (trap.left())
        return encontrado;

    bool seguir = true;
    if (BuscaPrimeroPorCodigo) {
        if (consulta(QStringLiteral("SELECT *,IDUNIDAD AS UDBASE FROM V_MA_ARTICULOS WHERE idarticulo =  '") + c25() +
                     QStringLiteral("'")) ||
            consulta(QStringLiteral("SELECT *,IDUNIDAD AS UDBASE FROM V_MA_ARTICULOS WHERE codigobarra") +
                     libre(QStringLiteral(" =  '")))) {
            hallado();
            seguir = false;
        }
    }
    if (trap.left())
        return encontrado;

    if (seguir && balanzaPosible) {
        trap([&] {
            if (!EsEtiquetaDeBalanza(Codigo))
                balanzaPosible = false;
        });
        if (balanzaPosible) {
            trap([&] {
                b.o = 2;
                const QString t = Trim(Codigo);
                if (Len(t) == 13 && Left(t, 1) == u"-") {
                    Codigo = Mid(t, 2);
                    b.o = 1;
                    b.signo = -1;
                } else if (Len(t) == 13 && Left(t, 1) == u"0") {
                    b.o = 2;
                    b.signo = 1;
                } else if (Len(t) == 14 && Left(t, 1) == u"-") {
                    Codigo = Mid(t, 2);
                    b.o = 2;
                    b.signo = -1;
                }
                if (Len(Codigo) == 12)
                    b.o = 1;
            });
            trap([&] {
                if (!MascaraBalanza.isEmpty())
                    b.Decodifica(MascaraBalanza);
            });
        }
    }
    if (trap.left())
        return encontrado;

    if (seguir) {
        const QString conUnidad = QStringLiteral("SELECT *,IDUNIDAD AS UDBASE , ISNULL(%1,IDUNIDAD) AS IDUNIDAD "
                                                 "FROM V_MA_ARTICULOS WHERE %2");
        // Each lookup: the statement up to its compared column, and whether
        // that column is a free-form code.
        const std::pair<QString, bool> consultas[] = {
            BuscaPrimeroPorCodigo
                ? std::pair{QStringLiteral("SELECT *,IDUNIDAD AS UDBASE FROM V_MA_ARTICULOS WHERE codigobarra"), true}
                : std::pair{kArticulo + QStringLiteral("IDARTICULO"), false},
            {kArticulo + QStringLiteral("codigobarra"), true},
            {conUnidad.arg(QStringLiteral("UD_TTE"), QStringLiteral("CODIGOBARRADUN")), true},
            {conUnidad.arg(QStringLiteral("UMCB1"), QStringLiteral("CODIGOBARRA1")), true},
            {conUnidad.arg(QStringLiteral("UMCB2"), QStringLiteral("CODIGOBARRA2")), true},
            {conUnidad.arg(QStringLiteral("UMCB3"), QStringLiteral("CODIGOBARRA3")), true},
            {conUnidad.arg(QStringLiteral("UMCB4"), QStringLiteral("CODIGOBARRA4")), true},
            {kArticulo + QStringLiteral("IDARTICULO"), false},
        };
        for (const auto& [cabeza, esLibre] : consultas) {
            const bool dosBlancos = cabeza.endsWith(QStringLiteral("codigobarra"));
            const QString igual = dosBlancos ? QStringLiteral(" =  '") : QStringLiteral(" = '");
            if (consulta(cabeza + (esLibre ? libre(igual) : igual + c25() + QStringLiteral("'")))) {
                hallado();
                seguir = false;
                break;
            }
            if (trap.left())
                return encontrado;
        }
    }

    // A supplier's own code for the article.
    if (seguir && !Trim(CuentaProveedor).isEmpty()) {
        const QString cuenta = DuplicaApostrofes(Trim(CuentaProveedor));
        auto porCuenta = [&](const QString& comparacion) {
            return consulta(kArticulo + QStringLiteral("CodigoArtProveedor") + comparacion +
                            QStringLiteral(" and CuentaProveedor = '") + cuenta + QStringLiteral("'"));
        };
        bool hay = false;
        bool hecho = false;
        if (!Trim(IdLista).isEmpty()) {
            const QString lista = DuplicaApostrofes(Funciones::RellenaCodigo(Trim(IdLista), 4));
            if (consulta(QStringLiteral("SELECT IDARTICULO,IDARTICULOPROVEEDOR,idunidad as UdBase FROM V_MA_PRECIOS "
                                        "WHERE IDARTICULOPROVEEDOR") +
                         libre(QStringLiteral(" = '")) + QStringLiteral(" and IDLISTA = '") + lista +
                         QStringLiteral("' AND TIPOLISTA = 'C'"))) {
                trap([&] { Codigo = rs->Fields("IdArticulo").Value().toString(); });
                hay = consulta(kArticulo + QStringLiteral("idarticulo = '") + c25() + QStringLiteral("'"));
                hecho = true;
            }
        }
        if (!hecho)
            hay = porCuenta(libre(QStringLiteral(" = '")));
        if (!hay && Codigo.contains(u'.'))
            hay = porCuenta(QStringLiteral(" = '") + DuplicaApostrofes(Trim(Codigo)) + QStringLiteral("'"));
        if (hay)
            hallado();
    }
    if (trap.left())
        return encontrado;

    // Finish: description, business unit, scale-label quantities.
    trap([&] {
        if (rs && rs->State() != ado::adStateClosed && !rs->Bof())
            Descripcion = Funciones::ValorNoNulo(rs->Fields("Descripcion").Value()).toString();
    });
    trap([&] {
        const QString tc = Trim(TC);
        if (!encontrado || !EsProgramaPorUnidadDeNegocio() || !RazonSocialPorUneg ||
            Iguales(tc, QStringLiteral("FP")) || Iguales(tc, QStringLiteral("NCFP")) || Iguales(tc, QStringLiteral("NP")))
            return;
        const QString unidadNegocio = Funciones::ValorNoNulo(rs->Fields("idTipo").Value()).toString();
        if (Iguales(unidadNegocio, gUNegocio))
            return;
        if (AvisoUNegocio == 0) {
            ui::MsgBox(QStringLiteral("Este articulo pertenece a una unidad de negocio distinta a la seleccionada"),
                       ui::vbOKOnly);
            encontrado = false;
        } else if (AvisoUNegocio == 1) {
            AvisoUNegocio = 2;
        }
    });
    trap([&] {
        if (!balanzaPosible || Trim(Unidad) == Trim(UnidadMedidaKG))
            return;
        if (Iguales(MascaraBalanza, QStringLiteral("0CCCCCPPPPPP")))
            Cantidad = Cantidad * 1000;
        else if (Iguales(MascaraBalanza, QStringLiteral("0CCCCCQQQQQ")))
            Cantidad = b.signo;
        else if (Iguales(MascaraBalanza, QStringLiteral("0CCCCCPPPPP")))
            Cantidad = Cantidad * 1000 * b.signo;
    });
    return encontrado;
}
