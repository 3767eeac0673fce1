#include "AvvioFile.h"

#include "TMenuGEN.h"

#include <QFileInfo>
#include <QString>
#include <QTimer>

#include <string>
#include <vector>

namespace marvento {

void ApriFileDiAvvio(TMenuGEN& finestra, const QStringList& argomenti)
{
    if (argomenti.isEmpty())
        return;
    TMenuGEN* const bersaglio = &finestra;
    // Made absolute now, so that the dialog later offers the same file whatever the current
    // folder has become.
    std::vector<std::string> percorsi;
    for (const QString& nome : argomenti)
        percorsi.push_back((nome.isEmpty() ? nome : QFileInfo(nome).absoluteFilePath()).toStdString());
    QTimer::singleShot(0, bersaglio, [bersaglio, percorsi] { bersaglio->ApriFile(percorsi); });
}

} // namespace marvento
