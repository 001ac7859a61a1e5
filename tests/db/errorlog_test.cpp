// The database class's error box and the line it appends to the error log.
#include "dbfixture.h"

#include "db/lineaerrores.h"
#include "platform/legacy/format.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/textfile.h"

#include <QRegularExpression>

#include <random>

using namespace dbtest;

namespace {

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

TEST(ErrorLogLine, Format)
{
    const legacy::Date momento = legacy::Date::fromParts(2024, 3, 7, 14, 5, 9);
    struct Case {
        std::optional<QString> rutina;
        long numero;
        const char* descripcion;
        int respuesta;
        const char* linea;
    } cases[] = {
        {QStringLiteral("Guardar"), 3704, "  Objeto cerrado  ", 4,
         "03-07-2024 14:05:09 Rutina: - Guardar Mensaje Ha ocurrido el Siguiente Error (3704) Objeto cerrado "
         "Respondió : Reintentar"},
        // No routine: the colon is followed by two blanks and the word.
        {std::nullopt, -2147217900, "Sintaxis", 5,
         "03-07-2024 14:05:09 Rutina:  Mensaje Ha ocurrido el Siguiente Error (-2147217900) Sintaxis Respondió : Ignorar"},
        // An OK answer gives no word.
        // The routine text is trimmed as a whole, after the hyphen is put in.
        {QStringLiteral("  X  "), 5, "y ", 1, "03-07-2024 14:05:09 Rutina: -   X Mensaje Ha ocurrido el Siguiente Error (5) y Respondió : "},
        // A line break (CR LF, CR, LF) inside the routine or the description is one blank: one entry, one line.
        {QStringLiteral("Cfg"), -2147217900, "Sintaxis incorrecta\r\ncerca de 'x'.", 5,
         "03-07-2024 14:05:09 Rutina: - Cfg Mensaje Ha ocurrido el Siguiente Error (-2147217900) Sintaxis incorrecta cerca "
         "de 'x'. Respondió : Ignorar"},
        {QStringLiteral("Graba\rCfg\n"), 7, "a\n\nb\r\n", 3,
         "03-07-2024 14:05:09 Rutina: - Graba Cfg Mensaje Ha ocurrido el Siguiente Error (7) a  b Respondió : Abortar"},
    };
    for (const Case& c : cases) {
        legacy::VbError e(c.numero, QString::fromUtf8(c.descripcion));
        EXPECT_EQ(errlog::LineaLogErrores(momento, c.rutina, e, c.respuesta), QString::fromUtf8(c.linea));
    }
    const QStringList palabras = {QString(), QString(), QStringLiteral("Cancelar"), QStringLiteral("Abortar"),
                                  QStringLiteral("Reintentar"), QStringLiteral("Ignorar"), QStringLiteral("Sí"),
                                  QStringLiteral("No"), QString()};
    for (int i = 0; i < palabras.size(); ++i)
        EXPECT_EQ(errlog::PalabraRespuesta(i), palabras[i]) << i;
}

TEST_F(DbTest, ErrorBoxShowsTitleAndAppendsToTheLog)
{
    ui::ScriptedSession dlg;
    DB_Dll db;
    legacy::VbError e(3021, QStringLiteral(" Sin registro actual "), QStringLiteral("ADODB.Recordset"));

    dlg.expectMsgBox(QStringLiteral("Ha ocurrido el Siguiente Error (3021) Sin registro actual"), ui::vbIgnore)
        .title(QStringLiteral("ADODB.Recordset - Cargar Aviso al operador!!! - 5 "))
        .style(ui::vbAbortRetryIgnore + ui::vbCritical);
    EXPECT_EQ(db.TratamientoErrores(e, std::nullopt, QStringLiteral("Cargar")), ui::vbIgnore);
    EXPECT_EQ(dlg.shown().at(0).prompt, QStringLiteral("Ha ocurrido el Siguiente Error (3021) Sin registro actual"));

    dlg.expectMsgBox(QString(), ui::vbOK).title(QStringLiteral("ADODB.Recordset Aviso al operador!!! - 5 ")).style(0);
    EXPECT_EQ(db.TratamientoErrores(e, 0), ui::vbOK);

    // Both lines went to JQERR.LOG in the program folder, in Windows-1252
    // with CR LF.
    const QByteArray bytes = ReadBytes(tmp_.file(QStringLiteral("JQERR.LOG")));
    const QStringList lineas = legacy::fromWin1252(bytes).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lineas.size(), 3);
    EXPECT_TRUE(lineas[2].isEmpty());
    const QRegularExpression forma(QStringLiteral(
        R"(^\d\d-\d\d-\d\d\d\d \d\d:\d\d:\d\d Rutina: - Cargar Mensaje Ha ocurrido el Siguiente Error \(3021\) Sin registro actual Respondió : Ignorar$)"));
    EXPECT_TRUE(forma.match(lineas[0]).hasMatch()) << lineas[0].toStdString();
    EXPECT_TRUE(lineas[1].endsWith(QStringLiteral(" Rutina:  Mensaje Ha ocurrido el Siguiente Error (3021) Sin registro actual Respondió : ")));
    EXPECT_TRUE(bytes.contains("Respondi\xf3 : "));
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

// Seeded: every error is one line of the log, whatever its routine and
// description hold (line breaks as blanks, the rest as written), read back
// from the file in order; the box shows the description as it is.
TEST_F(DbTest, GeneratedErrorsAreOneLineEachInTheLog)
{
    std::mt19937 gen(53);
    const QString raros = QStringLiteral(" \r\n\r\n\t'\";,=:|-ñÑ€ºRutina Mensaje");
    const auto texto = [&](int maximo) { return testutil::textoConRaros(gen, raros, maximo, 3); };
    const auto enUnaLinea = [](QString t) { return t.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(u'\r', u' ').replace(u'\n', u' '); };
    ui::ScriptedSession dlg;
    DB_Dll db;
    QStringList esperadas;
    for (int k = 0; k < 120; ++k) {
        const QString rutina = texto(10);
        const long numero = std::uniform_int_distribution<long>(-2147217900, 65535)(gen) | 1;
        const legacy::VbError error(numero, texto(40));  // an empty description takes the number's own
        dlg.expectMsgBox(QString(), ui::vbIgnore);
        ASSERT_EQ(db.TratamientoErrores(error, std::nullopt, rutina), ui::vbIgnore);
        EXPECT_EQ(dlg.shown().last().prompt, errlog::MensajeError(error));
        using legacy::Trim;
        esperadas << QStringLiteral(" Rutina: ") + Trim(QStringLiteral(" - ") + enUnaLinea(rutina)) + QStringLiteral(" Mensaje ") +
                         Trim(QStringLiteral("Ha ocurrido el Siguiente Error (%1) ").arg(numero) + Trim(enUnaLinea(error.Description))) +
                         QStringLiteral(" Respondió : Ignorar");
    }
    const QStringList lineas = legacy::fromWin1252(ReadBytes(tmp_.file(QStringLiteral("JQERR.LOG")))).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lineas.size(), esperadas.size() + 1);
    for (qsizetype i = 0; i < esperadas.size(); ++i) {
        EXPECT_FALSE(lineas[i].contains(u'\r') || lineas[i].contains(u'\n'));
        EXPECT_EQ(lineas[i].mid(19), esperadas[i]);
    }
}

