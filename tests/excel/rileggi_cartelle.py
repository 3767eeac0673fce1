#!/usr/bin/env python3
"""Reads the program's workbooks back with openpyxl and compares every cell with the grid.

  rileggi_cartelle.py CLI SCRIVI_CARTELLA [--cartella DIR ...] [--seed N] [--casi N]

- A table of cell texts (numbers in every form the rules read, texts that look like numbers, other
  languages, control characters, blanks) written by scrivi_cartella, with both separators.
- The files of the folders and generated files through `marvento-cli mes|rsz ... --detail D.txt
  --summary S.txt --workbook W.xlsx` (and once with .xlsx names for --detail and --summary), with
  both separators: each sheet against the tab-delimited export of the same run.
- `marvento-cli runs ... --summary OUT.xlsx` against the same with OUT.txt.

A cell that the rules read as a number must be a number of the same value, shown with the text's
decimals; every other cell the same text; an empty cell empty. The header row is bold and frozen.
Exit status 0 when everything agrees, 1 otherwise, 77 (skipped) without openpyxl.
"""

import argparse
import glob
import os
import re
import subprocess
import sys
import tempfile

QUI = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(QUI, "..", "differential"))
import riferimento  # noqa: E402
import genera_casi  # noqa: E402

try:
    import openpyxl
    from openpyxl.utils.escape import unescape
except ImportError:
    print("python3-openpyxl non installato (Debian: apt-get install python3-openpyxl): test saltato")
    sys.exit(77)

DIFFERENZE = []


def numero(testo, sep):
    """(value, decimals, exponent) when the program stores the text as a number, else None."""
    for s in dict.fromkeys([sep, ","]):
        try:
            valore = riferimento.leggi_decimale(testo, s)
        except (riferimento.Errore, OverflowError):
            continue
        mantissa = re.split("[eE]", testo)[0]
        if not re.search("[0-9]", mantissa):
            return None
        decimali = 0
        if s in mantissa:
            decimali = len(re.match("[0-9]*", mantissa.split(s, 1)[1]).group(0))
        return valore, decimali, bool(re.search("[eE]", testo))
    return None


def formato_atteso(decimali, esponente):
    d = min(decimali, 30)
    return "0" + ("." + "0" * d if d else "") + ("E+00" if esponente else "")


def differenza(dove, testo):
    DIFFERENZE.append("%s: %s" % (dove, testo))


def confronta_foglio(foglio, righe, sep, dove):
    """righe: the grid as lists of texts, the header first."""
    colonne = max(len(r) for r in righe)
    if foglio.freeze_panes != "A2":
        differenza(dove, "intestazione non bloccata (%r)" % foglio.freeze_panes)
    celle = list(foglio.iter_rows(min_row=1, max_row=max(len(righe), foglio.max_row),
                                  max_col=max(colonne, foglio.max_column)))
    for r, riga in enumerate(celle):
        for c, cella in enumerate(riga):
            testo = righe[r][c] if r < len(righe) and c < len(righe[r]) else ""
            valore = cella.value
            if isinstance(valore, str):
                valore = unescape(valore)  # _xHHHH_ as Excel reads it
            qui = "%s!%s" % (dove, cella.coordinate)
            atteso = numero(testo, sep) if r > 0 else None
            if testo == "":
                if valore is not None:
                    differenza(qui, "vuota attesa, trovato %r" % (valore,))
            elif atteso is not None:
                if isinstance(valore, bool) or not isinstance(valore, (int, float)) or float(valore) != atteso[0]:
                    differenza(qui, "%r: atteso il numero %r, trovato %r" % (testo, atteso[0], valore))
                elif cella.number_format != formato_atteso(atteso[1], atteso[2]):
                    differenza(qui, "%r: formato %r" % (testo, cella.number_format))
            elif valore != testo:
                differenza(qui, "atteso il testo %r, trovato %r" % (testo, valore))
            if r == 0 and testo and not cella.font.b:
                differenza(qui, "intestazione non in grassetto")


def leggi_tabulato(percorso):
    with open(percorso, "rb") as f:
        testo = f.read().decode("cp1252")
    assert testo.endswith("\r\n"), percorso
    return [riga.split("\t") for riga in testo[:-2].split("\r\n")]


