#!/usr/bin/env python3
"""Several runs of one scenario through marvento-cli against a computation of its own.

  piu_run.py CLI [--seed N] [--insiemi N] [--cartella DIR ...] [-v]

Generates sets of runs (one network, the data of each run drawn anew; Italian or English, .mes or
.rsz), or takes the run files of each --cartella (all the .mes or all the .rsz in it, in name
order), runs `marvento-cli mes|rsz FILE... --detail D --summary S --decimal-separator SEP` for both
separators, and compares both exports with tables built here: each file read by riferimento.py,
the detail tables stacked behind a "Run" column, the figures pooled over every interval of every
run, the statistics over runs with a Student's t of its own (regularised incomplete beta function),
and the number and name of each measurement or section taken from its line. Exit status 0 when
everything agrees, 1 otherwise, 77 when the CLI is missing.
"""

import argparse
import functools
import math
import os
import random
import re
import subprocess
import sys
import tempfile
from fractions import Fraction

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import riferimento as rif  # noqa: E402
from confronta import prima_differenza  # noqa: E402


# --- Student's t ------------------------------------------------------------------------------

def beta_incompleta(a, b, x):
    """Regularised incomplete beta function I_x(a, b), by its continued fraction."""
    if x <= 0:
        return 0.0
    if x >= 1:
        return 1.0
    ln = math.lgamma(a + b) - math.lgamma(a) - math.lgamma(b) + a * math.log(x) + b * math.log(1 - x)
    if x > (a + 1) / (a + b + 2):
        return 1.0 - beta_incompleta(b, a, 1 - x)
    piccolo = 1e-300
    c, d = 1.0, 1.0 - (a + b) * x / (a + 1)
    d = 1.0 / (d if abs(d) > piccolo else piccolo)
    f = d
    for m in range(1, 10000):
        for numeratore in (m * (b - m) * x / ((a + 2 * m - 1) * (a + 2 * m)),
                           -(a + m) * (a + b + m) * x / ((a + 2 * m) * (a + 2 * m + 1))):
            d = 1.0 + numeratore * d
            d = 1.0 / (d if abs(d) > piccolo else piccolo)
            c = 1.0 + numeratore / c
            c = c if abs(c) > piccolo else piccolo
            f *= c * d
        if abs(c * d - 1.0) < 1e-16:
            break
    return math.exp(ln) * f / a


@functools.lru_cache(maxsize=None)
def quantile_t(confidenza, gradi):
    """The t that leaves (1 - confidenza) / 2 above it, by bisection on the distribution."""
    coda = (1 - confidenza) / 2
    basso, alto = 0.0, 1e7
    while alto - basso > 1e-12 * max(1.0, basso):
        t = (basso + alto) / 2
        sopra = 0.5 * beta_incompleta(gradi / 2, 0.5, gradi / (gradi + t * t))
        if sopra > coda:
            basso = t
        else:
            alto = t
    return (basso + alto) / 2


def run_necessari(n, media, dev, confidenza, tolleranza):
    if dev == 0:
        return 2
    errore = tolleranza * abs(media)
    if errore <= 0:
        return None
    richiesti = lambda k: (quantile_t(confidenza, k - 1) * dev / errore) ** 2  # noqa: E731
    # The smallest k that is enough: (t s / E)^2 falls as k grows, so search for it by halves.
    if richiesti(2) <= 2:
        return 2
    alto = 4
    while richiesti(alto) > alto:
        alto *= 2
        if alto > 2 * 10 ** 6:
            return None
    basso = alto // 2
    while alto - basso > 1:
        mezzo = (basso + alto) // 2
        if richiesti(mezzo) <= mezzo:
            alto = mezzo
        else:
            basso = mezzo
    return alto if alto <= 10 ** 6 else None


# --- the tables of several runs ----------------------------------------------------------------

def etichette(percorsi):
    nomi = [os.path.splitext(os.path.basename(p))[0] for p in percorsi]
    numeri = [re.search(r"(\d+)$", n) for n in nomi]
    if all(numeri) and len({m.group(1) for m in numeri}) == len(numeri):
        return [m.group(1) for m in numeri]
    return [str(i + 1) for i in range(len(percorsi))]


