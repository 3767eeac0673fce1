#pragma once
// The platform seam of the windows: file dialogs and message boxes. The windows talk only to
// Piattaforma, so that tests can replace the real dialogs with scripted answers.

#include <optional>
#include <string>
#include <vector>

namespace marvento {

// A file type that a dialog offers after its first one.
struct TipoFileDialogo
{
    std::string descrizione;
    std::string modello;
    std::string estensione;
};

// One file dialog of a window: its file types and the path chosen last. The window owns it; the
// dialog itself is built anew each time it opens, with its first type selected. Paths are UTF-8.
struct DialogoFile
{
    std::string descrizione; // the first file type's description, e.g. "File di testo ..."
    std::string modello;     // its pattern, e.g. "*.txt"
    std::string estensione;  // default extension without the dot, added to names typed without one
    bool confermaSovrascrittura = false;         // save dialogs: ask before replacing an existing file
    std::string ultimoPercorso;                  // offered as the initial name; updated on every choice
    std::vector<TipoFileDialogo> altriTipi = {}; // offered after the first; the selected one's
                                                 // extension is added to names typed without one
    int tipoScelto = 0; // the type selected when the user chose a file: 0 the first, 1 altriTipi[0], ...
};

enum class IconaBox { Nessuna, Errore };

// A modal message box with one OK button.
struct BoxMessaggio
{
    std::string titolo;
    std::string testo;
    IconaBox icona = IconaBox::Nessuna;
};

// One field of a dialog of numbers: its label, its value, the range it may take and the decimals shown.
struct CampoNumero
{
    std::string etichetta;
    double valore = 0;
    double minimo = 0;
    double massimo = 1;
    int decimali = 2;
};

class Piattaforma
{
  public:
    // titoloProgramma is the caption of the plain message box.
    explicit Piattaforma(std::string titoloProgramma);
    virtual ~Piattaforma();
    Piattaforma(const Piattaforma&) = delete;
    Piattaforma& operator=(const Piattaforma&) = delete;

    // Show the dialog and return the full path of the chosen file, or the empty text when the user
    // cancels. A choice is remembered in dialogo.ultimoPercorso, and its file type in
    // dialogo.tipoScelto; a cancel leaves them as they were.
    std::string salvaFile(DialogoFile& dialogo);
    // The open dialog takes one file or several (the runs of a scenario): their full paths in the
    // order of the dialog, none when the user cancels. The first is remembered as above.
    std::vector<std::string> apriFile(DialogoFile& dialogo);

    // A modal dialog of number fields with OK and Cancel: true with the values typed in campi, false
    // (campi unchanged) when the user cancels.
    bool chiediNumeri(const std::string& titolo, std::vector<CampoNumero>& campi);

    // The plain message box: caption = program title, no icon. Returns when dismissed.
    void messaggio(const std::string& testo);
    // The error box: caption "Error", error icon. Returns when dismissed.
    void boxErrore(const std::string& testo);

    const std::string& titoloProgramma() const { return titolo_; }

  protected:
    // The open dialog returns a typed name of a missing file unchanged.
    virtual std::vector<std::string> mostraDialogoApri(const DialogoFile& dialogo) = 0;
    // The save dialog asks before replacing a file when dialogo.confermaSovrascrittura is set;
    // tipo receives the index of the file type selected when the user chose (see tipoScelto).
    virtual std::string mostraDialogoSalva(const DialogoFile& dialogo, int& tipo) = 0;
    virtual void mostraBox(const BoxMessaggio& box) = 0;
    // Returns the values as typed, none when cancelled.
    virtual std::optional<std::vector<double>> mostraDialogoNumeri(const std::string& titolo,
                                                                   const std::vector<CampoNumero>& campi) = 0;

  private:
    std::string titolo_;
};

} // namespace marvento
