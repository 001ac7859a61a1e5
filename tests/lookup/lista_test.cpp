// The list lookup window through the lookup class, driven with keys and
// clicks: search, sort, checks, quantities, F5, F12, the date sort, the
// saved widths, accept and cancel.
#include "entorno_consultas.h"

#include "core/consultasvrk.h"
#include "core/sqlbuilder.h"
#include "lookup/anchos.h"
#include "lookup/textos.h"
#include "platform/legacy/format.h"
#include "platform/legacy/textfile.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QThread>

#include <random>

using consultastest::EntornoConsultas;

namespace {

class Lista : public EntornoConsultas {
protected:
    // The window loaded on its own with a statement, shown.
    Lib_FrmCons3& Abre(const QString& sql, bool checks = false)
    {
        Lib_FrmCons3& f = lookup::frmCons3().instance();
        f.sql = sql;
        f.CheckBoxes = checks;
        f.OrdenarPorLwv = !sql.contains(QStringLiteral("ORDER BY"), Qt::CaseInsensitive);  // as the class sets it
        f.Load();
        f.show();
        QApplication::setActiveWindow(&f);
        return f;
    }
    // Every control shown lies inside the window's client area, and one
    // horizontal scroll bar is shown.
    static void DentroDeLaVentana(Lib_FrmCons3& f, const char* cuando)
    {
        for (QWidget* w : f.findChildren<QWidget*>()) {
            if (w->window() != &f || !w->isVisibleTo(&f)) continue;
            const QRect r(w->mapTo(&f, QPoint(0, 0)), w->size());
            const auto* boton = qobject_cast<QAbstractButton*>(w);
            EXPECT_TRUE(f.rect().contains(r)) << cuando << ": " << w->objectName().toStdString() << " "
                                              << w->metaObject()->className() << " "
                                              << (boton ? boton->text().toStdString() : std::string());
        }
        int barras = 0;
        for (QScrollBar* b : f.findChildren<QScrollBar*>())
            if (b->orientation() == Qt::Horizontal && b->isVisibleTo(&f)) ++barras;
        EXPECT_EQ(barras, 1) << cuando << ": horizontal scroll bars";
    }
    void AgregaCliente(const char* codigo, const char* razon, const char* contacto, int baja = 0)
    {
        Ejecuta(QStringLiteral("INSERT INTO VT_CLIENTES (CODIGO, RAZON_SOCIAL, CONTACTO, Dada_De_Baja) VALUES ('%1', "
                               "'%2', '%3', %4)")
                    .arg(codigo, razon, contacto)
                    .arg(baja));
    }
};

TEST_F(Lista, CustomersSearchSortAndAcceptThroughTheClass)
{
    AgregaCliente("C0003", "Almacen Norte", "Luis");
    AgregaCliente("C0004", "Baja SA", "x", 1);
    lookup::Lib_ClsCons3& c = lookup::Consulta();
    c.CampoDevuelto = QStringLiteral("CODIGO");
    auto cmps = std::make_shared<legacy::Collection>();
    cmps->Add(QStringLiteral("RAZON_SOCIAL"));
    cmps->Add(QStringLiteral("CONTACTO"));
    const auto guardada = cmps;
    QString campo;
    ui::ScriptedSession dlg;
    dlg.onModal(QStringLiteral("Lib_FrmCons3"), [&](QWidget* w) {
        auto& f = static_cast<Lib_FrmCons3&>(*w);
        EXPECT_EQ(f.sql, "SELECT TOP 1000 RAZON_SOCIAL,CODIGO,CONTACTO FROM VT_CLIENTES  with(nolock)  WHERE "
                         "Dada_De_Baja = 0 ORDER BY RAZON_SOCIAL ");
        EXPECT_EQ(Columna(f, 1), QStringList({"Almacen Norte", "Ferreteria El Tornillo", "Pinturerias del Sur"}));
        EXPECT_FALSE(f.ListView1->Sorted()) << "the server's order stays";
        EXPECT_EQ((*f.CmbSearch)(2).Tag(), "CONTACTO");
        EXPECT_EQ((*f.CmbSearch)(1).Left(), long(f.ListView1->ColumnHeaders().Item(2).Left()));
        ui::ComboBox& caja = (*f.CmbSearch)(0);
        Escribe(&caja, QStringLiteral("pIN"));
        ASSERT_NE(f.ListView1->SelectedItem(), nullptr);
        EXPECT_EQ(f.ListView1->SelectedItem()->Text(), "Pinturerias del Sur");
        Escribe(&caja, QStringLiteral("x"));
        EXPECT_EQ(f.ListView1->SelectedItem()->Text(), "Pinturerias del Sur") << "no match: the selection stays";
        ClickCabecera(f, 2);
        EXPECT_EQ(Columna(f, 2), QStringList({"C0003", "C0002", "C0001"})) << "first click: descending";
        ClickCabecera(f, 3);
        EXPECT_EQ(Columna(f, 3), QStringList({"Ana Gomez", "Juan Perez", "Luis"})) << "next click flips again";
        DentroDeLaVentana(f, "first size");
        Foto(f, "lib_frmcons3.png");
        // The one scroll bar brings the last column and its search box into
        // view together.
        f.HScroll1->setValue(f.HScroll1->Max());
        ui::ComboBox& ultima = (*f.CmbSearch)(2);
        EXPECT_TRUE(ultima.isVisible());
        EXPECT_LE(ultima.x() + ultima.width(), f.picFields->width()) << "inside the panel";
        EXPECT_NEAR(ultima.mapTo(&f, QPoint(0, 0)).x(),
                    Vista(f.ListView1)->header()->sectionViewportPosition(2) +
                        Vista(f.ListView1)->viewport()->mapTo(&f, QPoint(0, 0)).x(),
                    2)
            << "over its column";
        DentroDeLaVentana(f, "scrolled");
        f.HScroll1->setValue(0);
        f.resize(f.width() * 2 / 3, f.height() + 60);
        QCoreApplication::processEvents();
        DentroDeLaVentana(f, "after a resize");
        testutil::ExpectWholeLabels(f);
        Tecla(Vista(f.ListView1), Qt::Key_Return, QStringLiteral("\r"));
        EXPECT_TRUE(f.isHidden());
    });
    c.ConsultaSearch(QStringLiteral("VT_CLIENTES"), &cmps, QString(), &campo);
    EXPECT_TRUE(dlg.remaining().isEmpty());
    EXPECT_EQ(campo, "RAZON_SOCIAL");
    EXPECT_EQ(c.ValorDevuelto.toString(), "C0002");
    EXPECT_EQ(Textos(c.Valores), QStringList({"Pinturerias del Sur", "Ana Gomez"}));
    EXPECT_EQ(cmps, nullptr);
    EXPECT_EQ(guardada->Count(), 0) << "the caller's collection is emptied";
    EXPECT_FALSE(c.Checks);
    EXPECT_EQ(c.CampoDevuelto, "");
    EXPECT_FALSE(lookup::frmCons3().exists()) << "unloaded and released";
}

TEST_F(Lista, ChecksAndQuantitiesReachValoresAndCantidades)
{
    AgregaCliente("C0003", "Almacen Norte", "Luis");
    lookup::Lib_ClsCons3& c = lookup::Consulta();
    c.Checks = true;
    c.UsaCantidades = true;
    c.CampoDevuelto = QStringLiteral("CODIGO");
    ui::ScriptedSession dlg;
    dlg.onModal(QStringLiteral("Lib_FrmCons3"), [&](QWidget* w) {
        auto& f = static_cast<Lib_FrmCons3&>(*w);
        ui::ListItems& items = f.ListView1->ListItems();
        QWidget* vista = Vista(f.ListView1);
        auto fila = [&](int i) -> ui::ListItem& {
            f.ListView1->setSelectedItem(&items.Item(i));
            return items.Item(i);
        };
        ui::ListItem& uno = fila(1);
        Tecla(vista, Qt::Key_Insert);
        Tecla(vista, Qt::Key_Insert);
        EXPECT_EQ(uno.SubItems(2), "2.0");
        EXPECT_TRUE(uno.Checked());
        ui::ListItem& dos = fila(2);
        Tecla(vista, Qt::Key_Insert, {}, Qt::ShiftModifier);
        EXPECT_EQ(dos.SubItems(2), "3.50") << "always with a point";
        EXPECT_TRUE(dos.Checked());
        ui::ListItem& tres = fila(3);
        Tecla(vista, Qt::Key_Space, QStringLiteral(" "));
        EXPECT_EQ((*f.CmbSearch)(0).Text(), "") << "Space with check boxes stays in the list";
        Tecla(vista, Qt::Key_Insert);
        EXPECT_EQ(tres.SubItems(2), "1.0");
        Tecla(vista, Qt::Key_Delete, {}, Qt::ControlModifier);
        EXPECT_EQ(tres.SubItems(2), "1.0") << "Ctrl+Delete does nothing";
        Tecla(vista, Qt::Key_Delete);
        EXPECT_EQ(tres.SubItems(2), "0.00");
        EXPECT_FALSE(tres.Checked());
        Tecla(vista, Qt::Key_Insert, {}, Qt::ShiftModifier);
        EXPECT_EQ(tres.SubItems(2), "0.00") << "an answer worth nothing shows 0.00";
        EXPECT_TRUE(tres.Checked()) << "a typed quantity checks the row whatever it is";
        f.CmdAceptar->click();
    });
    dlg.expectInputBox(QStringLiteral("Ingrese la Cantidad del Articulo..."), QStringLiteral("3,5")).title("Carga de Datos");
    dlg.expectInputBox(QStringLiteral("Ingrese la Cantidad del Articulo..."), QString());
    c.ConsultaSearch(QStringLiteral(
        "SELECT CODIGO, RAZON_SOCIAL, '0.00' AS [**Cantidad**] FROM VT_CLIENTES ORDER BY CODIGO"));
    EXPECT_TRUE(dlg.remaining().isEmpty());
    EXPECT_EQ(Textos(c.Valores), QStringList({"C0001", "C0002", "C0003"}));
    EXPECT_EQ(Textos(c.Cantidades), QStringList({"2.0", "3.50", "0.00"})) << "in the order of Valores";
    EXPECT_FALSE(c.Checks);
}

TEST_F(Lista, DefaultChecksTickEveryRowWhoseValueIsListed)
{
    AgregaCliente("C0003", "Sin contacto", "");
    const std::tuple<const char*, const char*, QStringList> casos[] = {
        {"CODIGO", "'C0001','C0002'", {"C0001", "C0002"}},
        {"CODIGO", "'C00011','C0002'", {"C0002"}},     // C0001 only occurs inside C00011
        {"CONTACTO", "Juan Perez", {"C0001"}},         // the empty contact is not listed
        {"NO_HAY", "C0001 Juan Perez", {}},              // a column that is not there checks nothing
    };
    // Through the lookup class, which clears the ticks the window had and
    // ticks the defaults again.
    lookup::Lib_ClsCons3& c = lookup::Consulta();
    for (const auto& [campo, defaults, marcados] : casos) {
        c.Checks = true;
        c.CampoDevuelto = QString::fromLatin1(campo);
        ui::ScriptedSession dlg;
        dlg.onModal(QStringLiteral("Lib_FrmCons3"), [&](QWidget* w) {
            auto& f = static_cast<Lib_FrmCons3&>(*w);
            f.CmdTodos->click();
            EXPECT_EQ(f.ListView1->ListItems().Item(1).Checked(), !marcados.contains("C0001")) << "Marcar inverts";
            f.CmdTodos->click();
            f.CampoDevuelto = QStringLiteral("CODIGO");  // the codes of the checked rows come back
            f.CmdAceptar->click();
        });
        c.ConsultaSearch(QStringLiteral("SELECT CODIGO, CONTACTO FROM VT_CLIENTES ORDER BY CODIGO"), nullptr, QString(),
                         nullptr, nullptr, QString(), false, QString::fromLatin1(defaults));
        EXPECT_TRUE(dlg.remaining().isEmpty());
        EXPECT_EQ(Textos(c.Valores), marcados) << defaults << ": accepted as shown";
    }
}

// Seeded searches: a caller's condition (bare or groups joined by OR, with
// keywords and apostrophes inside its values), an optional date sort, then
// F5 on the name column. The statement the lookup builds finds the rows of
// the same conditions put together directly.
TEST_F(Lista, GeneratedSearchesFindTheRowsOfADirectQuery)
{
    const QStringList nombres = {"Somewhere SA", "Border SA", "order by", "O'Neil", "Casa Where SA",
                                 "(x) OR (y)", QString::fromUtf8("Peña"), "Group by 1", "Llano"};
    Ejecuta(QStringLiteral("CREATE TABLE GEN (CODIGO VARCHAR(5) COLLATE SRVTEXT, NOMBRE VARCHAR(30) COLLATE SRVTEXT, "
                           "FECHA DATETIME, ACTIVO INT)"));
    for (int i = 0; i < nombres.size(); ++i)
        Ejecuta(QStringLiteral("INSERT INTO GEN VALUES ('G%1', %2, '%3/01/2026', %4)")
                    .arg(i)
                    .arg(ModGlobal::TextoSQL(nombres[i]))
                    .arg(i + 1)
                    .arg(i % 3 ? 1 : 0));
    const QStringList propias = {QString(), "ACTIVO = 1", "NOMBRE <> 'order by x' OR ACTIVO = 0",
                                 "NOMBRE <> 'a where b'"};
    std::mt19937 azar(47);
    auto uno = [&](int n) { return int(azar() % unsigned(n)); };
    for (int vuelta = 0; vuelta < 200; ++vuelta) {
        const QString propia = propias[uno(propias.size())];
        QString sql = QStringLiteral("SELECT CODIGO, NOMBRE, FECHA FROM GEN");
        if (!propia.isEmpty()) sql += QStringLiteral(" WHERE ") + propia;
        if (uno(2)) sql += QStringLiteral(" ORDER BY CODIGO");
        // The caller's condition: one to three names, bare or in groups.
        QStringList grupos;
        for (int k = uno(3) + 1; k > 0; --k)
            grupos << QStringLiteral("NOMBRE = ") + ModGlobal::TextoSQL(nombres[uno(nombres.size())]);
        const bool enGrupos = uno(2);
        QString where = enGrupos ? u'(' + grupos.join(QStringLiteral(") OR (")) + u')' : grupos.join(QStringLiteral(" OR "));
        const QString condicion = where;
        where = lookup::EntreParentesis(where);
        QString consulta = lookup::ConsultaSelect(sql, where);
        // A date-header click leaves its ORDER BY in the base; then F5.
        QString base = consulta, orden;
        if (uno(2))
            if (const auto ordenada = lookup::ConsultaOrdenadaPorFecha(consulta, QStringLiteral("FECHA"))) base = *ordenada;
        const QString nombre = nombres[uno(nombres.size())];
        QString caja = nombre.left(uno(3) + 1);
        const QString buscada = caja;
        consulta = lookup::FiltroF5(consulta, base, orden, QStringLiteral("NOMBRE"), caja, false);

        QString directa = QStringLiteral("SELECT CODIGO, NOMBRE, FECHA FROM GEN WHERE (") + condicion +
                          QStringLiteral(") AND NOMBRE LIKE ") + ModGlobal::TextoSQL(buscada + u'%');
        if (!propia.isEmpty()) directa += QStringLiteral(" AND (") + propia + u')';
        QStringList halladas = Filas(consulta), esperadas = Filas(directa);
        halladas.sort();
        esperadas.sort();
        ASSERT_EQ(halladas, esperadas) << "seed 47, round " << vuelta << ": " << consulta.toStdString();
    }

    // Codes as the suite stores them: digits right-aligned to their width,
    // hyphens inside codes and descriptions.
    for (const char* fila : {"V_TA_VENDEDORES VALUES ('  12', 'Ana-Sur')", "V_TA_VENDEDORES VALUES ('   1', 'AnaXSur')",
                             "V_TA_VENDEDORES VALUES (' 120', 'Peña [B]')", "V_TA_TECNICOS VALUES ('   7', 'O''Neil Juan')",
                             "V_TA_TECNICOS VALUES ('  70', 'Tecnico 70')",
                             "MA_CONTACTOS VALUES (1, 'Juan Perez', 'San Martin 100', 'Rosario', '0341-155')",
                             "MA_CONTACTOS VALUES (2, 'Perez Juan', 'Mitre 12', 'Santa Fe', '0342-4')",
                             "V_MA_MANTENIMIENTOS VALUES ('M-01', 'Cambio de aceite')",
                             "V_MA_MANTENIMIENTOS VALUES ('             10', 'Revision - 10 mil')",
                             "MA_POSICIONES (IDDEPOSITO, IDPOSICION, DESCRIPCION, ORDENINGRESO) VALUES ('   1', 'A-01-10', "
                             "'Pasillo A - estante 1, nivel 10', 4)",
                             "MA_POSICIONES (IDDEPOSITO, IDPOSICION, DESCRIPCION, ORDENINGRESO) VALUES ('   2', 'C-1', "
                             "'Camara - frio', 5)"})
        Ejecuta(QStringLiteral("INSERT INTO ") + QString::fromUtf8(fila));
    auto muestra = [](const QString& celda, const QString& texto, bool like) {
        if (!like) return celda.startsWith(texto, Qt::CaseInsensitive);
        qsizetype desde = 0;  // the words in their order, anywhere
        for (const QString& palabra : texto.split(u' ', Qt::SkipEmptyParts)) {
            desde = celda.indexOf(palabra, desde, Qt::CaseInsensitive);
            if (desde < 0) return false;
            desde += palabra.size();
        }
        return true;
    };
    auto filas = [](Lib_FrmCons3& f) {
        QStringList r;
        for (int i = 1; i <= f.ListView1->ListItems().Count(); ++i) {
            ui::ListItem& item = f.ListView1->ListItems().Item(i);
            QStringList celdas;
            for (int c = 1; c <= f.ListView1->ColumnHeaders().Count(); ++c)
                celdas << (c == 1 ? item.Text() : item.SubItems(c - 1));
            r << celdas.join(u'|');
        }
        r.sort();
        return r;
    };
    // Every default lookup, every column: F5 with a prefix of a shown cell
    // lists that row and only rows whose shown cell starts with it (with the
    // LIKE search, holds its words in that order).
    QStringList tablas;
    {
        QFile vrk(lookup::Consulta().gRutaMascaraConsultas);
        ASSERT_TRUE(vrk.open(QIODevice::ReadOnly));
        for (QByteArray r; !(r = vrk.read(ModGlobal::RegistroConsulta::Largo)).isEmpty();)
            tablas << ModGlobal::RegistroConsulta::desdeBytes(r).Tabla.trimmed();
    }
    ASSERT_EQ(tablas.size(), 11);
    for (const QString& tabla : tablas) {
        ui::ScriptedSession dlg;
        int vistas = 0;
        dlg.onModal(QStringLiteral("Lib_FrmCons3"), [&](QWidget* w) {
            auto& f = static_cast<Lib_FrmCons3&>(*w);
            const QStringList todas = filas(f);
            for (int c = 1; c <= f.ListView1->ColumnHeaders().Count(); ++c) {
                for (const QString& fila : todas) {
                    const QString celda = fila.split(u'|')[c - 1];
                    if (celda.isEmpty()) continue;
                    const QString texto = celda.left(1 + uno(int(celda.size())));
                    // the server's wildcards typed stand for other characters
                    if (texto.contains(QRegularExpression(QStringLiteral("[%_*\\[]")))) continue;
                    f.CfgUsaConsultaLIKE = uno(2);
                    (*f.CmbSearch)(c - 1).setText(texto);
                    Tecla(&(*f.CmbSearch)(c - 1), Qt::Key_F5);
                    QStringList esperadas;
                    for (const QString& otra : todas)
                        if (muestra(otra.split(u'|')[c - 1], texto, f.CfgUsaConsultaLIKE)) esperadas << otra;
                    EXPECT_EQ(filas(f), esperadas) << tabla.toStdString() << " column " << c << " typed '"
                                                   << texto.toStdString() << "': " << f.sql.toStdString();
                    ++vistas;
                    f.CmdNueva->click();
                }
            }
            f.CmdCancelar->click();
        });
        lookup::Consulta().ConsultaSearch(tabla);
        EXPECT_GT(vistas, 0) << tabla.toStdString() << ": rows to search";
    }

    // The tree's search with a prefix of a node's code or description
    // selects the first node, in node order, whose code or description
    // begins with it, and accept returns that node's stored code.
    const std::pair<const char*, const char*> arboles[] = {
        {"SELECT IDPOSICION, DESCRIPCION FROM MA_POSICIONES ORDER BY ORDENINGRESO", "IDPOSICION"},
        {"SELECT CODIGO, DESCRIPCION FROM MA_CUENTAS ORDER BY CODIGO", "CODIGO"}};
    for (const auto& [sql, devuelto] : arboles) {
        QList<QStringList> nodos = {{QString(), QStringLiteral("Consulta...")}};
        for (const QString& fila : Filas(QString::fromLatin1(sql))) nodos << fila.split(u'|');
        ui::ScriptedSession dlg;
        Lib_FrmCons3Tree& t = lookup::frmCons3Tree().instance();
        t.sql = QString::fromLatin1(sql);
        t.CampoDevuelto = QString::fromLatin1(devuelto);
        t.Load();
        // The demo positions, worked by hand.
        const std::pair<const char*, const char*> aMano[] = {
            {"A-01-02", "A-01-02"}, {"B-02", "B-02-01"},         {"pasillo b", "B-02-01"},
            {"A", "A-01-01"},       {"Pasillo A - e", "A-01-10"}};
        for (const auto& [texto, codigo] : aMano) {
            if (devuelto != std::string("IDPOSICION")) break;
            t.show();
            (*t.CmbSearch)(0).setText(QString::fromLatin1(texto));
            ASSERT_NE(t.TreeV->SelectedItem(), nullptr) << texto;
            t.CmdAceptar_Click();
            EXPECT_EQ(t.ValorDevuelto.toString(), codigo) << texto;
        }
        for (const QStringList& nodo : nodos.mid(1)) {
            for (const QString& parte : nodo) {
                t.show();
                const QString texto = parte.trimmed().left(1 + uno(int(parte.trimmed().size())));
                (*t.CmbSearch)(0).setText(texto);
                const auto primero = std::find_if(nodos.begin(), nodos.end(), [&](const QStringList& n) {
                    return n[0].trimmed().startsWith(texto, Qt::CaseInsensitive) ||
                           n[1].trimmed().startsWith(texto, Qt::CaseInsensitive);
                });
                ASSERT_NE(t.TreeV->SelectedItem(), nullptr) << texto.toStdString();
                EXPECT_EQ(t.TreeV->SelectedItem()->Key(), u'A' + (*primero)[0]) << sql << " typed " << texto.toStdString();
                t.CmdAceptar_Click();
                EXPECT_EQ(t.ValorDevuelto.toString(), (*primero)[0]) << sql << " typed " << texto.toStdString();
            }
        }
        lookup::frmCons3Tree().release();
    }

    // The article rules hold for the statement shown directly and for the
    // same statement through the lookup entry, which reads VT_MA_ARTICULOS:
    // the same titles and widths, "@10" widening none of the article's.
    ModGlobal::GrabaCfg(QStringLiteral("NOM_PCLASE1"), QStringLiteral("Mayorista"));
    auto columnas = [](Lib_FrmCons3& f) {
        QStringList r;
        ui::ColumnHeaders& cabeceras = f.ListView1->ColumnHeaders();
        for (int c = 1; c <= cabeceras.Count(); ++c)
            r << cabeceras.Item(c).Text() + u' ' + QString::number(cabeceras.Item(c).Width());
        return r;
    };
    for (const QString& tabla : tablas) {
        const lookup::Definicion d = *lookup::BuscaDefinicion(lookup::Consulta().gRutaMascaraConsultas, tabla);
        QString campos = d.Campos.trimmed().mid(1).chopped(1).replace(u'|', u',');
        const bool articulos = tabla == u"V_MA_ARTICULOS";
        if (articulos) campos += QStringLiteral(",PRECIO1");
        const QString sql = QStringLiteral("SELECT ") + campos + QStringLiteral(" FROM ") + tabla;
        ui::ScriptedSession dlg;
        lookup::frmCons3().instance().ValoresDefault = QStringLiteral("@10");
        const QStringList esperadas = columnas(Abre(sql));
        lookup::frmCons3().release();
        if (articulos) {  // the code's 25 X, not widened, and the price class's name
            EXPECT_EQ(esperadas.value(1), "IDARTICULO 3075");
            EXPECT_TRUE(esperadas.value(2).startsWith("Mayorista ")) << esperadas.value(2).toStdString();
        }
        dlg.onModal(QStringLiteral("Lib_FrmCons3"), [&](QWidget* w) {
            auto& f = static_cast<Lib_FrmCons3&>(*w);
            EXPECT_EQ(columnas(f), esperadas) << f.sql.toStdString();
            f.CmdCancelar->click();
        });
        lookup::Consulta().ConsultaSearch(sql, nullptr, QString(), nullptr, nullptr, QString(), false,
                                          QStringLiteral("@10"));
        EXPECT_TRUE(dlg.remaining().isEmpty()) << tabla.toStdString();
    }
}

TEST_F(Lista, ArticleRowsColouredByStockAndPriceTitles)
{
    ModGlobal::GrabaCfg(QStringLiteral("NOM_PCLASE1"), QStringLiteral("Mayorista"));
    Lib_FrmCons3& f = lookup::frmCons3().instance();
    f.MuestraStock = QStringLiteral("si");
    f.StkNivel1 = 1;
    f.StkNivel2 = 2;
    f.StkNivel3 = 3;
    f.StkNivel4 = 4;
    f.sql = QStringLiteral("SELECT IDARTICULO, PRECIO1, Descripcion, 10 AS PUNTOPEDIDO, CASE WHEN IDARTICULO LIKE "
                           "'%1001' THEN 4 WHEN IDARTICULO LIKE '%1002' THEN 10 ELSE 0 END AS Stock FROM "
                           "V_MA_ARTICULOS ORDER BY IDARTICULO");
    f.Load();
    EXPECT_TRUE(f.EsConsultaArticulos());
    EXPECT_EQ(f.ListView1->ColumnHeaders().Item(2).Text(), "Mayorista");
    EXPECT_EQ(f.ListView1->ColumnHeaders().Item(3).Text().toUpper(), "DESCRIPCION") << "only PRECIO1-8 are renamed";
    ui::ListItems& items = f.ListView1->ListItems();
    const std::pair<int, ui::VbColor> colores[] = {{1, 3}, {2, 4}};
    for (const auto& [fila, color] : colores) {
        EXPECT_EQ(items.Item(fila).ForeColor(), color) << fila;
        EXPECT_EQ(items.Item(fila).ListSubItems(2).ForeColor(), color) << fila;
        EXPECT_TRUE(items.Item(fila).Bold()) << fila;
    }
}

// The list's own sort of its texts gives the server's ORDER BY.
TEST_F(Lista, TheListSortsItsTextsAsTheServer)
{
    const char* nombres[] = {"Pint-Latex", "Pinta", "D''Angelo", "Peña", "Pena", "Dalton", "-5", "5", "6"};
    for (int i = 0; i < 9; ++i) AgregaCliente(qPrintable(QStringLiteral("X%1").arg(i)), nombres[i], "x");
    ui::ScriptedSession dlg;
    Lib_FrmCons3& f = Abre(QStringLiteral("SELECT RAZON_SOCIAL FROM VT_CLIENTES WHERE CODIGO LIKE 'X%'"));
    const QStringList servidor({"5", "-5", "6", "Dalton", "D'Angelo", "Pena", "Peña", "Pinta", "Pint-Latex"});
    EXPECT_EQ(Columna(f, 1), servidor);
    lookup::frmCons3().release();
    EXPECT_EQ(Columna(Abre(QStringLiteral("SELECT RAZON_SOCIAL FROM VT_CLIENTES WHERE CODIGO LIKE 'X%' ORDER BY 1")), 1),
              servidor);
}

TEST_F(Lista, F5NarrowsNuevaBusquedaRestoresAndTheDateSortAsksTheServer)
{
    AgregaCliente("C0003", "Almacen Norte", "Luis");
    ui::ScriptedSession dlg;
    Lib_FrmCons3& f = Abre(QStringLiteral("SELECT CODIGO, RAZON_SOCIAL AS FechaAlta FROM VT_CLIENTES"));
    EXPECT_TRUE(f.ListView1->Sorted());
    ui::ComboBox& razon = (*f.CmbSearch)(1);
    razon.setText(QStringLiteral("pin*sur"));
    Tecla(&razon, Qt::Key_F5);
    EXPECT_TRUE(f.sql.contains(" where LTRIM(RTRIM(FechaAlta)) like 'pin%sur%' ")) << f.sql.toStdString();
    EXPECT_EQ(Columna(f, 1), QStringList({"C0002"}));
    EXPECT_EQ(razon.Text(), "");
    ui::ComboBox& codigo = (*f.CmbSearch)(0);
    codigo.setText(QStringLiteral("C9"));
    Tecla(&codigo, Qt::Key_F5);
    EXPECT_TRUE(f.sql.contains(" and LTRIM(RTRIM(CODIGO)) like 'C9%' ")) << f.sql.toStdString();
    EXPECT_EQ(f.ListView1->ListItems().Count(), 0);
    f.CmdNueva->click();
    EXPECT_EQ(f.ListView1->ListItems().Count(), 3);

    const QString antes = f.sql;
    ClickCabecera(f, 2);
    EXPECT_EQ(Columna(f, 1), QStringList({"C0003", "C0001", "C0002"})) << "ordered by the server";
    EXPECT_EQ(f.sql, antes);
    EXPECT_FALSE(f.OrdenarPorLwv);
    EXPECT_FALSE(f.ListView1->Sorted());
    lookup::frmCons3().release();
    // The condition typed binds to the whole of the statement's own.
    Lib_FrmCons3& o = Abre(QStringLiteral("SELECT CODIGO, RAZON_SOCIAL FROM VT_CLIENTES WHERE CODIGO = 'C0001' OR "
                                          "CODIGO = 'C0002' ORDER BY CODIGO"));
    (*o.CmbSearch)(1).setText(QStringLiteral("pin"));
    Tecla(&(*o.CmbSearch)(1), Qt::Key_F5);
    EXPECT_EQ(Columna(o, 1), QStringList({"C0002"})) << o.sql.toStdString();
    lookup::frmCons3().release();

    // The default lookups of the demo database: codes of digits are stored
    // right-aligned and shown trimmed; F5 finds what the list shows.
    Ejecuta(QStringLiteral("INSERT INTO V_TA_VENDEDORES (IDVENDEDOR, NOMBRE) VALUES ('  12', 'Vendedor Doce')"));
    const struct {
        const char* tabla;
        const char* texto;
        bool like;
        QStringList filas;
    } casos[] = {
        {"V_MA_ARTICULOS", "1001", false, {"Tornillo 6x40 (caja x 100)"}},
        {"V_MA_ARTICULOS", "100", false, {"Taco fischer 8 mm", "Tornillo 6x40 (caja x 100)"}},
        {"V_MA_ARTICULOS", "PINT", false, {"Pintura latex blanca 20 l"}},
        {"V_MA_ARTICULOS", "1001", true, {"Tornillo 6x40 (caja x 100)"}},
        {"V_TA_DEPOSITO", "2", false, {"Deposito Sucursal"}},
        {"V_TA_VENDEDORES", "12", false, {"Vendedor Doce"}},
        {"V_TA_Tareas", "2", false, {"Mantenimiento"}},
        {"V_TA_UnidadNegocio", "1", true, {"Casa Central"}},
    };
    for (const auto& c : casos) {
        dlg.onModal(QStringLiteral("Lib_FrmCons3"), [&](QWidget* w) {
            auto& v = static_cast<Lib_FrmCons3&>(*w);
            v.CfgUsaConsultaLIKE = c.like;
            (*v.CmbSearch)(1).setText(QString::fromLatin1(c.texto));
            Tecla(&(*v.CmbSearch)(1), Qt::Key_F5);
            EXPECT_EQ(Columna(v, 1), c.filas) << c.tabla << " " << c.texto << ": " << v.sql.toStdString();
            v.CmdCancelar->click();
        });
        lookup::Consulta().ConsultaSearch(QString::fromLatin1(c.tabla));
    }
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(Lista, OneShortColumnKeepsItsButtonsWhole)
{
    // The columns alone would make the window narrower than its buttons and
    // title row: at its first size and made narrower still, they show whole.
    ui::ScriptedSession dlg;
    Lib_FrmCons3& f = Abre(QStringLiteral("SELECT CODIGO FROM VT_CLIENTES"));
    Foto(f, "lib_frmcons3_estrecha.png");
    f.resize(1, f.height());
    QCoreApplication::processEvents();
    DentroDeLaVentana(f, "made narrower");
    testutil::ExpectWholeLabels(f);
}

// The lookup windows take the program's font, as the desktop gives it: each
// one pictured at its first size in the sizes and fonts the user may choose,
// to <build>/lib_frmcons3*_<points>[_<font>].png, every control whole and
// clear of the others (the search boxes too).
TEST_F(Lista, EveryLookupWindowWholeInEveryFontAndSize)
{
    // alto: the height of the font's lines in pixels as installed (Segoe UI
    // is drawn in Liberation Sans, Calibri in DejaVu Sans, Courier New in
    // Liberation Mono); caja: a search box is as tall as those lines and its
    // frame (2 pixels above and below), and keeps its 315 twips (21 pixels)
    // where they suffice; fila: the title row keeps its 360 twips (24) or
    // grows to the title's lines with 30 twips (2) above and below it.
    const struct {
        const char* fuente;
        int puntos;
        int alto;
        int caja;
        int fila;
    } casos[] = {{"Segoe UI", 8, 12, 21, 24},  {"Segoe UI", 9, 14, 21, 24},  {"Segoe UI", 12, 17, 21, 24},
                 {"Segoe UI", 14, 21, 25, 25}, {"Segoe UI", 16, 23, 27, 27}, {"Calibri", 12, 19, 23, 24},
                 {"Courier New", 12, 18, 22, 24}, {"Courier New", 16, 23, 27, 27}};
    // Ordinary data: customers with names of 10 to 40 letters, accounts of
    // up to 70, one of 81 under the long code '1.1.01.001', and a list of
    // seven text columns of 60, 15, 50, 20, 40, 60 and 30 letters wider
    // than the screen.
    std::mt19937 azar(59);
    auto palabras = [&](int largo) {
        QString t;
        while (t.size() < largo) t += QString(1, QChar(u'A' + int(azar() % 26))) + QString(int(azar() % 8) + 2, u'e') + u' ';
        return t.left(largo).trimmed();
    };
    for (int i = 0; i < 12; ++i) {
        AgregaCliente(qPrintable(QStringLiteral("G%1").arg(i, 4, 10, QChar(u'0'))),
                      qPrintable(palabras(10 + int(azar() % 31))), qPrintable(palabras(8 + int(azar() % 20))));
        Ejecuta(QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO, DESCRIPCION) VALUES ('5.1.01.%1', '%2')")
                    .arg(i, 3, 10, QChar(u'0'))
                    .arg(palabras(20 + int(azar() % 51))));
    }
    Ejecuta(QStringLiteral("INSERT INTO MA_CUENTAS (CODIGO, DESCRIPCION) VALUES ('1.1.01.001', 'Deudores por ventas en "
                           "cuenta corriente en moneda extranjera sucursales interior')"));
    Ejecuta(QStringLiteral("CREATE TABLE ANCHAS (A VARCHAR(60), B VARCHAR(15), C VARCHAR(50), D VARCHAR(20), "
                           "E VARCHAR(40), F VARCHAR(60), G VARCHAR(30))"));
    Ejecuta(QStringLiteral("INSERT INTO ANCHAS VALUES ('%1', '%2', '%3', '%4', '%5', '%6', '%7')")
                .arg(palabras(55), palabras(12), palabras(45), palabras(18), palabras(36), palabras(55))
                .arg(palabras(27)));
    const QFont antes = QApplication::font();
    for (const auto& c : casos) {
        QString sufijo = QString::number(c.puntos);
        if (c.fuente != std::string("Segoe UI")) sufijo += u'_' + QString::fromLatin1(c.fuente).replace(u' ', u'_');
        SCOPED_TRACE(sufijo.toStdString());
        QFont f = antes;
        f.setFamily(QString::fromLatin1(c.fuente));
        f.setPointSize(c.puntos);
        QApplication::setFont(f);
        auto nombre = [&](const char* base) {
            return (QLatin1String(base) + u'_' + sufijo + QStringLiteral(".png")).toLatin1();
        };
        // The list windows: the boxes and the title row grow, the list moves
        // down under the boxes (45 twips, 3 pixels, below them) and keeps its
        // 286 pixels, the window (413 pixels in the design) grows by what
        // the rows took, the bar keeps its 8 pixels above the window's edge.
        auto lista = [&](Lib_FrmCons3& l, const char* base) {
            SCOPED_TRACE(base);
            Foto(l, nombre(base).constData());
            ASSERT_EQ(QFontMetrics(l.CmdAceptar->font()).height(), c.alto) << "the font as installed";
            for (const QComboBox* b : l.findChildren<QComboBox*>()) {
                if (!b->isVisibleTo(&l)) continue;
                testutil::layout::ExpectWholeText(*b);
                EXPECT_EQ(QRect(0, b->y(), 1, b->height()), QRect(0, 0, 1, c.caja));
            }
            EXPECT_EQ(l.picFields->y(), c.fila);
            EXPECT_EQ(l.ListView1->y(), c.caja + 3);
            EXPECT_EQ(l.ListView1->height(), 286);
            EXPECT_EQ(l.height(), 413 + (c.fila - 24) + (c.caja - 21));
            EXPECT_EQ(l.Frame1->geometry().bottom() + 1, l.height() - 8);
            // every cell whole, the bar reaching the end of the rows
            QTreeView* filas = Vista(l.ListView1);
            ui::ColumnHeader& primera = l.ListView1->ColumnHeaders().Item(1);
            for (double mas : {0, 3000}) {  // and with the first column widened
                primera.setWidth(primera.Width() + mas);
                QCoreApplication::processEvents();
                EXPECT_EQ(ui::twipsToPixels(l.HScroll1->Max()),
                          std::max(0, filas->header()->length() - filas->viewport()->width()));
                testutil::layout::ExpectWholeItems(*filas, ui::twipsToPixels(l.HScroll1->Max()));
            }
        };
        const std::pair<const char*, const char*> listas[] = {
            {"SELECT RAZON_SOCIAL, CODIGO, CONTACTO FROM VT_CLIENTES", "lib_frmcons3"},
            {"SELECT CODIGO FROM VT_CLIENTES", "lib_frmcons3_estrecha"},
            {"SELECT A, B, C, D, E, F, G FROM ANCHAS", "lib_frmcons3_ancha"}};
        for (const auto& [sql, base] : listas) {
            lista(Abre(QString::fromLatin1(sql)), base);
            lookup::frmCons3().release();
        }
        ui::ScriptedSession dlg;
        dlg.onModal(QStringLiteral("Lib_FrmCons3"), [&](QWidget* w) {
            lista(static_cast<Lib_FrmCons3&>(*w), "lib_frmcons3_opciones");
            static_cast<Lib_FrmCons3*>(w)->CmdCancelar->click();
        });
        lookup::Consulta().CheckOpciones(QStringLiteral("Color"), nullptr, {"1Rojo", "0Verde"});

        // The tree window: the box grows, the tree (25 pixels down, 4 below
        // the box) and the bar (416) move down by as much and the window
        // (480) grows with them; a button grows to its caption and those on
        // its right move right, keeping the 54 and 23 pixels between the
        // buttons and the 8 before the bar's edge; the panel, the box and
        // the tree widen with the bar, the window 4 pixels beyond it.
        Lib_FrmCons3Tree& t = lookup::frmCons3Tree().instance();
        t.sql = QStringLiteral("SELECT CODIGO, DESCRIPCION FROM MA_CUENTAS");
        t.Load();
        t.show();
        // every node opened: each one's whole text within the tree's reach
        for (int i = 1; i <= t.TreeV->Nodes().Count(); ++i) t.TreeV->Nodes().Item(i).setExpanded(true);
        Foto(t, nombre("lib_frmcons3tree").constData());
        testutil::layout::ExpectWholeItems(*Vista(t.TreeV));
        ui::ComboBox& caja = (*t.CmbSearch)(0);
        testutil::layout::ExpectWholeText(caja);
        EXPECT_EQ(caja.height(), c.caja);
        EXPECT_EQ(t.TreeV->geometry(), QRect(0, c.caja + 4, t.Frame1->width(), 383));
        EXPECT_EQ(t.Frame1->y(), 416 + c.caja - 21);
        EXPECT_EQ(t.height(), 480 + c.caja - 21);
        EXPECT_EQ(t.CmdCancelar->x() - t.CmdAceptar->geometry().right() - 1, 54);
        EXPECT_EQ(t.CmdNueva->x() - t.CmdCancelar->geometry().right() - 1, 23);
        EXPECT_EQ(t.Frame1->width() - t.CmdNueva->geometry().right() - 1, 8);
        EXPECT_EQ(caja.width(), t.Frame1->width());
        EXPECT_EQ(t.picFields->width(), t.Frame1->width());
        EXPECT_EQ(t.width(), t.Frame1->geometry().right() + 1 + 4);
        if (c.puntos < 12) {
            // where the font fits, the designed places in twips
            EXPECT_EQ(t.size(), QSize(400, 480));
            EXPECT_EQ(t.CmdNueva->geometry(), QRect(263, 16, 121, 25));
        }
        lookup::frmCons3Tree().release();
    }
    // A window open when the font changes grows for the new font only once,
    // and back to its design in a font that fits it.
    Lib_FrmCons3& l = Abre(QStringLiteral("SELECT CODIGO FROM VT_CLIENTES"));
    Lib_FrmCons3Tree& t = lookup::frmCons3Tree().instance();
    t.show();
    for (const auto& [puntos, lista, arbol] : {std::tuple{16, 422, 486}, {14, 418, 484}, {9, 413, 480}}) {
        QApplication::setFont(QFont(QStringLiteral("Segoe UI"), puntos));
        QCoreApplication::processEvents();  // the new font reaches the controls through the event loop
        EXPECT_EQ(QSize(l.height(), t.height()), QSize(lista, arbol)) << puntos;
        testutil::ExpectWholeLabels(l);
        testutil::ExpectWholeLabels(t);
    }
    lookup::frmCons3().release();
    lookup::frmCons3Tree().release();
    QApplication::setFont(antes);
}

// Seeded: 40 windows in fonts and sizes between 8 and 16 points (halves
// too), the list on one to three columns with and without checks, made
// narrower at random, and the chooser with a title and options of up to 40
// letters: every control whole, clear of the others, inside its window.
TEST_F(Lista, GeneratedFontsKeepEveryLookupWindowWhole)
{
    const char* fuentes[] = {"Segoe UI", "Calibri", "Courier New", "Tahoma"};
    const char* columnas[] = {"CODIGO", "RAZON_SOCIAL", "CONTACTO"};
    const QFont antes = QApplication::font();
    std::mt19937 azar(54);
    auto uno = [&](int n) { return int(azar() % unsigned(n)); };
    auto entera = [](QWidget& w) {
        testutil::ExpectWholeLabels(w);
        for (const QComboBox* b : w.findChildren<QComboBox*>())
            if (b->isVisibleTo(&w)) testutil::layout::ExpectWholeText(*b);
    };
    for (int vuelta = 0; vuelta < 40; ++vuelta) {
        QFont f(QString::fromLatin1(fuentes[uno(4)]));
        f.setPointSizeF(8 + uno(17) * 0.5);
        QApplication::setFont(f);
        SCOPED_TRACE("seed 54, round " + std::to_string(vuelta) + ": " + f.family().toStdString() + ' ' +
                     std::to_string(f.pointSizeF()));
        if (uno(2)) {
            QStringList campos;
            for (int k = uno(3) + 1; k > 0; --k) campos << QString::fromLatin1(columnas[uno(3)]);
            Lib_FrmCons3& l = Abre("SELECT " + campos.join(u',') + " FROM VT_CLIENTES", uno(2));
            entera(l);
            l.resize(1 + uno(l.width()), l.height());
            entera(l);
            QCoreApplication::processEvents();
            testutil::layout::ExpectWholeItems(*Vista(l.ListView1), ui::twipsToPixels(l.HScroll1->Max()));
            EXPECT_GT(l.ListView1->height(), 200);
            lookup::frmCons3().release();
            continue;
        }
        legacy::VariantList opciones;
        for (int k = uno(5); k > 0; --k) opciones.push_back(QString(1 + uno(40), QChar(u'a' + uno(26))));
        ui::ScriptedSession dlg;
        dlg.onModal(QStringLiteral("Lib_FrmCons3"), [&](QWidget* w) {
            entera(*w);
            static_cast<Lib_FrmCons3*>(w)->CmdCancelar->click();
        });
        lookup::Consulta().CheckOpciones(QString(uno(41), u'T'), nullptr, opciones);
        EXPECT_TRUE(dlg.remaining().isEmpty());
    }
    QApplication::setFont(antes);
}

TEST_F(Lista, ThirdDatabaseNotConnectedIsReportedByTheLoad)
{
    ui::ScriptedSession dlg;
    dlg.expectMsgBox(QStringLiteral("No hay conexión con la base de datos."), ui::vbAbort);
    Lib_FrmCons3& f = lookup::frmCons3().instance();
    f.sql = QStringLiteral("SELECT CODIGO FROM VT_CLIENTES");
    f.UsarUDBC = true;
    f.Load();
    EXPECT_TRUE(dlg.remaining().isEmpty());
    EXPECT_EQ(f.ListView1->ListItems().Count(), 0);
    lookup::frmCons3().unload();
    EXPECT_FALSE(f.UsarUDBC) << "the unload sets it back";
}

TEST_F(Lista, TypingInTheListGoesToTheSearchBox)
{
    ui::ScriptedSession dlg;
    Lib_FrmCons3& f = Abre(QStringLiteral("SELECT RAZON_SOCIAL, CODIGO FROM VT_CLIENTES"));
    QWidget* vista = Vista(f.ListView1);
    vista->setFocus();
    ui::ComboBox& caja = (*f.CmbSearch)(0);
    Tecla(vista, Qt::Key_F5);
    Tecla(vista, Qt::Key_F12);
    Tecla(vista, Qt::Key_Down);
    EXPECT_EQ(caja.Text(), "") << "function and cursor keys type nothing";
    Tecla(vista, Qt::Key_P, QStringLiteral("p"));
    EXPECT_EQ(caja.Text(), "P") << "the key's own letter";
    EXPECT_EQ(f.ListView1->SelectedItem()->Text(), "Pinturerias del Sur");
    Tecla(vista, Qt::Key_1, QStringLiteral("1"), Qt::KeypadModifier);
    EXPECT_EQ(caja.Text(), "P1");
    Tecla(vista, Qt::Key_Backspace, QStringLiteral("\b"));
    EXPECT_EQ(caja.Text(), "P");
    EXPECT_TRUE(caja.hasFocus() || caja.isAncestorOf(QApplication::focusWidget()));
    EXPECT_TRUE(dlg.shown().isEmpty()) << "F12 outside an article lookup shows nothing";
}

TEST_F(Lista, TabGoesFromEachSearchBoxToTheNext)
{
    ui::ScriptedSession dlg;
    Lib_FrmCons3& f = Abre(QStringLiteral("SELECT CODIGO, RAZON_SOCIAL, CONTACTO FROM VT_CLIENTES"));
    auto enCaja = [&](int i) {
        QWidget* foco = QApplication::focusWidget();
        return foco && (foco == &(*f.CmbSearch)(i) || (*f.CmbSearch)(i).isAncestorOf(foco));
    };
    (*f.CmbSearch)(0).SetFocus();
    for (int i = 1; i <= 2; ++i) {
        Tecla(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_TRUE(enCaja(i)) << i;
    }
    Tecla(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(f.ListView1->isAncestorOf(QApplication::focusWidget())) << "after the last box, the list";
}

TEST_F(Lista, F12ReportsTheSelectedArticleAsAShortage)
{
    Ejecuta(QStringLiteral("UPDATE V_MA_ARTICULOS SET DESCRIPCION = 'Taco 8'' mm' WHERE IDARTICULO LIKE '%1002'"));
    ui::ScriptedSession dlg;
    Lib_FrmCons3& f = Abre(QStringLiteral("SELECT IDARTICULO, DESCRIPCION FROM V_MA_ARTICULOS ORDER BY IDARTICULO"));
    QWidget* vista = Vista(f.ListView1);
    f.ListView1->setSelectedItem(nullptr);
    Tecla(vista, Qt::Key_F12);
    EXPECT_TRUE(dlg.shown().isEmpty()) << "no row selected: nothing";
    f.ListView1->setSelectedItem(&f.ListView1->ListItems().Item(2));
    dlg.expectMsgBox(QStringLiteral("Desea informar el articulo 1002 Taco 8' mm"), ui::vbNo)
        .title("Atención!")
        .style(ui::vbYesNo + ui::vbQuestion);
    Tecla(vista, Qt::Key_F12);
    EXPECT_TRUE(Filas("SELECT * FROM V_MV_FALTANTES").isEmpty());
    dlg.expectMsgBox(QStringLiteral("como un faltante de stock?"), ui::vbYes);
    Tecla(vista, Qt::Key_F12);
    EXPECT_TRUE(dlg.remaining().isEmpty());
    EXPECT_EQ(Filas("SELECT IdArticulo, Descripcion, Usuario FROM V_MV_FALTANTES"),
              QStringList({"                     1002|Taco 8' mm|DEMO"}));
    auto rs = ModGlobal::gDB().gCnn->Execute(QStringLiteral("SELECT FechaHora FROM V_MV_FALTANTES"));
    const legacy::Date d = rs->Fields(0).Value().toDate();
    const QDate hoy = QDate::currentDate();
    EXPECT_EQ(QDate(legacy::Year(d), legacy::Month(d), legacy::Day(d)), hoy) << "day first, as the connection reads it";
}

TEST_F(Lista, CancelAndTheMaintenanceProgram)
{
    // A stand-in for the maintenance program: it writes what it was given.
    const QString programa = carpeta_.file(QStringLiteral("BROMELIANTURO"));
    legacy::WriteAllText(programa, QStringLiteral("#!/bin/sh\necho \"$@\" > \"$0.txt\"\n"));
    QFile::setPermissions(programa, QFile::permissions(programa) | QFileDevice::ExeOwner);
    lookup::Lib_ClsCons3& c = lookup::Consulta();
    c.CampoDevuelto = QStringLiteral("CODIGO");
    ui::ScriptedSession dlg;
    dlg.onModal(QStringLiteral("Lib_FrmCons3"), [&](QWidget* w) {
        auto& f = static_cast<Lib_FrmCons3&>(*w);
        EXPECT_EQ(f.TablaConsulta(), "VT_PROVEEDORES");
        f.CmdNuevo->click();
        f.ListView1->setSelectedItem(&f.ListView1->ListItems().Item(1));
        f.CmdCancelar->click();
    });
    c.ConsultaSearch(QStringLiteral("VT_PROVEEDORES"));
    EXPECT_EQ(c.ValorDevuelto.toString(), "");
    EXPECT_EQ(c.Valores, nullptr);
    QElapsedTimer reloj;
    reloj.start();
    while (!QFile::exists(programa + ".txt") && reloj.elapsed() < 5000) QThread::msleep(20);
    EXPECT_TRUE(legacy::ReadAllText(programa + ".txt").contains("@ParametroAdicional=0"));
}

TEST_F(Lista, WidthsAreSavedOnUnloadAndAppliedOnLoad)
{
    ui::ScriptedSession dlg;
    Lib_FrmCons3& f = Abre(QStringLiteral("SELECT CODIGO, RAZON_SOCIAL FROM VT_CLIENTES"));
    f.GrabarCfg = true;
    f.ListView1->ColumnHeaders().Item(1).setWidth(2010);
    const double segunda = f.ListView1->ColumnHeaders().Item(2).Width();
    lookup::frmCons3().release();
    EXPECT_EQ(legacy::ReadAllText(lookup::ArchivoAnchos(carpeta_.path())),
              QStringLiteral("\"VT_CLIENTES\",\"2010|%1|\"\r\n").arg(segunda));
    Lib_FrmCons3& g = Abre(QStringLiteral("select codigo, razon_social from vt_clientes"));
    EXPECT_EQ(g.ListView1->ColumnHeaders().Item(1).Width(), 2010);
    EXPECT_EQ((*g.CmbSearch)(0).Width(), 1965) << "the box follows its column";
    lookup::frmCons3().release();
    // A damaged width ends the reading: both columns keep their own widths.
    legacy::WriteAllText(lookup::ArchivoAnchos(carpeta_.path()), QStringLiteral("\"VT_CLIENTES\",\"abc|2500|\"\r\n"));
    Lib_FrmCons3& h = Abre(QStringLiteral("SELECT CODIGO, RAZON_SOCIAL FROM VT_CLIENTES"));
    EXPECT_EQ(h.ListView1->ColumnHeaders().Item(1).Width(), 1845);
    EXPECT_EQ(h.ListView1->ColumnHeaders().Item(2).Width(), 7395);
}

}  // namespace
