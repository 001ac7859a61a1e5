// The stub sales window, and a picture of a sales voucher's three grids.
#include "entorno_grillas.h"
#include "support/layout_check.h"

#include "voucher/grids/frmmvventas.h"

#include <QDir>

namespace {

using Ventana = grillastest::EntornoGrillas;

TEST_F(Ventana, StubWindowWithASalesVoucherLaidOut)
{
    FrmMvVentas f;
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Form1"));
    for (ui::MSFlexGrid* g : {f.MSFlexGrid1, f.MSFlexGrid2, f.MSFlexGrid3})
        EXPECT_EQ(g->font().family(), QStringLiteral("MS Sans Serif"));
    ASSERT_TRUE(f.tbarimp && f.MSComm1);
    // Its members accept their arguments and do nothing.
    f.AgregoRegargo(legacy::Variant(12.5));
    f.AnulacionCompleta(legacy::Variant(QStringLiteral("FC")), legacy::Variant(1), legacy::Variant(301),
                        legacy::Variant(QStringLiteral("A")));
    f.ObtieneBorrador();
    f.MSComm1->onComm();

    f.show();
    ClsCmnCptes cls;
    cls.InicializaGrids(f.MSFlexGrid1, f.MSFlexGrid2, f.MSFlexGrid3, cajas[0], cajas[1], cajas[2], &f,
                        QStringLiteral("FC"));
    f.MSFlexGrid1->setTextMatrix(1, 0, QStringLiteral("T1"));
    f.MSFlexGrid1->setTextMatrix(1, 1, QStringLiteral("Armado"));
    f.MSFlexGrid1->setTextMatrix(1, 2, QStringLiteral("1:30"));
    f.MSFlexGrid2->setRows(3);
    f.MSFlexGrid2->setTextMatrix(1, 0, QStringLiteral("A1"));
    f.MSFlexGrid2->setTextMatrix(1, 1, QStringLiteral("Tornillo"));
    f.MSFlexGrid2->setTextMatrix(1, 8, QStringLiteral("3"));
    f.MSFlexGrid2->setTextMatrix(2, 1, QStringLiteral("Arena"));
    f.MSFlexGrid2->setTextMatrix(2, 5, QStringLiteral("UNID"));
    f.MSFlexGrid2->setTextMatrix(2, 8, QStringLiteral("1250.50"));
    f.MSFlexGrid3->setTextMatrix(1, 0, QStringLiteral("Flete"));
    f.MSFlexGrid3->setTextMatrix(1, 1, QStringLiteral("1234567.89"));
    f.MSFlexGrid3->setTextMatrix(1, 2, QStringLiteral("123456789012.50"));  // too wide: shown cut, with the mark
    EXPECT_EQ(f.MSFlexGrid2->Cols(), 120);
    const QString archivo = QDir(QStringLiteral(VORDANE_BINARY_DIR)).filePath(QStringLiteral("grillas_ventas.png"));
    EXPECT_TRUE(f.grab().save(archivo)) << archivo.toStdString();
    testutil::ExpectWholeLabels(f);
}

}  // namespace