def esegui(cmd):
    return subprocess.run(cmd, capture_output=True, timeout=120)


# --- a table of cell texts --------------------------------------------------------------------

TESTI = [
    "12", "-7", "+3", "0", "-0", "007", "12,5", "12.5", "-0,125", "3,000", ",5", "5,", " 45,3", "45,3 ",
    "1e3", "1,5E-3", "2.25e+2", "1e400", "1e-400", "0,1234567890123", "123456789012345",
    ",", ".", "-", "+,", "e5", ",e5", "1,2,3", "1.234,5", "12 5", "0x10", "$1F", "INF", "NAN", "-INF",
    "Misura", "Vel [km/h]", " testo con spazi ", "Straße", "Ελληνικά", "東京", "emoji \U0001F697",
    "tab\tdentro", "a capo\nqui", "cr\rqui", "ctrl\x01\x1f", "_x0041_ letterale", "<&>\"'",
]


def codifica(testo):
    return (testo.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r")
            .replace("\x01", "\\x01").replace("\x1f", "\\x1f"))


def locale_con_virgola(cartella):
    """Environment for a C locale whose decimal point is ",", made with localedef; None without it."""
    dove = os.path.join(cartella, "locale")
    os.makedirs(dove, exist_ok=True)
    try:
        subprocess.run(["localedef", "-i", "it_IT", "-f", "UTF-8", os.path.join(dove, "it_IT.UTF-8")],
                       capture_output=True, timeout=120)
    except OSError:
        return None
    if not os.path.isdir(os.path.join(dove, "it_IT.UTF-8")):
        return None
    return dict(os.environ, LOCPATH=dove, LC_ALL="it_IT.UTF-8")


def prova_tabella(helper, cartella):
    colonne = 7
    righe = [["Testo %d" % c for c in range(colonne)]]
    for i in range(0, len(TESTI), colonne):
        righe.append((TESTI[i:i + colonne] + [""] * colonne)[:colonne])
    righe.append([""] * colonne)  # an empty last row
    larghezze = [64, 100, 200, 64, 30, 100, 64]
    tsv = os.path.join(cartella, "testi.tsv")
    with open(tsv, "w", encoding="utf-8", newline="") as f:
        f.write("\t".join(str(x) for x in larghezze) + "\n")
        for riga in righe:
            f.write("\t".join(codifica(t) for t in riga) + "\n")
    # The last run in a C locale with "," as decimal point, as a window under an Italian locale has.
    virgola = locale_con_virgola(cartella)
    if virgola is None:
        print("localedef non riuscito: nessuna prova sotto un locale con la virgola")
    for sep, ambiente in [(",", None), (".", None)] + ([(".", virgola)] if virgola else []):
        uscita = os.path.join(cartella, "testi.xlsx")
        pr = subprocess.run([helper, sep, uscita, "Tabella=" + tsv, "Riepilogo=" + tsv],
                            capture_output=True, timeout=120, env=ambiente)
        if pr.returncode != 0:
            differenza("testi", "scrivi_cartella: %r" % pr.stderr)
            continue
        if ambiente is not None and b"punto decimale del C: ," not in pr.stdout:
            differenza("testi", "il locale con la virgola non ha preso: %r" % pr.stdout)
        cartella_lavoro = openpyxl.load_workbook(uscita)
        if cartella_lavoro.sheetnames != ["Tabella", "Riepilogo"]:
            differenza("testi", "fogli %r" % cartella_lavoro.sheetnames)
        for foglio in cartella_lavoro:
            confronta_foglio(foglio, righe, sep, "testi[%s] %s" % (sep, foglio.title))
            larghe = [foglio.column_dimensions[chr(ord("A") + c)].width for c in range(colonne)]
            for a in range(colonne):
                for b in range(colonne):
                    if (larghezze[a] < larghezze[b]) != (larghe[a] < larghe[b]):
                        differenza("testi[%s]" % sep, "larghezze %r per i pixel %r" % (larghe, larghezze))


# --- files through marvento-cli ---------------------------------------------------------------

