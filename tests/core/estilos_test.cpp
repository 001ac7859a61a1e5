// The user's font, size and skin style from the configuration file, applied
// to a window, and the window icon and toolbar settings.
#include "core/estilos.h"
#include "servicios_fixture.h"

#include "platform/legacy/textfile.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using serviciostest::ServiciosTest;

class EstilosTest : public ServiciosTest {
protected:
    void SetUp() override
    {
        ServiciosTest::SetUp();
        ModGlobal::gDB().gDBName = QStringLiteral("ventas");
    }
    // The configuration file of the program folder, written in the suite's
    // code page.
    void Ini(const QString& texto)
    {
        legacy::WriteAllText(carpeta_.file(QStringLiteral("QM410TX.INI")), texto);
    }
    void IniEstilo(const QString& fuente, const QString& tamanio, const QString& estilo)
    {
        Ini(QStringLiteral("[ANA_VENTASFont]\r\nFont= %1 \r\n[ANA_VENTASFontSize]\r\nFontSize=%2\r\n"
                           "[ANA_VENTASStyles]\r\nStyles=%3\r\n")
                .arg(fuente, tamanio, estilo));
    }
};

TEST_F(EstilosTest, DefaultsWithoutSettings)
{
    const ModGlobal::EstiloUsuario e = ModGlobal::LeeEstiloUsuario();
    EXPECT_EQ(e.fuente, QStringLiteral("Segoe UI"));
    EXPECT_EQ(e.tamanio, QStringLiteral("9"));
    EXPECT_EQ(e.estilo, 4);
    EXPECT_EQ(e.archivoSkin, QStringLiteral("Styles/iTunes"));
    EXPECT_EQ(e.iniSkin, QStringLiteral("Normalitunes.ini"));
    EXPECT_EQ(ModGlobal::ObtieneTemaEstilo(e.estilo), 5);
}

TEST_F(EstilosTest, StyleNumbersSkinsAndThemes)
{
    struct Caso {
        const char* texto;
        int estilo;
        const char* skin;
        int tema;
    };
    const Caso casos[] = {
        {"1", 1, "Styles/Vista.cjstyles", 2},      {"2", 2, "Styles/WinXP.Luna.cjstyles", 3},
        {"3", 3, "Styles/WinXP.Royale.cjstyles", 4}, {"4", 4, "Styles/iTunes", 5},
        {"0", 0, "Styles/Office2007.cjstyles", 1}, {"5", 5, "Styles/Office2007.cjstyles", 2},
        {"-3", -3, "Styles/Office2007.cjstyles", 2}, {"palabra", -3, "Styles/Office2007.cjstyles", 2},
        {"1", 1, "Styles/Vista.cjstyles", 2},      {"palabra", 1, "Styles/Vista.cjstyles", 2},
    };
    // A text that is no number keeps the style number read before it.
    for (const Caso& c : casos) {
        IniEstilo(QStringLiteral("Arial"), QStringLiteral("9"), QString::fromUtf8(c.texto));
        const ModGlobal::EstiloUsuario e = ModGlobal::LeeEstiloUsuario();
        EXPECT_EQ(e.estilo, c.estilo) << c.texto;
        EXPECT_EQ(e.archivoSkin, QString::fromUtf8(c.skin)) << c.texto;
        EXPECT_EQ(ModGlobal::ObtieneTemaEstilo(e.estilo), c.tema) << c.texto;
    }
}

// A window with one control of each kind the styling tells apart.
struct Ventana {
    QWidget w;
    QLabel* normal = new QLabel(QStringLiteral("a"), &w);
    QLabel* marlett = new QLabel(QStringLiteral("b"), &w);
    QLabel* grande = new QLabel(QStringLiteral("c"), &w);
    QLabel* doce = new QLabel(QStringLiteral("d"), &w);
    QLineEdit* texto = new QLineEdit(&w);
    QPushButton* boton = new QPushButton(QStringLiteral("e"), &w);
    QComboBox* combo = new QComboBox(&w);
    QListWidget* lista = new QListWidget(&w);
    QGroupBox* marco = new QGroupBox(&w);
    QWidget* barra = new QWidget(&w);
    QObject* skin = new QObject(&w);

    explicit Ventana(const QString& nombre)
    {
        w.setObjectName(nombre);
        auto tamanio = [](QWidget* c, const QString& familia, double puntos) {
            QFont f(familia);
            f.setPointSizeF(puntos);
            c->setFont(f);
        };
        tamanio(normal, QStringLiteral("Courier"), 8);
        tamanio(marlett, QStringLiteral("Marlett"), 8);
        tamanio(grande, QStringLiteral("Courier"), 14);
        tamanio(doce, QStringLiteral("Courier"), 12);
        tamanio(marco, QStringLiteral("Courier"), 8);
        barra->setProperty("TipoControl", QStringLiteral("Tolvar"));
        skin->setObjectName(QStringLiteral("SkinFramework1"));
    }
};

