#!/usr/bin/env python3
"""Result lists (.att) through marvento-cli against a computation of their own.

  liste.py CLI [--seed N] [--casi N] [--cartella DIR ...] [-v]

Generates lists of both tables in the simulator's shape (a few runs, a few intervals with a short
last one, measurement numbers of their own, columns in any order with or without their description
lines, empty means where no vehicle was counted, the AVG/STDDEV/MIN/MAX rows, Windows-1252 or UTF-8
with a byte-order mark, CR LF or LF), runs `marvento-cli mes|rsz LIST --detail D --summary S
--decimal-separator SEP` for both separators and compares both exports with the tables built here:
each run laid out as the program lays out one file, then, with several runs, the tables of several
runs (piu_run.py's statistics). Damaged lists (cut short, the other table, a column missing, a bad
number or interval) must exit with 1 and write nothing. Each --cartella adds the .att files in it
(their expected tables computed the same way). Exit status 0 when everything agrees, 1 otherwise,
77 when the CLI is missing.
"""

import os
import random
import sys
import tempfile
from fractions import Fraction

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import riferimento as rif  # noqa: E402
from piu_run import COLONNE_RUN, argomenti, confronta, statistiche  # noqa: E402

TABELLE = {
    "mes": ("DATACOLLECTIONMEASUREMENTEVALUATION", "DATACOLLECTIONMEASUREMENT", "Data Collection Results"),
    "rsz": ("VEHICLETRAVELTIMEMEASUREMENTEVALUATION", "VEHICLETRAVELTIMEMEASUREMENT", "Vehicle Travel Time Results"),
}
PAROLE = {"VEHS": ("Veicoli", None), "SPEEDAVGARITH": ("Vel", "km/h"), "SPEEDAVGHARM": ("Vel armonica", "km/h"),
          "TRAVTM": ("TdP", "s"), "DISTTRAV": ("Distanza", None), "OCCUPRATE": ("Occupazione", None),
          "QUEUEDELAY": ("Ritardo in coda", None), "ACCELERATION": ("Accelerazione", None),
          "LENGTH": ("Lunghezza", None), "PERS": ("Persone", None)}


class Rifiutata(rif.Errore):
    """A list that the tool must refuse."""

    def __init__(self):
        super().__init__("lista rifiutata")


# --- the reference ------------------------------------------------------------------------------

def leggibile(nome, unita):
    attributo, _, resto = nome.partition("(")
    classe = resto[:-1] if resto.endswith(")") else ""
    testo, propria = nome, None
    if attributo in PAROLE and ("(" not in nome or classe):
        testo, propria = PAROLE[attributo]
        if classe and classe != "ALL":
            testo += " (%s)" % classe
    if unita.get(nome):
        return "%s [%s]" % (testo, unita[nome])
    return "%s [%s]" % (testo, propria) if propria else testo


