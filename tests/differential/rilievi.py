#!/usr/bin/env python3
"""marvento-cli validate against a computation of its own.

  rilievi.py CLI [--seed N] [--casi N] [-v]

Generates simulations (one file or the runs of a scenario, .mes or .rsz, Italian or English, by
piu_run.py's generator, or a result list by liste.py's) and field files of every form the README allows (";", tab or ","
separated, decimal "," or ".", Windows-1252, UTF-8 with or without its mark, Italian or English
names in any order, intervals as "da"/"a", "start-end" or the end, rows for the whole period,
rows of numbers the simulation lacks), runs `marvento-cli validate FILE... --observed FIELD
--summary OUT --decimal-separator SEP` with criteria drawn at random, and compares the summary's
bytes and the summing-up with what it works out here: every run read by riferimento.py, the
counts as hourly flows, each GEH, the share of cases below the threshold, the speeds or times
and the tolerance, the verdict. A field file spoiled on purpose must fail with exit status 1, a
message naming its line and no summary written. Exit status 0 when everything agrees, 1
otherwise, 77 when the CLI is missing.
"""

import math
import os
import random
import subprocess
import sys
import tempfile
from fractions import Fraction

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import liste  # noqa: E402
import piu_run  # noqa: E402
import riferimento as rif  # noqa: E402
from confronta import prima_differenza  # noqa: E402


# --- the simulation as the reference reads it ----------------------------------------------------

def leggi_run(det, identita, tipo, sep, figura=None):
    """(intervals, per measurement per interval (vehicles, value), identities) of one run."""
    colonne = piu_run.blocchi(det, "Misura" if tipo == "mes" else "Sezione", figura)
    if tipo == "mes":
        intervalli = [(rif.leggi_decimale(r[1], sep), rif.leggi_decimale(r[2], sep)) for r in det.celle]
    else:
        fini = [rif.leggi_decimale(r[0], sep) for r in det.celle]
        # each interval starts where the one before ended; the first as long as the second
        inizi = [0.0] + fini[:-1]
        if len(fini) >= 2:
            inizi[0] = fini[0] - (fini[1] - fini[0])
        intervalli = list(zip(inizi, fini))

    def dato(r, v, f):
        veicoli = rif.leggi_decimale(r[v], sep)
        # a result list leaves the mean of an interval without vehicles empty
        return veicoli, 0.0 if veicoli == 0 and r[f] == "" else rif.leggi_decimale(r[f], sep)
    return intervalli, [[dato(r, v, f) for r in det.celle] for v, f in colonne], identita


def leggi_file(percorso, tipo, sep):
    """The runs of a simulation file, or of a result list (.att), as the reference reads them."""
    with open(percorso, "rb") as f:
        righe = rif.carica_righe(f.read())
    if percorso.endswith(".att"):
        run = liste.leggi_lista(righe, tipo, sep)[0]
        return [leggi_run(det, [(m, nome) for m, nome, _, _, _ in figure], tipo, sep,
                          rie.intestazioni[2] if tipo == "mes" else None) for _, det, rie, figure in run]
    det, _ = (rif.importa_mes if tipo == "mes" else rif.importa_rsz)(righe, sep)
    return [leggi_run(det, piu_run.identita(righe, tipo), tipo, sep)]


class Simulazione:
    def __init__(self, percorsi, tipo, sep):
        self.run = [run for p in percorsi for run in leggi_file(p, tipo, sep)]
        self.intervalli = []
        for intervalli, _, _ in self.run:
            for iv in intervalli:
                if iv not in self.intervalli:
                    self.intervalli.append(iv)
        self.numeri = [int(n) for n, _ in self.run[0][2]]

    def per_run(self, m, i):
        """The figures of measurement m in interval i, for each run that has the interval."""
        esito = []
        for intervalli, dati, _ in self.run:
            if self.intervalli[i] in intervalli:
                esito.append(dati[m][intervalli.index(self.intervalli[i])])
        return esito

    def veicoli(self, m, i):
        figure = self.per_run(m, i)
        return sum(v for v, _ in figure) / len(figure) if figure else 0.0

    def valore(self, m, i):
        """Mean over the runs with vehicles in the interval; None without any."""
        figure = [x for v, x in self.per_run(m, i) if v > 0]
        return sum(figure) / len(figure) if figure else None

    def valore_periodo(self, m):
        """Each run's vehicle-weighted mean over all its intervals, then the mean over runs."""
        medie = []
        for _, dati, _ in self.run:
            veicoli = pesata = 0.0
            for v, x in dati[m]:
                veicoli += v
                pesata += x * v
            if veicoli > 0:
                medie.append(pesata / veicoli)
        return sum(medie) / len(medie) if medie else None


