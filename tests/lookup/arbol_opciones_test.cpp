// The tree lookup window (families, the general builder, checks, F5,
// accept, cancel) and the option choosers, through the lookup class.
#include "entorno_consultas.h"

#include "platform/legacy/textfile.h"

#include <QPushButton>

using consultastest::EntornoConsultas;

namespace {

class Arbol : public EntornoConsultas {
protected:
    static QString Padre(Lib_FrmCons3Tree& f, const char* clave)
    {
        ui::Node* n = f.TreeV->Nodes().find(QString::fromLatin1(clave));
        if (!n) return QStringLiteral("<none>");
        return n->Parent() ? n->Parent()->Key() : QString();
    }
};

TEST_F(Arbol, FamiliesParentsSearchF5AndAccept)
{
    Ejecuta(QStringLiteral("DELETE FROM V_TA_FAMILIAS"));
    for (const char* f : {"('01','Bebidas')", "('0101','Gaseosas')", "('0102','Aguas')", "('02','Limpieza')",
                          "('0201','Detergentes')", "('0301','Sueltos')"})
        Ejecuta(QStringLiteral("INSERT INTO V_TA_FAMILIAS (IdFamilia, Descripcion) VALUES ") + QString::fromLatin1(f));
    lookup::Lib_ClsCons3& c = lookup::Consulta();
    c.CampoDevuelto = QStringLiteral("IDFAMILIA");
    ui::ScriptedSession dlg;
    dlg.onModal(QStringLiteral("Lib_FrmCons3Tree"), [&](QWidget* w) {
        auto& f = static_cast<Lib_FrmCons3Tree&>(*w);
        EXPECT_EQ(f.TreeV->Nodes().Count(), 7);
        const std::pair<const char*, const char*> padres[] = {{"A01", "A"},     {"A0101", "A01"}, {"A0102", "A01"},
                                                              {"A02", "A"},     {"A0201", "A02"}, {"A0301", "A02"}};
        for (const auto& [clave, padre] : padres) EXPECT_EQ(Padre(f, clave), padre) << clave;
        EXPECT_EQ(f.TreeV->Nodes().Item(QStringLiteral("A0102")).Text(), "0102 - Aguas");
        ui::ComboBox& caja = (*f.CmbSearch)(0);
        Escribe(&caja, QStringLiteral("det"));
        EXPECT_EQ(f.TreeV->SelectedItem()->Key(), "A0201");
        caja.setText(QStringLiteral("co"));
        EXPECT_EQ(f.TreeV->SelectedItem()->Key(), "A") << "the root's own text";
        Foto(f, "lib_frmcons3tree.png");
        caja.setText(QStringLiteral("agu"));
        Tecla(&caja, Qt::Key_F5);
        EXPECT_EQ(f.TreeV->Nodes().Count(), 2) << "the condition applies to the family tree";
        EXPECT_EQ(Padre(f, "A0102"), "A") << "its parent was left out";
        f.CmdNueva->click();
        EXPECT_EQ(f.TreeV->Nodes().Count(), 7) << "a new search shows every family again";
        EXPECT_FALSE(f.sql.contains("like", Qt::CaseInsensitive)) << f.sql.toStdString();
        EXPECT_EQ(Padre(f, "A0102"), "A01");
        f.TreeV->setSelectedItem(&f.TreeV->Nodes().Item(QStringLiteral("A0102")));
        f.CmdAceptar->click();
    });
    c.ConsultaSearch(QStringLiteral("SELECT * FROM V_TA_FAMILIAS"), nullptr, QString(), nullptr, nullptr, QString(), true);
    EXPECT_TRUE(dlg.remaining().isEmpty());
    EXPECT_EQ(c.ValorDevuelto.toString(), "0102");
    EXPECT_EQ(c.CampoDevuelto, "");
}

TEST_F(Arbol, GeneralBuilderChecksWholeBranches)
{
    Ejecuta(QStringLiteral("DELETE FROM TA_CCOSTO"));
    const char* codigos[] = {"13", "1", "11", "111", "1111", "11111", "111111", "1111111", "11111111", "12", "2"};
    char orden = 'a';
    for (const char* codigo : codigos)
        Ejecuta(QStringLiteral("INSERT INTO TA_CCOSTO (CODIGO, DESCRIPCION) VALUES ('%1', '%2 centro')")
                    .arg(QString::fromLatin1(codigo), QString(QChar(orden++))));
    lookup::Lib_ClsCons3& c = lookup::Consulta();
    c.Checks = true;
    c.CampoDevuelto = QStringLiteral("CODIGO");
    ui::ScriptedSession dlg;
    dlg.expectMsgBox(QString(), ui::vbIgnore).title("ArmarTreeVAutomatico");
    dlg.onModal(QStringLiteral("Lib_FrmCons3Tree"), [&](QWidget* w) {
        auto& f = static_cast<Lib_FrmCons3Tree&>(*w);
        EXPECT_EQ(f.TreeV->Nodes().Count(), 12) << "Ignore leaves the repeated code out";
        EXPECT_EQ(Padre(f, "A13"), "A");
        EXPECT_EQ(Padre(f, "A1"), "A");
        EXPECT_EQ(Padre(f, "A12"), "A1");
        EXPECT_EQ(Padre(f, "A11111111"), "A1111111");
        EXPECT_EQ(Padre(f, "A2"), "A");
        f.TreeV->setSelectedItem(&f.TreeV->Nodes().Item(QStringLiteral("A1")));
        Tecla(Vista(f.TreeV), Qt::Key_Space, QStringLiteral(" "));
        EXPECT_TRUE(f.TreeV->Nodes().Item(QStringLiteral("A11111111")).Checked()) << "eight levels down";
        f.CmdAceptar->click();
    });
    c.ConsultaSearch(QStringLiteral("SELECT CODIGO, DESCRIPCION FROM TA_CCOSTO UNION ALL SELECT '11', 'z repetido' "
                                    "ORDER BY DESCRIPCION"),
                     nullptr, QString(), nullptr, nullptr, QString(), true);
    EXPECT_TRUE(dlg.remaining().isEmpty()) << dlg.failures().join(u'\n').toStdString();
    EXPECT_EQ(Textos(c.Valores),
              QStringList({"1", "11", "111", "1111", "11111", "111111", "1111111", "11111111", "12"}));
    EXPECT_FALSE(c.Checks);
}

TEST_F(Arbol, AcceptWithoutASelectionGoesToTheErrorBoxAndCancelReturnsNothing)
{
    ui::ScriptedSession dlg;
    Lib_FrmCons3Tree& f = lookup::frmCons3Tree().instance();
    f.sql = QStringLiteral("SELECT CODIGO, DESCRIPCION FROM MA_CUENTAS");
    f.CampoDevuelto = QStringLiteral("codigo");
    f.Load();
    f.show();
    // Abort leaves the accept with the window open; Ignore goes on with an
    // empty code, which no account has.
    const std::pair<int, bool> respuestas[] = {{ui::vbAbort, true}, {ui::vbIgnore, false}};
    for (const auto& [respuesta, abierta] : respuestas) {
        f.ValorDevuelto = QStringLiteral("antes");
        f.TreeV->setSelectedItem(nullptr);
        dlg.expectMsgBox(QString(), respuesta).title("HScroll1_Change");
        f.CmdAceptar->click();
        EXPECT_TRUE(dlg.remaining().isEmpty()) << respuesta;
        EXPECT_EQ(f.isVisible(), abierta) << respuesta;
        EXPECT_EQ(f.ValorDevuelto.toString(), abierta ? "antes" : "") << respuesta;
        f.show();
    }
    f.TreeV->setSelectedItem(&f.TreeV->Nodes().Item(QStringLiteral("A1.1.01")));
    EXPECT_EQ(f.TreeV->Nodes().Item(QStringLiteral("A1.1.01")).Parent()->Key(), "A1");
    f.CmdAceptar->click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.ValorDevuelto.toString(), "1.1.01") << "not a cost centre: found among the accounts";
    f.show();
    f.cmdCancelar_Click();
    EXPECT_EQ(f.ValorDevuelto.toString(), "");
    EXPECT_EQ(f.Valores, nullptr);
}

