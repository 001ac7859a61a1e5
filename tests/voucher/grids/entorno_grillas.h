#pragma once
// A voucher form for the grid tests: the demo company connected, the four
// grids, the three edit boxes and a status bar and tab control on one form,
// whose font measures the widths.
#include "core/support/entorno_core.h"
#include "platform/ui/companions.h"
#include "platform/ui/msflexgrid.h"
#include "platform/ui/textwidth.h"
#include "voucher/clscmncptes.h"

#include <QLineEdit>
#include <QWidget>

#include <memory>

namespace grillastest {

class EntornoGrillas : public coretest::EntornoCore {
protected:
    void SetUp() override
    {
        EntornoCore::SetUp();
        ConectaDemo();
        forma = std::make_unique<QWidget>();
        forma->setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
        for (int i = 0; i < 4; ++i) {
            grillas[i] = new ui::MSFlexGrid(forma.get());
            grillas[i]->setWidth(12000);
        }
        const char* nombres[] = {"TxtEdit", "txtEdit2", "txtEdit3"};
        for (int i = 0; i < 3; ++i) {
            cajas[i] = new QLineEdit(forma.get());
            cajas[i]->setObjectName(QString::fromLatin1(nombres[i]));
        }
        barra = new ui::StatusBar(forma.get());
        solapas = new ui::SSTab(forma.get());
        solapas->setTabs(3);
        solapas->setTabCaption(0, QStringLiteral("Tareas"));
        solapas->setTabCaption(1, QStringLiteral("Articulos"));
        solapas->setTabCaption(2, QStringLiteral("Otros Conceptos"));
    }

    void TearDown() override
    {
        forma.reset();
        EntornoCore::TearDown();
    }

    // Sets (or, with nullptr, removes) a configuration row.
    void Config(const QString& clave, const char* valor)
    {
        Ejecuta(QStringLiteral("DELETE FROM TA_CONFIGURACION WHERE Clave = '%1'").arg(clave));
        if (valor)
            Ejecuta(QStringLiteral("INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor) VALUES ('%1', 'DATOS', '%2')")
                        .arg(clave, QString::fromUtf8(valor)));
    }

    void Inicializa(ClsCmnCptes& cls, const QString& tc)
    {
        cls.InicializaGrids(tareas(), articulos(), otros(), cajas[0], cajas[1], cajas[2], forma.get(), tc, totales());
    }

    // The width of n letters X in the form's font.
    long X(int n) const { return ui::TextWidth(QString(n, u'X'), forma->font()); }

    // Fills the lines of a grid from row 1, each line's cells by column; an
    // empty entry row below them.
    static void Llena(ui::MSFlexGrid& g, const std::vector<std::vector<std::pair<int, QString>>>& lineas)
    {
        g.setRows(1);
        g.setRows(long(lineas.size()) + 2);
        for (std::size_t i = 0; i < lineas.size(); ++i)
            for (const auto& [col, texto] : lineas[i])
                g.setTextMatrix(long(i) + 1, col, texto);
    }

    ui::MSFlexGrid* tareas() { return grillas[0]; }
    ui::MSFlexGrid* articulos() { return grillas[1]; }
    ui::MSFlexGrid* otros() { return grillas[2]; }
    ui::MSFlexGrid* totales() { return grillas[3]; }

    std::unique_ptr<QWidget> forma;
    ui::MSFlexGrid* grillas[4] = {};
    QLineEdit* cajas[3] = {};
    ui::StatusBar* barra = nullptr;
    ui::SSTab* solapas = nullptr;
};

}  // namespace grillastest
