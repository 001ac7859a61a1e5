#include "platform/ui/application.h"

#include "platform/ui/labels.h"

#include <QFont>
#include <QStringList>

#include <clocale>

namespace ui {

void PrepareApplication()
{
    std::setlocale(LC_NUMERIC, "C");

    // Liberation Sans has the metrics of Arial, a close match for the others;
    // DejaVu Sans Condensed is the fallback where it is missing.
    const QStringList sustitutos{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                 QStringLiteral("DejaVu Sans Condensed")};
    for (const char* windows : {"Segoe UI", "MS Sans Serif", "Microsoft Sans Serif", "Tahoma", "Arial", "Verdana"})
        QFont::insertSubstitutions(QString::fromLatin1(windows), sustitutos);
    // Their captions may still need more room than the windows give them.
    FitLabelsOnShow();
}

}  // namespace ui