TEST_F(Arbol, ARepeatedCodeInAnyCapitalsGoesToTheErrorBox)
{
    // Ignore goes on with the next row; Abort stops the building there.
    const std::tuple<int, int, std::vector<std::pair<const char*, const char*>>> casos[] = {
        {ui::vbIgnore, 5, {{"Aab", "A"}, {"AAB", "<none>"}, {"Ax", "A"}, {"AABc", "Aab"}, {"Aabd", "Aab"}}},
        {ui::vbAbort, 2, {{"Aab", "A"}, {"Ax", "<none>"}}},
    };
    for (const auto& [respuesta, nodos, padres] : casos) {
        ui::ScriptedSession dlg;
        dlg.expectMsgBox(QString(), respuesta).title("ArmarTreeVAutomatico");
        if (respuesta == ui::vbIgnore) dlg.expectMsgBox(QString(), respuesta).title("ArmarTreeVAutomatico");
        Lib_FrmCons3Tree& f = lookup::frmCons3Tree().instance();
        f.sql = QStringLiteral("SELECT 'ab' AS CODIGO, 'uno' AS DESCRIPCION UNION ALL SELECT 'AB', 'dos' "
                               "UNION ALL SELECT 'x', 'tres' UNION ALL SELECT 'X', 'cuatro' "
                               "UNION ALL SELECT 'ABc', 'cinco' UNION ALL SELECT 'abd', 'seis'");
        f.Load();
        EXPECT_TRUE(dlg.remaining().isEmpty()) << respuesta;
        EXPECT_EQ(f.TreeV->Nodes().Count(), nodos) << respuesta;
        for (const auto& [clave, padre] : padres) EXPECT_EQ(Padre(f, clave), padre) << clave;
        lookup::frmCons3Tree().release();
    }
}

