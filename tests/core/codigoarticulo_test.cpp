// The article-code lookup on the demo company: plain codes, bar codes,
// quantity and lot prefixes, scale labels and suppliers' codes.
#include "core/codigoarticulo.h"
#include "support/entorno_core.h"

#include "platform/kapores2/funciones.h"
#include "platform/ui/scripted.h"

namespace {

using coretest::EntornoCore;

// What one lookup hands back.
struct Resultado {
    bool encontrado = false;
    QString codigo;
    QString unidad;
    QString descripcion;
    double cantidad = 0;
    double precio = 0;
    QString lote;
    bool primeroPorCodigo = false;
    std::int16_t aviso = 0;
    std::shared_ptr<ado::Recordset> rs;
};

class CodigoArticuloTest : public EntornoCore {
protected:
    void SetUp() override
    {
        EntornoCore::SetUp();
        CreaBases(true, false);
        Conecta();
        const QString cols = QStringLiteral(
            "INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, IDUNIDAD, UD_TTE, codigobarra, CODIGOBARRADUN, "
            "CODIGOBARRA2, UMCB2, CodigoArtProveedor, CUENTAPROVEEDOR, idTipo) VALUES ");
        for (const char* fila : {
                 "('ABC123', 'Articulo ABC', 'UN  ', NULL, 'ABC-BAR', NULL, NULL, NULL, NULL, NULL, '   1')",
                 "('01001', 'Queso por kilo', 'KG  ', NULL, NULL, NULL, NULL, NULL, NULL, NULL, '   1')",
                 "('345', 'Articulo 345', 'UN  ', NULL, NULL, NULL, NULL, NULL, NULL, NULL, '   1')",
                 "('CAJA-6', 'Caja de seis', 'UN  ', 'CJ6 ', NULL, '17790001000011', '5550002', 'CJ  ', "
                 "'PRV''77', 'P0''02', '   2')",
                 "('O''HARA', 'Con apostrofe', 'UN  ', NULL, NULL, NULL, NULL, NULL, '12.50', 'P0001', '   1')",
             }) {
            Ejecuta(cols + QString::fromLatin1(fila));
        }
        // Numeric codes are stored as the code fill leaves them.
        Ejecuta(QStringLiteral("UPDATE V_MA_ARTICULOS SET IDARTICULO = '") +
                kapores2::Funciones::RellenaCodigo(QStringLiteral("01001"), 25) +
                QStringLiteral("' WHERE IDARTICULO = '01001'"));
        Ejecuta(QStringLiteral("UPDATE V_MA_ARTICULOS SET IDARTICULO = '") +
                kapores2::Funciones::RellenaCodigo(QStringLiteral("345"), 25) +
                QStringLiteral("' WHERE IDARTICULO = '345'"));
        Ejecuta(QStringLiteral("INSERT INTO V_MA_PRECIOS (IDLISTA, TIPOLISTA, IDARTICULO, IDARTICULOPROVEEDOR, idunidad, "
                               "Precio) VALUES ('   7', 'C', 'ABC123', 'LISTA-9', 'PQ  ', 10)"));
        ModGlobal::UnidadMedidaKG = QStringLiteral("KG");
        ModGlobal::MascaraBalanza.clear();
        ModGlobal::DecimalesBalanza.clear();
    }
    void TearDown() override
    {
        ModGlobal::MascaraBalanza.clear();
        ModGlobal::DecimalesBalanza.clear();
        EntornoCore::TearDown();
    }

