// Launching the suite's programs, pages of its web service, addresses and
// documents: what would be started, without starting anything.
#include "core/lanzador.h"
#include "support/entorno_core.h"

#include "core/parametros.h"
#include "db/arranque.h"
#include "platform/kapores2/equipo.h"
#include "platform/ui/scripted.h"

#include <QDir>
#include <QFile>

#include <random>

namespace {

using coretest::EntornoCore;

struct Inicio {
    QString programa;
    QStringList argumentos;
};

class LanzadorTest : public EntornoCore {
protected:
    void SetUp() override
    {
        EntornoCore::SetUp();
        anteriorIniciador_ = Arranque::setIniciador([this](const QString& p, const QStringList& a, bool) -> qint64 {
            inicios_.push_back({p, a});
            return 4321;
        });
        anteriorAbridor_ = kapores2::Equipo::setAbridor([this](const QUrl& u) {
            abiertas_ << u.toString();
            return abre_;
        });
        DB_Dll& db = ModGlobal::gDB();
        db.gServidor = QStringLiteral("SRV01\\KAPORES");
        db.gDBName = QStringLiteral("EMPRESA");
        ModGlobal::gUsuarioLogeado = QStringLiteral("ANA");
        ModGlobal::gPassword = QStringLiteral("clave 1");
        ModGlobal::gCaja = QStringLiteral("3");
    }
    void TearDown() override
    {
        Arranque::setIniciador(anteriorIniciador_);
        kapores2::Equipo::setAbridor(anteriorAbridor_);
        EntornoCore::TearDown();
    }
    // An executable file in the program folder (or below it).
    QString Programa(const QString& nombre)
    {
        const QString ruta = carpeta_.file(nombre);
        QDir().mkpath(QFileInfo(ruta).path());
        QFile f(ruta);
        f.open(QIODevice::WriteOnly);
        f.write("#!/bin/sh\n");
        return ruta;
    }
    QString Parametros(const QString& adicional)
    {
        return QStringLiteral(" ; @server=SRV01\\KAPORES; @dbname=EMPRESA; @usuario=ANA; @Password=clave 1; "
                              "@ParametroAdicional=") +
               adicional + QStringLiteral("; gurm@ ; @UsuarioLogeado = ANA; @Caja=3;");
    }

    QList<Inicio> inicios_;
    QStringList abiertas_;
    bool abre_ = true;
    Arranque::Iniciador anteriorIniciador_;
    kapores2::Equipo::Abridor anteriorAbridor_;
};

TEST_F(LanzadorTest, StartsSuiteProgramsWithTheParameterStringAsOneArgument)
{
    ui::ScriptedSession dlg;
    const QString qm = Programa(QStringLiteral("QM410"));
    const QString otro = Programa(QStringLiteral("sub dir/OTRO.exe"));
    const QString shellito = Programa(QStringLiteral("MISHELL"));
    struct Caso {
        QString programa;
        QString parametros;
        QString esperado;
        QString adicional;
    } casos[] = {
        {QStringLiteral("SHELL:QM410.exe"), QStringLiteral("V_MA_ARTICULOS 1 0"), qm, QStringLiteral("1 0")},
        {QStringLiteral("shell:QM410.EXE"), QString(), qm, QString()},
        {QStringLiteral("QM410"), QStringLiteral("uno"), qm, QStringLiteral("uno")},
        // A name holding SHELL later is a name, not a prefix.
        {QStringLiteral("MISHELL"), QString(), shellito, QString()},
        // A full path, with blanks in the folder.
        {QStringLiteral("SHELL:") + otro, QString(), otro, QString()},
    };
    for (Caso& c : casos) {
        inicios_.clear();
        std::int32_t resultado = 0;
        QString programa = c.programa;
        ModGlobal::MenuExes(programa, c.parametros, resultado);
        EXPECT_EQ(resultado, 4321) << c.programa.toStdString();
        ASSERT_EQ(inicios_.size(), 1) << c.programa.toStdString();
        EXPECT_EQ(QFileInfo(inicios_[0].programa).canonicalFilePath(), QFileInfo(c.esperado).canonicalFilePath())
            << c.programa.toStdString();
        EXPECT_EQ(inicios_[0].argumentos, QStringList{Parametros(c.adicional)}) << c.programa.toStdString();
        EXPECT_EQ(c.parametros, c.adicional) << "the caller's variable loses its first word";
    }
    EXPECT_TRUE(dlg.shown().isEmpty());
}

// A session value the parameter string cannot carry is refused by name and
// nothing is started; one that it carries starts the program (the caller's
// additional parameter after its first word is dropped).
TEST_F(LanzadorTest, ValuesTheParameterStringCannotCarryAreRefused)
{
    Programa(QStringLiteral("QM410"));
    struct Caso {
        const char* password;
        const char* caja;
        const char* parametros;
        const char* rechazado;  // "" when the program starts
    } casos[] = {
        {"cla;ve", "3", "", "@Password"},          // arrived as "cla"
        {"7x=yº", "3", "", "@Password"},           // arrived as "7xyº"
        {" clave", "3", "", "@Password"},          // arrived trimmed
        {"clave ", "3", "", "@Password"},
        {"clave", "3", "VER@Caja", "@ParametroAdicional"},  // the cash desk arrived as ""
        {"clave", "3", "T @usuarioX", "@ParametroAdicional"},
        {"clave", "1;2", "", "@Caja"},
        {"cla ve@", "3", "X VER@", ""},           // "@" alone, blanks inside: they arrive
        {"ñ'\"%&", " 3 ", "T a'b", ""},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.password);
        inicios_.clear();
        ModGlobal::gPassword = QString::fromUtf8(c.password);
        ModGlobal::gCaja = QString::fromUtf8(c.caja);
        ui::ScriptedSession dlg;
        const QString rechazado = QString::fromUtf8(c.rechazado);
        if (!rechazado.isEmpty())
            dlg.expectMsgBox(QStringLiteral("No se puede iniciar QM410: el valor de ") + rechazado +
                             QStringLiteral(" no puede pasarse al programa."))
                .title(QStringLiteral("Atención"))
                .style(ui::vbExclamation);
        QString programa = QStringLiteral("QM410");
        QString parametros = QString::fromUtf8(c.parametros);
        std::int32_t resultado = 0;
        ModGlobal::MenuExes(programa, parametros, resultado);
        dlg.verifyDone();
        EXPECT_EQ(inicios_.size(), rechazado.isEmpty() ? 1 : 0);
        EXPECT_EQ(resultado, rechazado.isEmpty() ? 4321 : 0);
        if (inicios_.size() == 1) {
            const ModGlobal::ParametrosConexion leidos = ModGlobal::LeeParametrosConexion(inicios_[0].argumentos.value(0));
            EXPECT_EQ(leidos.PasswordTexto, ModGlobal::gPassword);
            EXPECT_EQ(leidos.Caja, ModGlobal::gCaja.trimmed());
            EXPECT_EQ(leidos.ParametroAdicional, parametros.trimmed());
        }
    }
}

