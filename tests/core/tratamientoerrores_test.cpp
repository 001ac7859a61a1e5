// The common services' error box: its log folder (TEMP / TMP), its title and
// the file it leaves even for error 0.
#include "core/tratamientoerrores.h"

#include "platform/kapores2/equipo.h"
#include "platform/legacy/textfile.h"
#include "platform/ui/scripted.h"
#include "support/testdb.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

class Entorno {
public:
    Entorno(const char* temp, const char* tmp) : temp_(qgetenv("TEMP")), tmp_(qgetenv("TMP"))
    {
        poner("TEMP", temp);
        poner("TMP", tmp);
    }
    ~Entorno()
    {
        qputenv("TEMP", temp_);
        qputenv("TMP", tmp_);
    }

private:
    static void poner(const char* nombre, const char* valor)
    {
        if (valor)
            qputenv(nombre, valor);
        else
            qunsetenv(nombre);
    }
    QByteArray temp_;
    QByteArray tmp_;
};

TEST(CentralErrorBox, LogFolderFollowsTempAndTmp)
{
    testdb::TempFolder carpeta;
    const QByteArray ruta = carpeta.path().toLocal8Bit();
    const QString porDefecto = kapores2::Equipo::CarpetaPorDefecto() + QStringLiteral("/JQERR.LOG");
    struct Case {
        const char* temp;
        QByteArray tmp;
        bool enCarpeta;
    } cases[] = {
        {"x", ruta, true},
        {"x", "  " + ruta + "  ", true},  // TMP is trimmed
        {nullptr, ruta, false},            // TEMP unset: TMP is not read
        {"", ruta, false},
        {"x", "", false},                  // TEMP set, TMP empty
    };
    for (const Case& c : cases) {
        Entorno e(c.temp, c.tmp.isNull() ? nullptr : c.tmp.constData());
        EXPECT_EQ(ModGlobal::RutaLogErrores(),
                  c.enCarpeta ? carpeta.path() + QStringLiteral("/JQERR.LOG") : porDefecto)
            << (c.temp ? c.temp : "(unset)") << " / " << c.tmp.constData();
    }
}

TEST(CentralErrorBox, ShowsAndLogs)
{
    testdb::TempFolder carpeta;
    Entorno e("x", carpeta.path().toLocal8Bit().constData());
    const QString log = carpeta.file(QStringLiteral("JQERR.LOG"));
    ui::ScriptedSession dlg;

    // Error 0: no box, but the log file is there (empty) afterwards.
    EXPECT_EQ(ModGlobal::TratamientoErrores(legacy::VbError(0)), 0);
    ASSERT_TRUE(QFile::exists(log));
    EXPECT_EQ(QFile(log).size(), 0);

    dlg.expectMsgBox(QStringLiteral("Ha ocurrido el Siguiente Error (53) No se encontró el archivo"), ui::vbIgnore)
        .title(QStringLiteral("Lector - FormLoad Aviso al operador!!! - 2 "))
        .style(ui::vbAbortRetryIgnore + ui::vbCritical);
    EXPECT_EQ(ModGlobal::TratamientoErrores(legacy::VbError(53, QStringLiteral(" No se encontró el archivo "),
                                                            QStringLiteral("Lector")),
                                            std::nullopt, QStringLiteral("FormLoad")),
              ui::vbIgnore);
    dlg.expectMsgBox(QStringLiteral("(5)"), ui::vbYes).title(QStringLiteral("Lector Aviso al operador!!! - 2 "));
    EXPECT_EQ(ModGlobal::TratamientoErrores(legacy::VbError(5, QStringLiteral("x"), QStringLiteral("Lector")),
                                            ui::vbYesNo),
              ui::vbYes);

    const QStringList lineas = legacy::ReadLines(log);
    ASSERT_EQ(lineas.size(), 2);
    EXPECT_TRUE(lineas[0].endsWith(QStringLiteral(" Rutina: - FormLoad Mensaje Ha ocurrido el Siguiente Error (53) No "
                                                  "se encontró el archivo Respondió : Ignorar")));
    EXPECT_TRUE(lineas[1].endsWith(QStringLiteral(" Rutina:  Mensaje Ha ocurrido el Siguiente Error (5) x Respondió : Sí")));
    EXPECT_TRUE(legacy::ReadAllText(log).contains(QStringLiteral("\r\n")));
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST(CentralErrorBox, UnwritableLogStillReturnsTheAnswer)
{
    testdb::TempFolder carpeta;
    Entorno e("x", carpeta.file(QStringLiteral("no/existe")).toLocal8Bit().constData());
    ui::ScriptedSession dlg;
    dlg.expectMsgBox(QStringLiteral("(13)"), ui::vbRetry).title(QStringLiteral(" - Paso Aviso"));
    EXPECT_EQ(ModGlobal::ManejadorErrores(legacy::VbError(13, QStringLiteral("No coinciden")), QStringLiteral("Paso")),
              ui::vbRetry);
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

}  // namespace
