#include "core/lib_clscons3.h"

Lib_ClsCons3::~Lib_ClsCons3() = default;

namespace ModGlobal {

namespace {

std::function<std::shared_ptr<Lib_ClsCons3>()>& fabrica()
{
    static std::function<std::shared_ptr<Lib_ClsCons3>()> f;
    return f;
}

std::shared_ptr<Lib_ClsCons3>& consulta()
{
    static std::shared_ptr<Lib_ClsCons3> c;
    return c;
}

}  // namespace

std::shared_ptr<Lib_ClsCons3> gConsultaPtr()
{
    auto& c = consulta();
    if (!c) {
        if (fabrica())
            c = fabrica()();
        // A factory that gives nothing must not leave the start-up without
        // somewhere to put its settings.
        if (!c)
            c = std::make_shared<Lib_ClsCons3>();
    }
    return c;
}

Lib_ClsCons3& gConsulta()
{
    return *gConsultaPtr();
}

void setConsultaFactory(std::function<std::shared_ptr<Lib_ClsCons3>()> factory)
{
    fabrica() = std::move(factory);
}

void ResetConsulta()
{
    consulta().reset();
}

}  // namespace ModGlobal