def leggi_lista(righe, tipo, sep):
    """Per run (ascending) the detail grid, the summary grid and per row (number, name, vehicles,
    weighted sum, harmonic sum)."""
    tabella, oggetto, _ = TABELLE[tipo]
    testa = next((r for r, t in enumerate(righe) if t.startswith("$") and ":" in t), None)
    if testa is None or righe[testa][1:righe[testa].index(":")].strip().upper() != tabella:
        raise Rifiutata()
    nomi = [c.strip(" \t") for c in righe[testa].split(":", 1)[1].split(";")]
    grandi = [n.upper() for n in nomi]
    unita = {}
    for t in righe[:testa]:
        t = t.strip(" \t")
        if t.startswith("*") and t.endswith("]") and ":" in t and t.rfind("[") > t.find(":"):
            unita[t[1:t.find(":")].strip(" \t").upper()] = t[t.rfind("[") + 1:-1]
    valore = "SPEEDAVGARITH(ALL)" if tipo == "mes" else "TRAVTM(ALL)"
    for richiesta in ("SIMRUN", "TIMEINT", oggetto, "VEHS(ALL)", valore):
        if richiesta not in grandi:
            raise Rifiutata()
    c = {k: grandi.index(k) if k in grandi else -1
         for k in ("SIMRUN", "TIMEINT", oggetto, oggetto + "\\NAME", "VEHS(ALL)", valore, "SPEEDAVGHARM(ALL)",
                   "DISTTRAV(ALL)")}
    armonica = c["SPEEDAVGHARM(ALL)"] if tipo == "mes" else -1
    distanza = c["DISTTRAV(ALL)"] if tipo == "rsz" else -1
    proprie = {c["SIMRUN"], c["TIMEINT"], c[oggetto], c["VEHS(ALL)"], c[valore]}
    blocco = [(c["VEHS(ALL)"], leggibile("VEHS(ALL)", unita)), (c[valore], leggibile(valore, unita))]
    if tipo == "rsz":
        blocco.reverse()
    blocco += [(k, leggibile(n, unita)) for k, n in enumerate(grandi)
               if k not in proprie and not n.startswith(oggetto + "\\")]

    dati, misure, intervalli = {}, [], {}
    lunghezze, nomi_misure = {}, {}
    for r in range(testa + 1, len(righe)):
        t = righe[r]
        if t.startswith("$"):
            break
        if not t.strip(" \t") or t.startswith("*"):
            continue
        campi = t.split(";")
        # the simulator's aggregates are left out once their run cell is read
        if len(campi) <= max(c["SIMRUN"], c["TIMEINT"], c[oggetto]):
            raise Rifiutata()
        run = campi[c["SIMRUN"]].strip(" \t")
        if run[:1] not in "0123456789" and run.upper() in ("AVG", "STDDEV", "MIN", "MAX"):
            continue
        if len(campi) != len(nomi):
            raise Rifiutata()
        if not run.isdigit() or len(run) > 9:
            raise Rifiutata()
        testo = campi[c["TIMEINT"]].strip(" \t")
        da, trattino, a = testo[1:].partition("-")
        da, a = (testo[0] + da).strip(" \t"), a.strip(" \t")
        numero = lambda x: x and x != "." and all(ch in "0123456789." for ch in x) and x.count(".") <= 1  # noqa
        if not trattino or not numero(da) or not numero(a):
            raise Rifiutata()
        intervalli.setdefault(testo, (Fraction(da), Fraction(a), da.replace(".", sep), a.replace(".", sep)))
        m = campi[c[oggetto]].strip(" \t")
        if not m:
            raise Rifiutata()
        if m not in misure:
            misure.append(m)
            nomi_misure[m] = campi[c[oggetto + "\\NAME"]].strip(" \t") if c[oggetto + "\\NAME"] >= 0 else ""
        if distanza >= 0 and not lunghezze.get(m) and campi[distanza].strip(" \t"):
            lunghezze[m] = campi[distanza].strip(" \t").replace(".", sep)
        if (run, testo, m) in dati:
            raise Rifiutata()
        dati[(run, testo, m)] = [x.replace(".", sep) for x in campi]
    if not dati:
        raise Rifiutata()
    runs = sorted({k[0] for k in dati}, key=int)
    ordine = sorted(intervalli, key=lambda k: intervalli[k][:2])
    if len(dati) != len(runs) * len(ordine) * len(misure):
        raise Rifiutata()

    esito = []
    for run in runs:
        intest = [] if tipo == "mes" else ["Intervallo [s]"]
        for i, m in enumerate(misure):
            intest.append("Misura" if tipo == "mes" else "Sezione")
            if tipo == "mes" and i == 0:
                intest += ["da [s]", "a [s]"]
            intest += [h for _, h in blocco]
        det = rif.Griglia(intest, 0)
        for k in ordine:
            riga = [] if tipo == "mes" else [intervalli[k][3]]
            for i, m in enumerate(misure):
                campi = dati[(run, k, m)]
                riga.append(m)
                if tipo == "mes" and i == 0:
                    riga += [intervalli[k][2], intervalli[k][3]]
                riga += [campi[f] for f, _ in blocco]
            det.celle.append(riga)
        figure = []
        for m in misure:
            tot, somma, armo = 0, 0.0, 0.0
            for k in ordine:
                campi = dati[(run, k, m)]
                v = campi[c["VEHS(ALL)"]]
                if not v.isdigit() or len(v) > 10 or int(v) > 2 ** 31 - 1:
                    raise Rifiutata()
                if int(v) == 0:
                    continue
                tot += int(v)
                for col in (c[valore], armonica):
                    if col >= 0 and campi[col] == "":
                        raise Rifiutata()
                somma += rif.leggi_decimale(campi[c[valore]], sep) * float(int(v))
                if armonica >= 0:
                    armo += float(int(v)) / rif.leggi_decimale(campi[armonica], sep)
            figure.append((m, nomi_misure[m], tot, somma, armo))
        if tipo == "mes":
            intest = ["Misura", "Veicoli", leggibile(valore, unita), "Inervallo sim. [s]", "Sezione"]
            if armonica >= 0:
                intest.append(leggibile("SPEEDAVGHARM(ALL)", unita))
        else:
            intest = ["Sezione", "Lunghezza [%s]" % (unita.get("DISTTRAV(ALL)") or "m") if distanza >= 0
                      else "Lunghezza [m]", "TempoMedio [s]", "Veicoli", "Lung.Arco Reale", "Tempo Corretto"]
        rie = rif.Griglia(intest, 0)
        durata = rif.formatta_decimale(intervalli[ordine[-1]][1] - intervalli[ordine[0]][0], sep)
        for m, nome, tot, somma, armo in figure:
            media = media_di(tot, somma, sep)
            if tipo == "mes":
                riga = [m, str(tot), media, durata, nome]
                if armonica >= 0:
                    riga.append(armonica_di(tot, armo, sep))
            else:
                riga = [m, lunghezze.get(m, ""), media, str(tot), "", ""]
            rie.celle.append(riga)
        esito.append((run, det, rie, figure))
    return esito, armonica >= 0


