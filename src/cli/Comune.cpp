#include "Comune.h"

#include "CartellaExcel.h"
#include "Errore.h"
#include "Esportazione.h"
#include "Griglia.h"
#include "ImportaLista.h"
#include "SeparatoreSistema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <exception>
#include <iostream>
#include <string_view>
#include <vector>

namespace marvento::cli {

namespace {

// The parser names only the program; the usage line also needs the command, which the dispatch
// guarantees to be the first argument. It goes before "[options]", translated as Qt translates it,
// which follows the program's name.
std::string TestoAiuto(const QCommandLineParser& parser)
{
    QString testo = parser.helpText();
    const QStringList argomenti = QCoreApplication::arguments();
    const QString opzioni = QLatin1Char(' ') + QCoreApplication::translate("QCommandLineParser", "[options]");
    const int dove = testo.indexOf(opzioni);
    if (dove >= 0 && argomenti.size() > 1)
        testo.insert(dove, QLatin1Char(' ') + argomenti.at(1));
    return testo.toStdString();
}

} // namespace

void AggiungiAiutoEVersione(QCommandLineParser& parser)
{
    // The names of QCommandLineParser::addHelpOption and addVersionOption, with descriptions of our
    // own: Qt's Italian catalogue has none for its help option.
    parser.addOption({{
#ifdef _WIN32
                          "?",
#endif
                          "h", "help"},
                      "Mostra l'aiuto sulle opzioni."});
    // Qt's --help-all would list Qt's own options, which no command takes: it shows the same help
    // and is not listed.
    QCommandLineOption aiutoCompleto(QStringLiteral("help-all"));
    aiutoCompleto.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(aiutoCompleto);
    parser.addOption({{"v", "version"}, "Mostra le informazioni sulla versione."});
}

void AggiungiSeparatore(QCommandLineParser& parser)
{
    parser.addOption({"decimal-separator",
                      "Separatore decimale, \",\" o \".\" (senza: quello delle impostazioni locali).",
                      "SEP"});
}

void AggiungiOpzioniRun(QCommandLineParser& parser)
{
    parser.addOption({"confidence",
                      "Con piu' run: livello di confidenza dell'intervallo, tra 0 e 1 (predefinito 0.95).",
                      "LIVELLO", "0.95"});
    parser.addOption({"tolerance",
                      "Con piu' run: semiampiezza ammessa come frazione della media (predefinita 0.05).",
                      "FRAZIONE", "0.05"});
}

std::optional<double> NumeroOpzione(QString testo)
{
    testo.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double valore = QLocale::c().toDouble(testo.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    return valore;
}

std::optional<int> LeggiTipoDalNome(const QCommandLineParser& parser, TipoFile& tipo)
{
    const std::string primo = PercorsoLocale(parser.positionalArguments().front());
    const std::optional<TipoFile> dalNome = TipoDalNome(primo);
    if (!dalNome && !ELista(primo))
        return ErroreUso(parser, QStringLiteral("Il file deve avere estensione .mes, .rsz o .att."));
    tipo = dalNome.value_or(TipoFile::Velocita);
    return std::nullopt;
}

TipoFile TipoDaImportare(const std::vector<std::string>& file, TipoFile tipo)
{
    return ELista(file.front()) ? TipoDellaLista(file.front()) : tipo;
}

std::optional<int> LeggiOpzioniRun(const QCommandLineParser& parser, OpzioniRun& opzioni)
{
    const std::optional<double> confidenza = NumeroOpzione(parser.value("confidence"));
    if (!confidenza || !(*confidenza > 0.0 && *confidenza < 1.0))
        return ErroreUso(parser, QStringLiteral("Il livello di confidenza deve essere compreso tra 0 e 1."));
    const std::optional<double> tolleranza = NumeroOpzione(parser.value("tolerance"));
    if (!tolleranza || !(*tolleranza > 0.0) || !std::isfinite(*tolleranza))
        return ErroreUso(parser, QStringLiteral("La tolleranza deve essere maggiore di 0."));
    opzioni.confidenza = *confidenza;
    opzioni.tolleranza = *tolleranza;
    return std::nullopt;
}

int ErroreUso(const QCommandLineParser& parser, const QString& problema)
{
    std::cerr << problema.toStdString() << '\n' << TestoAiuto(parser);
    return kUscitaUso;
}

std::optional<int> AnalizzaAiutoEVersione(QCommandLineParser& parser, const QStringList& argomenti)
{
    if (!parser.parse(argomenti))
        return ErroreUso(parser, parser.errorText());
    if (parser.isSet("help") || parser.isSet("help-all")) {
        std::cout << TestoAiuto(parser);
        return kUscitaRiuscita;
    }
    if (parser.isSet("version")) {
        std::cout << QCoreApplication::applicationName().toStdString() << ' '
                  << QCoreApplication::applicationVersion().toStdString() << '\n';
        return kUscitaRiuscita;
    }
    return std::nullopt;
}

std::optional<int> ControllaUniche(const QCommandLineParser& parser, std::initializer_list<const char*> nomi)
{
    for (const char* nome : nomi)
        if (parser.values(nome).size() > 1)
            return ErroreUso(parser, QStringLiteral("L'opzione --%1 e' data piu' volte.").arg(nome));
    return std::nullopt;
}

std::optional<int> AnalizzaComuni(QCommandLineParser& parser, const QStringList& argomenti,
                                  std::initializer_list<const char*> opzioniUniche)
{
    if (const auto uscita = AnalizzaAiutoEVersione(parser, argomenti))
        return uscita;
    if (parser.positionalArguments().isEmpty())
        return ErroreUso(parser, QStringLiteral("Manca il file da importare."));
    return ControllaUniche(parser, opzioniUniche);
}

std::optional<int> LeggiSeparatore(const QCommandLineParser& parser, char& separatore)
{
    if (!parser.isSet("decimal-separator")) {
        separatore = SeparatoreDecimaleDiSistema();
        return std::nullopt;
    }
    const QString testo = parser.value("decimal-separator");
    if (testo != QLatin1String(",") && testo != QLatin1String("."))
        return ErroreUso(parser, QStringLiteral("Il separatore decimale deve essere \",\" o \".\"."));
    separatore = testo.front().toLatin1();
    return std::nullopt;
}

QString PercorsoAssoluto(const QString& percorso)
{
    return QDir::toNativeSeparators(QFileInfo(percorso).absoluteFilePath());
}

std::string PercorsoLocale(const QString& percorso)
{
    return percorso.toStdString();
}

void AggiungiOpzioniImportazione(QCommandLineParser& parser)
{
    AggiungiAiutoEVersione(parser);
    parser.addOption({"detail",
                      "Salva la tabella di dettaglio in OUT (testo tabulato; cartella di lavoro di Excel se "
                      "OUT finisce in .xlsx).",
                      "OUT"});
    parser.addOption(
        {"summary",
         "Salva il riepilogo in OUT (testo tabulato; cartella di lavoro di Excel se OUT finisce in .xlsx).",
         "OUT"});
    parser.addOption({"workbook",
                      "Salva tabella e riepilogo come i fogli \"Tabella\" e \"Riepilogo\" di una cartella di "
                      "lavoro di Excel in OUT.",
                      "OUT.xlsx"});
    AggiungiOpzioniRun(parser);
    AggiungiSeparatore(parser);
    parser.addPositionalArgument("FILE",
                                 "Il file da importare, o i run di uno scenario (un file per seme) "
                                 "in una sola tabella.",
                                 "FILE...");
}

std::optional<int> AnalizzaImportazione(QCommandLineParser& parser, const QStringList& argomenti,
                                        OpzioniImportazione& opzioni)
{
    if (const auto uscita =
            AnalizzaComuni(parser, argomenti,
                           {"detail", "summary", "workbook", "confidence", "tolerance", "decimal-separator"}))
        return uscita;
    const auto assoluto = [](const QString& percorso) { return PercorsoLocale(PercorsoAssoluto(percorso)); };
    for (const QString& file : parser.positionalArguments())
        opzioni.file.push_back(assoluto(file));
    if (parser.isSet("detail"))
        opzioni.dettaglio = assoluto(parser.value("detail"));
    if (parser.isSet("summary"))
        opzioni.riepilogo = assoluto(parser.value("summary"));
    if (parser.isSet("workbook"))
        opzioni.cartella = assoluto(parser.value("workbook"));
    const struct
    {
        const std::string& a;
        const std::string& b;
        const char* problema;
    } coppie[] = {{opzioni.dettaglio, opzioni.riepilogo, "--detail e --summary indicano lo stesso file."},
                  {opzioni.dettaglio, opzioni.cartella, "--detail e --workbook indicano lo stesso file."},
                  {opzioni.riepilogo, opzioni.cartella, "--summary e --workbook indicano lo stesso file."}};
    for (const auto& coppia : coppie)
        if (!coppia.a.empty() && coppia.a == coppia.b)
            return ErroreUso(parser, QString::fromUtf8(coppia.problema));
    if (const auto uscita = LeggiOpzioniRun(parser, opzioni.run))
        return uscita;
    return LeggiSeparatore(parser, opzioni.separatore);
}

namespace {

// The check that the export of a grid to this file makes before it touches the file.
void ControllaUscita(const Griglia& griglia, const std::string& percorso)
{
    if (NomeCartellaExcel(percorso))
        ControllaFoglioExcel(griglia);
    else
        griglia.intestazione(0); // a grid without columns cannot be exported
}

} // namespace

void ScriviGriglia(const Griglia& griglia, const std::string& percorso, const char* nomeFoglio,
                   char separatore)
{
    if (NomeCartellaExcel(percorso))
        ScriviCartellaExcel({{nomeFoglio, griglia}}, percorso, separatore);
    else
        ScriviTabulato(griglia, percorso);
}

void ScriviUscite(const OpzioniImportazione& opzioni, const Griglia& tabella, const Griglia& riepilogo)
{
    if (opzioni.dettaglio.empty() && opzioni.riepilogo.empty() && opzioni.cartella.empty()) {
        StampaTabella(riepilogo);
        return;
    }
    // Every grid checked first: a grid that cannot be exported (no columns, too large for a sheet)
    // must not leave another file written.
    if (!opzioni.dettaglio.empty())
        ControllaUscita(tabella, opzioni.dettaglio);
    if (!opzioni.riepilogo.empty())
        ControllaUscita(riepilogo, opzioni.riepilogo);
    if (!opzioni.cartella.empty()) {
        ControllaFoglioExcel(tabella);
        ControllaFoglioExcel(riepilogo);
    }
    if (!opzioni.dettaglio.empty())
        ScriviGriglia(tabella, opzioni.dettaglio, "Tabella", opzioni.separatore);
    if (!opzioni.riepilogo.empty())
        ScriviGriglia(riepilogo, opzioni.riepilogo, "Riepilogo", opzioni.separatore);
    if (!opzioni.cartella.empty())
        ScriviCartellaExcel({{"Tabella", tabella}, {"Riepilogo", riepilogo}}, opzioni.cartella,
                            opzioni.separatore);
}

namespace {

// Characters, not bytes, so that a label with accents keeps its column straight.
std::size_t Larghezza(std::string_view testo)
{
    return static_cast<std::size_t>(std::count_if(
        testo.begin(), testo.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0u) != 0x80u; }));
}

bool Numerico(std::string_view testo)
{
    return !testo.empty() && testo.find_first_not_of("0123456789+-.,") == std::string_view::npos;
}

std::string TabellaAllineata(const Griglia& griglia)
{
    const int colonne = griglia.numeroColonne();
    const int righe = griglia.numeroRighe();
    std::vector<std::size_t> larghezze(static_cast<std::size_t>(colonne), 0);
    std::vector<bool> aDestra(static_cast<std::size_t>(colonne), true);
    for (int c = 0; c < colonne; ++c) {
        const auto i = static_cast<std::size_t>(c);
        larghezze[i] = Larghezza(griglia.intestazione(c));
        bool qualcosa = false;
        for (int r = 0; r < righe; ++r) {
            const std::string_view cella = griglia.cella(c, r);
            larghezze[i] = std::max(larghezze[i], Larghezza(cella));
            if (!cella.empty()) {
                qualcosa = true;
                if (!Numerico(cella))
                    aDestra[i] = false;
            }
        }
        if (!qualcosa)
            aDestra[i] = false;
    }

    std::string testo;
    const auto riga = [&](const std::function<std::string_view(int)>& cella) {
        std::string linea;
        for (int c = 0; c < colonne; ++c) {
            const auto i = static_cast<std::size_t>(c);
            const std::string_view t = cella(c);
            const std::string spazi(larghezze[i] - Larghezza(t), ' ');
            if (c > 0)
                linea += "  ";
            linea += aDestra[i] ? spazi + std::string(t) : std::string(t) + spazi;
        }
        linea.erase(linea.find_last_not_of(' ') + 1);
        testo += linea;
        testo += '\n';
    };
    riga([&](int c) { return std::string_view(griglia.intestazione(c)); });
    for (int r = 0; r < righe; ++r)
        riga([&](int c) { return griglia.cella(c, r); });
    return testo;
}

} // namespace

