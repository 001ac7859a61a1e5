// Sub-journal and seat number of an accounting seat.
//
// A seat number is read, not reserved: two stations generating seats for
// the same month, sub-journal and period at once may read the same number.
// The seat generator writes its seat rows in one batch right after asking,
// which keeps that window short; nothing here locks.
#include "numbering/ast.h"

#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "numbering/comunes.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/strings.h"

using kapores2::Funciones;
using legacy::Trim;
using legacy::Variant;
using namespace numeracion;

QString ast::ObtieneTipoRegCont(const QString& TC)
{
    DB_Dll& db = ModGlobal::gDB();
    legacy::ErrorTrap trap(QStringLiteral("ObtieneTipoRegCont$"), db.errorHandler());
    const QString ninguno = QStringLiteral("    ");
    QString resultado;
    RS tipo, subdiario;
    bool hay = false;
    // Without a width the library gives the trimmed code; the stored CHAR
    // column compares equal to it (trailing blanks do not count).
    trap([&] {
        hay = Abre(QStringLiteral("SELECT * FROM MA_SUBDIARIOSCOMPROBANTES  with(nolock)  WHERE TC = '") +
                       Codigo(Trim(TC), 0) + QStringLiteral("'"),
                   tipo);
    });
    if (trap.left())
        return resultado;
    if (!hay)
        return ninguno;
    QString sql;
    trap([&] {
        const Variant codigo = tipo->Fields("Subdiario").Value();
        if (codigo.IsNull())
            throw legacy::VbError(94, QStringLiteral("Invalid use of Null"));
        sql = QStringLiteral("SELECT * FROM MA_SUBDIARIOS  with(nolock)  WHERE CODIGO = '") + ModGlobal::DuplicaApostrofes(codigo.toString()) +
              QStringLiteral("'");
    });
    trap([&] { hay = Abre(sql, subdiario); });
    if (trap.left())
        return resultado;
    if (!hay)
        return ninguno;
    trap([&] { resultado = Funciones::ValorNoNulo(tipo->Fields("Subdiario").Value()).toString(); });
    return resultado;
}

std::int32_t ast::ValidaTCRegistraciones(const Variant& MesOperativo, const Variant& Periodo, const Variant& TipoReg)
{
    DB_Dll& db = ModGlobal::gDB();
    legacy::ErrorTrap trap(QStringLiteral("ValidaTCRegistraciones"), db.errorHandler());
    QString w;
    trap([&] {
        const QString mes = legacy::CStr(MesOperativo);
        const QString periodo = Funciones::TextoANumero(Periodo).toString();
        const QString tr = TipoReg.IsEmpty() ? QString() : Trim(legacy::CStr(TipoReg));
        // The seats without sub-journal carry "" or Chr(255) & "RS" (Chr(255)
        // of the program's single-byte character set, U+00FF).
        w = QStringLiteral(" WITH(NOLOCK) WHERE MES_OPERATIVO = ") + mes +
            (tr.isEmpty() ? QStringLiteral(" AND (TIPO_REG = '") + legacy::Chr(255) +
                                QStringLiteral("RS' OR TIPO_REG = '')")
                          : QStringLiteral(" AND TIPO_REG = '") + ModGlobal::DuplicaApostrofes(tr) + QStringLiteral("'")) +
            QStringLiteral(" AND PERIODO = ") + periodo;
    });
    std::int32_t n = 0;
    RS rs, ccosto;
    trap([&] {
        Abre(QStringLiteral("SELECT MAX([NUMERO ASIENTO]) AS [NRO_ASIENTO] FROM @ADMIN_MV_ASIENTOS") + w, rs, true);
        const Variant ultimo = Campo(rs, QStringLiteral("Nro_Asiento"));
        n = ultimo.IsNull() ? 1 : legacy::CLng(ultimo) + 1;
        db.CierraRecordset(rs);
    });
    trap([&] {
        Abre(QStringLiteral("SELECT [NUMERO ASIENTO] AS [NRO_ASIENTO] FROM @ADMIN_MV_ASIENTOSCCOSTO") + w +
                 QStringLiteral(" AND [NUMERO ASIENTO] = ") + QString::number(n),
             ccosto, true);
        if (Campo(ccosto, QStringLiteral("Nro_Asiento")).IsNull())
            return;
        // Taken among the cost-centre seats: one above their highest.
        Abre(QStringLiteral("SELECT MAX([NUMERO ASIENTO]) AS [NRO_ASIENTO] FROM @ADMIN_MV_ASIENTOSCCOSTO") + w, rs,
             true);
        const Variant ultimo = Campo(rs, QStringLiteral("Nro_Asiento"));
        if (!ultimo.IsNull())
            n = legacy::CLng(ultimo) + 1;
    });
    if (trap.left())
        return 0;
    trap([&] {
        db.CierraRecordset(rs);
        db.CierraRecordset(ccosto);
    });
    return trap.left() ? 0 : n;
}
