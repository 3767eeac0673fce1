// Start-up: the application object, the main window, the event loop.
#include "PiattaformaQt.h"
#include "SeparatoreSistema.h"
#include "TMenuGEN.h"
#include "TitoloProgramma.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The decimal separator is read once for the whole run.
    const char separatore = marvento::SeparatoreDecimaleDiSistema();
    marvento::PiattaformaQt piattaforma(
        marvento::TitoloProgramma(QCoreApplication::applicationFilePath()).toStdString());
    marvento::TMenuGEN MenuGEN(separatore, piattaforma);
    MenuGEN.show();
    return app.exec();
}
