#include "TitoloProgramma.h"

#include <algorithm>

namespace marvento {

QString TitoloProgramma(const QString& percorsoEseguibile)
{
    const qsizetype barra = std::max(percorsoEseguibile.lastIndexOf(QLatin1Char('/')),
                                     percorsoEseguibile.lastIndexOf(QLatin1Char('\\')));
    QString nome = percorsoEseguibile.mid(barra + 1);
    const qsizetype punto = nome.indexOf(QLatin1Char('.'));
    if (punto >= 0)
        nome.truncate(punto);
    if (nome.isEmpty())
        return nome;
    // The first character may be a surrogate pair: keep it whole.
    const qsizetype primo = nome.at(0).isHighSurrogate() && nome.size() > 1 ? 2 : 1;
    return nome.left(primo) + nome.mid(primo).toLower();
}

} // namespace marvento