// Seeded: session values with every awkward character either reach the
// started program as they are (read back as it reads its parameter string:
// the password exactly, the other values trimmed) or are refused with the
// message and nothing is started.
TEST_F(LanzadorTest, GeneratedSessionValuesArriveOrAreRefused)
{
    Programa(QStringLiteral("QM410"));
    std::mt19937 gen(53);
    const QStringList piezas = {QStringLiteral(";"),     QStringLiteral("="),      QStringLiteral(" "),
                                QStringLiteral("@"),     QStringLiteral("@caja"),  QStringLiteral("@Usuario"),
                                QStringLiteral("@menu"), QStringLiteral("gurm@"),  QStringLiteral("'"),
                                QStringLiteral("\""),    QStringLiteral("ñº€"),    QStringLiteral("* *"),
                                QStringLiteral("\\"),   QStringLiteral("@PASSWORD"), QStringLiteral("@ParametroAdicional")};
    const auto texto = [&] {
        QString t;
        for (int n = std::uniform_int_distribution<int>(0, 4)(gen); n > 0; --n)
            t += std::uniform_int_distribution<int>(0, 2)(gen) == 0
                     ? piezas[std::uniform_int_distribution<qsizetype>(0, piezas.size() - 1)(gen)]
                     : QString(QChar(u'a' + std::uniform_int_distribution<int>(0, 25)(gen)));
        return t;
    };
    int iniciados = 0, rechazados = 0;
    for (int k = 0; k < 300; ++k) {
        DB_Dll& db = ModGlobal::gDB();
        db.gServidor = QStringLiteral("SRV") + texto();
        db.gDBName = QStringLiteral("DB") + texto();
        ModGlobal::gUsuarioLogeado = QStringLiteral("U") + texto();
        ModGlobal::gPassword = texto();
        ModGlobal::gCaja = texto();
        QString parametros = QStringLiteral("P ") + texto();
        const QString adicional = parametros.mid(2);
        SCOPED_TRACE((ModGlobal::gPassword + u'|' + adicional).toStdString());
        inicios_.clear();
        ui::ScriptedSession dlg;
        // shown only when refused
        dlg.expectMsgBox(QStringLiteral("No se puede iniciar QM410: el valor de @")).title(QStringLiteral("Atención"));
        QString programa = QStringLiteral("QM410");
        std::int32_t resultado = 0;
        ModGlobal::MenuExes(programa, parametros, resultado);
        if (inicios_.isEmpty()) {
            ++rechazados;
            EXPECT_EQ(resultado, 0);
            EXPECT_NO_THROW(dlg.verifyDone());
            continue;
        }
        ++iniciados;
        EXPECT_TRUE(dlg.shown().isEmpty());
        dlg.clear();
        ASSERT_EQ(inicios_.size(), 1);
        const ModGlobal::ParametrosConexion p = ModGlobal::LeeParametrosConexion(inicios_[0].argumentos.value(0));
        EXPECT_EQ(p.erroresSinCierre, 0);
        EXPECT_EQ(p.Servidor, db.gServidor.trimmed());
        EXPECT_EQ(p.DbName, db.gDBName.trimmed());
        EXPECT_EQ(p.Usuario, ModGlobal::gUsuarioLogeado.trimmed());
        EXPECT_EQ(p.UsuarioLogeado, ModGlobal::gUsuarioLogeado.trimmed());
        EXPECT_EQ(p.PasswordTexto, ModGlobal::gPassword);
        EXPECT_EQ(p.ParametroAdicional, adicional.trimmed());
        EXPECT_EQ(p.Caja, ModGlobal::gCaja.trimmed());
        EXPECT_EQ(p.Menu, QString());
    }
    EXPECT_GT(iniciados, 30);
    EXPECT_GT(rechazados, 30);
}

