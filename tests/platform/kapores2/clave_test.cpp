#include "platform/kapores2/funciones.h"

#include <gtest/gtest.h>

using kapores2::Funciones;

namespace {

bool soloLetrasYDigitos(const QString& s)
{
    for (QChar c : s)
        if (!((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))) return false;
    return true;
}

TEST(CodificaClave, RoundTripOverAwkwardPasswords)
{
    const QStringList claves = {
        "trovesa", "Brindel", "a", " ", "  dos blancos  ", "con,coma", "comilla'simple", "doble\"comilla",
        "ñandú", "ÁÉÍÓÚ ü ç", "€uro", "tab\there", "línea\r\nnueva", "punto;y coma", "K", "K0000",
        "12345678901234567890123456789012345678901234567890", QString(QChar(0x4E2D)) + "文",
    };
    QStringList formas;
    for (const QString& clave : claves) {
        const QString guardada = Funciones::CodificaClave(clave);
        EXPECT_TRUE(soloLetrasYDigitos(guardada)) << guardada.toStdString();
        EXPECT_FALSE(guardada.isEmpty());
        EXPECT_EQ(Funciones::DecodificaClave(guardada), clave) << clave.toStdString();
        // Surviving a trimmed, comma-separated record.
        EXPECT_EQ(guardada.trimmed(), guardada);
        formas << guardada;
    }
    // Different passwords get different stored forms.
    EXPECT_EQ(QSet<QString>(formas.begin(), formas.end()).size(), formas.size());
}

TEST(CodificaClave, EmptyStaysEmpty)
{
    EXPECT_EQ(Funciones::CodificaClave(""), "");
    EXPECT_EQ(Funciones::DecodificaClave(""), "");
}

TEST(CodificaClave, LetterCaseMattersInThePassword)
{
    EXPECT_NE(Funciones::CodificaClave("abc"), Funciones::CodificaClave("ABC"));
    EXPECT_EQ(Funciones::DecodificaClave(Funciones::CodificaClave("AbC")), "AbC");
}

TEST(DecodificaClave, TextThatIsNotAStoredFormPassesThrough)
{
    for (const char* plano : {"trovesa", "K", "KABC", "K12345", "K1234567", "KZZ0000", "clave con blancos", "12345678",
                              "k0a0b0c0d", "ñandú"}) {
        EXPECT_EQ(Funciones::DecodificaClave(QString::fromUtf8(plano)), QString::fromUtf8(plano)) << plano;
    }
    // A stored form with one digit changed fails its check and passes through.
    const QString guardada = Funciones::CodificaClave("secreto");
    QString tocada = guardada;
    tocada[3] = tocada[3] == u'0' ? u'1' : u'0';
    EXPECT_EQ(Funciones::DecodificaClave(tocada), tocada);
}

TEST(DecodificaClave, BlanksAroundAStoredFormDoNotMatter)
{
    const QString guardada = Funciones::CodificaClave("trovesa");
    EXPECT_EQ(Funciones::DecodificaClave("  " + guardada + " "), "trovesa");
}

}  // namespace