TEST_F(EstilosTest, FontsAndControlAdjustments)
{
    IniEstilo(QStringLiteral("DejaVu Sans"), QStringLiteral("11"), QStringLiteral("2"));
    Ventana v(QStringLiteral("Form1"));
    ModGlobal::AplicaEstiloFormulario(&v.w, true);

    for (QWidget* c : {static_cast<QWidget*>(v.normal), static_cast<QWidget*>(v.doce), static_cast<QWidget*>(v.texto),
                       static_cast<QWidget*>(v.boton), static_cast<QWidget*>(v.combo), static_cast<QWidget*>(v.lista)}) {
        EXPECT_EQ(c->font().family(), QStringLiteral("DejaVu Sans")) << c->metaObject()->className();
        EXPECT_DOUBLE_EQ(c->font().pointSizeF(), 11);
    }
    EXPECT_EQ(v.w.font().family(), QStringLiteral("DejaVu Sans"));
    // The symbol font, a font above 12 points and a frame keep theirs, even
    // though the window's own font changed.
    EXPECT_EQ(v.marlett->font().family(), QStringLiteral("Marlett"));
    EXPECT_DOUBLE_EQ(v.marlett->font().pointSizeF(), 8);
    EXPECT_DOUBLE_EQ(v.grande->font().pointSizeF(), 14);
    EXPECT_EQ(v.grande->font().family(), QStringLiteral("Courier"));
    EXPECT_EQ(v.marco->font().family(), QStringLiteral("Courier"));

    EXPECT_EQ(v.texto->property("BorderStyle").toInt(), 1);
    EXPECT_EQ(v.texto->property("Appearance").toInt(), 0);
    EXPECT_TRUE(v.combo->property("Appearance").isValid());
    EXPECT_EQ(v.boton->property("Style").toInt(), 1);
    EXPECT_FALSE(v.lista->property("Appearance").isValid());
    EXPECT_FALSE(v.marco->property("Appearance").isValid());

    EXPECT_EQ(v.barra->property("Theme").toInt(), 3);
    EXPECT_EQ(v.skin->property("SkinFile").toString(),
              carpeta_.path() + QStringLiteral("/Styles/WinXP.Luna.cjstyles"));
    EXPECT_EQ(v.skin->property("ApplyOptions").toInt() & 1, 1);
}

TEST_F(EstilosTest, WithoutAdjustmentsOnlyFontsChange)
{
    IniEstilo(QStringLiteral("DejaVu Sans"), QStringLiteral("10"), QStringLiteral("4"));
    Ventana v(QStringLiteral("Form1"));
    ModGlobal::AplicaEstiloFormulario(&v.w, false);
    EXPECT_EQ(v.texto->font().family(), QStringLiteral("DejaVu Sans"));
    EXPECT_FALSE(v.texto->property("BorderStyle").isValid());
    EXPECT_FALSE(v.boton->property("Style").isValid());
}

TEST_F(EstilosTest, ExemptWindowsKeepTheirFontsButGetSkinAndTheme)
{
    IniEstilo(QStringLiteral("DejaVu Sans"), QStringLiteral("10"), QStringLiteral("0"));
    for (const bool porPrograma : {false, true}) {
        legacy::App().exeName = porPrograma ? QStringLiteral("Quemboliast") : QStringLiteral("vordane");
        Ventana v(porPrograma ? QStringLiteral("Form1") : QStringLiteral("garbol"));
        ModGlobal::AplicaEstiloFormulario(&v.w, true);
        EXPECT_EQ(v.normal->font().family(), QStringLiteral("Courier"));
        EXPECT_FALSE(v.texto->property("BorderStyle").isValid());
        EXPECT_EQ(v.barra->property("Theme").toInt(), 1);
        EXPECT_TRUE(v.skin->property("SkinFile").toString().endsWith(QStringLiteral("Styles/Office2007.cjstyles")));
    }
}

TEST_F(EstilosTest, IconAndToolbarSetting)
{
    const QString anterior = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(carpeta_.path()));
    QImage imagen(16, 16, QImage::Format_ARGB32);
    imagen.fill(Qt::red);
    ASSERT_TRUE(imagen.save(carpeta_.file(QStringLiteral("brindel.ico")), "PNG"));
    ModGlobal::gFlatToolbars = 0;

    QWidget sinIcono;
    QObject* barra = new QObject(&sinIcono);
    barra->setObjectName(QStringLiteral("TBarRep1"));
    ModGlobal::AsignaIconoFormulario(&sinIcono);
    EXPECT_FALSE(sinIcono.windowIcon().isNull());
    EXPECT_TRUE(sinIcono.testAttribute(Qt::WA_SetWindowIcon));
    EXPECT_EQ(barra->property("StyleBar").toDouble(), 0.0);

    QWidget conIcono;
    QPixmap azul(8, 8);
    azul.fill(Qt::blue);
    const QIcon propio(azul);
    conIcono.setWindowIcon(propio);
    const qint64 clave = conIcono.windowIcon().cacheKey();
    ModGlobal::AsignaIconoFormulario(&conIcono);
    EXPECT_EQ(conIcono.windowIcon().cacheKey(), clave);

    ModGlobal::gFlatToolbars = 1;
    QDir::setCurrent(anterior);
}

}  // namespace