TEST_F(LanzadorTest, MissingProgramGoesToTheErrorBox)
{
    ui::ScriptedSession dlg;
    dlg.expectMsgBox(QString(), ui::vbIgnore);
    dlg.expectMsgBox(QStringLiteral("Opcion no Implementada!\rComuniquese con su proveedor de sistemas"))
        .style(ui::vbCritical)
        .title(QStringLiteral("Atención"));
    QString programa = QStringLiteral("SHELL:NOHAY.exe");
    QString parametros;
    std::int32_t resultado = 0;
    ModGlobal::MenuExes(programa, parametros, resultado);
    EXPECT_EQ(resultado, 0);
    EXPECT_TRUE(inicios_.isEmpty());
    EXPECT_TRUE(dlg.remaining().isEmpty());

    // Abort: the handler's box alone.
    ui::ScriptedSession otra;
    otra.expectMsgBox(QString(), ui::vbAbort);
    ModGlobal::MenuExes(programa, parametros, resultado);
    EXPECT_TRUE(otra.remaining().isEmpty());
}

TEST_F(LanzadorTest, WebPagesOpenOnTheDatabaseServer)
{
    ui::ScriptedSession dlg;
    QString programa = QStringLiteral("SHELL:http://LOCALHOST:5055/informes/ventas");
    QString parametros = QStringLiteral("x y");
    std::int32_t resultado = 0;
    ModGlobal::MenuExes(programa, parametros, resultado);
    EXPECT_EQ(resultado, 1);
    EXPECT_EQ(programa, QStringLiteral("http://SRV01:5055/informes/ventas"));
    EXPECT_EQ(abiertas_, QStringList{QStringLiteral("http://srv01:5055/informes/ventas")});  // hosts are case-blind
    EXPECT_TRUE(inicios_.isEmpty());

    // The desktop cannot open it: AbrirURL's box, and still 1.
    abre_ = false;
    dlg.expectMsgBox(QStringLiteral("No se pudo abrir la URL: http://SRV01:5055/\r\nCódigo: 31"));
    programa = QStringLiteral("http://localhost:5055/");
    resultado = 0;
    ModGlobal::MenuExes(programa, parametros, resultado);
    EXPECT_EQ(resultado, 1);
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(LanzadorTest, AddressesAndDocuments)
{
    ui::ScriptedSession dlg;
    dlg.expectMsgBox(QStringLiteral("URL vacía")).style(ui::vbExclamation);
    ModGlobal::AbrirURL(QStringLiteral("   "));
    EXPECT_TRUE(abiertas_.isEmpty());
    ModGlobal::AbrirURL(QStringLiteral(" https://example.org/a "));
    EXPECT_EQ(abiertas_, QStringList{QStringLiteral("https://example.org/a")});

    // Documents: a path with a blank is quoted for the handler, which still
    // finds it.
    const QString doc = Programa(QStringLiteral("mis docs/informe.txt"));
    abiertas_.clear();
    ModGlobal::AbreDocumento(doc, legacy::Variant(true));
    ModGlobal::AbreDocumento(QStringLiteral("\"") + doc + QStringLiteral("\""), legacy::Variant(false));
    ASSERT_EQ(abiertas_.size(), 2);
    EXPECT_EQ(abiertas_[0], QUrl::fromLocalFile(doc).toString());
    EXPECT_EQ(abiertas_[1], abiertas_[0]);
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(LanzadorTest, ExisteArchivo)
{
    const QString doc = Programa(QStringLiteral("mis docs/informe.txt"));
    EXPECT_TRUE(ModGlobal::ExisteArchivo(doc));
    EXPECT_TRUE(ModGlobal::ExisteArchivo(QStringLiteral("\"") + doc + QStringLiteral("\"")));
    EXPECT_FALSE(ModGlobal::ExisteArchivo(QFileInfo(doc).path()));
    EXPECT_FALSE(ModGlobal::ExisteArchivo(QString()));
    EXPECT_FALSE(ModGlobal::ExisteArchivo(carpeta_.file(QStringLiteral("no/hay.txt"))));
}

}  // namespace
