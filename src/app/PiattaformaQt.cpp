#include "PiattaformaQt.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QString>
#include <QStringList>

namespace marvento {

namespace {

QString DaUtf8(const std::string& testo)
{
    return QString::fromUtf8(testo.data(), static_cast<qsizetype>(testo.size()));
}

// On Windows the system's own dialog, as users expect of a Windows program. Everywhere else, and
// when the windows are not on a real Windows desktop (the offscreen tests), Qt's own dialog: it
// behaves the same on every desktop, returns a typed name of a missing file in open mode and adds
// the default suffix before the overwrite question. The Windows dialog adds the suffix too, and may
// refuse a missing file itself in open mode, where the user sees it at once.
bool DialogoDiSistema()
{
#ifdef Q_OS_WIN
    return QGuiApplication::platformName() == QLatin1String("windows");
#else
    return false;
#endif
}

std::string MostraDialogo(const DialogoFile& dialogo, QFileDialog::AcceptMode modo)
{
    QFileDialog finestra(QApplication::activeWindow());
    finestra.setOption(QFileDialog::DontUseNativeDialog, !DialogoDiSistema());
    finestra.setAcceptMode(modo);
    finestra.setFileMode(QFileDialog::AnyFile);
    finestra.setNameFilter(DaUtf8(dialogo.descrizione) + QStringLiteral(" (") + DaUtf8(dialogo.modello) +
                           QStringLiteral(")"));
    finestra.setDefaultSuffix(DaUtf8(dialogo.estensione));
    finestra.setOption(QFileDialog::DontConfirmOverwrite, !dialogo.confermaSovrascrittura);
    if (!dialogo.ultimoPercorso.empty())
        finestra.selectFile(DaUtf8(dialogo.ultimoPercorso));
    if (finestra.exec() != QDialog::Accepted)
        return {};
    const QStringList scelti = finestra.selectedFiles();
    if (scelti.isEmpty())
        return {};
    return scelti.first().toStdString();
}

} // namespace

std::string PiattaformaQt::mostraDialogoApri(const DialogoFile& dialogo)
{
    return MostraDialogo(dialogo, QFileDialog::AcceptOpen);
}

std::string PiattaformaQt::mostraDialogoSalva(const DialogoFile& dialogo)
{
    return MostraDialogo(dialogo, QFileDialog::AcceptSave);
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
