#pragma once
// The demo database connected as the start-up leaves it, scripted dialogs,
// and helpers that seed number books and read them back.
#include "core/fechaservidor.h"
#include "core/support/entorno_core.h"
#include "numbering/ast.h"
#include "numbering/stock.h"
#include "platform/ui/scripted.h"

#include <memory>

namespace numtest {

class EntornoNumeracion : public coretest::EntornoCore {
protected:
    void SetUp() override
    {
        EntornoCore::SetUp();
        CreaBases(true, false);
        Conecta();
        ModGlobal::gUsuarioLogeado = QStringLiteral("DEMO");
        ModGlobal::gUNegocio = QStringLiteral("   1");
        ModGlobal::UnidadMedidaKG = QStringLiteral("KG");
        ModGlobal::UnidadMedidaM3 = QStringLiteral("M3");
        ModGlobal::UnidadMedidaBL = QStringLiteral("BL");
        ast::gTalonario = 0;
        dlg_ = std::make_unique<ui::ScriptedSession>();
    }

    void TearDown() override
    {
        EXPECT_EQ(dlg_->remaining(), QStringList());
        EXPECT_EQ(dlg_->failures(), QStringList());
        dlg_.reset();
        ModGlobal::setRelojServidor({});
        EntornoCore::TearDown();
    }

    // A book of letter A (and, through `otros`, any other column): the type's
    // old books go first unless `agrega`.
    void Libro(const QString& codigo, int talonario, const QString& letras, const QString& suc, const QString& desde,
               const QString& hasta, const QString& ultimo, const QString& otros = {}, bool agrega = false)
    {
        const QString tc = kapores2::Funciones::RellenaCodigo(codigo, 4);
        if (!agrega)
            Ejecuta(QStringLiteral("DELETE FROM V_TA_CPTE WHERE CODIGO = '%1'").arg(tc));
        Ejecuta(QStringLiteral("INSERT INTO V_TA_CPTE (CODIGO, Talonario, Letras, Modificanumeracion, Externo, Sistema, "
                               "A_SUC_DEFAULT, A_NRO_DESDE, A_NRO_HASTA, A_ULTIMO_NRO) VALUES ('%1', %2, '%3', 0, 'NO', "
                               "'Ventas', %4, %5, %6, %7)")
                    .arg(tc)
                    .arg(talonario)
                    .arg(letras, suc, desde, hasta, ultimo));
        if (!otros.isEmpty())
            Ejecuta(QStringLiteral("UPDATE V_TA_CPTE SET %1 WHERE ID = (SELECT MAX(ID) FROM V_TA_CPTE)").arg(otros));
    }

    QString Ultimo(const QString& codigo, int talonario, const QString& letra = QStringLiteral("A"))
    {
        return Filas(QStringLiteral("SELECT %1_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = '%2' AND Talonario = %3")
                         .arg(letra, kapores2::Funciones::RellenaCodigo(codigo, 4))
                         .arg(talonario))
            .value(0);
    }

    ui::ScriptedSession& dlg() { return *dlg_; }

private:
    std::unique_ptr<ui::ScriptedSession> dlg_;
};

}  // namespace numtest