TEST_F(DbTest, ErrorBoxLogPathAndErrorZero)
{
    ui::ScriptedSession dlg;
    DB_Dll db;
    // Error 0: nothing shown, no file.
    EXPECT_EQ(db.TratamientoErrores(legacy::VbError(0, QStringLiteral("nada"))), 0);
    EXPECT_FALSE(QFile::exists(tmp_.file(QStringLiteral("JQERR.LOG"))));

    // ArchivoErrores names the whole file, whatever its name.
    const QString otro = tmp_.file(QStringLiteral("otro.txt"));
    db.setArchivoErrores(legacy::Variant(otro));
    EXPECT_EQ(db.ArchivoErrores().toString(), otro);
    dlg.expectMsgBox(QStringLiteral("(9)"), ui::vbAbort);
    EXPECT_EQ(db.TratamientoErrores(legacy::VbError(9, QStringLiteral("Subíndice")), std::nullopt, QStringLiteral("R")),
              ui::vbAbort);
    EXPECT_TRUE(legacy::ReadAllText(otro).contains(QStringLiteral("Respondió : Abortar")));
    EXPECT_FALSE(QFile::exists(tmp_.file(QStringLiteral("JQERR.LOG"))));

    // An unwritable log loses the line but still returns the answer.
    db.setArchivoErrores(legacy::Variant(tmp_.file(QStringLiteral("no/existe/log.txt"))));
    dlg.expectMsgBox(QStringLiteral("(9)"), ui::vbRetry);
    EXPECT_EQ(db.TratamientoErrores(legacy::VbError(9, QStringLiteral("x"))), ui::vbRetry);
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

}  // namespace
