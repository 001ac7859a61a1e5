#pragma once
// The rules every stored seat keeps, checked over the whole of MV_ASIENTOS,
// so that any writer of generated vouchers can run them after its vouchers:
// debit equals credit; one CABImporte per seat, the seat's total, which is
// what its article accounts book (the rows on an account of no stock motive);
// no row on a NULL or blank account, none under a blank voucher key; seat
// numbers unique within their period, month and sub-journal.
#include "platform/kapores2/funciones.h"
#include "platform/legacy/strings.h"

#include <QMap>
#include <QSet>
#include <QStringList>

#include <cmath>
#include <functional>
#include <tuple>

namespace reglas {

// A query's rows, each row's fields joined by "|".
using Consulta = std::function<QStringList(const QString&)>;

// The articles of the seat cases, on accounts written every way: P1 and P3
// on '1.3.01', P2 on '1.3.02', P4 without one, P5 blank, P6 led by a blank.
inline void ArticulosConCuentas(const std::function<void(const QString&)>& ejecuta)
{
    for (const auto& [codigo, cuenta] : {std::pair{"P1", "'1.3.01'"}, std::pair{"P2", "'1.3.02'"},
                                         std::pair{"P3", "'1.3.01'"}, std::pair{"P4", "NULL"}, std::pair{"P5", "''"},
                                         std::pair{"P6", "' 1.3.01'"}})
        ejecuta(QStringLiteral("INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, IDUNIDAD, cuentacontableC) "
                               "VALUES ('%1', 'Art', 'UN  ', %2)")
                    .arg(kapores2::Funciones::RellenaCodigo(QString::fromLatin1(codigo), 25), cuenta));
}

// Composites on provider accounts, the distribution centre's 9.9.99 among
// them: K9 (on 9.9.99) takes 3 of I9 (on 2.1.05) a unit, KA (on 2.1.05) 3 of
// IA (on 9.9.99); K9 and KA book on '1.3.01'. The transfer motive 4 books on
// 5.2.03, the reception motive 5 on 5.2.05.
inline void CompuestosConCuentas(const std::function<void(const QString&)>& ejecuta)
{
    const auto art = [](const char* c) { return kapores2::Funciones::RellenaCodigo(QString::fromLatin1(c), 25); };
    for (const auto& [codigo, cuenta, proveedor] :
         {std::tuple{"K9", "'1.3.01'", "9.9.99"}, std::tuple{"I9", "NULL", "2.1.05"},
          std::tuple{"KA", "'1.3.01'", "2.1.05"}, std::tuple{"IA", "NULL", "9.9.99"}})
        ejecuta(QStringLiteral("INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, IDUNIDAD, cuentacontableC, Costo, "
                               "CUENTAPROVEEDOR) VALUES ('%1', 'Art', 'UN  ', %2, 1, '%3')")
                    .arg(art(codigo), QString::fromLatin1(cuenta), QString::fromLatin1(proveedor)));
    ejecuta(QStringLiteral("INSERT INTO V_MA_INSUMOS (IDARTICULO, IdArticuloInsumo, IdUnidadInsumo, Cantidad) VALUES "
                           "('%1', '%2', 'UN  ', 3), ('%3', '%4', 'UN  ', 3)")
                .arg(art("K9"), art("I9"), art("KA"), art("IA")));
    ejecuta(QStringLiteral("INSERT INTO V_TA_MOTIVOSTOCK (IDMOTIVOSTOCK, Descripcion, CUENTACONTABLE) VALUES ('   4', "
                           "'Transf', '5.2.03'), ('   5', 'Recepcion', '5.2.05')"));
}

// One text per rule a stored seat breaks; empty when every seat keeps them.
// `totales` may give, per voucher "TC|SUCURSAL|NUMERO|LETRA" (TC trimmed),
// the total its valued lines with an account come to.
inline QStringList Incumplidas(const Consulta& filas, const QMap<QString, double>& totales = {})
{
    QStringList fallas;
    // Numbers come as the engine's text, with either decimal sign.
    const auto numero = [](QString t) { return t == QLatin1String("<null>") ? 0.0 : t.replace(u',', u'.').toDouble(); };
    for (const QString& f :
         filas("SELECT RTRIM(TC), SUCURSAL, NUMERO, LETRA, "
               "SUM(CASE WHEN [DEBE-HABER] = 'D' THEN Importe ELSE -Importe END), COUNT(DISTINCT CABImporte), "
               "MIN(CABImporte), SUM(CASE WHEN Cuenta IN (SELECT CUENTACONTABLE FROM V_TA_MOTIVOSTOCK) THEN 0 "
               "WHEN [DEBE-HABER] = 'D' THEN Importe ELSE -Importe END), COUNT(DISTINCT [Numero Asiento]) "
               "FROM MV_ASIENTOS GROUP BY TC, SUCURSAL, NUMERO, LETRA")) {
        const QStringList c = f.split(u'|');
        const QString clave = c.mid(0, 4).join(u'|');
        const double cab = numero(c[6]);
        if (std::abs(numero(c[4])) > 0.00005)
            fallas << clave + QStringLiteral(": debit and credit differ by ") + c[4];
        if (c[5] != QLatin1String("1"))
            fallas << clave + QStringLiteral(": ") + c[5] + QStringLiteral(" totals");
        if (std::abs(std::abs(numero(c[7])) - cab) > 0.00005)
            fallas << clave + QStringLiteral(": total ") + c[6] + QStringLiteral(", article accounts ") + c[7];
        if (totales.contains(clave) && std::abs(std::abs(totales.value(clave)) - cab) > 0.00005)
            fallas << clave + QStringLiteral(": total ") + c[6] + QStringLiteral(", lines ") +
                          QString::number(totales.value(clave));
        if (c[8] != QLatin1String("1"))
            fallas << clave + QStringLiteral(": ") + c[8] + QStringLiteral(" seat numbers");
        const auto blanco = [](const QString& t) { return t.trimmed().isEmpty() || t == QLatin1String("<null>"); };
        if (blanco(c[1]) || blanco(c[2]))
            fallas << clave + QStringLiteral(": a blank voucher key");
    }
    for (const QString& f : filas("SELECT RTRIM(TC), SUCURSAL, NUMERO, LETRA FROM MV_ASIENTOS WHERE Cuenta IS NULL "
                                  "OR LTRIM(RTRIM(Cuenta)) = ''"))
        fallas << f + QStringLiteral(": a row without account");
    // A seat without sub-journal is stored with "", four blanks or Chr(255) & "RS".
    const QString sinSubdiario = legacy::Chr(255) + QStringLiteral("RS");
    QMap<QString, QSet<QString>> porNumero;
    for (const QString& f :
         filas("SELECT DISTINCT PERIODO, Mes_Operativo, [Numero Asiento], RTRIM(Tipo_Reg), RTRIM(TC), SUCURSAL, "
               "NUMERO, LETRA FROM MV_ASIENTOS")) {
        const QStringList c = f.split(u'|');
        QString subdiario = c[3] == QLatin1String("<null>") ? QString() : c[3].trimmed().toUpper();
        if (subdiario == sinSubdiario.toUpper())
            subdiario.clear();
        porNumero[c.mid(0, 3).join(u'/') + u' ' + subdiario].insert(c.mid(4).join(u'|'));
    }
    for (auto it = porNumero.cbegin(); it != porNumero.cend(); ++it)
        if (it->size() > 1)
            fallas << QStringLiteral("seat ") + it.key() + QStringLiteral(" of ") + QStringList(it->values()).join(u',');
    return fallas;
}

// The rows of one voucher's seat as both modes of the stock writer must
// give them: account, side, amount, total and sub-journal, in order.
inline QStringList Asiento(const Consulta& filas, const QString& tc, const QString& sucNroLetra)
{
    return filas(QStringLiteral("SELECT Cuenta, [DEBE-HABER], Importe, CABImporte, RTRIM(Tipo_Reg) FROM MV_ASIENTOS "
                                "WHERE TC = '%1' AND SUCURSAL = '%2' AND NUMERO = '%3' AND LETRA = '%4' "
                                "ORDER BY [DEBE-HABER], Cuenta")
                     .arg(tc, sucNroLetra.mid(0, 4), sucNroLetra.mid(4, 8), sucNroLetra.mid(12, 1)));
}

}  // namespace reglas