def prova_file(cli, sorgente, tipo, cartella, nome):
    for sep in ",.":
        d, s, w = (os.path.join(cartella, x) for x in ("d.txt", "s.txt", "w.xlsx"))
        for x in (d, s, w):
            if os.path.exists(x):
                os.remove(x)
        pr = esegui([cli, tipo, sorgente, "--detail", d, "--summary", s, "--workbook", w,
                     "--decimal-separator", sep])
        if pr.returncode != 0:
            if os.path.exists(w):
                differenza(nome, "importazione fallita ma cartella scritta")
            return False
        cartella_lavoro = openpyxl.load_workbook(w)
        if cartella_lavoro.sheetnames != ["Tabella", "Riepilogo"]:
            differenza(nome, "fogli %r" % cartella_lavoro.sheetnames)
            continue
        confronta_foglio(cartella_lavoro["Tabella"], leggi_tabulato(d), sep, "%s[%s] Tabella" % (nome, sep))
        confronta_foglio(cartella_lavoro["Riepilogo"], leggi_tabulato(s), sep, "%s[%s] Riepilogo" % (nome, sep))
    # --detail and --summary with .xlsx names: one sheet each, the same cells.
    d, s = os.path.join(cartella, "d.xlsx"), os.path.join(cartella, "s.xlsx")
    pr = esegui([cli, tipo, sorgente, "--detail", d, "--summary", s, "--decimal-separator", "."])
    if pr.returncode != 0:
        differenza(nome, "--detail/--summary .xlsx: %r" % pr.stderr)
        return True
    for percorso, foglio, testo in ((d, "Tabella", "d.txt"), (s, "Riepilogo", "s.txt")):
        cartella_lavoro = openpyxl.load_workbook(percorso)
        if cartella_lavoro.sheetnames != [foglio]:
            differenza(nome, "fogli %r" % cartella_lavoro.sheetnames)
            continue
        confronta_foglio(cartella_lavoro[foglio], leggi_tabulato(os.path.join(cartella, testo)), ".",
                         "%s[.] %s" % (nome, percorso))
    return True


def prova_runs(cli, file, cartella):
    t, x = os.path.join(cartella, "runs.txt"), os.path.join(cartella, "runs.xlsx")
    for uscita in (t, x):
        pr = esegui([cli, "runs"] + file + ["--summary", uscita, "--decimal-separator", ","])
        if pr.returncode != 0:
            differenza("runs", "%r" % pr.stderr)
            return
    cartella_lavoro = openpyxl.load_workbook(x)
    if cartella_lavoro.sheetnames != ["Statistiche"]:
        differenza("runs", "fogli %r" % cartella_lavoro.sheetnames)
        return
    confronta_foglio(cartella_lavoro["Statistiche"], leggi_tabulato(t), ",", "runs")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("cli")
    ap.add_argument("scrivi_cartella")
    ap.add_argument("--cartella", action="append", default=[])
    ap.add_argument("--seed", type=int, default=19)
    ap.add_argument("--casi", type=int, default=16)
    a = ap.parse_args()

    with tempfile.TemporaryDirectory() as cartella:
        prova_tabella(a.scrivi_cartella, cartella)
        provati = 0
        per_tipo = {"mes": [], "rsz": []}
        for dove in a.cartella:
            for percorso in sorted(glob.glob(os.path.join(dove, "*"))):
                tipo = os.path.splitext(percorso)[1].lower().lstrip(".")
                if tipo in per_tipo and prova_file(a.cli, percorso, tipo, cartella, os.path.basename(percorso)):
                    provati += 1
                    per_tipo[tipo].append(percorso)
        for nome, sorgente, tipo, _, _ in genera_casi.scrivi_generati(cartella, a.seed, a.casi):
            if prova_file(a.cli, sorgente, tipo, cartella, nome):
                provati += 1
        for file in per_tipo.values():
            if file:
                prova_runs(a.cli, [file[0], file[0]], cartella)

    for riga in DIFFERENZE[:60]:
        print(riga)
    print("%d file importati e riletti, %d differenze" % (provati, len(DIFFERENZE)))
    return 1 if DIFFERENZE or provati == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