# --- the comparison as the README describes it ----------------------------------------------------

def geh(sim, ril):
    s = sim + ril
    return 0.0 if s <= 0 else math.sqrt(2.0 * (sim - ril) * (sim - ril) / s)


def orario(veicoli, durata):
    return veicoli * 3600.0 / durata if durata > 0 else 0.0


def testo_legenda(x, sep):
    t = ("%.3f" % x).rstrip("0").rstrip(".")
    return t.replace(".", sep)


def colonne(tipo, criteri, sep, unita):
    v, u = ("Vel", unita) if tipo == "mes" else ("TdP", " [s]")
    ril, sim = (" rilevata", " simulata") if tipo == "mes" else (" rilevato", " simulato")
    return ["Veicoli rilevati", "Veicoli simulati", "GEH", "GEH<%s [%%]" % testo_legenda(criteri["geh"], sep),
            v + ril + u, v + sim + u, "Diff. " + v + u, "Diff. " + v + " [%]", "Esito"]


def confronta_misura(s, m, periodo, intervalli, tipo, criteri):
    """The nine cells' values (None for empty), the cases' GEH and the verdict."""
    durata_tot = sum(a - da for da, a in s.intervalli)
    sim_tot = sum(s.veicoli(m, i) for i in range(len(s.intervalli)))
    casi, ril, sim, dur = [], 0.0, 0.0, 0.0
    for riga, i in intervalli:
        if riga["veicoli"] is None:
            continue
        da, a = s.intervalli[i]
        c = s.veicoli(m, i)
        ril, sim, dur = ril + riga["veicoli"], sim + c, dur + (a - da)
        casi.append(geh(orario(c, a - da), orario(riga["veicoli"], a - da)))
    g = None
    if periodo is not None and periodo["veicoli"] is not None:
        ril, sim, dur = periodo["veicoli"], sim_tot, durata_tot
        if not casi:
            casi.append(geh(orario(sim, dur), orario(ril, dur)))
    if casi:
        g = geh(orario(sim, dur), orario(ril, dur))
    quota = 100.0 * sum(1 for x in casi if x < criteri["geh"]) / len(casi) if casi else None

    oss = sval = None
    con_valore = False
    if periodo is not None and periodo["valore"] is not None:
        con_valore, oss, sval = True, periodo["valore"], s.valore_periodo(m)
    else:
        coppie = [(riga["valore"], s.valore(m, i)) for riga, i in intervalli if riga["valore"] is not None]
        if coppie:
            con_valore = True
            oss = sum(o for o, _ in coppie) / len(coppie)
            sval = None if any(x is None for _, x in coppie) else sum(x for _, x in coppie) / len(coppie)
    ok = g is None or g < criteri["geh"]
    if con_valore:
        if sval is None:
            ok = False
        else:
            ammesso = criteri["pct"] / 100.0 * oss
            if tipo == "rsz":
                ammesso = max(ammesso, criteri["sec"])
            ok = ok and abs(sval - oss) <= ammesso
    diff = None if sval is None or oss is None else sval - oss
    valori = [ril if casi else None, sim if casi else None, g, quota, oss, sval, diff,
              None if diff is None else 100.0 * diff / oss]
    return valori, casi, ok


def quota_testo(parte, tutto, criteri, sep):
    q = 100.0 * parte / tutto
    return "%d su %d (%s %%): %s la quota richiesta (%s %%)" % (
        parte, tutto, rif.formatta_decimale(Fraction(q), sep), "raggiunge" if q >= criteri["quota"] else
        "non raggiunge", testo_legenda(criteri["quota"], sep))