def media_di(tot, somma, sep):
    return "0" if tot == 0 else rif.formatta_decimale(rif.esteso(Fraction(somma) / tot), sep)


def armonica_di(tot, somma, sep):
    if tot == 0:
        return "0"
    if somma == float("inf"):
        return rif.formatta_decimale(0, sep)
    return rif.formatta_decimale(rif.esteso(Fraction(tot) / Fraction(somma)), sep)


def attese(righe, tipo, sep, confidenza=0.95, tolleranza=0.05):
    run, con_armonica = leggi_lista(righe, tipo, sep)
    if len(run) == 1:
        return rif.esporta(run[0][1]), rif.esporta(run[0][2])
    det0, rie0 = run[0][1], run[0][2]
    tabella = rif.Griglia(["Run"] + det0.intestazioni, 0)
    for etichetta, det, _, _ in run:
        tabella.celle += [[etichetta] + r for r in det.celle]
    cv, cf = (1, 2) if tipo == "mes" else (3, 2)
    rie = rif.Griglia(rie0.intestazioni + COLONNE_RUN, 0)
    for r, base in enumerate(rie0.celle):
        riga = list(base)
        tot = sum(f[3][r][2] for f in run)
        somma, armo = 0.0, 0.0
        for f in run:
            somma += f[3][r][3]
            armo += f[3][r][4]
        riga[cv] = rif.formatta_decimale(rif.esteso(Fraction(tot) / len(run)), sep)
        riga[cf] = media_di(tot, somma, sep)
        if con_armonica:
            riga[5] = armonica_di(tot, armo, sep)
        figure = [rif.leggi_decimale(f[2].celle[r][cf], sep) for f in run if f[3][r][2] > 0]
        rie.celle.append(riga + statistiche(figure, sep, confidenza, tolleranza) + list(run[0][3][r][:2]))
    return rif.esporta(tabella), rif.esporta(rie)


