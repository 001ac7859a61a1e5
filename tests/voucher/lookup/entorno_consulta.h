#pragma once
// The demo company connected with only the picker's own vouchers (branch
// 0057) left in the tables the picker reads, so every list is known row by
// row whatever other demo rows exist.
#include "core/support/entorno_core.h"

#include <QStringList>

namespace vlookuptest {

class EntornoConsulta : public coretest::EntornoCore {
protected:
    void SetUp() override
    {
        EntornoCore::SetUp();
        ConectaDemo(QStringLiteral("DEMO"));
        const char* limpieza[] = {
            "DELETE FROM V_MV_CPTE WHERE IDCOMPROBANTE NOT LIKE '0057%'",
            "DELETE FROM C_MV_CPTE WHERE IDCOMPROBANTE NOT LIKE '0057%'",
            "DELETE FROM V_MV_STOCK WHERE IdComprobante NOT LIKE '0057%'",
            "DELETE FROM MV_APLICACION WHERE IDComprobante NOT LIKE '0057%'",
            "DELETE FROM MV_ASIENTOS WHERE SUCURSAL <> '0057'",
            "DELETE FROM V_MV_CPTETERCEROS WHERE IDCOMPROBANTE NOT LIKE '0057%'",
        };
        for (const char* sql : limpieza)
            Ejecuta(QString::fromLatin1(sql));
    }

    // One configuration value (group DATOS); nullptr removes the key.
    void Config(const QString& clave, const char* valor)
    {
        Ejecuta(QStringLiteral("DELETE FROM TA_CONFIGURACION WHERE Clave = '%1'").arg(clave));
        if (valor)
            Ejecuta(QStringLiteral("INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor) VALUES ('%1', 'DATOS', '%2')")
                        .arg(clave, QString::fromLatin1(valor)));
    }

    // The value of one column in every row of a statement, in order; a
    // statement the engine refuses gives {"<error>"}.
    QStringList Columna(const QString& sql, const QString& campo)
    {
        QStringList valores;
        try {
            auto rs = ModGlobal::gDB().gCnn->Execute(sql);
            while (!rs->Eof()) {
                valores << rs->Fields(campo).Value().toString().trimmed();
                rs->MoveNext();
            }
        } catch (const legacy::VbError& e) {
            return {QStringLiteral("<error> ") + e.Description};
        }
        return valores;
    }
};

}  // namespace vlookuptest
