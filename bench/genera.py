#!/usr/bin/env python3
"""Generates large, realistic simulator evaluation files for the benchmarks.

  genera.py mes OUT --misure P (--intervalli N | --mb M) [--seme S] [--lf]
  genera.py rsz OUT --sezioni P (--intervalli N | --mb M) [--seme S] [--rete R] [--lf]
  genera.py att OUT --sezioni P --run R (--intervalli N | --mb M) [--seme S] [--lf]

The .mes holds P measurements over N intervals of 60 s, eleven values per data line each
followed by ";", laid out as the simulator writes it (preamble, measurement lines, legend,
header line and two sub-header lines, then one line per measurement and interval). The .rsz
holds P travel-time sections over N intervals (preamble, section lines, header line and three
sub-header lines, then one line per interval with time and vehicles per section). With --mb the
number of intervals is chosen so that the file comes out at about M megabytes (10^6 bytes).
The .att is a result list of
vehicle travel times: the comment block with one description line per column, the header line,
then one row per run, interval of 900 s and section (vehicles and travel time of all vehicles and
of two classes, the distance), an interval of a section without vehicles with its means empty, and
the simulator's AVG, STDDEV, MIN and MAX rows after the runs. Lines end with CR LF unless --lf is given. The same arguments always give the same bytes.
"""

import argparse
import random
import sys

PASSO = 60  # seconds per interval


def eol(args):
    return "\n" if args.lf else "\r\n"


def preambolo_mes(p, fine):
    righe = [
        "",
        "Rilievo dati (dati aggregati)",
        "",
        "File:     c:\\progetti\\rete-grande\\rete_grande.inp",
        "Commento: Rete di prova per i tempi di calcolo",
        "Data:     martedi' 14 maggio 2024 08:15:42",
        "",
    ]
    righe += ["Misura %5d: Sezione(i) di rilievo %d" % (m, m) for m in range(1, p + 1)]
    righe += [
        "",
        "Misura: Numero della misura",
        "da: Inizio dell'intervallo di aggregazione",
        "a: Fine dell'intervallo di aggregazione",
        "Veicoli: Numero di veicoli",
        "Vel: Velocita' [km/h]",
        "Acc: Accelerazione [m/s2]",
        "Lungh: Lunghezza dei veicoli [m]",
        "Pers: Numero di persone",
        "Occ: Tasso di occupazione [%]",
        "TOcc: Tempo di occupazione [s]",
        "Coda: Veicoli in coda",
        "",
        "Misura;da;a;Veicoli;Vel;Acc;Lungh;Pers;Occ;TOcc;Coda;",
        "      ;  ; ;       ;Media;Media;Media;Somma;Media;Somma;Massimo;",
        "      ;  ; ;tutti i tipi;tutti i tipi;tutti i tipi;tutti i tipi;tutti i tipi;tutti i tipi;"
        "tutti i tipi;tutti i tipi;",
    ]
    return righe


