#include "PiattaformaQt.h"

#include <QApplication>
#include <QCollator>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace marvento {

namespace {

QString DaUtf8(const std::string& testo)
{
    return QString::fromUtf8(testo.data(), static_cast<qsizetype>(testo.size()));
}

// On Windows the system's own dialog, as users expect of a Windows program. Everywhere else, and
// when the windows are not on a real Windows desktop (the offscreen tests), Qt's own dialog: it
// behaves the same on every desktop, returns a typed name of a missing file in open mode and adds
// the default suffix before the overwrite question. The Windows dialog adds the suffix too, changes
// it with the file type, and may refuse a missing file itself in open mode, where the user sees it
// at once.
bool DialogoDiSistema()
{
#ifdef Q_OS_WIN
    return QGuiApplication::platformName() == QLatin1String("windows");
#else
    return false;
#endif
}

// Qt's dialog in open mode takes several files and still returns a typed name of a missing file:
// its reader says what is wrong with it, as for any file that does not read. A name typed without
// an extension takes the extension of the type selected when the user accepts, before the dialog
// adds it and asks about replacing the file.
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
        const QStringList scelti = selectedFiles();
        const bool manca = std::any_of(scelti.begin(), scelti.end(),
                                       [](const QString& file) { return !QFileInfo::exists(file); });
        if (acceptMode() == QFileDialog::AcceptOpen && manca)
            QDialog::accept();
        else
            QFileDialog::accept();
    }
};

QString Filtro(const std::string& descrizione, const std::string& modello)
{
    return DaUtf8(descrizione) + QStringLiteral(" (") + DaUtf8(modello) + QStringLiteral(")");
}

// The chosen files, none on a cancel; tipo receives the index of the file type selected.
QStringList MostraDialogo(const DialogoFile& dialogo, QFileDialog::AcceptMode modo, int& tipo)
{
    DialogoConTipi finestra(QApplication::activeWindow());
    finestra.setOption(QFileDialog::DontUseNativeDialog, !DialogoDiSistema());
    finestra.setAcceptMode(modo);
    finestra.setFileMode(modo == QFileDialog::AcceptOpen ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
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
    tipo = static_cast<int>(std::max<qsizetype>(0, filtri.indexOf(finestra.selectedNameFilter())));
    return finestra.selectedFiles();
}

} // namespace

std::vector<std::string> PiattaformaQt::mostraDialogoApri(const DialogoFile& dialogo)
{
    int tipo = 0;
    QStringList scelti = MostraDialogo(dialogo, QFileDialog::AcceptOpen, tipo);
    // The runs in the order the list shows their names, "_2" before "_10".
    QCollator ordine;
    ordine.setNumericMode(true);
    std::sort(scelti.begin(), scelti.end(), ordine);
    std::vector<std::string> percorsi;
    for (const QString& file : scelti)
        percorsi.push_back(file.toStdString());
    return percorsi;
}

std::string PiattaformaQt::mostraDialogoSalva(const DialogoFile& dialogo, int& tipo)
{
    const QStringList scelti = MostraDialogo(dialogo, QFileDialog::AcceptSave, tipo);
    return scelti.isEmpty() ? std::string() : scelti.first().toStdString();
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

std::optional<std::vector<double>> PiattaformaQt::mostraDialogoNumeri(const std::string& titolo,
                                                                      const std::vector<CampoNumero>& campi)
{
    QDialog finestra(QApplication::activeWindow());
    finestra.setWindowTitle(DaUtf8(titolo));
    auto* modulo = new QFormLayout(&finestra);
    std::vector<QDoubleSpinBox*> caselle;
    for (const CampoNumero& campo : campi) {
        auto* casella = new QDoubleSpinBox(&finestra);
        casella->setDecimals(campo.decimali);
        casella->setRange(campo.minimo, campo.massimo);
        casella->setSingleStep(1.0 / std::pow(10.0, campo.decimali));
        casella->setValue(campo.valore);
        modulo->addRow(DaUtf8(campo.etichetta), casella);
        caselle.push_back(casella);
    }
    auto* bottoni = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &finestra);
    QObject::connect(bottoni, &QDialogButtonBox::accepted, &finestra, &QDialog::accept);
    QObject::connect(bottoni, &QDialogButtonBox::rejected, &finestra, &QDialog::reject);
    modulo->addRow(bottoni);
    if (finestra.exec() != QDialog::Accepted)
        return std::nullopt;
    std::vector<double> valori;
    for (const QDoubleSpinBox* casella : caselle)
        valori.push_back(casella->value());
    return valori;
}

} // namespace marvento