def identita(righe, tipo):
    """(number, name) of each measurement or section, from its line and the names line."""
    esito = []
    if tipo == "mes":
        prefisso = "Misura " if any(r.startswith("Misura;") for r in righe) else "Measurement "
        for riga in righe:
            if riga.startswith(prefisso):
                numero, _, resto = riga[len(prefisso):].partition(":")
                esito.append((numero.strip(" \t"), resto.strip(" \t")))
        return esito
    inglese = any(r.lstrip(" ").startswith("Time;") for r in righe)
    prefisso, nomi = ("No.", "Name;") if inglese else ("Num.", "Nome;")
    riga_nomi = [r for r in righe if r.lstrip(" ").startswith(nomi)]
    campi = rif.dividi_campi(riga_nomi[0], ";") if riga_nomi else []
    sezioni = [r for r in righe if r.startswith(prefisso)]
    testata = [r for r in righe if r.lstrip(" ").startswith("Time;" if inglese else "Intervallo;")][0]
    s = (len(rif.dividi_campi(testata.replace(" ", "").replace("#", ""), ";")) - 2) // max(len(sezioni), 1)
    for k, riga in enumerate(sezioni):
        resto = riga[len(prefisso):]
        numero = resto[:min(i for i in (resto.find("("), resto.find(":"), len(resto)) if i >= 0)]
        nome = re.search(r"\((.*?)\):", resto) or re.search(r"\((.*?)\)", resto)
        nome = nome.group(1).strip(" \t") if nome else ""
        if s > 0 and 1 + k * s < len(campi) and campi[1 + k * s].strip(" \t"):
            nome = campi[1 + k * s].strip(" \t")
        esito.append((numero.strip(" \t"), nome))
    return esito


def blocchi(det, marcatore, figura=None):
    """Per measurement or section, the columns of its vehicles and of its figure (or -1); the
    figure's header is the files' own unless given (a result list's speed may be in mph)."""
    inizi = [c for c, h in enumerate(det.intestazioni) if h == marcatore]
    figura = figura or ("Vel [km/h]" if marcatore == "Misura" else "TdP [s]")
    esito = []
    for i, inizio in enumerate(inizi):
        fine = inizi[i + 1] if i + 1 < len(inizi) else len(det.intestazioni)
        # a block after the first has no interval columns: its names come from the first block
        nomi = det.intestazioni[inizio:fine]
        esito.append((inizio + nomi.index("Veicoli") if "Veicoli" in nomi else -1,
                      inizio + nomi.index(figura) if figura in nomi else -1))
    return esito


# The summary's columns after its own with several runs.
COLONNE_RUN = ["Run validi", "Media", "Dev. std", "Minimo", "Massimo", "Semiampiezza IC", "Run necessari",
               "Numero", "Nome"]


def statistiche(figure, sep, confidenza, tolleranza):
    """The cells of the statistics over the runs' figures: runs, mean, deviation, minimum, maximum,
    half-width, runs needed."""
    fmt = lambda x: rif.formatta_decimale(rif.esteso(Fraction(x)), sep)  # noqa: E731
    n = len(figure)
    celle = [str(n)] + [""] * 6
    if n:
        media = sum(Fraction(x) for x in figure) / n
        celle[1], celle[3], celle[4] = fmt(media), fmt(min(figure)), fmt(max(figure))
    if n >= 2:
        dev = 0.0 if min(figure) == max(figure) else math.sqrt(
            float(sum((Fraction(x) - media) ** 2 for x in figure) / (n - 1)))
        celle[2] = fmt(dev)
        celle[5] = fmt(quantile_t(confidenza, n - 1) * dev / math.sqrt(n))
        necessari = run_necessari(n, float(media), dev, confidenza, tolleranza)
        celle[6] = "" if necessari is None else str(necessari)
    return celle


