#pragma once
// Form1 on the embedded engine (or the server of VORDANE_TEST_MSSQL): a
// program folder with fresh DEMO and KD_REGISTROSVAR databases, the demo
// parameter string as the command line, the window loaded through the real
// start-up, and snapshots of every table.
#include "core/support/entorno_core.h"
#include "deletion/form1.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/legacy/textfile.h"
#include "platform/ui/scripted.h"
#include "support/servidor.h"

#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>

#include <algorithm>
#include <memory>

namespace anulaciontest {

using Foto = QMap<QString, QStringList>;  // table -> its rows, sorted

class EntornoAnulacion : public coretest::EntornoCore {
protected:
    // On the embedded engine, or on the SQL Server that VORDANE_TEST_MSSQL
    // names: its database and KD_REGISTROSVAR there are filled afresh with
    // the demo data for every case.
    void SetUp() override
    {
        EntornoCore::SetUp();
        if (const auto servidor = testdb::servidorDePrueba()) {
            legacy::App().commandLine = servidor->parametros;
            const std::pair<QString, QString> bases[] = {{QStringLiteral("DEMO"), servidor->base},
                                                         {QStringLiteral("KD_REGISTROSVAR"), QStringLiteral("KD_REGISTROSVAR")}};
            for (const auto& [nombre, base] : bases)
                testdb::creaEnServidor(*testdb::conectaServidor(*servidor, base), nombre, true);
            enServidor_ = true;
        } else {
            legacy::App().commandLine = QStringLiteral("@server=(sqlite);@dbname=DEMO;@usuario=DEMO;@Password=DEMO;");
            CreaBases();
        }
        QFile::remove(Log());  // cases that start afresh in a loop share the folder
    }
    void TearDown() override
    {
        ventana_.reset();
        Form1::setFinPrograma({});
        EntornoCore::TearDown();
    }
    void Reinicia()
    {
        TearDown();
        SetUp();
    }

    Form1& Carga()
    {
        ui::ScriptedSession dlg;
        ventana_ = std::make_unique<Form1>();
        ventana_->Form_Load();
        dlg.verifyDone();
        return *ventana_;
    }
    // Loaded, unlocked and the five fields typed.
    Form1& Prepara(const QString& tc, const QString& suc, const QString& nro, const QString& letra,
                   const QString& complemento = QStringLiteral("0"))
    {
        Form1& f = ventana_ ? *ventana_ : Carga();
        f.txtPassWord->setText(Form1::ClaveAcceso());
        const QString textos[] = {tc, suc, nro, letra, complemento};
        QLineEdit* cajas[] = {f.txtTC, f.txtSUC, f.txtNRO, f.txtLetra, f.txtComplemento};
        for (int i = 0; i < 5; ++i)
            cajas[i]->setText(textos[i]);
        return f;
    }
    // Aceptar with the boxes expected beforehand; nothing else may show.
    void Acepta(ui::ScriptedDialogs& dlg)
    {
        ventana_->CmdAceptar_Click();
        EXPECT_TRUE(dlg.failures().isEmpty()) << dlg.failures().join(u'\n').toStdString();
        EXPECT_TRUE(dlg.remaining().isEmpty()) << dlg.remaining().join(u'\n').toStdString();
    }

    QStringList Ordenadas(const QString& sql)
    {
        QStringList filas = Filas(sql);
        std::sort(filas.begin(), filas.end());
        return filas;
    }
    Foto Fotografia()
    {
        Foto f;
        auto rs = ModGlobal::gDB().gCnn->OpenSchema(ado::adSchemaTables);
        for (; !rs->Eof(); rs->MoveNext())
            if (rs->Fields("TABLE_TYPE").Value().toString().compare(QLatin1String("TABLE"), Qt::CaseInsensitive) == 0)
                f[rs->Fields("TABLE_NAME").Value().toString()] =
                    Ordenadas(QStringLiteral("SELECT * FROM ") + rs->Fields("TABLE_NAME").Value().toString());
        return f;
    }

    QString Log() const { return carpeta_.file(QStringLiteral("JQELI.LOG")); }
    QStringList LineasLog() const { return legacy::FileExists(Log()) ? legacy::ReadLines(Log()) : QStringList(); }

    std::unique_ptr<Form1> ventana_;
    bool enServidor_ = false;
};

}  // namespace anulaciontest
