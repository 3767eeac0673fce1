#include "PiattaformaQt.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace marvento {

namespace {

QString DaUtf8(const std::string& testo)
{
    return QString::fromUtf8(testo.data(), static_cast<qsizetype>(testo.size()));
}

// A name typed without an extension takes the extension of the type selected when the user
// accepts, before the dialog adds it and asks about replacing the file.
class DialogoConTipi : public QFileDialog
{
  public:
    using QFileDialog::QFileDialog;
    QStringList estensioni;

  protected:
    void accept() override
    {
        const qsizetype indice = nameFilters().indexOf(selectedNameFilter());
        if (indice >= 0 && indice < estensioni.size())
            setDefaultSuffix(estensioni.at(indice));
        QFileDialog::accept();
    }
};

QString Filtro(const std::string& descrizione, const std::string& modello)
{
    return DaUtf8(descrizione) + QStringLiteral(" (") + DaUtf8(modello) + QStringLiteral(")");
}

std::string MostraDialogo(const DialogoFile& dialogo, QFileDialog::AcceptMode modo, int* tipo = nullptr)
{
    DialogoConTipi finestra(QApplication::activeWindow());
    // Qt's own dialog behaves the same on every desktop: it returns a typed name of a missing file
    // in open mode and adds the default suffix before the overwrite question.
    finestra.setOption(QFileDialog::DontUseNativeDialog, true);
    finestra.setAcceptMode(modo);
    finestra.setFileMode(QFileDialog::AnyFile);
    QStringList filtri{Filtro(dialogo.descrizione, dialogo.modello)};
    QStringList estensioni{DaUtf8(dialogo.estensione)};
    for (const TipoFileDialogo& altro : dialogo.altriTipi) {
        filtri << Filtro(altro.descrizione, altro.modello);
        estensioni << DaUtf8(altro.estensione);
    }
    finestra.setNameFilters(filtri);
    finestra.selectNameFilter(filtri.first());
    finestra.setDefaultSuffix(estensioni.first());
    finestra.estensioni = estensioni;
    finestra.setOption(QFileDialog::DontConfirmOverwrite, !dialogo.confermaSovrascrittura);
    if (!dialogo.ultimoPercorso.empty())
        finestra.selectFile(DaUtf8(dialogo.ultimoPercorso));
    if (finestra.exec() != QDialog::Accepted)
        return {};
    const QStringList scelti = finestra.selectedFiles();
    if (scelti.isEmpty())
        return {};
    if (tipo != nullptr)
        *tipo = static_cast<int>(std::max<qsizetype>(0, filtri.indexOf(finestra.selectedNameFilter())));
    return scelti.first().toStdString();
}

} // namespace

std::string PiattaformaQt::mostraDialogoApri(const DialogoFile& dialogo)
{
    return MostraDialogo(dialogo, QFileDialog::AcceptOpen);
}

std::string PiattaformaQt::mostraDialogoSalva(const DialogoFile& dialogo, int& tipo)
{
    return MostraDialogo(dialogo, QFileDialog::AcceptSave, &tipo);
}

void PiattaformaQt::mostraBox(const BoxMessaggio& box)
{
    QMessageBox finestra(box.icona == IconaBox::Errore ? QMessageBox::Critical : QMessageBox::NoIcon,
                         DaUtf8(box.titolo), DaUtf8(box.testo), QMessageBox::Ok,
                         QApplication::activeWindow());
    // Messages quote file names and cell texts: never let them be read as markup.
    finestra.setTextFormat(Qt::PlainText);
    finestra.exec();
}

} // namespace marvento