def scrivi_mes(args):
    p = args.misure
    a_capo = eol(args)
    rnd = random.Random(args.seme)
    # A pool of ready-made value tails (fields 3 to 10), so that 2 million lines cost seconds.
    code = []
    for _ in range(4096):
        veicoli = rnd.choice((0, rnd.randint(1, 9), rnd.randint(10, 60), rnd.randint(10, 60)))
        if veicoli == 0:
            code.append("0;0.0;0.00;0.00;0;0.0;0.0;0;")
            continue
        vel = rnd.uniform(8.0, 120.0)
        acc = rnd.uniform(-0.6, 0.6)
        lungh = rnd.uniform(4.2, 6.4)
        pers = veicoli + rnd.randint(0, veicoli // 3)
        occ = rnd.uniform(0.2, 30.0)
        tocc = occ * PASSO / 100.0
        coda = rnd.choice((0, 0, 0, rnd.randint(1, 9)))
        code.append("%d;%.1f;%.2f;%.2f;%d;%.1f;%.1f;%d;" % (veicoli, vel, acc, lungh, pers, occ, tocc, coda))

    intervalli = args.intervalli
    testa = a_capo.join(preambolo_mes(p, 0)) + a_capo
    if intervalli is None:
        # Measure a sample interval and size N from it.
        # Add intervals until the expected size is reached: the times grow wider as they go.
        media = sum(len(c) for c in code) / len(code)
        fisso = sum(len(str(m)) for m in range(1, p + 1)) + p * (3 + media + len(a_capo))
        totale = len(testa)
        intervalli = 0
        while True:
            riga = fisso + p * (len(str(intervalli * PASSO)) + len(str((intervalli + 1) * PASSO)))
            if totale + riga / 2 > args.mb * 1e6:
                break
            totale += riga
            intervalli += 1
        intervalli = max(1, intervalli)

    with open(args.uscita, "w", newline="", encoding="ascii") as f:
        f.write(testa)
        scelta = rnd.randrange
        n = len(code)
        for i in range(intervalli):
            da = i * PASSO
            a = da + PASSO
            blocco = [
                "%d;%d;%d;%s%s" % (m, da, a, code[scelta(n)], a_capo) for m in range(1, p + 1)
            ]
            f.write("".join(blocco))
    return intervalli


def scrivi_rsz(args):
    p = args.sezioni
    a_capo = eol(args)
    # The runs of one scenario share their network: --rete seeds the section lines alone.
    rnd = random.Random(args.seme if args.rete is None else args.rete)
    nomi = ["Arco %d" % k for k in range(1, p + 1)]
    righe = [
        "",
        "Tabella dei tempi di percorrenza",
        "",
        "File:     c:\\progetti\\rete-grande\\rete_grande.inp",
        "Commento: Rete di prova per i tempi di calcolo",
        "Data:     12 marzo 2021 08:15:42",
        "",
    ]
    for k in range(1, p + 1):
        da = rnd.randint(1, 9999)
        ad = rnd.randint(1, 9999)
        righe.append("Num. %5d (%-20s): da arco %5d a %6.1f m ad arco %5d a %6.1f m, Distanza %6.1f m"
                     % (k, nomi[k - 1], da, rnd.uniform(0, 50), ad, rnd.uniform(0, 80), rnd.uniform(40, 2500)))
    righe.append("")
    righe.append("Intervallo;" + "  TdP;#Veic.;" * p)
    righe.append("  ClasseV;" + "  Tutti;;" * p)
    righe.append("  Num.:;" + "".join(" %d; %d;" % (k, k) for k in range(1, p + 1)))
    righe.append(" Nome;" + "".join("%s;%s;" % (nome, nome) for nome in nomi))
    testa = a_capo.join(righe) + a_capo

    if args.rete is not None:
        rnd.seed(args.seme)
    # Per section, a pool of "time;vehicles;" pairs.
    coppie = []
    for _ in range(8192):
        veicoli = rnd.choice((0, rnd.randint(1, 9), rnd.randint(10, 99), rnd.randint(10, 99)))
        tempo = 0.0 if veicoli == 0 else rnd.uniform(3.0, 400.0)
        coppie.append("%5.1f;%4d;" % (tempo, veicoli))

    intervalli = args.intervalli
    if intervalli is None:
        riga = len("%6d;" % 600) + p * sum(len(c) for c in coppie) / len(coppie) + len(a_capo)
        intervalli = max(1, int((args.mb * 1e6 - len(testa)) / riga))

    with open(args.uscita, "w", newline="", encoding="ascii") as f:
        f.write(testa)
        n = len(coppie)
        scelta = rnd.randrange
        for i in range(intervalli):
            f.write("%6d;%s%s" % ((i + 1) * PASSO, "".join([coppie[scelta(n)] for _ in range(p)]), a_capo))
    return intervalli


def scrivi_att(args):
    p, runs = args.sezioni, args.run
    a_capo = eol(args)
    rnd = random.Random(args.seme)
    colonne = ["SIMRUN", "TIMEINT", "VEHICLETRAVELTIMEMEASUREMENT", "VEHICLETRAVELTIMEMEASUREMENT\\NAME", "VEHS(ALL)",
               "VEHS(10)", "VEHS(20)", "TRAVTM(ALL)", "TRAVTM(10)", "TRAVTM(20)", "DISTTRAV(ALL)"]
    unita = {"TRAVTM(ALL)": " [s]", "TRAVTM(10)": " [s]", "TRAVTM(20)": " [s]", "DISTTRAV(ALL)": " [m]"}
    righe = ["$VISION", "* File:\t\tC:\\progetti\\rete-grande\\rete_grande.inpx",
             "* Comment:\tRete di prova per i tempi di calcolo", "* Date:\t\t12/03/2021 08:15:42",
             "* PTV Vissim:\t11.00 [14]", "*", "* Table: Vehicle Travel Time Results", "*"]
    righe += ["* %s: %s, %s%s" % (c, c.title(), c.title(), unita.get(c, "")) for c in colonne]
    righe += ["*", "* " + "; ".join(c.title() for c in colonne), "*",
              "$VEHICLETRAVELTIMEMEASUREMENTEVALUATION:" + ";".join(colonne)]
    testa = a_capo.join(righe) + a_capo
    lunghezze = [rnd.uniform(40, 2500) for _ in range(p)]
    # Per section a pool of its cells after the name: vehicles, times, distance.
    celle = []
    for k in range(p):
        pool = []
        for _ in range(64):
            v10, v20 = rnd.choice((0, rnd.randint(1, 60))), rnd.choice((0, rnd.randint(0, 9)))
            v = v10 + v20
            t = lambda n: "" if n == 0 else "%.2f" % (lunghezze[k] / rnd.uniform(5, 20))  # noqa: E731
            pool.append("%d;%d;%d;%s;%s;%s;%s" % (v, v10, v20, t(v), t(v10), t(v20),
                                                  "" if v == 0 else "%.2f" % lunghezze[k]))
        celle.append(pool)
    nomi = ["Arco %d via Mestre" % (k + 1) for k in range(p)]
    intervalli = args.intervalli
    if intervalli is None:
        riga = sum(len(c) for c in celle[0]) / len(celle[0]) + len("10;8100-9000;1000;Arco 100 via Mestre;") + len(a_capo)
        intervalli = max(1, int((args.mb * 1e6 - len(testa)) / (riga * p * (runs + 4))))
    with open(args.uscita, "w", newline="", encoding="ascii") as f:
        f.write(testa)
        for run in [str(r) for r in range(1, runs + 1)] + ["AVG", "STDDEV", "MIN", "MAX"]:
            for i in range(intervalli):
                tempo = "%d-%d" % (i * 900, (i + 1) * 900)
                f.write("".join("%s;%s;%d;%s;%s%s" % (run, tempo, k + 1, nomi[k], celle[k][rnd.randrange(64)], a_capo)
                                for k in range(p)))
    return intervalli


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("tipo", choices=("mes", "rsz", "att"))
    parser.add_argument("uscita")
    parser.add_argument("--misure", type=int, default=500, help=".mes: measurements (P)")
    parser.add_argument("--sezioni", type=int, default=1000, help=".rsz: sections (P)")
    dimensione = parser.add_mutually_exclusive_group(required=True)
    dimensione.add_argument("--intervalli", type=int, help="intervals (N)")
    dimensione.add_argument("--mb", type=float, help="about this many megabytes")
    parser.add_argument("--seme", type=int, default=1, help="random seed")
    parser.add_argument("--rete", type=int, help=".rsz: seed of the network alone (the runs of a scenario)")
    parser.add_argument("--run", type=int, default=10, help=".att: simulation runs in the list")
    parser.add_argument("--lf", action="store_true", help="LF line ends instead of CR LF")
    args = parser.parse_args()
    scrivi = {"mes": scrivi_mes, "rsz": scrivi_rsz, "att": scrivi_att}[args.tipo]
    intervalli = scrivi(args)
    p = args.misure if args.tipo == "mes" else args.sezioni
    print("%s: P = %d, N = %d" % (args.uscita, p, intervalli), file=sys.stderr)


if __name__ == "__main__":
    main()
