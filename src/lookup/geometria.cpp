#include "lookup/geometria.h"

#include <algorithm>
#include <cmath>

namespace lookup {

AnchoCalculado CalcularAncho(const std::vector<Columna>& columnas, double anchoPantalla)
{
    AnchoCalculado r;
    double total = 0;
    for (const Columna& c : columnas) {
        r.cajas.push_back({c.left, std::max(0.0, c.width - 50)});
        total += c.width;
    }
    r.anchoLista = total + 360;
    r.anchoPanel = std::nearbyint(total) + 360;  // halves to even
    r.anchoBarra = total;
    r.anchoVentana = r.anchoLista + 360 >= anchoPantalla ? anchoPantalla - 480 : r.anchoLista + 280;
    return r;
}

Disposicion Disponer(double W, double H, const Disenio& d)
{
    Disposicion r;
    r.panel.height = H - d.altoFrame - 480;
    r.lista.height = r.panel.height - d.altoFrame - 600;
    r.panel.width = W - 120;
    r.lista.width = r.panel.width - 20;
    r.frame.height = d.altoFrame;
    r.frame.top = H - d.altoFrame - 520;
    r.barra.height = d.altoBarra;
    r.barra.top = r.panel.height - d.altoBarra - 120;
    r.barra.width = W - 120;
    r.frame.left = 0;
    r.frame.width = W;
    r.anchoAceptar = d.anchoAceptar;
    r.anchoCancelar = d.anchoCancelar;
    r.leftAceptar = r.frame.left + 100;
    r.leftCancelar = (r.frame.width - r.anchoCancelar) / 2;
    r.leftNueva = r.frame.width - (r.anchoCancelar + 150);
    if (!d.nuevaVisible) {
        if (r.anchoAceptar + r.anchoCancelar + 400 > r.frame.width) {
            r.anchoAceptar = d.anchoAceptar / 2;
            r.anchoCancelar = r.anchoAceptar;
            r.leftAceptar = r.frame.left + 100;
            r.leftCancelar = r.frame.width - (r.anchoCancelar + 150);
            r.leftNueva = r.leftCancelar;
        } else {
            r.leftCancelar = r.leftNueva;
        }
    }
    r.anchoLabel = r.lista.width - d.anchoNuevo;
    return r;
}

}  // namespace lookup
