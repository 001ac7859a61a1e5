#pragma once
// The lookup on the embedded DEMO database: the main object open on it, the
// whole lookup class installed as ModGlobal::gConsulta() with the default
// definitions file in the program folder, and key and mouse helpers that
// reach the windows as a user's input does.
#include "core/support/entorno_core.h"
#include "support/layout_check.h"
#include "lookup/lib_clscons3.h"
#include "lookup/lib_frmcons3.h"
#include "lookup/lib_frmcons3tree.h"
#include "platform/ui/companions.h"
#include "platform/ui/listview.h"
#include "platform/ui/scripted.h"
#include "platform/ui/treeview.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeView>

namespace consultastest {

class EntornoConsultas : public coretest::EntornoCore {
protected:
    void SetUp() override
    {
        EntornoCore::SetUp();
        CreaBases(true, false);
        Conecta();
        lookup::InstalaConsulta();
        lookup::Lib_ClsCons3& c = lookup::Consulta();
        c.gUsarMascarasConsultas = true;
        c.gRutaMascaraConsultas = carpeta_.file(QStringLiteral("consultas.vrk"));
        ModGlobal::GrabaConsultasDefault(c.gRutaMascaraConsultas);
    }
    void TearDown() override
    {
        lookup::frmCons3().release();
        lookup::frmCons3Tree().release();
        ModGlobal::setConsultaFactory({});
        EntornoCore::TearDown();
    }

    static void Tecla(QWidget* w, int qtKey, const QString& texto = {}, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, qtKey, mods, texto);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, qtKey, mods, texto);
        QApplication::sendEvent(w, &release);
    }
    static void Escribe(QWidget* w, const QString& texto)
    {
        for (QChar c : texto) Tecla(w, 0, QString(c));
    }
    static void Click(QWidget* w, QPoint at)
    {
        for (auto tipo : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(tipo, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton,
                          tipo == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(w, &e);
        }
    }
    static QTreeView* Vista(QWidget* control) { return control->findChild<QTreeView*>(); }
    // A click on the header of list column c (1-based).
    static void ClickCabecera(Lib_FrmCons3& f, int c)
    {
        QHeaderView* h = Vista(f.ListView1)->header();
        Click(h->viewport(), QPoint(h->sectionViewportPosition(c - 1) + 5, h->height() / 2));
    }
    static QStringList Columna(Lib_FrmCons3& f, int posicion)
    {
        QStringList r;
        ui::ListItems& items = f.ListView1->ListItems();
        for (int i = 1; i <= items.Count(); ++i)
            r << (posicion == 1 ? items.Item(i).Text() : items.Item(i).SubItems(posicion - 1));
        return r;
    }
    static QStringList Textos(const lookup::ColeccionPtr& c)
    {
        QStringList r;
        if (c)
            for (int i = 1; i <= c->Count(); ++i) r << c->Item(i).toString();
        return r;
    }
    static QString Foto(QWidget& w, const char* nombre)
    {
        // as a person sees it: once the rows added have reached the list
        QCoreApplication::processEvents();
        const QString archivo = QDir(QStringLiteral(VORDANE_BINARY_DIR)).filePath(QString::fromLatin1(nombre));
        EXPECT_TRUE(w.grab().save(archivo)) << archivo.toStdString();
        testutil::ExpectWholeLabels(w);
        return archivo;
    }
};

}  // namespace consultastest
