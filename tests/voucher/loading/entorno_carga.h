#pragma once
// The loading tests: the demo company, a voucher window's four grids laid
// out by InicializaGrids, stored vouchers seeded per test, and the dialogs
// scripted.
#include "platform/kapores2/funciones.h"
#include "platform/legacy/program.h"
#include "platform/ui/scripted.h"
#include "voucher/grids/entorno_grillas.h"

#include <QStringList>

#include <initializer_list>
#include <utility>

namespace cargatest {

using Campos = std::initializer_list<std::pair<const char*, QString>>;

// A text literal; a value written "=..." goes in as it is (numbers, NULL).
inline QString Lit(const QString& v)
{
    if (v.startsWith(u'='))
        return v.mid(1);
    return QStringLiteral("'") + QString(v).replace(u'\'', QStringLiteral("''")) + QStringLiteral("'");
}

inline QString Art(const QString& codigo) { return kapores2::Funciones::RellenaCodigo(codigo, 25); }

// One expected cell: grid row, column, text.
struct CeldaEsperada {
    long fila;
    long col;
    QString texto;
};

class EntornoCarga : public grillastest::EntornoGrillas {
protected:
    void SetUp() override
    {
        EntornoGrillas::SetUp();
        ModGlobal::UnidadMedidaKG = QStringLiteral("KG");
        ModGlobal::CantidadDecimales = QStringLiteral("2");
    }

    void TearDown() override
    {
        ModGlobal::EsMaderera = false;
        legacy::ProgramInfo info = legacy::App();
        info.exeName = QStringLiteral("vordane");
        legacy::setApp(info);
        EntornoGrillas::TearDown();
    }

    void Inserta(const QString& tabla, Campos campos)
    {
        QStringList nombres, valores;
        for (const auto& [n, v] : campos) {
            nombres << QString::fromLatin1(n);
            valores << Lit(v);
        }
        Ejecuta(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(tabla, nombres.join(u','), valores.join(u',')));
    }

    // A header, and its article lines, tasks and observations, keyed by the
    // voucher; `pre` is the table prefix.
    void Cabecera(const QString& tc, const QString& id, Campos extra = {}, const QString& pre = QStringLiteral("V_"))
    {
        Inserta(pre + QStringLiteral("MV_CPTE"), {{"TC", tc}, {"IDCOMPROBANTE", id}, {"CUENTA", QStringLiteral("C0001")}});
        Completa(pre + QStringLiteral("MV_CPTE"), tc, id, extra);
    }
    void Linea(const QString& tc, const QString& id, Campos campos, const QString& pre = QStringLiteral("V_"))
    {
        Agrega(pre + QStringLiteral("MV_CPTEINSUMOS"), tc, id, campos);
    }
    void Tarea(const QString& tc, const QString& id, Campos campos, const QString& pre = QStringLiteral("V_"))
    {
        Agrega(pre + QStringLiteral("MV_CPTETAREAS"), tc, id, campos);
    }
    void Observacion(const QString& tc, const QString& id, Campos campos, const QString& pre = QStringLiteral("V_"))
    {
        Agrega(pre + QStringLiteral("MV_CPTE_OBSERV"), tc, id, campos);
        Ejecuta(QStringLiteral("UPDATE %1MV_CPTE_OBSERV SET TIPO_OBS = 'OC' WHERE TIPO_OBS IS NULL").arg(pre));
    }
    void Movimiento(const QString& tc, const QString& id, const QString& art, double cantidad)
    {
        static int secuencia = 0;
        Inserta(QStringLiteral("V_MV_STOCK"), {{"TC", tc}, {"IdComprobante", id}, {"IdComplemento", "=0"},
                                               {"IdArticulo", Art(art)}, {"IdDeposito", "   1"},
                                               {"Cantidad", "=" + QString::number(cantidad)},
                                               {"Secuencia", "=" + QString::number(++secuencia)}});
    }
    void Limite(const QString& tc, const QString& letraDestino, int lineas)
    {
        Ejecuta(QStringLiteral("DELETE FROM TA_CONFIG_IMP_CPTE WHERE TC = %1 AND LETRA = %2").arg(Lit(tc), Lit(letraDestino)));
        Inserta(QStringLiteral("TA_CONFIG_IMP_CPTE"), {{"TC", tc}, {"LETRA", letraDestino}, {"CANTLINEAS", "=" + QString::number(lineas)}});
    }
    void Programa(const char* nombre)
    {
        legacy::ProgramInfo info = legacy::App();
        info.exeName = QString::fromLatin1(nombre);
        legacy::setApp(info);
    }

    // Lays the grids out for the destination type and loads the voucher.
    void Cargar(ClsCmnCptes& cls, const QString& tc, const QString& id, const QString& destino = {},
               const std::function<void(ClsCmnCptes&, QString&)>& llamada = {})
    {
        Inicializa(cls, destino.isEmpty() ? tc : destino);
        letra = letraInicial;
        if (llamada)
            llamada(cls, letra);
        else
            cls.AsignarDatosComprobante(tc, id, QString(), tareas(), articulos(), otros(), false, nullptr, false, {},
                                        &reparto, false, {}, destino, &letra);
    }

    void Verifica(ui::MSFlexGrid* g, const std::vector<CeldaEsperada>& celdas)
    {
        for (const auto& c : celdas)
            EXPECT_EQ(g->TextMatrix(c.fila, c.col), c.texto) << "row " << c.fila << " col " << c.col;
    }

    ui::ScriptedSession dlg;
    std::int16_t reparto = 0;
    QString letra;
    QString letraInicial;  // the destination letter the caller passes

private:
    void Completa(const QString& tabla, const QString& tc, const QString& id, Campos extra)
    {
        QStringList sets;
        for (const auto& [n, v] : extra)
            sets << QString::fromLatin1(n) + QStringLiteral(" = ") + Lit(v);
        if (!sets.isEmpty())
            Ejecuta(QStringLiteral("UPDATE %1 SET %2 WHERE TC = %3 AND IDCOMPROBANTE = %4")
                        .arg(tabla, sets.join(u','), Lit(tc), Lit(id)));
    }
    void Agrega(const QString& tabla, const QString& tc, const QString& id, Campos campos)
    {
        QStringList nombres{QStringLiteral("TC"), QStringLiteral("IDCOMPROBANTE"), QStringLiteral("CUENTA")};
        QStringList valores{Lit(tc), Lit(id), Lit(QStringLiteral("C0001"))};
        for (const auto& [n, v] : campos) {
            nombres << QString::fromLatin1(n);
            valores << Lit(v);
        }
        Ejecuta(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(tabla, nombres.join(u','), valores.join(u',')));
    }
};

}  // namespace cargatest
