#pragma once
// The lookup entry: the start-up points it at the main connection and at the
// lookup definitions file. The lookup library supplies the full class (a
// subclass of this one) through setConsultaFactory; until then a plain
// object carries the three settings.
#include <QString>

#include <functional>
#include <memory>

class Lib_ClsCons3 {
public:
    virtual ~Lib_ClsCons3();

    QString gConnString;                  // connection string of the main database
    bool gUsarMascarasConsultas = false;  // take column lists from the definitions file
    QString gRutaMascaraConsultas;        // path of "consultas.vrk"
};

namespace ModGlobal {

// The shared lookup entry, created on first use through the factory:
//   ModGlobal::gConsulta().gRutaMascaraConsultas
Lib_ClsCons3& gConsulta();
// The same object as a shared pointer (for holders that keep it).
std::shared_ptr<Lib_ClsCons3> gConsultaPtr();
// Replaces the factory used for the next creation (an empty function restores
// the plain class). Does not touch an object already created.
void setConsultaFactory(std::function<std::shared_ptr<Lib_ClsCons3>()> factory);
// For tests: drops the shared object (the next use creates it anew).
void ResetConsulta();

}  // namespace ModGlobal
