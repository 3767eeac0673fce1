#include "SeparatoreSistema.h"

#include <QLocale>
#include <QString>

namespace marvento {

char SeparatoreDecimaleDiSistema()
{
    const QString simbolo = QLocale::system().decimalPoint();
    if (simbolo.size() == 1 && simbolo.at(0).unicode() > 0x20 && simbolo.at(0).unicode() < 0x7F)
        return static_cast<char>(simbolo.at(0).unicode());
    return '.';
}

} // namespace marvento
