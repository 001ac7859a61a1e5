// The library services that show boxes, open documents or read the machine.
#include "platform/kapores2/kapores2.h"

#include "platform/legacy/program.h"
#include "platform/ui/scripted.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kapores2;

namespace {

TEST(MuestraError, TheDatabaseErrorBox)
{
    ui::ScriptedSession dlg;
    dlg.expectMsgBox("Ha ocurrido el Siguiente Error (3021) Sin registro actual", ui::vbRetry)
        .title("ADODB.Recordset - AbrirRecordset Aviso al operador!!! - 5 ")
        .style(18);
    const int r = Funciones::MuestraError(legacy::VbError(3021, "  Sin registro actual  ", "ADODB.Recordset"), {},
                                          "AbrirRecordset");
    EXPECT_EQ(r, ui::vbRetry);
    ASSERT_EQ(dlg.shown().size(), 1);
    EXPECT_EQ(dlg.shown()[0].prompt, "Ha ocurrido el Siguiente Error (3021) Sin registro actual");
    EXPECT_EQ(dlg.shown()[0].title, "ADODB.Recordset - AbrirRecordset Aviso al operador!!! - 5 ");
    EXPECT_NO_THROW(dlg.verifyDone());
}

TEST(MuestraError, ButtonsGivenAndNoRoutine)
{
    ui::ScriptedSession dlg;
    dlg.expectMsgBox("(5)", ui::vbOK).style(0).title("Src Aviso al operador!!! - 5 ");
    EXPECT_EQ(Funciones::MuestraError(legacy::VbError(5, "x", "Src"), 0), ui::vbOK);
    EXPECT_NO_THROW(dlg.verifyDone());
}

TEST(MuestraError, ErrorZeroShowsNothing)
{
    ui::ScriptedSession dlg;  // any box would throw
    EXPECT_EQ(Funciones::MuestraError(legacy::VbError(), {}, "X"), 0);
    legacy::ErrObject err;
    EXPECT_EQ(Funciones::MuestraError(err, {}, "X"), 0);
    EXPECT_TRUE(dlg.shown().isEmpty());
}

TEST(MuestraError, EmptyDescriptionTakesTheRuntimeText)
{
    ui::ScriptedSession dlg;
    dlg.expectMsgBox(QString("Ha ocurrido el Siguiente Error (11) ") + legacy::VbError::defaultDescription(11),
                     ui::vbIgnore);
    EXPECT_EQ(Funciones::MuestraError(legacy::VbError(11), {}, "R"), ui::vbIgnore);
}

TEST(Dialogo, OpenFileThroughTheDialogs)
{
    ui::ScriptedSession dlg;
    dlg.expectOpenFile("/datos/base.mdb", "Buscar Base de Datos");
    Dialogo d;
    EXPECT_FALSE(d.DialogoResultado());
    d.DialogoTitulo("Buscar Base de Datos");
    d.DialogoFiltro("Base de Datos de Microsoft Access |*.MDB");
    d.DialogoAbrir();
    EXPECT_EQ(d.DialogoArchivo(), "/datos/base.mdb");
    EXPECT_TRUE(d.DialogoResultado());

    dlg.expectOpenFile("");  // cancelled
    d.DialogoAbrir();
    EXPECT_EQ(d.DialogoArchivo(), "");
    EXPECT_FALSE(d.DialogoResultado());
    EXPECT_NO_THROW(dlg.verifyDone());
}

TEST(Teclado, ConfirmingKeysAndFilter)
{
    for (int k = 0; k < 256; ++k)
        EXPECT_EQ(Teclado::EsTeclaConfirma(k), k == 13 || k == 27 || k == 38 || k == 40) << k;
    for (int c : {int('0'), int('9'), int(','), int('.'), int('a'), 8}) {
        int tecla = c;
        Teclado::FiltraTecla(nullptr, tecla);
        EXPECT_EQ(tecla, c);
    }
    for (int c : {13, 27}) {
        int tecla = c;
        Teclado::FiltraTecla(nullptr, tecla);
        EXPECT_EQ(tecla, 0);
    }
}

class EquipoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previo_ = legacy::App();
        anterior_ = Equipo::setAbridor([this](const QUrl& u) {
            abiertas_ << u;
            return respuesta_;
        });
    }
    void TearDown() override
    {
        Equipo::setAbridor(anterior_);
        legacy::setApp(previo_);
    }
    legacy::ProgramInfo previo_;
    Equipo::Abridor anterior_;
    QList<QUrl> abiertas_;
    bool respuesta_ = true;
};

TEST_F(EquipoTest, MachineAndUserComeFromTheProgramInformation)
{
    legacy::ProgramInfo info = previo_;
    info.machineName = "CAJA01";
    info.userName = "ana";
    legacy::setApp(info);
    EXPECT_EQ(Equipo::NombrePC(), "CAJA01");
    EXPECT_EQ(Equipo::UsuarioWindows(), "ana");
}

TEST_F(EquipoTest, DefaultFolderIsWritable)
{
    const QString carpeta = Equipo::CarpetaPorDefecto();
    ASSERT_FALSE(carpeta.isEmpty());
    QFile f(QDir(carpeta).filePath("prueba-escritura.tmp"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    f.remove();
}

TEST_F(EquipoTest, OpensDocumentsAndAddresses)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile doc(dir.filePath("manual de uso.pdf"));
    ASSERT_TRUE(doc.open(QIODevice::WriteOnly));
    doc.close();
    legacy::ProgramInfo info = previo_;
    info.path = dir.path();
    legacy::setApp(info);

    // Quoted as the program passes a path with blanks; relative to the program folder.
    EXPECT_GT(Equipo::EjecutaArchivo(nullptr, "", "\"manual de uso.pdf\"", "", "", 1), 32);
    EXPECT_GT(Equipo::EjecutaArchivo(nullptr, "", dir.filePath("manual de uso.pdf"), "", "", 6), 32);
    EXPECT_GT(Equipo::EjecutaArchivo(nullptr, "", "http://srv:5055/", "", "", 6), 32);
    EXPECT_GT(Equipo::EjecutaArchivo(nullptr, "", "www.ejemplo.com", "", "", 1), 32);
    ASSERT_EQ(abiertas_.size(), 4);
    EXPECT_EQ(abiertas_[0], QUrl::fromLocalFile(dir.filePath("manual de uso.pdf")));
    EXPECT_EQ(abiertas_[1], abiertas_[0]);
    EXPECT_EQ(abiertas_[2], QUrl("http://srv:5055/"));
    EXPECT_EQ(abiertas_[3].host(), "www.ejemplo.com");

    // A missing file is reported without asking the desktop; a refusal too.
    EXPECT_EQ(Equipo::EjecutaArchivo(nullptr, "", "no existe.pdf", "", "", 1), Equipo::NoEncontrado);
    EXPECT_EQ(Equipo::EjecutaArchivo(nullptr, "", "", "", "", 1), Equipo::NoEncontrado);
    EXPECT_EQ(abiertas_.size(), 4);
    respuesta_ = false;
    EXPECT_EQ(Equipo::EjecutaArchivo(nullptr, "", "http://x/", "", "", 1), Equipo::SinAplicacion);
}

TEST(Aplicacion, KeepsTheRegisteredFolder)
{
    Aplicacion::RegistraAplicacion("/opt/vordane/");
    EXPECT_EQ(Aplicacion::carpetaRegistrada(), "/opt/vordane/");
}

}  // namespace