def attesi(percorsi, tipo, sep, campo, criteri):
    """(summary bytes, summing-up) that validate should give, or an Errore."""
    if percorsi[0].endswith(".att"):
        with open(percorsi[0], "rb") as f:
            base = liste.attese(rif.carica_righe(f.read()), tipo, sep)[1]
    elif len(percorsi) == 1:
        with open(percorsi[0], "rb") as f:
            _, rie = (rif.importa_mes if tipo == "mes" else rif.importa_rsz)(rif.carica_righe(f.read()), sep)
        base = rif.esporta(rie)
    else:
        base = piu_run.attese(percorsi, tipo, sep)[1]
    righe = [r.split("\t") for r in base.decode("cp1252").split("\r\n")[:-1]]
    s = Simulazione(percorsi, tipo, sep)
    per_numero = {}
    for m, n in enumerate(s.numeri):
        per_numero.setdefault(n, m)
    periodo, intervalli, senza, viste = {}, {}, [], {}
    for riga in campo:
        if riga["numero"] not in per_numero:
            senza.append(riga)
            continue
        m = per_numero[riga["numero"]]
        chiave = (m, None)
        if riga["a"] is not None:
            i = [k for k, (da, a) in enumerate(s.intervalli)
                 if a == riga["a"] and (riga["da"] is None or da == riga["da"])]
            if not i:
                raise rif.Errore("Riga %d " % riga["riga"])
            chiave = (m, i[0])
        if chiave in viste:
            raise rif.Errore("Riga %d " % riga["riga"])
        viste[chiave] = riga
        if riga["a"] is None:
            periodo[m] = riga
        else:
            intervalli.setdefault(m, []).append((riga, chiave[1]))

    velocita = righe[0][2]  # the summary's speed header, with its unit
    griglia = rif.Griglia(righe[0] + colonne(tipo, criteri, sep, velocita[velocita.rfind(" ["):]), 0)
    casi = ok = confrontate = sotto = 0
    for m, riga in enumerate(righe[1:]):
        celle = riga + [""] * 9
        if m in periodo or m in intervalli:
            valori, gehs, esito = confronta_misura(s, m, periodo.get(m), intervalli.get(m, []), tipo, criteri)
            for c, x in enumerate(valori):
                if x is not None:
                    celle[len(riga) + c] = rif.formatta_decimale(Fraction(x), sep)
            celle[-1] = "OK" if esito else "NO"
            casi += len(gehs)
            sotto += sum(1 for x in gehs if x < criteri["geh"])
            confrontate += 1
            ok += 1 if esito else 0
        griglia.celle.append(celle)
    testo = "Casi (misura o sezione, intervallo) con GEH < %s: %s.\nRighe con esito OK: %s." % (
        testo_legenda(criteri["geh"], sep),
        quota_testo(sotto, casi, criteri, sep) if casi else "nessun conteggio rilevato",
        quota_testo(ok, confrontate, criteri, sep) if confrontate else "nessuna riga confrontata")
    if senza:
        testo += "\nRighe del file dei rilievi senza misura o sezione nella simulazione: " + ", ".join(
            "riga %d (numero %d)" % (r["riga"], r["numero"]) for r in senza) + "."
    return rif.esporta(griglia), testo + "\n"


# --- field files ---------------------------------------------------------------------------------

NOMI = {
    "numero": {"mes": ["Misura", "Measurement", "MISURA"], "rsz": ["Sezione", "Section", "section"]},
    "veicoli": ["Veicoli", "Count", "count"],
    "valore": {"mes": ["Vel", "Speed", "Vel [km/h]", "Velocit\u00e0"], "rsz": ["TdP", "Travel time", "TdP [s]"]},
    "da": ["da", "from"], "a": ["a", "to"], "intervallo": ["Intervallo", "Interval"],
}


def numero_testo(rng, x, decimale):
    t = "%.*f" % (rng.choice((0, 1, 2, 3)), x)
    return t.replace(".", decimale)