    Resultado Busca(const QString& texto, const QString& cuenta = {}, const QString& lista = {},
                    bool primeroPorCodigo = false, const QString& tc = {}, std::int16_t aviso = 0)
    {
        Resultado r;
        r.codigo = texto;
        r.primeroPorCodigo = primeroPorCodigo;
        r.aviso = aviso;
        legacy::Currency precio;
        r.encontrado = ModGlobal::BuscaArticulo(r.codigo, &r.rs, true, r.primeroPorCodigo, r.descripcion, cuenta,
                                                r.unidad, lista, r.cantidad, precio, r.lote, tc, r.aviso);
        r.precio = precio.toDouble();
        return r;
    }
};

TEST_F(CodigoArticuloTest, ResolvesTypedAndScannedCodes)
{
    ui::ScriptedSession dlg;
    struct Caso {
        const char* texto;
        const char* cuenta;
        const char* lista;
        bool encontrado;
        const char* codigo;      // trimmed
        const char* unidad;      // trimmed
        double cantidad;
    } casos[] = {
        {"ABC123", "", "", true, "ABC123", "UN", 0},
        {"abc123", "", "", true, "ABC123", "UN", 0},
        {"1001", "", "", true, "1001", "UN", 0},                     // right-aligned numeric code
        {"7790001001001", "", "", true, "1001", "UN", 0},            // bar code, stored as typed
        {"ABC-BAR", "", "", true, "ABC123", "UN", 0},
        {"17790001000011", "", "", true, "CAJA-6", "UN", 0},         // logistics (DUN) code
        {"5550002", "", "", true, "CAJA-6", "UN", 0},                // second bar code: base unit
        {"3*ABC123", "", "", true, "ABC123", "UN", 3},               // quantity prefix
        {"2.5*1001", "", "", true, "1001", "UN", 2.5},
        {"0*ABC", "", "", false, "0*ABC", "", 0},                    // zero prefix keeps the text
        {"O'HARA", "", "", true, "O'HARA", "UN", 0},                 // apostrophe in the code
        {"PRV'77", "P0'02", "", true, "CAJA-6", "UN", 0},            // supplier's code and account
        {"PRV'77", "P0001", "", false, "PRV'77", "", 0},             // another supplier's account
        {"PRV'77", "", "", false, "PRV'77", "", 0},                  // no account, no supplier lookup
        {"12.50", "P0001", "", true, "O'HARA", "UN", 0},
        {"LISTA-9", "P0001", "7", true, "ABC123", "UN", 0},          // through the purchase price list
        {"LISTA-9", "P0001", "", false, "LISTA-9", "", 0},           // without a list: account only
        {"NO-EXISTE", "", "", false, "NO-EXISTE", "", 0},
        {"x' OR '1'='1", "", "", false, "x' OR '1'='1", "", 0},
    };
    for (const Caso& c : casos) {
        const Resultado r = Busca(QString::fromUtf8(c.texto), QString::fromUtf8(c.cuenta), QString::fromUtf8(c.lista));
        EXPECT_EQ(r.encontrado, c.encontrado) << c.texto;
        EXPECT_EQ(r.codigo.trimmed(), QString::fromUtf8(c.codigo)) << c.texto;
        EXPECT_EQ(r.unidad.trimmed(), QString::fromUtf8(c.unidad)) << c.texto;
        EXPECT_DOUBLE_EQ(r.cantidad, c.cantidad) << c.texto;
        if (c.encontrado) {
            ASSERT_TRUE(r.rs) << c.texto;
            EXPECT_EQ(r.rs->Fields("IDARTICULO").Value().toString(), r.codigo) << c.texto;
            EXPECT_FALSE(r.descripcion.isEmpty()) << c.texto;
        } else {
            EXPECT_FALSE(r.rs) << c.texto;
        }
    }
    EXPECT_TRUE(dlg.shown().isEmpty());
}

TEST_F(CodigoArticuloTest, BlankTextAndShortCodes)
{
    Resultado r = Busca(QStringLiteral("   "));
    EXPECT_FALSE(r.encontrado);
    EXPECT_EQ(r.codigo, QStringLiteral("   "));

    // Codes of three characters or fewer never run the direct lookups.
    r = Busca(QStringLiteral("345"), {}, {}, true);
    EXPECT_TRUE(r.encontrado);
    EXPECT_FALSE(r.primeroPorCodigo);
    r = Busca(QStringLiteral("ABC123"), {}, {}, true);
    EXPECT_TRUE(r.encontrado);
    EXPECT_TRUE(r.primeroPorCodigo);
}

TEST_F(CodigoArticuloTest, LotPrefix)
{
    ModGlobal::AsignacionAutomaticaDeLoteING = true;
    struct Caso {
        const char* texto;
        bool encontrado;
        const char* lote;
        const char* codigo;
    } casos[] = {
        {"12A345", true, "12", "345"},
        {"12a345", true, "12", "345"},
        {"A345", true, "", "345"},
        {"X1A34", false, "previo", "X1A34"},
    };
    for (const Caso& c : casos) {
        Resultado r;
        r.codigo = QString::fromUtf8(c.texto);
        r.lote = QStringLiteral("previo");
        legacy::Currency precio;
        r.encontrado = ModGlobal::BuscaArticulo(r.codigo, &r.rs, true, r.primeroPorCodigo, r.descripcion, {},
                                                r.unidad, {}, r.cantidad, precio, r.lote, {}, r.aviso);
        EXPECT_EQ(r.encontrado, c.encontrado) << c.texto;
        EXPECT_EQ(r.lote, QString::fromUtf8(c.lote)) << c.texto;
        EXPECT_EQ(r.codigo.trimmed(), QString::fromUtf8(c.codigo)) << c.texto;
    }
    // The article-maintenance program takes the text as the code.
    legacy::App().exeName = QStringLiteral("V_MA_ARTICULOS");
    Resultado r = Busca(QStringLiteral("12A345"));
    EXPECT_FALSE(r.encontrado);
    EXPECT_EQ(r.codigo, QStringLiteral("12A345"));
}

TEST_F(CodigoArticuloTest, ScaleLabels)
{
    ui::ScriptedSession dlg;
    struct Caso {
        const char* mascara;
        const char* decimales;
        const char* texto;
        bool encontrado;
        const char* codigo;
        double cantidad;
        double precio;
    } casos[] = {
        // Weight in grams, kilogram article: no adjustment.
        {"0CCCCCPPPPP", "", "001001015009", true, "01001", 1.5, 0},
        {"0CCCCCPPPPP", "", "-001001015009", true, "01001", -1.5, 0},
        {"0cccccppppp", "", "001001015009", true, "01001", 1.5, 0},
        // Price labels: quantity one (the sign), price by the decimals.
        {"2CCCCCTTTTTT0", "2", "2010010012509", true, "01001", 1, 12.5},
        {"2CCCCCTTTTTT0", "2", "-2010010012509", true, "01001", -1, -12.5},
        // The article code as a number; the sign would go to the code.
        {"CCCCCCQQQQQ", "3", "001001002500", true, "1001", 0.25, 0},
        // A bar code beginning with 77 is no label.
        {"0CCCCCPPPPP", "", "7790001001001", true, "1001", 0, 0},
        // No mask: the digits stay the code.
        {"", "", "001001015009", false, "001001015009", 0, 0},
    };
    for (const Caso& c : casos) {
        ModGlobal::MascaraBalanza = QString::fromUtf8(c.mascara);
        ModGlobal::DecimalesBalanza = QString::fromUtf8(c.decimales);
        const Resultado r = Busca(QString::fromUtf8(c.texto));
        EXPECT_EQ(r.encontrado, c.encontrado) << c.texto;
        EXPECT_EQ(r.codigo.trimmed(), QString::fromUtf8(c.codigo)) << c.texto;
        EXPECT_DOUBLE_EQ(r.cantidad, c.cantidad) << c.texto;
        EXPECT_DOUBLE_EQ(r.precio, c.precio) << c.texto;
    }

    // A weight label of an article not sold by the kilogram counts grams.
    Ejecuta(QStringLiteral("UPDATE V_MA_ARTICULOS SET IDUNIDAD = 'UN  ' WHERE DESCRIPCION = 'Queso por kilo'"));
    ModGlobal::MascaraBalanza = QStringLiteral("0CCCCCPPPPP");
    ModGlobal::DecimalesBalanza.clear();
    Resultado r = Busca(QStringLiteral("-001001015009"));
    EXPECT_TRUE(r.encontrado);
    EXPECT_DOUBLE_EQ(r.cantidad, 1500);
    EXPECT_TRUE(dlg.shown().isEmpty());
}

TEST_F(CodigoArticuloTest, BusinessUnitCheckOfTheSalesPrograms)
{
    legacy::App().exeName = QStringLiteral("quelmontari");
    ModGlobal::RazonSocialPorUneg = true;
    ModGlobal::gUNegocio = QStringLiteral("   1");
    {
        ui::ScriptedSession dlg;
        dlg.expectMsgBox(QStringLiteral("Este articulo pertenece a una unidad de negocio distinta"));
        const Resultado r = Busca(QStringLiteral("CAJA-6"));
        EXPECT_FALSE(r.encontrado);
        EXPECT_EQ(r.codigo.trimmed(), QStringLiteral("CAJA-6"));
        EXPECT_EQ(r.descripcion, QStringLiteral("Caja de seis"));
        EXPECT_TRUE(dlg.remaining().isEmpty());
    }
    ui::ScriptedSession dlg;
    Resultado r = Busca(QStringLiteral("CAJA-6"), {}, {}, false, {}, 1);
    EXPECT_TRUE(r.encontrado);
    EXPECT_EQ(r.aviso, 2);
    r = Busca(QStringLiteral("CAJA-6"), {}, {}, false, QStringLiteral("NCFP"));
    EXPECT_TRUE(r.encontrado);
    r = Busca(QStringLiteral("ABC123"));
    EXPECT_TRUE(r.encontrado);
    legacy::App().exeName = QStringLiteral("vordane");
    r = Busca(QStringLiteral("CAJA-6"));
    EXPECT_TRUE(r.encontrado);
    EXPECT_TRUE(dlg.shown().isEmpty());
}

}  // namespace
