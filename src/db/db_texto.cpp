#include "db/db_texto.h"

namespace db_texto {

QList<Pieza> Piezas(QStringView sql, bool nombres)
{
    QList<Pieza> piezas;
    const qsizetype n = sql.size();
    qsizetype libre = 0;  // start of the plain run in progress
    qsizetype i = 0;
    auto cierra = [&](qsizetype desde, qsizetype hasta, Pieza::Clase clase) {
        if (desde > libre) piezas.append({libre, desde - libre, Pieza::Libre});
        piezas.append({desde, hasta - desde, clase});
        libre = hasta;
        i = hasta;
    };
    while (i < n) {
        const QChar c = sql[i];
        if (c == u'\'' || (nombres && (c == u'"' || c == u'['))) {
            const QChar fin = c == u'[' ? QChar(u']') : c;
            const qsizetype k = sql.indexOf(fin, i + 1);
            cierra(i, k < 0 ? n : k + 1, c == u'\'' ? Pieza::Texto : Pieza::Nombre);
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            qsizetype k = i + 2;
            while (k < n && sql[k] != u'\r' && sql[k] != u'\n') ++k;
            cierra(i, k, Pieza::Comentario);
        } else {
            ++i;
        }
    }
    if (n > libre) piezas.append({libre, n - libre, Pieza::Libre});
    return piezas;
}

QString TextoExterior(const QString& sql)
{
    QString r = sql;
    for (const Pieza& p : Piezas(sql))
        if (p.clase != Pieza::Libre) r.replace(p.desde, p.largo, QString(p.largo, QChar(1)));
    return r;
}

qsizetype BuscaFuera(const QString& sql, const QString& buscado, qsizetype desde)
{
    return TextoExterior(sql).indexOf(buscado, desde, Qt::CaseInsensitive);
}

QString ReemplazaFuera(const QString& sql, const QString& buscado, const QString& nuevo, bool nombres)
{
    if (buscado.isEmpty() || !sql.contains(buscado, Qt::CaseInsensitive)) return sql;
    QString r;
    r.reserve(sql.size());
    for (const Pieza& p : Piezas(sql, nombres)) {
        const QString trozo = sql.mid(p.desde, p.largo);
        r += p.clase == Pieza::Libre ? ReemplazaTodo(trozo, buscado, nuevo) : trozo;
    }
    return r;
}

}  // namespace db_texto
