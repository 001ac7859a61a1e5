#include "core/estilos.h"

#include "core/modglobal.h"
#include "core/tratamientoerrores.h"
#include "db/db_dll.h"
#include "db/frmacceso.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/archivoini.h"
#include "platform/kapores2/equipo.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/program.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/variant.h"
#include "platform/ui/dialogs.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QTreeView>
#include <QWidget>

using legacy::Trim;
using legacy::UCase;

namespace ModGlobal {

namespace {

// The skin style number last read; a text that is no number leaves it.
std::int16_t& estiloActual()
{
    static std::int16_t estilo = 0;
    return estilo;
}

const QString kArchivoIni = QStringLiteral("qm410tx.ini");

// Runs one step of a routine that skips whatever fails.
template <class F>
void Paso(F&& paso)
{
    try {
        paso();
    } catch (const legacy::VbError&) {
    }
}

// The old control type a widget stands for: a "TipoControl" property set by
// the widget's window wins (the grids and the suite's toolbar set it);
// otherwise the Qt class decides.
QString TipoControl(const QWidget* w)
{
    const QVariant explicito = w->property("TipoControl");
    if (explicito.isValid())
        return explicito.toString();
    if (qobject_cast<const QPushButton*>(w))
        return QStringLiteral("CommandButton");
    if (qobject_cast<const QLabel*>(w))
        return QStringLiteral("Label");
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QTextEdit*>(w) ||
        qobject_cast<const QPlainTextEdit*>(w))
        return QStringLiteral("TextBox");
    if (qobject_cast<const QCheckBox*>(w))
        return QStringLiteral("CheckBox");
    if (qobject_cast<const QRadioButton*>(w))
        return QStringLiteral("OptionButton");
    if (qobject_cast<const QComboBox*>(w))
        return QStringLiteral("ComboBox");
    if (qobject_cast<const QTabWidget*>(w))
        return QStringLiteral("SSTab");
    if (qobject_cast<const QTableView*>(w))
        return QStringLiteral("MSFlexGrid");
    if (qobject_cast<const QTreeView*>(w))
        return QStringLiteral("ListView");
    if (qobject_cast<const QListView*>(w))
        return QStringLiteral("ListBox");
    return QString::fromLatin1(w->metaObject()->className());
}

bool EsTipo(const QString& tipo, std::initializer_list<const char*> tipos)
{
    for (const char* t : tipos)
        if (tipo.compare(QLatin1String(t), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The controls of a window in the order they were created, as the window
// lists them (widgets of the window itself, not of other windows inside it).
QList<QWidget*> Controles(QWidget* frm)
{
    QList<QWidget*> r;
    for (QWidget* w : frm->findChildren<QWidget*>()) {
        if (w->window() == frm || !w->isWindow())
            r.append(w);
    }
    return r;
}

// What a control's font is worth before the window gets its own: every
// attribute pinned, so the window's font does not flow into controls that
// must keep theirs.
void FijaFuente(QWidget* w)
{
    QFont f = w->font();
    f.setResolveMask(QFont::AllPropertiesResolved);
    w->setFont(f);
}

QString Seccion(const QString& sufijo)
{
    return UCase(kapores2::Equipo::UsuarioWindows()) + QStringLiteral("_") + UCase(gDB().gDBName) + sufijo;
}

}  // namespace

void ArchivoDeSkin(std::int16_t estilo, QString& archivo, QString& ini)
{
    ini.clear();
    switch (estilo) {
    case 1:
        archivo = QStringLiteral("Styles/Vista.cjstyles");
        break;
    case 2:
        archivo = QStringLiteral("Styles/WinXP.Luna.cjstyles");
        break;
    case 3:
        archivo = QStringLiteral("Styles/WinXP.Royale.cjstyles");
        break;
    case 4:
        archivo = QStringLiteral("Styles/iTunes");
        ini = QStringLiteral("Normalitunes.ini");
        break;
    default:
        archivo = QStringLiteral("Styles/Office2007.cjstyles");
        break;
    }
}

std::int16_t ObtieneTemaEstilo(std::int16_t estilo)
{
    switch (estilo) {
    case 0:
        return 1;
    case 1:
        return 2;
    case 2:
        return 3;
    case 3:
        return 4;
    case 4:
        return 5;
    default:
        return 2;
    }
}

EstiloUsuario LeeEstiloUsuario()
{
    EstiloUsuario e;
    Paso([&] {
        e.fuente = Trim(kapores2::ArchivoIni::LeeIni(kArchivoIni, Seccion(QStringLiteral("Font")),
                                                     QStringLiteral("Font"), QStringLiteral("Segoe UI")));
    });
    Paso([&] {
        e.tamanio = Trim(kapores2::ArchivoIni::LeeIni(kArchivoIni, Seccion(QStringLiteral("FontSize")),
                                                      QStringLiteral("FontSize"), QStringLiteral("9")));
    });
    Paso([&] {
        const QString texto = kapores2::ArchivoIni::LeeIni(kArchivoIni, Seccion(QStringLiteral("Styles")),
                                                           QStringLiteral("Styles"), QStringLiteral("4"));
        estiloActual() = legacy::CInt(legacy::Variant(texto));
    });
    e.estilo = estiloActual();
    ArchivoDeSkin(e.estilo, e.archivoSkin, e.iniSkin);
    return e;
}

void AplicaEstiloFormulario(QWidget* frm, bool bAjustaControles)
{
    if (!frm)
        return;
    const EstiloUsuario e = LeeEstiloUsuario();
    const std::int16_t tema = ObtieneTemaEstilo(e.estilo);

    // No skin engine on this platform: a window that carries a skin control
    // object gets what it would have been given, and nothing is drawn
    // differently.
    if (QObject* skin = frm->findChild<QObject*>(QStringLiteral("SkinFramework1"))) {
        skin->setProperty("SkinFile", kapores2::Funciones::CompletaRuta(legacy::App().path) + e.archivoSkin);
        skin->setProperty("SkinIni", e.iniSkin);
        skin->setProperty("ApplyOptions", skin->property("ApplyOptions").toInt() | 1);
        skin->setProperty("AppliedWindow", QVariant::fromValue<QObject*>(frm));
    }

    const QList<QWidget*> controles = Controles(frm);
    QStringList tipos;
    for (QWidget* w : controles)
        tipos.append(TipoControl(w));
    const bool ajustaFuentes = frm->objectName().compare(QLatin1String("Garbol"), Qt::CaseInsensitive) != 0 &&
                               legacy::App().exeName.compare(QLatin1String("quemboliast"), Qt::CaseInsensitive) != 0;
    if (ajustaFuentes) {
        const double tamanio = legacy::Val(e.tamanio);
        for (QWidget* w : controles)
            FijaFuente(w);
        // The window itself takes the user's font too, so whatever it draws
        // on its own matches its controls.
        QFont propia = frm->font();
        propia.setFamily(e.fuente);
        if (tamanio > 0)
            propia.setPointSizeF(tamanio);
        frm->setFont(propia);

        for (qsizetype i = 0; i < controles.size(); ++i) {
            QWidget* w = controles[i];
            const QString& tipo = tipos[i];
            const bool conFuente = EsTipo(tipo, {"CommandButton", "Label", "TextBox", "CheckBox", "OptionButton",
                                                 "ComboBox", "ListBox", "SSTab", "ListView", "MSFlexGrid"});
            QFont f = w->font();
            if (conFuente && f.family().compare(QLatin1String("Marlett"), Qt::CaseInsensitive) != 0 &&
                f.pointSizeF() <= 12) {
                f.setFamily(e.fuente);
                if (tamanio > 0)
                    f.setPointSizeF(tamanio);
                f.setResolveMask(QFont::AllPropertiesResolved);
                w->setFont(f);
            }
            if (bAjustaControles) {
                if (EsTipo(tipo, {"TextBox"})) {
                    w->setProperty("BorderStyle", 1);
                    w->setProperty("Appearance", 0);
                } else if (EsTipo(tipo, {"ComboBox"})) {
                    w->setProperty("Appearance", 0);
                } else if (EsTipo(tipo, {"CommandButton"})) {
                    w->setProperty("Style", 1);
                    w->setProperty("Appearance", 0);
                }
            }
        }
    }

    for (qsizetype i = 0; i < controles.size(); ++i) {
        if (EsTipo(tipos[i], {"TolvarBar", "Tolvar"})) {
            controles[i]->setProperty("Theme", int(tema));
            controles[i]->setProperty("ColorStyle", int(tema));
        }
    }
}

void AsignaIconoFormulario(QWidget* frm)
{
    if (!frm)
        return;
    // The suite's icon when the program carries one; else the icon file of
    // the current folder, for a window still without an icon of its own.
    if (QFile::exists(QStringLiteral(":/ICONBRINDEL")))
        frm->setWindowIcon(QIcon(QStringLiteral(":/ICONBRINDEL")));
    if (!frm->testAttribute(Qt::WA_SetWindowIcon)) {
        const QString archivo = QDir::current().filePath(QStringLiteral("brindel.ico"));
        if (QFile::exists(archivo))
            frm->setWindowIcon(QIcon(archivo));
    }
    if (QString::fromLatin1(frm->metaObject()->className()).compare(QLatin1String("GARBOL"), Qt::CaseInsensitive) != 0) {
        for (const char* nombre : {"Tolvar1", "TBarRep1", "Util0011"}) {
            if (QObject* barra = frm->findChild<QObject*>(QString::fromLatin1(nombre)))
                barra->setProperty("StyleBar", gFlatToolbars);
        }
        ui::DoEvents();
    }
}

void EnlazaVentanaAcceso()
{
    frmAcceso::setAplicaEstilo([](QWidget* w, bool ajusta) { AplicaEstiloFormulario(w, ajusta); });
    frmAcceso::setManejadorErrores(&ManejadorErrores);
}

namespace {
// The access window lives below this module; it reaches the styling and the
// common error box through what is put in here as soon as this module is
// part of the program.
const bool enlazada = (EnlazaVentanaAcceso(), true);
}  // namespace

}  // namespace ModGlobal