def genera_campo(rng, s, tipo):
    """The rows of a field file (dicts) drawn from the simulation: near its figures, not equal."""
    righe = []
    numeri = list(s.numeri)
    scelti = rng.sample(range(len(numeri)), rng.randint(1, len(numeri)))
    for m in scelti:
        modo = rng.choice(("periodo", "intervalli", "entrambi", "intervalli"))
        if modo in ("periodo", "entrambi"):
            tot = sum(s.veicoli(m, i) for i in range(len(s.intervalli)))
            valore = s.valore_periodo(m) or rng.uniform(5, 100)
            righe.append({"numero": numeri[m], "da": None, "a": None,
                          "veicoli": round(tot * rng.uniform(0.5, 1.5), rng.choice((0, 1))) if rng.random() < 0.8 else None,
                          "valore": max(1.0, round(valore * rng.uniform(0.7, 1.3), 2)) if rng.random() < 0.6 else None})
        if modo in ("intervalli", "entrambi"):
            for i in rng.sample(range(len(s.intervalli)), rng.randint(1, len(s.intervalli))):
                valore = s.valore(m, i) or rng.uniform(5, 100)
                righe.append({"numero": numeri[m], "da": s.intervalli[i][0], "a": s.intervalli[i][1],
                              "veicoli": round(s.veicoli(m, i) * rng.uniform(0.6, 1.4) + rng.choice((0, 3)))
                              if rng.random() < 0.8 else None,
                              "valore": max(1.0, round(valore * rng.uniform(0.75, 1.25), 1)) if rng.random() < 0.5 else None})
    if rng.random() < 0.3:
        fuori = max(numeri) + rng.randint(1, 50)
        righe.append({"numero": fuori, "da": None, "a": None, "veicoli": 10.0, "valore": None})
    rng.shuffle(righe)
    # a row with nothing observed says nothing and is left out by the reader
    return [r for r in righe if r["veicoli"] is not None or r["valore"] is not None]


def scrivi_campo(rng, percorso, righe, tipo, guasto=None):
    """Writes the rows in a form drawn at random; numbers the rows' lines as the file has them."""
    delim = rng.choice((";", "\t", ","))
    decimale = "." if delim == "," or rng.random() < 0.5 else ","
    forma = rng.choice(("da-a", "inizio-fine", "fine")) if any(r["a"] is not None for r in righe) else "nessuno"
    colonne_file = ["numero", "veicoli", "valore"] + {"da-a": ["da", "a"], "inizio-fine": ["intervallo"],
                                                      "fine": ["intervallo"], "nessuno": []}[forma]
    if rng.random() < 0.3:
        colonne_file.append("nome")
    rng.shuffle(colonne_file)
    nomi = []
    for c in colonne_file:
        scelte = NOMI.get(c, ["Nome"])
        nomi.append(rng.choice(scelte[tipo] if isinstance(scelte, dict) else scelte))
    linee = [""] if rng.random() < 0.2 else []
    linee.append(delim.join(nomi))
    for r in righe:
        celle = []
        for c in colonne_file:
            if c == "numero":
                celle.append(str(r["numero"]))
            elif c == "nome":
                celle.append("Via X")
            elif c in ("veicoli", "valore"):
                if r[c] is not None:
                    testo = numero_testo(rng, r[c], decimale)
                    r[c] = float(testo.replace(",", "."))  # the value as the file gives it
                    if delim == "," and "," in testo:
                        testo = '"%s"' % testo
                celle.append("" if r[c] is None else testo)
            elif c == "da":
                celle.append("" if r["da"] is None else "%g" % r["da"])
            elif c == "a":
                celle.append("" if r["a"] is None else "%g" % r["a"])
            elif r["a"] is None:
                celle.append("")
            else:
                celle.append("%g" % r["a"] if forma == "fine" else "%g-%g" % (r["da"], r["a"]))
        r["riga"] = len(linee) + 1
        linee.append(delim.join(celle))
        if rng.random() < 0.1:
            linee.append(delim * (len(celle) - 1))
    if guasto is not None and righe:
        r = rng.choice(righe)
        celle = linee[r["riga"] - 1].split(delim)
        colonna = colonne_file.index("numero")
        celle[colonna] = celle[colonna] + "x"
        linee[r["riga"] - 1] = delim.join(celle)
        guasto["riga"] = r["riga"]
    codifica = rng.choice(("cp1252", "utf-8", "utf-8-sig"))
    with open(percorso, "wb") as f:
        f.write(("\r\n".join(linee) + "\r\n").encode(codifica))