# --- generated lists ------------------------------------------------------------------------------

def genera(rng):
    tipo = rng.choice(("mes", "rsz"))
    tabella, oggetto, titolo = TABELLE[tipo]
    valore = "SPEEDAVGARITH(ALL)" if tipo == "mes" else "TRAVTM(ALL)"
    colonne = ["SIMRUN", "TIMEINT", oggetto, "VEHS(ALL)", valore]
    extra = (["SPEEDAVGHARM(ALL)", "VEHS(10)", "OCCUPRATE(ALL)", "SPEEDAVGARITH(20)"] if tipo == "mes"
             else ["DISTTRAV(ALL)", "VEHS(10)", "TRAVTM(10)", oggetto + "\\NO"])
    colonne += rng.sample(extra, rng.randint(0, len(extra)))
    if rng.random() < 0.7:
        colonne.append(oggetto + "\\NAME")
    rng.shuffle(colonne)
    unita = {valore: rng.choice(("km/h", "mph")) if tipo == "mes" else "s", "DISTTRAV(ALL)": rng.choice(("m", "ft")),
             "OCCUPRATE(ALL)": "%", "SPEEDAVGHARM(ALL)": "km/h", "TRAVTM(10)": "s"}
    righe = ["$VISION", "* File:\t\tC:\\reti\\Citt\u00e0 alta.inpx", "* Comment:\tprova", "* Date:\t\t1/2/2021",
             rng.choice(("* PTV Vissim:\t11.00 [14]", "* Application:\tPTV Vissim 2026.00-10 [308111]")), "*",
             "* Table: " + titolo, "*"]
    if rng.random() < 0.7:
        righe += ["* %s: %s, descrizione%s" % (n, n.title(), " [%s]" % unita[n] if n in unita else "")
                  for n in colonne]
        righe += ["*", "* " + rng.choice(("; ", ";")).join(n.title() for n in colonne), "*"]
    righe.append("$%s:%s" % (tabella, ";".join(colonne)))
    runs = rng.randint(1, 4)
    passo = rng.choice((300, 900))
    n_int = rng.randint(1, 5)
    confini = [i * passo for i in range(n_int)] + [n_int * passo - rng.choice((0, 0, 299))]
    misure = [str(n) for n in rng.sample(range(1, 3000), rng.randint(1, 4))]
    nomi = {m: rng.choice(("Via Roma nord", "Tangenziale: uscita @ 3 ", "Ponte della Libert\u00e0", "A"))
            for m in misure}
    lunghezze = {m: rng.uniform(40, 3000) for m in misure}
    for run in [str(r) for r in range(1, runs + 1)] + rng.sample(["AVG", "STDDEV", "MIN", "MAX"], rng.randint(0, 4)):
        for i in range(n_int):
            for m in misure:
                v = rng.choice((0, rng.randint(1, 9), rng.randint(10, 500)))
                cella = {}
                for n in colonne:
                    if n == "SIMRUN":
                        cella[n] = run
                    elif n == "TIMEINT":
                        cella[n] = "%d-%d" % (confini[i], confini[i + 1])
                    elif n in (oggetto, oggetto + "\\NO"):
                        cella[n] = m
                    elif n == oggetto + "\\NAME":
                        cella[n] = nomi[m]
                    elif n.startswith("VEHS"):
                        cella[n] = str(v if n == "VEHS(ALL)" else rng.randint(0, v))
                    elif v == 0:
                        cella[n] = "" if n != "OCCUPRATE(ALL)" else "0.00"
                    elif n == "DISTTRAV(ALL)":
                        cella[n] = "%.2f" % lunghezze[m]
                    else:
                        cella[n] = "%.2f" % rng.uniform(3, 140)
                righe.append(";".join(cella[n] for n in colonne))
    a_capo = rng.choice(("\r\n", "\n"))
    testo = a_capo.join(righe) + a_capo
    dati = testo.encode("cp1252") if rng.random() < 0.5 else testo.encode("utf-8-sig")
    return tipo, dati


