#include "platform/kapores2/archivoini.h"

#include "platform/legacy/program.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using kapores2::ArchivoIni;

namespace {

class LeeIniTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        previo_ = legacy::App();
        legacy::ProgramInfo info = previo_;
        info.path = dir_.path();
        legacy::setApp(info);
    }
    void TearDown() override { legacy::setApp(previo_); }

    QString escribe(const QString& nombre, const QByteArray& bytes)
    {
        const QString ruta = dir_.filePath(nombre);
        QFile f(ruta);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return ruta;
    }

    QTemporaryDir dir_;
    legacy::ProgramInfo previo_;
};

TEST_F(LeeIniTest, SectionsKeysAndDefaults)
{
    const QString ruta = escribe("prueba.ini",
                                 "; configuracion de la estacion\r\n"
                                 "[PC1|ANA]\r\n"
                                 "FlatToolbars=0\r\n"
                                 "  Servidor  =  srv01\\inst  \r\n"
                                 "Vacia=\r\n"
                                 "Comillas=\" con blancos \"\r\n"
                                 "# otra forma de comentario\r\n"
                                 "lineasinigual\r\n"
                                 "\r\n"
                                 "[ ANA_VENTASFont ]\r\n"
                                 "Font=Segoe UI\r\n"
                                 "Clave=a=b\r\n"
                                 "[PC1|ANA]\r\n"
                                 "Otra=segunda seccion\r\n");
    struct Caso {
        const char* seccion;
        const char* clave;
        const char* esperado;
    };
    const Caso casos[] = {
        {"PC1|ANA", "FlatToolbars", "0"},
        {"pc1|ana", "flattoolbars", "0"},        // letter case does not matter
        {"PC1|ANA", "Servidor", "srv01\\inst"},  // blanks around key and value go
        {"PC1|ANA", "Vacia", ""},                // present and empty: not the default
        {"PC1|ANA", "Comillas", " con blancos "},
        {"PC1|ANA", "Font", "def"},              // a key of another section
        {"ANA_VENTASFont", "Font", "Segoe UI"},  // blanks inside the brackets go
        {"ana_ventasfont", "CLAVE", "a=b"},      // only the first "=" separates
        {"PC1|ANA", "Otra", "def"},              // a repeated section does not count
        {"NoExiste", "Font", "def"},
        {"PC1|ANA", "NoExiste", "def"},
        {"PC1|ANA", "lineasinigual", "def"},
        {"PC1|ANA", "# otra forma de comentario", "def"},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(ArchivoIni::LeeIni(ruta, c.seccion, c.clave, "def"), QString::fromUtf8(c.esperado))
            << c.seccion << " / " << c.clave;
}

TEST_F(LeeIniTest, MissingFileGivesTheDefault)
{
    EXPECT_EQ(ArchivoIni::LeeIni(dir_.filePath("no.ini"), "S", "K", "1"), "1");
    EXPECT_EQ(ArchivoIni::LeeIni("", "S", "K", "x"), "x");
    EXPECT_EQ(ArchivoIni::LeeIni(dir_.filePath("no.ini"), "S", "K"), "");
}

TEST_F(LeeIniTest, BareNameIsLookedForInTheProgramFolderWithoutRegardToCase)
{
    escribe("qm410tx.ini", "[S]\nK=v\n");
    EXPECT_EQ(ArchivoIni::LeeIni("QM410tx.INI", "S", "K", "def"), "v");
    EXPECT_EQ(ArchivoIni::LeeIni(dir_.path() + "/QM410TX.INI", "S", "K", "def"), "v");
}

TEST_F(LeeIniTest, LineEndsAndEncodings)
{
    // LF only, CR only, and a last line without an end.
    EXPECT_EQ(ArchivoIni::LeeIni(escribe("lf.ini", "[S]\nA=1\nB=2"), "S", "B"), "2");
    EXPECT_EQ(ArchivoIni::LeeIni(escribe("cr.ini", "[S]\rA=1\rB=2\r"), "S", "B"), "2");
    // Windows-1252: "Año" in the section, "Peña" as the value, the euro sign.
    const QString w = escribe("w.ini", QByteArray("[A\xF1o]\r\nNombre=Pe\xF1" "a \x80\r\n"));
    EXPECT_EQ(ArchivoIni::LeeIni(w, QString::fromUtf8("AÑO"), "nombre"), QString::fromUtf8("Peña €"));
    // A file saved as UTF-8 with its mark.
    const QString u = escribe("u.ini", QByteArray("\xEF\xBB\xBF[S]\r\nK=Pe\xC3\xB1" "a\r\n"));
    EXPECT_EQ(ArchivoIni::LeeIni(u, "S", "K"), QString::fromUtf8("Peña"));
}

TEST(BuscaValor, KeysBeforeAnySectionDoNotCount)
{
    EXPECT_FALSE(ArchivoIni::buscaValor("K=1\n[S]\nX=2\n", "S", "K").has_value());
    EXPECT_EQ(ArchivoIni::buscaValor("K=1\n[S]\nK=2\n", "S", "K").value_or("-"), "2");
    EXPECT_EQ(ArchivoIni::buscaValor("[S]\nK=1\nK=2\n", "S", "K").value_or("-"), "1");
    EXPECT_FALSE(ArchivoIni::buscaValor("", "S", "K").has_value());
}

}  // namespace
