// The shared lookup entry: created once, through a factory the lookup
// library can replace.
#include "core/lib_clscons3.h"

#include <gtest/gtest.h>

namespace {

class ConsultaCompleta : public Lib_ClsCons3 {
public:
    int extra = 42;
};

TEST(LookupEntry, UnaSolaInstanciaYFabricaReemplazable)
{
    ModGlobal::ResetConsulta();
    ModGlobal::setConsultaFactory({});
    Lib_ClsCons3& a = ModGlobal::gConsulta();
    a.gRutaMascaraConsultas = QStringLiteral("/p/consultas.vrk");
    EXPECT_EQ(&ModGlobal::gConsulta(), &a);
    EXPECT_EQ(ModGlobal::gConsultaPtr().get(), &a);
    EXPECT_FALSE(a.gUsarMascarasConsultas);

    // A factory does not replace the object already made...
    ModGlobal::setConsultaFactory([] { return std::make_shared<ConsultaCompleta>(); });
    EXPECT_EQ(&ModGlobal::gConsulta(), &a);
    // ...only the next one.
    ModGlobal::ResetConsulta();
    auto* completa = dynamic_cast<ConsultaCompleta*>(&ModGlobal::gConsulta());
    ASSERT_NE(completa, nullptr);
    EXPECT_EQ(completa->extra, 42);

    // A factory that gives nothing still leaves an object to configure.
    ModGlobal::setConsultaFactory([] { return std::shared_ptr<Lib_ClsCons3>(); });
    ModGlobal::ResetConsulta();
    EXPECT_NE(ModGlobal::gConsultaPtr(), nullptr);

    ModGlobal::setConsultaFactory({});
    ModGlobal::ResetConsulta();
}

}  // namespace
