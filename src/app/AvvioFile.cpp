#include "AvvioFile.h"

#include "TMenuGEN.h"

#include <QFileInfo>
#include <QString>
#include <QTimer>

#include <string>

namespace marvento {

void ApriFileDiAvvio(TMenuGEN& finestra, const QStringList& argomenti)
{
    if (argomenti.isEmpty())
        return;
    TMenuGEN* const bersaglio = &finestra;
    if (argomenti.size() > 1) {
        QTimer::singleShot(0, bersaglio, [bersaglio] {
            bersaglio->piattaforma().messaggio("Indica un solo file .mes o .rsz");
        });
        return;
    }
    // Made absolute now, so that the dialog later offers the same file whatever the current
    // folder has become.
    const QString& nome = argomenti.first();
    const std::string percorso = (nome.isEmpty() ? nome : QFileInfo(nome).absoluteFilePath()).toStdString();
    QTimer::singleShot(0, bersaglio, [bersaglio, percorso] { bersaglio->ApriFile(percorso); });
}

} // namespace marvento
