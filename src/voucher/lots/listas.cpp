// The lot, serial and position lists of a voucher line (ListaPipe and its
// items): reading, counting, searching and reshaping them.
#include "voucher/clscmncptes.h"

#include "db/db_dll.h"
#include "db/db_texto.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/vberror.h"

#include <QSet>
#include <QStringList>

using legacy::Trim;

namespace {

const QChar kBarra = u'|';
const QChar kChr255 = QChar(0x00FF);  // Chr(255) in Windows-1252

// Items are compared as the system compares texts (case ignored, letters
// beyond the plain alphabet folded by their Unicode case, so "Ñ" = "ñ").
using db_texto::Iguales;

// How a reader closes an unclosed last item.
enum class Cierre { Ninguno, Barra };

// The walk every reader shares: the trimmed text, one leading bar dropped,
// then every item that a bar closes; the walk ends when nothing but blanks
// follows a bar. `conBarra` tells whether the text held any bar at all.
QStringList Recorre(const QString& lista, Cierre cierre, bool* conBarra = nullptr)
{
    QString resto = Trim(lista);
    const bool barra = resto.contains(kBarra);
    if (conBarra) *conBarra = barra;
    if (cierre == Cierre::Barra && barra && resto.size() > 1 && !resto.endsWith(kBarra)) resto += kBarra;
    if (resto.startsWith(kBarra)) resto.remove(0, 1);
    // Walked by position, so a long list costs one pass. The text is
    // trimmed, so what follows a bar is blank only when nothing follows.
    QStringList items;
    qsizetype desde = 0;
    qsizetype p = resto.indexOf(kBarra);
    while (p >= 0) {
        items << resto.mid(desde, p - desde);
        desde = p + 1;
        if (desde >= resto.size()) break;
        p = resto.indexOf(kBarra, desde);
    }
    return items;
}

}  // namespace

void ClsCmnCptes::DescomponeSerieLote(const QString& Serie_Lote, QStringList& arreglo)
{
    arreglo = QStringList{QString()};
    bool conBarra = false;
    const QStringList items = Recorre(Serie_Lote, Cierre::Barra, &conBarra);
    if (!conBarra) {
        if (!Serie_Lote.isEmpty()) arreglo = QStringList{Trim(Serie_Lote), QString()};
        return;
    }
    for (const QString& item : items) {
        arreglo.last() = Trim(item);
        arreglo << QString();
    }
}

void ClsCmnCptes::DescomponePosicionCantidadLote(const QString& Posicion_Lote, const QString& PIPELotes,
                                                 QStringList& ArrPosiciones, QStringList& ArrCantidades,
                                                 QStringList& ArrLote)
{
    ArrPosiciones = QStringList{QString()};
    ArrCantidades = QStringList{QString()};
    ArrLote = QStringList{QString()};
    legacy::ErrorTrap trap(QStringLiteral("Cuenta_Series_Y_Lotes%"), ModGlobal::gDB().errorHandler());
    for (const QString& item : Recorre(Posicion_Lote, Cierre::Barra)) {
        ArrPosiciones.last() = Trim(item);
        ArrPosiciones << QString();
    }
    for (qsizetype j = 0; j + 1 < ArrPosiciones.size(); ++j) {
        trap([&] {
            const qsizetype asterisco = ArrPosiciones[j].indexOf(u'*');
            if (asterisco < 0) throw legacy::VbError(5);  // nothing to split the item at
            ArrCantidades.last() = ArrPosiciones[j].mid(asterisco + 1);
            ArrPosiciones[j] = ArrPosiciones[j].left(asterisco);
        });
        if (trap.left()) return;
        ArrCantidades << QString();
    }
    DescomponeSerieLote(PIPELotes, ArrLote);
}

