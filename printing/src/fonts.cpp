#include "korvalen/printing/fonts.h"

#include <QFont>
#include <QString>

namespace korvalen::printing {

void InstallFontSubstitutes() {
    const struct {
        const char* msName;
        const char* ipaName;
    } substitutes[] = {
        {kMsGothic, "IPAGothic"},
        {kMsMincho, "IPAMincho"},
        {kMsPGothic, "IPAPGothic"},
        {kMsPMincho, "IPAPMincho"},
    };
    for (const auto& [msName, ipaName] : substitutes) {
        QFont::insertSubstitution(QString::fromUtf8(msName), QString::fromUtf8(ipaName));
    }
}

}  // namespace korvalen::printing
