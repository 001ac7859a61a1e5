#pragma once
// The dispatch data of the lots of one stock voucher, read once for the
// voucher instead of once per lot item.
#include <QHash>
#include <QString>

#include <optional>

namespace ui {
class MSFlexGrid;
}

namespace stockcomun {

class DespachosDeLotes {
public:
    // What ModGlobal::DatosDespacho gives for Lote: ControladoPor and
    // IdOrigen are set as it sets them and left as they are otherwise. The
    // first call reads the data of every lot the articles grid names (and of
    // the voucher's fixed lot) in a few queries; a lot outside them is looked
    // up alone.
    void Datos(const ui::MSFlexGrid& g, const QString& LoteFijo, const QString& Lote, QString& ControladoPor,
               QString& IdOrigen);

private:
    struct Dato {
        qint64 id = 0;
        QString controlado, descripcion, origen;
    };
    void Lee(const ui::MSFlexGrid& g, const QString& LoteFijo);

    bool leido_ = false;
    // A row came back that no lot asked for matches here (the server
    // compares more loosely): every lot is then looked up alone.
    bool dudoso_ = false;
    QHash<QString, std::optional<Dato>> lotes_;  // by the lot without blanks, letter case folded
};

}  // namespace stockcomun