QString ClsCmnCptes::StrSerieLote(const QString& Serie_Lote)
{
    QStringList vistos{QString()};
    QString resultado;
    for (const QString& item : Recorre(Serie_Lote, Cierre::Ninguno)) {
        const QString limpio = Trim(item);
        if (std::any_of(vistos.begin(), vistos.end(), [&](const QString& v) { return Iguales(v, limpio); }))
            continue;
        resultado += u' ' + limpio;
        vistos.last() = limpio;
        vistos << QString();
    }
    return resultado;
}

long ClsCmnCptes::Cuenta_Series_Lotes(const QString& PipeSeries, const QString& PIPELotes, bool SinConsolidar)
{
    QStringList series;
    QStringList lotes;
    DescomponeSerieLote(PipeSeries, series);
    DescomponeSerieLote(PIPELotes, lotes);
    // With serials the lots play no part; without them the serials are blanks.
    if (!PipeSeries.isEmpty())
        lotes = QStringList(series.size(), QString());
    else if (!PIPELotes.isEmpty())
        series = QStringList(lotes.size(), QString());
    if (SinConsolidar) return long(series.size() - 1);

    // Keys gathered case-folded, so each one is looked up once.
    QSet<QString> claves;
    for (qsizetype i = 0; i < series.size(); ++i) {
        const QString clave = Trim(Trim(series[i]) + kBarra + Trim(lotes.value(i)));
        if (Trim(kapores2::Funciones::QuitaCaracteres(clave, QString(kBarra))).isEmpty()) continue;
        claves.insert(clave.toCaseFolded());
    }
    return long(claves.size());
}

QString ClsCmnCptes::ExtraeSerieLoteConValor(QString& Serie, QString& Lote)
{
    Lote = kapores2::Funciones::QuitaCaracteres(Lote, QString(kChr255));
    Serie = kapores2::Funciones::QuitaCaracteres(Serie, QString(kChr255));
    QStringList cantidades;
    QStringList lotes;
    DescomponeSerieLote(Serie, cantidades);
    DescomponeSerieLote(Lote, lotes);
    for (qsizetype i = 0; i < cantidades.size(); ++i) {
        if (kapores2::Funciones::TextoANumero(legacy::Variant(Trim(cantidades[i]))) > legacy::Currency(0)) {
            // The empty closing element is no lot: a quantity past the last
            // lot is an out-of-range subscript, not a lot without a name.
            if (i >= lotes.size() - 1) throw legacy::VbError(9);
            return lotes[i];
        }
    }
    return {};
}

QString ClsCmnCptes::ExtraeSerieLote(const QString& Serie_Lote, long QuePosicion)
{
    bool conBarra = false;
    QStringList items = Recorre(Serie_Lote, Cierre::Ninguno, &conBarra);
    if (!conBarra && !Trim(Serie_Lote).isEmpty()) items = Recorre(Trim(Serie_Lote) + kBarra, Cierre::Ninguno);
    if (QuePosicion < 1 || QuePosicion > items.size()) return {};
    return items[QuePosicion - 1];
}

long ClsCmnCptes::Cantidad_Series_Lotes(const QString& Pipes)
{
    if (Pipes.isEmpty()) return 0;
    QStringList items;
    DescomponeSerieLote(Pipes, items);
    return long(items.size() - 1);
}

QString ClsCmnCptes::InsertaCHR255(const QString& iPipe)
{
    // The first character stands for the leading bar every writer puts
    // there, and is dropped whatever it is.
    const QString cuerpo = iPipe.mid(1);
    QString resultado(kBarra);
    for (const QChar c : cuerpo) {
        if (c == kBarra) resultado += kChr255;
        resultado += c;
    }
    return resultado;
}

long ClsCmnCptes::Busca_Lotes_Series(const QString& PipeSeriesLotes, const QString& QueSerieLote)
{
    bool conBarra = false;
    const QStringList items = Recorre(PipeSeriesLotes, Cierre::Barra, &conBarra);
    if (!conBarra) return 0;
    const QString buscado = Trim(QueSerieLote);
    long posicion = 1;
    for (const QString& item : items) {
        if (Iguales(Trim(item), buscado)) break;
        ++posicion;
    }
    return posicion;
}