def criteri_a_caso(rng):
    criteri = {"geh": 5.0, "quota": 85.0, "pct": 15.0, "sec": 60.0}
    opzioni = []
    if rng.random() < 0.4:
        criteri["geh"] = rng.choice((2.5, 4.0, 10.0))
        opzioni += ["--geh-threshold", testo_legenda(criteri["geh"], ".")]
    if rng.random() < 0.3:
        criteri["quota"] = rng.choice((50.0, 60.0))
        opzioni += ["--geh-share", testo_legenda(criteri["quota"], ".")]
    if rng.random() < 0.4:
        criteri["pct"] = rng.choice((5.0, 10.0, 25.0))
        opzioni += ["--time-tolerance", testo_legenda(criteri["pct"], ".")]
    if rng.random() < 0.4:
        criteri["sec"] = rng.choice((0.0, 5.0, 20.0))
        opzioni += ["--time-tolerance-seconds", testo_legenda(criteri["sec"], ".")]
    return criteri, opzioni


def un_caso(cli, rng, cartella, indice, verboso):
    if rng.random() < 0.25:
        tipo, dati = liste.genera(rng)
        percorsi = [os.path.join(cartella, "lista.att")]
        with open(percorsi[0], "wb") as f:
            f.write(dati)
    else:
        tipo, percorsi = piu_run.genera_insieme(rng, cartella, indice)
        if rng.random() < 0.4:
            percorsi = percorsi[:1]
    sep = rng.choice((",", "."))
    s = Simulazione(percorsi, tipo, sep)
    righe = genera_campo(rng, s, tipo)
    guasto = {} if rng.random() < 0.1 else None
    campo = os.path.join(cartella, "rilievi.csv")
    scrivi_campo(rng, campo, righe, tipo, guasto)
    criteri, opzioni = criteri_a_caso(rng)
    uscita = os.path.join(cartella, "riepilogo.txt")
    esito = subprocess.run([cli, "validate"] + percorsi + ["--observed", campo, "--summary", uscita,
                                                           "--decimal-separator", sep] + opzioni,
                           capture_output=True)
    nome = "%s (%s)" % (percorsi[0], tipo)
    if guasto is not None and guasto:
        attesa = "Riga %d del file dei rilievi" % guasto["riga"]
        errore = esito.stderr.decode("utf-8", "replace")
        if esito.returncode != 1 or not errore.startswith(attesa) or errore.count("\n") != 1 or os.path.exists(uscita):
            print("DIFF %s: atteso un errore della riga %d, uscita %d: %s" % (nome, guasto["riga"], esito.returncode,
                                                                              errore))
            return 1
        return 0
    riepilogo, testo = attesi(percorsi, tipo, sep, righe, criteri)
    if esito.returncode != 0:
        print("DIFF %s: uscita %d: %s" % (nome, esito.returncode, esito.stderr.decode("utf-8", "replace")))
        return 1
    with open(uscita, "rb") as f:
        ottenuto = f.read()
    os.remove(uscita)
    differenze = 0
    if ottenuto != riepilogo:
        print("DIFF %s riepilogo: %s" % (nome, prima_differenza(riepilogo, ottenuto)))
        differenze += 1
    if esito.stdout.decode("utf-8") != testo:
        print("DIFF %s riassunto:\n  atteso   %r\n  ottenuto %r" % (nome, testo, esito.stdout.decode("utf-8")))
        differenze += 1
    if verboso and not differenze:
        print("ok %s %d righe" % (nome, len(righe)))
    return differenze


def main():
    args = piu_run.argomenti(__doc__, "casi", 60)
    if args is None:
        return 77
    rng = random.Random(args.seed)
    differenze = 0
    with tempfile.TemporaryDirectory() as cartella:
        for i in range(args.casi):
            sotto = os.path.join(cartella, "caso%d" % i)
            os.mkdir(sotto)
            differenze += un_caso(args.cli, rng, sotto, i, args.v)
    print("rilievi: %d casi, %d differenze" % (args.casi, differenze))
    return 1 if differenze else 0


if __name__ == "__main__":
    sys.exit(main())
