#pragma once
// The lot windows' tests: a fresh DEMO database, stock seeded per test, and
// a user's hands on the windows (keys into the grid and the edit box, mouse
// clicks on cells, tool-bar buttons).
#include "core/support/entorno_core.h"
#include "support/layout_check.h"
#include "platform/kapores2/funciones.h"
#include "platform/ui/companions.h"
#include "platform/ui/msflexgrid.h"
#include "platform/ui/scripted.h"
#include "voucher/clscmncptes.h"
#include "voucher/lots/edicion.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>

namespace lotstest {

inline const QString Y = QString(QChar(0x00FF));  // Chr(255)

// An articles grid with the lists of other lines in columns 24 and 25 (and
// their deposit in column 6).
struct Articulos {
    ui::MSFlexGrid grilla;
    explicit Articulos(const QList<QStringList>& filas)
    {
        grilla.setCols(120);
        grilla.setRows(1);
        for (const QStringList& f : filas) {
            const long r = grilla.Rows();
            grilla.setRows(r + 1);
            grilla.setTextMatrix(r, 0, f.value(0));
            grilla.setTextMatrix(r, 24, f.value(1));
            grilla.setTextMatrix(r, 25, f.value(2));
            grilla.setTextMatrix(r, 6, f.value(3));
        }
        grilla.setRows(grilla.Rows() + 1);  // the entry row
    }
};

class EntornoLotes : public coretest::EntornoCore {
protected:
    void SetUp() override
    {
        EntornoCore::SetUp();
        testutil::testApp();
        CreaBases();
        Conecta();
        ModGlobal::gUsuarioLogeado = QStringLiteral("DEMO");
    }

    void Stock(const QString& articulo, const QString& lote, const QString& serie, double cantidad,
               const QString& deposito = QStringLiteral("   1"))
    {
        Ejecuta(QStringLiteral("INSERT INTO STK_SERIES_Y_LOTES (IdArticulo, IdDeposito, NroLote, NroSerie, Cantidad) "
                               "VALUES ('%1', '%2', %3, %4, %5)")
                    .arg(kapores2::Funciones::RellenaCodigo(articulo, 25).replace(u'\'', QStringLiteral("''")),
                         QString(deposito).replace(u'\'', QStringLiteral("''")),
                         lote.isNull() ? QStringLiteral("NULL") : "'" + lote + "'",
                         serie.isNull() ? QStringLiteral("NULL") : "'" + serie + "'")
                    .arg(cantidad));
    }

    void Saldo(const QString& articulo, const QString& posicion, const QString& lote, double saldo,
               const QString& unidad = QStringLiteral("UN  "), const QString& deposito = QStringLiteral("   1"))
    {
        Ejecuta(QStringLiteral("INSERT INTO AC_SALDOSLAYOUT (IDDEPOSITO, IDPOSICION, IDARTICULO, NROLOTE, IDUNIDADBASE, "
                               "SALDO) VALUES ('%1', %2, '%3', '%4', '%5', %6)")
                    .arg(QString(deposito).replace(u'\'', QStringLiteral("''")),
                         posicion.isNull() ? QStringLiteral("NULL")
                                           : "'" + QString(posicion).replace(u'\'', QStringLiteral("''")) + "'",
                         kapores2::Funciones::RellenaCodigo(articulo, 25).replace(u'\'', QStringLiteral("''")), lote, unidad)
                    .arg(saldo));
    }

    static int ClaveDe(QChar c)
    {
        if (c.isDigit()) return Qt::Key_0 + c.digitValue();
        if (c.isLetter() && c.toUpper().unicode() < 128) return Qt::Key_A + (c.toUpper().unicode() - 'A');
        switch (c.unicode()) {
        case '-': return Qt::Key_Minus;
        case ',': return Qt::Key_Comma;
        case '.': return Qt::Key_Period;
        case '*': return Qt::Key_Asterisk;
        case ' ': return Qt::Key_Space;
        default: return Qt::Key_unknown;
        }
    }

    static void Tecla(QWidget* w, int qtKey, const QString& texto = {})
    {
        QKeyEvent pulsa(QEvent::KeyPress, qtKey, Qt::NoModifier, texto);
        QCoreApplication::sendEvent(w, &pulsa);
        QKeyEvent suelta(QEvent::KeyRelease, qtKey, Qt::NoModifier, texto);
        QCoreApplication::sendEvent(w, &suelta);
    }

    // Types `texto` on the grid's cell (row, col): the first character opens
    // the edit box, the rest goes into it, then the confirming key.
    static void Escribe(lots::VentanaLotes& f, long fila, long col, const QString& texto,
                        int confirma = Qt::Key_Return)
    {
        f.MSFlexGrid1->setRow(fila);
        f.MSFlexGrid1->setCol(col);
        Tecla(f.MSFlexGrid1, ClaveDe(texto.at(0)), texto.left(1));
        for (const QChar c : texto.mid(1)) Tecla(f.TxtEdit, ClaveDe(c), QString(c));
        Tecla(f.TxtEdit, confirma);
    }

    // A mouse click on the cell (row, col).
    static void Clic(lots::VentanaLotes& f, long fila, long col)
    {
        ui::MSFlexGrid& g = *f.MSFlexGrid1;
        const long r = g.Row(), c = g.Col();
        g.setRow(fila);
        g.setCol(col);
        const QPoint p(int((g.CellLeft() + g.CellWidth() / 2) / 15), int((g.CellTop() + g.CellHeight() / 2) / 15));
        g.setRow(r);
        g.setCol(c);
        const QPoint en = g.viewport()->mapFrom(&g, p);
        QMouseEvent pulsa(QEvent::MouseButtonPress, en, g.viewport()->mapToGlobal(en), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(g.viewport(), &pulsa);
        QMouseEvent suelta(QEvent::MouseButtonRelease, en, g.viewport()->mapToGlobal(en), Qt::LeftButton,
                           Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(g.viewport(), &suelta);
    }

    static void Boton(lots::VentanaLotes& f, long indice) { f.Toolbar1->Buttons().Item(indice).action()->trigger(); }

    static QStringList Columna(const lots::VentanaLotes& f, long col)
    {
        QStringList l;
        for (long r = 1; r < f.MSFlexGrid1->Rows(); ++r) l << f.MSFlexGrid1->TextMatrix(r, col);
        return l;
    }

    static void Foto(QWidget& w, const QString& nombre)
    {
        const QString archivo = QDir(QStringLiteral(VORDANE_BINARY_DIR)).filePath(nombre);
        EXPECT_TRUE(w.grab().save(archivo)) << archivo.toStdString();
        testutil::ExpectWholeLabels(w);
    }
};

}  // namespace lotstest
