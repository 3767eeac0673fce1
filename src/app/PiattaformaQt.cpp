#include "PiattaformaQt.h"

#include <QApplication>
#include <QCollator>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
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

// The open dialog takes several files, and still returns a typed name of a missing file: its reader
// says what is wrong with it, as for any file that does not read.
class DialogoApri : public QFileDialog
{
  public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QStringList scelti = selectedFiles();
        const bool manca = std::any_of(scelti.begin(), scelti.end(),
                                       [](const QString& file) { return !QFileInfo::exists(file); });
        if (manca)
            QDialog::accept();
        else
            QFileDialog::accept();
    }
};

QStringList MostraDialogo(QFileDialog& finestra, const DialogoFile& dialogo, QFileDialog::AcceptMode modo)
{
    // Qt's own dialog behaves the same on every desktop: it returns a typed name of a missing file
    // in open mode and adds the default suffix before the overwrite question.
    finestra.setOption(QFileDialog::DontUseNativeDialog, true);
    finestra.setAcceptMode(modo);
    finestra.setFileMode(modo == QFileDialog::AcceptOpen ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
    finestra.setNameFilter(DaUtf8(dialogo.descrizione) + QStringLiteral(" (") + DaUtf8(dialogo.modello) +
                           QStringLiteral(")"));
    finestra.setDefaultSuffix(DaUtf8(dialogo.estensione));
    finestra.setOption(QFileDialog::DontConfirmOverwrite, !dialogo.confermaSovrascrittura);
    if (!dialogo.ultimoPercorso.empty())
        finestra.selectFile(DaUtf8(dialogo.ultimoPercorso));
    if (finestra.exec() != QDialog::Accepted)
        return {};
    return finestra.selectedFiles();
}

} // namespace

std::vector<std::string> PiattaformaQt::mostraDialogoApri(const DialogoFile& dialogo)
{
    DialogoApri finestra(QApplication::activeWindow());
    QStringList scelti = MostraDialogo(finestra, dialogo, QFileDialog::AcceptOpen);
    // The runs in the order the list shows their names, "_2" before "_10".
    QCollator ordine;
    ordine.setNumericMode(true);
    std::sort(scelti.begin(), scelti.end(), ordine);
    std::vector<std::string> percorsi;
    for (const QString& file : scelti)
        percorsi.push_back(file.toStdString());
    return percorsi;
}

std::string PiattaformaQt::mostraDialogoSalva(const DialogoFile& dialogo)
{
    QFileDialog finestra(QApplication::activeWindow());
    const QStringList scelti = MostraDialogo(finestra, dialogo, QFileDialog::AcceptSave);
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
