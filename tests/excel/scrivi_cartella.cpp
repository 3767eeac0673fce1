// Test helper: grids read from text files written as one workbook by the program's own writer.
//
//   scrivi_cartella SEP OUT.xlsx NOME=GRIGLIA.tsv [NOME=GRIGLIA.tsv ...]
//
// A grid file is UTF-8: the first line holds the column widths in pixels, the second the headers,
// then one line per row; fields are cut at TAB, and \t, \n, \r, \\ and \xHH in a field stand for
// the character. Exits 1 with the error box's text on stderr when the write fails.
//
// It takes its C locale from the environment, as a window does, and prints the decimal point of
// that locale: the workbook must not depend on it.
#include "CartellaExcel.h"
#include "Errore.h"
#include "Griglia.h"

#include <clocale>
#include <fstream>
#include <iostream>
#include <list>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Decodifica(const std::string& campo)
{
    std::string testo;
    for (std::size_t i = 0; i < campo.size(); ++i) {
        if (campo[i] != '\\' || i + 1 == campo.size()) {
            testo += campo[i];
            continue;
        }
        const char c = campo[++i];
        if (c == 't')
            testo += '\t';
        else if (c == 'n')
            testo += '\n';
        else if (c == 'r')
            testo += '\r';
        else if (c == 'x' && i + 2 < campo.size()) {
            testo += static_cast<char>(std::stoi(campo.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else
            testo += c;
    }
    return testo;
}

std::vector<std::string> Campi(const std::string& riga)
{
    std::vector<std::string> campi;
    std::size_t inizio = 0;
    for (;;) {
        const std::size_t tab = riga.find('\t', inizio);
        campi.push_back(Decodifica(riga.substr(inizio, tab - inizio)));
        if (tab == std::string::npos)
            return campi;
        inizio = tab + 1;
    }
}

void LeggiGriglia(const std::string& percorso, marvento::Griglia& griglia)
{
    std::ifstream file(percorso, std::ios::binary);
    if (!file)
        throw marvento::Errore("cannot read " + percorso);
    std::vector<std::vector<std::string>> righe;
    for (std::string riga; std::getline(file, riga);)
        righe.push_back(Campi(riga));
    if (righe.size() < 2)
        throw marvento::Errore(percorso + ": widths and headers needed");
    const int colonne = static_cast<int>(righe[1].size());
    marvento::PreparaGriglia(griglia, static_cast<int>(righe.size()) - 2, colonne, false);
    for (int c = 0; c < colonne; ++c) {
        griglia.impostaLarghezza(c, std::stoi(righe[0].at(static_cast<std::size_t>(c))));
        griglia.impostaIntestazione(c, righe[1][static_cast<std::size_t>(c)]);
        for (std::size_t r = 2; r < righe.size(); ++r)
            if (static_cast<std::size_t>(c) < righe[r].size())
                griglia.impostaCella(c, static_cast<int>(r) - 2, righe[r][static_cast<std::size_t>(c)]);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4 || std::string(argv[1]).size() != 1) {
        std::cerr << "uso: scrivi_cartella SEP OUT.xlsx NOME=GRIGLIA.tsv ...\n";
        return 2;
    }
    std::setlocale(LC_ALL, "");
    std::cout << "punto decimale del C: " << std::localeconv()->decimal_point << '\n';
    try {
        std::list<marvento::Griglia> griglie;
        std::vector<marvento::FoglioExcel> fogli;
        for (int i = 3; i < argc; ++i) {
            const std::string argomento = argv[i];
            const std::size_t uguale = argomento.find('=');
            griglie.emplace_back();
            LeggiGriglia(argomento.substr(uguale + 1), griglie.back());
            fogli.push_back({argomento.substr(0, uguale), griglie.back()});
        }
        marvento::ScriviCartellaExcel(fogli, argv[2], argv[1][0]);
    } catch (const std::exception& errore) {
        std::cerr << marvento::TestoBoxErrore(errore) << '\n';
        return 1;
    }
    return 0;
}