void StampaTabella(const Griglia& griglia)
{
    // A full disk must not pass for a table printed.
    if (!(std::cout << TabellaAllineata(griglia) << std::flush))
        throw Errore("Stream write error");
}

void AggiungiDimensione(QCommandLineParser& parser, const char* predefinita)
{
    parser.addOption({"size",
                      QStringLiteral("Dimensione del grafico in pixel (predefinita %1).").arg(predefinita),
                      "WxH"});
}

std::optional<int> LeggiDimensione(const QCommandLineParser& parser, QSize& dimensione)
{
    if (!parser.isSet("size"))
        return std::nullopt;
    static const QRegularExpression formato(QStringLiteral("^(\\d{1,5})[xX](\\d{1,5})$"));
    const QRegularExpressionMatch trovato = formato.match(parser.value("size"));
    const int larghezza = trovato.hasMatch() ? trovato.captured(1).toInt() : 0;
    const int altezza = trovato.hasMatch() ? trovato.captured(2).toInt() : 0;
    if (larghezza < 100 || altezza < 100 || larghezza > 10000 || altezza > 10000)
        return ErroreUso(parser, QStringLiteral("--size vuole LARGHEZZAxALTEZZA in pixel, da 100 a 10000."));
    dimensione = QSize(larghezza, altezza);
    return std::nullopt;
}

void StampaMessaggio(const std::string& messaggio)
{
    std::cerr << messaggio << '\n' << std::flush;
}

int EseguiRiportando(const std::function<void()>& lavoro)
{
    try {
        lavoro();
        return kUscitaRiuscita;
    } catch (const std::exception& errore) {
        std::cout << std::flush;
        StampaMessaggio(TestoBoxErrore(errore));
        return kUscitaErrore;
    }
}

} // namespace marvento::cli