class Opciones : public EntornoConsultas {};

TEST_F(Opciones, CheckOptionsTickedByTheirFlag)
{
    lookup::Lib_ClsCons3& c = lookup::Consulta();
    ui::ScriptedSession dlg;
    dlg.onModal(QStringLiteral("Lib_FrmCons3"), [&](QWidget* w) {
        auto& f = static_cast<Lib_FrmCons3&>(*w);
        EXPECT_EQ(f.windowTitle(), "Color");
        EXPECT_TRUE(f.CmdNueva->isHidden());
        EXPECT_EQ(Columna(f, 1), QStringList({"Rojo", "Verde", "Azul"}));
        // 6 x 120 twips for the longest option, flag included, is narrower
        // than the buttons and the title row need: the window takes what
        // they need.
        EXPECT_GT(f.width(), ui::twipsToPixels(6 * 120 - 120));
        Foto(f, "lib_frmcons3_opciones.png");
        ui::ListItems& items = f.ListView1->ListItems();
        EXPECT_TRUE(items.Item(1).Checked());
        EXPECT_FALSE(items.Item(2).Checked());
        EXPECT_FALSE(items.Item(3).Checked());
        f.ListView1->setSelectedItem(&items.Item(3));
        Tecla(Vista(f.ListView1), Qt::Key_Space, QStringLiteral(" "));
        f.CmdAceptar->click();
    });
    EXPECT_EQ(c.CheckOpciones(QStringLiteral("Color"), nullptr, {"1Rojo", "0Verde", "xAzul"}), "");
    EXPECT_EQ(Textos(c.Valores), QStringList({"Rojo", "Azul"}));
}

TEST_F(Opciones, MenuOfOneOptionAndFileLines)
{
    lookup::Lib_ClsCons3& c = lookup::Consulta();
    ui::ScriptedSession dlg;
    dlg.onModal(QStringLiteral("Lib_FrmCons3"), [&](QWidget* w) {
        auto& f = static_cast<Lib_FrmCons3&>(*w);
        EXPECT_EQ(Columna(f, 1), QStringList({"Unica"})) << "a single option is listed";
        f.ListView1->setSelectedItem(&f.ListView1->ListItems().Item(1));
        Tecla(Vista(f.ListView1), Qt::Key_Return, QStringLiteral("\r"));
    });
    EXPECT_EQ(c.MenuOpciones(QStringLiteral("Menu"), {legacy::Variant::fromArray({"Unica"})}), "Unica");

    const QString archivo = carpeta_.file(QStringLiteral("lineas.txt"));
    const QString larga(70, u'l');
    legacy::WriteAllText(archivo, QStringLiteral("primera\r\nsegunda\r\n") + larga + QStringLiteral("\r\n"));
    dlg.onModal(QStringLiteral("Lib_FrmCons3"), [&](QWidget* w) {
        auto& f = static_cast<Lib_FrmCons3&>(*w);
        EXPECT_EQ(Columna(f, 1), QStringList({"primera", "segunda", larga}));
        EXPECT_EQ(f.width(), ui::twipsToPixels(std::min(70 * 120.0, Lib_FrmCons3::AnchoPantalla()) - 120))
            << "a width wider than the controls need stays";
        testutil::ExpectWholeLabels(f);
        f.ListView1->setSelectedItem(&f.ListView1->ListItems().Item(2));
        f.CmdAceptar->click();
    });
    EXPECT_EQ(c.ConsultaDesdeArchivo(QStringLiteral("Lineas"), archivo), "segunda");

    // A blank title keeps the pick (an empty text would read as Cancelar).
    for (int vez = 0; vez < 2; ++vez)
        dlg.onModal(QStringLiteral("Lib_FrmCons3"), [&](QWidget* w) {
            auto& f = static_cast<Lib_FrmCons3&>(*w);
            f.ListView1->setSelectedItem(&f.ListView1->ListItems().Item(2));
            f.CmdAceptar->click();
        });
    EXPECT_EQ(c.MenuOpciones(QString(), {"Uno", "Dos"}), "Dos");
    EXPECT_EQ(c.ConsultaDesdeArchivo(QString(), archivo), "segunda");

    dlg.expectMsgBox(QStringLiteral("No existe el archivo /no/hay.txt que desea consultar consulta "))
        .style(ui::vbOKOnly);
    EXPECT_EQ(c.ConsultaDesdeArchivo(QStringLiteral("Lineas"), QStringLiteral("/no/hay.txt")), "");
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

}  // namespace
