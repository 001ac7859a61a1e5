#include "platform/legacy/regional.h"

namespace legacy {

RegionalProfile RegionalProfile::spanish()
{
    RegionalProfile p;
    p.monthNames = {QStringLiteral("enero"),      QStringLiteral("febrero"), QStringLiteral("marzo"),
                    QStringLiteral("abril"),      QStringLiteral("mayo"),    QStringLiteral("junio"),
                    QStringLiteral("julio"),      QStringLiteral("agosto"),  QStringLiteral("septiembre"),
                    QStringLiteral("octubre"),    QStringLiteral("noviembre"), QStringLiteral("diciembre")};
    p.dayNames = {QStringLiteral("domingo"), QStringLiteral("lunes"),   QStringLiteral("martes"),
                  QStringLiteral("miércoles"), QStringLiteral("jueves"), QStringLiteral("viernes"),
                  QStringLiteral("sábado")};
    return p;
}

RegionalProfile& Regional()
{
    static RegionalProfile profile = RegionalProfile::spanish();
    return profile;
}

void setRegional(const RegionalProfile& profile)
{
    Regional() = profile;
}

}  // namespace legacy