def attese(percorsi, tipo, sep, confidenza=0.95, tolleranza=0.05):
    """The detail and summary exports of the runs, or None when one does not import."""
    run = []
    for p in percorsi:
        with open(p, "rb") as f:
            righe = rif.carica_righe(f.read())
        det, rie = (rif.importa_mes if tipo == "mes" else rif.importa_rsz)(righe, sep)
        run.append((det, rie, identita(righe, tipo)))
    det0, rie0, id0 = run[0]
    colonne = blocchi(det0, "Misura" if tipo == "mes" else "Sezione")
    tabella = rif.Griglia(["Run"] + det0.intestazioni, 0)
    for etichetta, (det, _, _) in zip(etichette(percorsi), run):
        for riga in det.celle:
            tabella.celle.append([etichetta] + riga)

    cv, cf = (1, 2) if tipo == "mes" else (3, 2)
    rie = rif.Griglia(rie0.intestazioni + COLONNE_RUN, 0)
    for r, base in enumerate(rie0.celle):
        riga = list(base) + [""] * 9
        V, F = colonne[r]
        totale, somma = 0, 0.0
        for det, _, _ in run:
            somma_run = 0.0
            for celle in det.celle:
                if V >= 0:
                    totale += rif.leggi_intero(celle[V])
                    if F >= 0:
                        somma_run += rif.leggi_decimale(celle[F], sep) * rif.leggi_decimale(celle[V], sep)
            somma += somma_run
        if riga[cv] != "":
            riga[cv] = rif.formatta_decimale(rif.esteso(Fraction(totale) / len(run)), sep)
        if riga[cf] != "":
            riga[cf] = "0" if totale == 0 else rif.formatta_decimale(rif.esteso(Fraction(somma) / totale), sep)
        figure = []
        for _, rie_run, _ in run:
            veicoli, figura = rie_run.celle[r][cv], rie_run.celle[r][cf]
            if figura == "" or (veicoli != "" and rif.leggi_intero(veicoli) == 0):
                continue
            figure.append(rif.leggi_decimale(figura, sep))
        riga[len(base):] = statistiche(figure, sep, confidenza, tolleranza) + list(id0[r])
        rie.celle.append(riga)
    return rif.esporta(tabella), rif.esporta(rie)


# --- generated runs ----------------------------------------------------------------------------

def genera_insieme(rng, cartella, indice):
    tipo = rng.choice(("mes", "rsz"))
    inglese = rng.random() < 0.5
    p = rng.randint(1, 5)
    intervalli = rng.randint(1, 6)
    numeri = sorted(rng.sample(range(1, 20000), p))
    nomi = ["Via %d %s" % (n, rng.choice(("NB", "SB", "Est", "Ovest lunga strada"))) for n in numeri]
    lunghezze = [rng.uniform(40, 2500) for _ in range(p)]
    k = rng.randint(2, 6)
    radice = rng.choice(("scenario_", "seme", "rete-"))
    percorsi = []
    for i in range(k):
        righe = scrivi_mes(rng, inglese, numeri, intervalli) if tipo == "mes" else \
            scrivi_rsz(rng, inglese, numeri, nomi, lunghezze, intervalli)
        nome = "%s%02d.%s" % (radice, i + 1, tipo) if rng.random() < 0.8 else "insieme%d-%c.%s" % (
            indice, "abcdef"[i], tipo)
        percorsi.append(os.path.join(cartella, nome))
        with open(percorsi[-1], "wb") as f:
            f.write(("\r\n".join(righe) + "\r\n").encode("cp1252"))
    return tipo, percorsi


def valore(rng, veicoli, basso, alto):
    return 0.0 if veicoli == 0 else rng.uniform(basso, alto)


def scrivi_mes(rng, inglese, numeri, intervalli):
    misura, punti = ("Measurement", "Data Collection Point(s)") if inglese else ("Misura", "Sezione(i) di rilievo")
    righe = ["Rilievo dati", ""] + ["%s %5d: %s %d" % (misura, n, punti, n % 97) for n in numeri] + [""]
    righe += ["Measur.;from;to;Number Veh;Speed" if inglese else "Misura;da;a;Veicoli;Vel;", ";", ";"]
    for i in range(intervalli):
        for n in numeri:
            v = rng.choice((0, rng.randint(1, 9), rng.randint(10, 400)))
            righe.append("%d;%d;%d;%d;%.1f;" % (n, i * 900, (i + 1) * 900, v, valore(rng, v, 5, 120)))
    return righe


