// Start-up: the application object, the main window, the hidden diagram window, the file named on
// the command line, the event loop.
#include "AvvioFile.h"
#include "PiattaformaQt.h"
#include "SeparatoreSistema.h"
#include "TDiagrammi.h"
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
    // Created hidden; "Diagrammi" shows it. Declared after the main window, so it goes first.
    marvento::TDiagrammi Diagrammi(MenuGEN.tabella(), MenuGEN.riepilogo(), separatore, piattaforma);
    MenuGEN.impostaDiagrammi(&Diagrammi);
    MenuGEN.show();
    marvento::ApriFileDiAvvio(MenuGEN, QCoreApplication::arguments().mid(1));
    return app.exec();
}
