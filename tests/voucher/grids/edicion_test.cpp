// The edit box prepared per grid column, and column visibility.
#include "entorno_grillas.h"

#include "platform/ui/fitting.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpressionValidator>

#include <functional>
#include <memory>

namespace {

struct Esperado {
    long columna;
    const char* dataField;
    const char* tag;
    int maxLength;  // 0: no limit
};

const Esperado kTareas[] = {{0, "IdTarea", "v_ta_tareas", 4}, {1, "Descripcion", "", 0}, {2, "HorasEstimadas", "", 0},
                            {3, "ValorHora", "", 0},          {4, "Total", "", 0},       {5, "", "", 0}};
const Esperado kArticulos[] = {
    {0, "IdArticulo", "v_ma_articulos", 35}, {1, "Descripcion", "", 50}, {2, "IdListaPrecioArticulo", "V_MA_PRECIOS", 4},
    {6, "IdDepositoArt", "V_TA_DEPOSITO", 4}, {8, "Cantidad", "", 0},   {9, "", "", 0},
    {15, "Ud_Pr", "V_TA_UNIDAD", 4},         {19, "", "", 0},           {21, "TotalFinal", "", 0},
    {96, "ITC", "", 0},                      {122, "porcentaje_cantidad", "", 0}, {119, "", "", 0}};
const Esperado kOtros[] = {{0, "OCDescripcion", "MA_CUENTAS/SOLOIMPUTABLES", 200},
                           {1, "OCImporteSinIva", "", 0},
                           {2, "OCImporte", "", 0},
                           {3, "", "", 0}};
const Esperado kNinguno[] = {{0, "", "", 0}, {1, "", "", 0}};

using EditBox = grillastest::EntornoGrillas;

TEST_F(EditBox, PropertiesPerBoxNameAndColumn)
{
    struct Caja {
        const char* nombre;
        const Esperado* tabla;
        std::size_t n;
    } porCaja[] = {
        {"TxtEdit", kTareas, std::size(kTareas)},        {"  txtedit ", kTareas, std::size(kTareas)},
        {"TxtEdit2", kArticulos, std::size(kArticulos)}, {"TXTAUX1", kArticulos, std::size(kArticulos)},
        {"txtaux2", kArticulos, std::size(kArticulos)},  {"TXTAUX3", kArticulos, std::size(kArticulos)},
        {"TxtEdit3", kOtros, std::size(kOtros)},         {"TxtEdit4", kNinguno, std::size(kNinguno)},
        {"", kNinguno, std::size(kNinguno)},
    };
    ClsCmnCptes cls;
    QLineEdit caja;
    for (const Caja& c : porCaja) {
        caja.setObjectName(QString::fromLatin1(c.nombre));
        // The box comes prepared for another column first: nothing survives.
        for (std::size_t i = 0; i < c.n; ++i) {
            const Esperado& e = c.tabla[i];
            SCOPED_TRACE(std::string(c.nombre) + " column " + std::to_string(e.columna));
            cls.TextPropiedades(&caja, 0);
            cls.TextPropiedades(&caja, e.columna);
            EXPECT_EQ(caja.property("DataField").toString(), QString::fromLatin1(e.dataField));
            EXPECT_EQ(caja.property("Tag").toString(), QString::fromLatin1(e.tag));
            EXPECT_EQ(caja.property("MaxLength").toInt(), e.maxLength);
        }
    }
    EXPECT_EQ(testutil::errorOf([&] { cls.TextPropiedades(nullptr, 0); }), 91);
}

// The limit bounds typing only: the text the box holds, before or after it
// is prepared, is never cut; typing or pasting past the limit is refused,
// deleting not.
TEST_F(EditBox, LimitBoundsTypingOnly)
{
    ClsCmnCptes cls;
    QLineEdit caja;
    caja.setObjectName(QStringLiteral("TxtEdit2"));
    const auto teclea = [&caja](Qt::Key tecla, const QString& texto, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QKeyEvent pulsa(QEvent::KeyPress, tecla, m, texto);
        QCoreApplication::sendEvent(&caja, &pulsa);
        return caja.text();
    };
    const QString tornillo = QStringLiteral("Tornillo hexagonal 8 mm"), sesenta(60, u'D');
    caja.setText(tornillo);
    cls.TextPropiedades(&caja, 5);  // 4 characters
    EXPECT_EQ(teclea(Qt::Key_X, QStringLiteral("x")), tornillo);
    EXPECT_EQ(teclea(Qt::Key_Backspace, QString()), tornillo.left(22));
    caja.setText(sesenta);
    cls.TextPropiedades(&caja, 1);  // 50 characters
    EXPECT_EQ(caja.text(), sesenta);
    EXPECT_EQ(teclea(Qt::Key_X, QStringLiteral("x")), sesenta);
    caja.clear();
    for (int i = 0; i < 51; ++i)
        teclea(Qt::Key_A, QStringLiteral("a"));
    EXPECT_EQ(caja.text(), QString(50, u'a'));

    // A code pasted or dropped into the empty box of column 0 (35): the 40
    // characters are refused whichever way they come, their first 35 go in.
    const struct {
        const char* via;
        std::function<void()> hace;
    } vias[] = {
        {"Ctrl+V", [&] { teclea(Qt::Key_V, {}, Qt::ControlModifier); }},
        {"Shift+Insert", [&] { teclea(Qt::Key_Insert, {}, Qt::ShiftModifier); }},
        {"the box's menu", [&] {
             std::unique_ptr<QMenu> menu(caja.createStandardContextMenu());
             for (QAction* a : menu->actions())
                 if (a->text().startsWith(QStringLiteral("&Paste")))
                     a->trigger();
         }},
        {"a drop", [&] {
             QMimeData datos;
             datos.setText(QGuiApplication::clipboard()->text());
             QDragEnterEvent entra(QPoint(2, 2), Qt::CopyAction, &datos, Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(&caja, &entra);
             QDropEvent suelta(QPointF(2, 2), Qt::CopyAction, &datos, Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(&caja, &suelta);
         }},
    };
    const QString codigo = QStringLiteral("ART-0123456789-0123456789-0123456789-XYZ");
    cls.TextPropiedades(&caja, 0);
    for (const auto& v : vias)
        for (const QString& texto : {codigo, codigo.left(35)}) {
            caja.clear();
            QGuiApplication::clipboard()->setText(texto);
            v.hace();
            EXPECT_EQ(caja.text(), texto.size() > 35 ? QString() : texto) << v.via;
        }

    // A validator the window gave the box still has its say.
    caja.setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Z]*")), &caja));
    cls.TextPropiedades(&caja, 5);  // 4 characters
    caja.clear();
    for (const char* c : {"a", "A", "B", "C", "D", "E"})
        teclea(Qt::Key_A, QString::fromLatin1(c));
    EXPECT_EQ(caja.text(), "ABCD");
}

TEST_F(EditBox, ColumnVisibility)
{
    ui::MSFlexGrid& grilla = *tareas();
    grilla.setCols(5);
    ClsCmnCptes cls;
    // Hidden whatever the width asked; shown at 1000 twips, or, when both
    // are given, with room for that many letters X in the grid's font.
    struct Caso {
        bool visible;
        std::int16_t chars;
        bool conForma;
        long ancho;
    } casos[] = {{false, 10, true, 0},
                 {true, 0, true, 1000},
                 {true, 10, false, 1000},
                 {true, 10, true, ui::CellWidth(QString(10, u'X'), grilla.font())}};
    for (const Caso& c : casos) {
        grilla.setColWidth(3, 77);
        cls.SetColVisible(&grilla, 3, c.visible, c.chars, c.conForma ? forma.get() : nullptr);
        EXPECT_EQ(grilla.ColWidth(3), c.ancho);
        EXPECT_TRUE(grilla.Redraw());
    }
    // A column outside the grid, or no grid: nothing changes, nothing raised.
    EXPECT_EQ(testutil::errorOf([&] { cls.SetColVisible(&grilla, 9, false); }), 0);
    EXPECT_EQ(testutil::errorOf([&] { cls.SetColVisible(nullptr, 1, false); }), 0);
    EXPECT_TRUE(grilla.Redraw());
}

}  // namespace