def scrivi_rsz(rng, inglese, numeri, nomi, lunghezze, intervalli):
    sezione, distanza = ("No.", "Distance") if inglese else ("Num.", "Distanza")
    righe = ["", "Tempi", "", "File: x", "Commento:", "Data: oggi", ""]
    righe += ["%s%5d (%-20.20s): da arco 1 a 2.0 m ad arco 3 a 4.0 m, %s %6.1f m" % (sezione, n, nome, distanza, lu)
              for n, nome, lu in zip(numeri, nomi, lunghezze)] + [""]
    p = len(numeri)
    righe.append(("  Time;" + "  Trav;#Veh;" * p) if inglese else ("Intervallo;" + "  TdP;#Veic.;" * p))
    righe.append("  VehC;" + "  All;;" * p)
    righe.append("  No.:;" + "".join(" %d; %d;" % (n, n) for n in numeri))
    righe.append((" Name;" if inglese else " Nome;") + "".join("%s;%s;" % (nome, nome) for nome in nomi))
    for i in range(intervalli):
        campi = []
        for _ in numeri:
            v = rng.choice((0, rng.randint(1, 9), rng.randint(10, 99)))
            campi.append("%6.1f;%4d;" % (valore(rng, v, 3, 400), v))
        righe.append("%6d;%s" % ((i + 1) * 600, "".join(campi)))
    return righe


def confronta(cli, percorsi, tipo, verboso, calcola=None):
    """The tool's exports of the files against calcola(sep) (by default the tables of several runs,
    attese); a rif.Errore from it means the tool must fail and write nothing."""
    calcola = calcola or (lambda sep: attese(percorsi, tipo, sep))
    differenze = 0
    with tempfile.TemporaryDirectory() as uscite:
        for sep in (",", "."):
            d, s = os.path.join(uscite, "d%s.txt" % sep), os.path.join(uscite, "s%s.txt" % sep)
            esito = subprocess.run([cli, tipo] + percorsi + ["--detail", d, "--summary", s,
                                                            "--decimal-separator", sep],
                                   capture_output=True, env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
            try:
                atteso = calcola(sep)
            except rif.Errore as e:
                atteso = e
            if isinstance(atteso, rif.Errore):
                if esito.returncode != 1 or os.path.exists(d) or os.path.exists(s):
                    differenze += 1
                    print("DIFF %s %s: atteso un errore, uscita %d" % (percorsi[0], sep, esito.returncode))
                continue
            if esito.returncode != 0:
                differenze += 1
                print("DIFF %s %s: uscita %d: %s" % (percorsi[0], sep, esito.returncode, esito.stderr.decode()))
                continue
            for nome, file, bytes_attesi in (("dettaglio", d, atteso[0]), ("riepilogo", s, atteso[1])):
                with open(file, "rb") as f:
                    ottenuti = f.read()
                if ottenuti != bytes_attesi:
                    differenze += 1
                    print("DIFF %s %s %s: %s" % (", ".join(percorsi), sep, nome,
                                                 prima_differenza(bytes_attesi, ottenuti)))
                elif verboso:
                    print("ok %s %s %s" % (percorsi[0], sep, nome))
    return differenze


def argomenti(descrizione, conteggio, quanti):
    """The command line of the scripts that generate cases: CLI, --seed, how many cases, --cartella, -v;
    None when the CLI is missing."""
    parser = argparse.ArgumentParser(description=descrizione, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("cli")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--" + conteggio, type=int, default=quanti)
    parser.add_argument("--cartella", nargs="*", default=[])
    parser.add_argument("-v", action="store_true")
    args = parser.parse_args()
    if not os.path.exists(args.cli):
        print("manca %s" % args.cli)
        return None
    return args


def main():
    args = argomenti(__doc__, "insiemi", 40)
    if args is None:
        return 77
    rng = random.Random(args.seed)
    differenze = confronti = 0
    with tempfile.TemporaryDirectory() as cartella:
        for i in range(args.insiemi):
            sotto = os.path.join(cartella, "insieme%d" % i)
            os.mkdir(sotto)
            tipo, percorsi = genera_insieme(rng, sotto, i)
            differenze += confronta(args.cli, percorsi, tipo, args.v)
            confronti += 4
    for dove in args.cartella:
        for tipo in ("mes", "rsz"):
            percorsi = sorted(os.path.join(dove, f) for f in os.listdir(dove) if f.lower().endswith("." + tipo))
            if len(percorsi) >= 2:
                differenze += confronta(args.cli, percorsi, tipo, args.v)
                confronti += 4
    print("piu_run: %d confronti, %d differenze" % (confronti, differenze))
    return 1 if differenze else 0


if __name__ == "__main__":
    sys.exit(main())