def guasta(rng, tipo, dati):
    """A damaged copy that must be refused, or None."""
    testo = dati.decode("utf-8-sig") if dati.startswith(b"\xef\xbb\xbf") else dati.decode("cp1252")
    righe = testo.splitlines()
    testa = next(r for r, t in enumerate(righe) if t.startswith("$") and ":" in t)
    k_run = righe[testa].split(":", 1)[1].split(";").index("SIMRUN")
    corpo = [r for r in range(testa + 1, len(righe)) if righe[r].split(";")[k_run].isdigit()]
    scelta = rng.randrange(5)
    if scelta == 0:  # cut inside a data row of a run
        r = rng.choice(corpo)
        cella = righe[r].split(";")
        righe = righe[:r] + [";".join(cella[:rng.randint(1, len(cella) - 1)])]
    elif scelta == 1:  # the other table
        altro = TABELLE["rsz" if tipo == "mes" else "mes"][0]
        righe[testa] = "$" + altro + righe[testa][righe[testa].index(":"):]
    elif scelta == 2:  # a required column renamed
        nomi = righe[testa].split(":", 1)[1].split(";")
        k = nomi.index(rng.choice(("SIMRUN", "TIMEINT", "VEHS(ALL)")))
        nomi[k] = "X" + nomi[k]
        righe[testa] = righe[testa].split(":", 1)[0] + ":" + ";".join(nomi)
    elif scelta == 3:  # garbage in an interval
        nomi = righe[testa].split(":", 1)[1].split(";")
        k = nomi.index("TIMEINT")
        r = rng.choice(corpo)
        cella = righe[r].split(";")
        cella[k] = rng.choice(("0 900", "a-b", "-900", "900-"))
        righe[r] = ";".join(cella)
    else:  # a run row lost
        del righe[rng.choice(corpo)]
    return ("\n".join(righe) + "\n").encode("utf-8-sig")


def confronta_lista(cli, percorso, tipo, dati, verboso):
    righe = rif.carica_righe(dati)
    return confronta(cli, [percorso], tipo, verboso, lambda sep: attese(righe, tipo, sep))


def liste(args, cartella):
    """(path, table, bytes) of every list to compare: generated ones, each with a damaged copy, then
    those of each --cartella."""
    rng = random.Random(args.seed)
    for i in range(args.casi):
        tipo, dati = genera(rng)
        for j, contenuto in enumerate((dati, guasta(rng, tipo, dati))):
            percorso = os.path.join(cartella, "lista%d-%d.att" % (i, j))
            with open(percorso, "wb") as f:
                f.write(contenuto)
            yield percorso, tipo, contenuto
    for dove in filter(os.path.isdir, args.cartella):
        for nome in sorted(n for n in os.listdir(dove) if n.lower().endswith(".att")):
            with open(os.path.join(dove, nome), "rb") as f:
                dati = f.read()
            testa = next((t for t in rif.carica_righe(dati) if t.startswith("$") and ":" in t), "")
            yield os.path.join(dove, nome), "rsz" if TABELLE["rsz"][0] in testa.upper() else "mes", dati


def main():
    args = argomenti(__doc__, "casi", 60)
    if args is None:
        return 77
    with tempfile.TemporaryDirectory() as cartella:
        esiti = [confronta_lista(args.cli, percorso, tipo, dati, args.v) for percorso, tipo, dati in liste(args, cartella)]
    print("liste: %d confronti, %d differenze" % (4 * len(esiti), sum(esiti)))
    return 1 if sum(esiti) else 0


if __name__ == "__main__":
    sys.exit(main())
