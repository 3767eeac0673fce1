#!/usr/bin/env python3
"""Random but realistic .mes and .rsz files, Italian and English, some of them damaged.

genera(rng) gives one case: (name, kind "mes"|"rsz", file bytes, list of real-length texts or None).
The real lengths are written with "," and confronta.py turns them to the run's separator.
"""

import os
import random

ETICHETTE = ["1", "2", "12", "Via Roma", "Corso Italia nord", "Viale dell'Università", "Piazza Città",
             "Strada è già", "Ponte 5", "Α-ramo", "uscita €"]
NOMI_ARCO = ["Regent NB", "Via Emilia EB", "Tangenziale", "Città Alta", "Ponte Vecchio SB", "Ramo 3"]


def numero(rng, lo, hi, decimali=1):
    return "%.*f" % (decimali, rng.uniform(lo, hi))


def fine_righe(rng, righe, codifica, fine):
    testo = fine.join(righe)
    if rng.random() < 0.8:
        testo += fine
    if codifica == "utf8":
        return b"\xef\xbb\xbf" + testo.encode("utf-8")
    if codifica == "utf16":
        return b"\xff\xfe" + testo.encode("utf-16-le")
    return testo.encode("cp1252", errors="replace")


def scegli_codifica(rng):
    return rng.choices(["cp1252", "utf8", "utf16"], [8, 2, 1])[0]


def scegli_fine(rng):
    return rng.choices(["\r\n", "\n", "\r"], [5, 4, 1])[0]


def coda(rng):
    return rng.choices([[], [""], ["", ""], ["   "], ["", "  "]], [4, 3, 1, 1, 1])[0]


# --- .mes -------------------------------------------------------------------------------------

def genera_mes(rng, guasto):
    en = rng.random() < 0.4
    p = rng.choice([1, 1, 2, 3, 4, 6])
    T = rng.choice([0, 1, 2, 3, 5, 8, 13])
    codifica = scegli_codifica(rng)
    fin = rng.random() < 0.5  # trailing ";" on header and data lines
    if en:
        nomi = ["Measur.", "from", "to"]
        altri = ["Number Veh", "Speed"] + rng.sample(["Acceleration", "Occupancy", "Number Veh", "Length"], rng.randint(0, 2))
    else:
        nomi = ["Misura", "da", "a"]
        altri = ["Veicoli", "Vel"] + rng.sample(["Acc", "Occup.", "Veicoli", "Lungh"], rng.randint(0, 2))
    rng.shuffle(altri)
    if guasto == "senza_vel":
        altri = [x for x in altri if x not in ("Vel", "Speed")]
    if guasto == "senza_veicoli":
        altri = [x for x in altri if x not in ("Veicoli", "Number Veh")]
    nomi += altri
    righe = ["", "Data Collection (Compiled Data)" if en else "Rilievo dati (dati compilati)", "",
             "File:     c:\\progetti\\rete.inp", "Comment:  " if en else "Commento: ", "Date:     12 March 2021 10:02:11", ""]
    misura = "Measurement" if en else "Misura"
    frase = " Data Collection Point(s)" if en else " Sezione(i) di rilievo"
    for i in range(p):
        etichetta = rng.choice(ETICHETTE) if rng.random() < 0.4 else str(i + 1)
        fr = frase.upper() if rng.random() < 0.1 else frase
        riga = "%s %5d:%s %s" % (misura, i + 1, fr, etichetta)
        if guasto == "misura_senza_due_punti" and i == p - 1:
            riga = riga.replace(":", "")
        righe.append(riga)
    righe.append("")
    for nm in nomi:
        righe.append("%s: descrizione" % nm)
    righe.append("")
    if guasto != "senza_testata":
        righe.append(";".join(nomi) + (";" if fin else ""))
    righe.append("       ;    ;  ;" + ";" * (len(nomi) - 3))
    righe.append("       ;    ;  ;" + ";".join("tutti" for _ in nomi[3:]))
    passo = rng.choice([60, 300, 900])
    t0 = rng.choice([0, 0, 900, 3600])
    grande = rng.random() < 0.1
    dati = []
    for t in range(T):
        for m in range(p):
            campi = []
            for nm in nomi:
                if nm in ("Misura", "Measur."):
                    campi.append(str(m + 1))
                elif nm in ("da", "from"):
                    campi.append(str(t0 + t * passo))
                elif nm in ("a", "to"):
                    campi.append(str(t0 + (t + 1) * passo))
                elif nm in ("Veicoli", "Number Veh"):
                    if grande:
                        v = rng.randint(300000000, 900000000)
                    else:
                        v = rng.choice([0, rng.randint(0, 30), rng.randint(0, 400)])
                    campi.append((" " * rng.randint(0, 3)) + str(v))
                elif nm in ("Vel", "Speed"):
                    campi.append(rng.choice([numero(rng, 5, 130), numero(rng, 5, 130, 2), "40.07", "0.0", str(rng.randint(10, 90))]))
                else:
                    campi.append(numero(rng, -2, 50, rng.choice([1, 2, 3])))
            dati.append(";".join(campi) + (";" if fin else ""))
    if dati and guasto == "riga_corta":
        i = rng.randrange(len(dati))
        dati[i] = ";".join(dati[i].split(";")[:rng.randint(1, 3)])
    if dati and guasto == "numero_errato":
        i = rng.randrange(len(dati))
        campi = dati[i].split(";")
        j = rng.randrange(len(campi))
        campi[j] = rng.choice(["12.5", "abc", "12 ", "", "1,2", "$1A", "1e3", "-"])
        dati[i] = ";".join(campi)
    if dati and guasto == "gruppo_tronco":
        dati.pop()
    if dati and guasto == "riga_vuota_in_mezzo":
        dati.insert(rng.randrange(len(dati)), "")
    if guasto == "senza_misure":
        righe = [r for r in righe if not r.startswith(misura + " ")]
    if guasto == "misura_dopo_testata":
        righe.append("%s %5d:%s X" % (misura, p + 1, frase))
    if guasto == "due_testate":
        righe += ["", ";".join(nomi) + (";" if fin else ""), "x", "y"]
    righe += dati + coda(rng)
    return "mes", fine_righe(rng, righe, codifica, scegli_fine(rng)), None


# --- .rsz -------------------------------------------------------------------------------------

def riga_sezione(rng, en, num, lung, guasto):
    pos = rng.choice([rng.uniform(0, 200), rng.uniform(0, 200), rng.uniform(900, 4000)])
    nome = rng.choice(NOMI_ARCO)
    if en:
        testa = "No.%5d (%-20s): from link %5d at %6.1f m to link %5d at %6.1f m" % (
            num, nome, rng.randint(1, 20000), rng.uniform(0, 99), rng.randint(1, 20000), pos)
        chiave = "Distance"
    else:
        testa = "Num.%5d (%-20s): da arco %5d a %6.1f m ad arco %5d a %6.1f m" % (
            num, nome, rng.randint(1, 20000), rng.uniform(0, 99), rng.randint(1, 20000), pos)
        chiave = "Distanza"
    if rng.random() < 0.1:
        chiave = chiave.upper()
    unita = "ft" if en and rng.random() < 0.1 else "m"
    coda_lung = "%s %6.1f %s" % (chiave, lung, unita)
    if guasto == "sezione_senza_virgola":
        return testa + " " + "%6.1f m" % lung
    return testa + (", " if pos < 1000 else "") + coda_lung


def genera_rsz(rng, guasto):
    en = rng.random() < 0.4
    p = rng.choice([1, 1, 2, 3, 5, 8])
    T = rng.choice([0, 1, 2, 4, 7, 12])
    codifica = scegli_codifica(rng)
    versione = rng.random() < 0.5
    righe = ["", "Table of Travel Times" if en else "Tabella dei tempi di percorrenza", "",
             "File:     c:\\progetti\\rete.inp", "Comment:  " if en else "Commento: ", "Date:     12 March 2021 10:02:11"]
    if versione:
        righe.append("VISSIM:   5.40-08 [38878]")
    if guasto == "preambolo_corto":
        righe = righe[:4]
    righe.append("")
    lunghezze = []
    for k in range(p):
        lung = rng.choice([rng.uniform(20, 999), rng.uniform(20, 999), rng.uniform(1000, 4000)])
        lunghezze.append(lung)
        righe.append(riga_sezione(rng, en, 100 + k, lung, guasto if k == p - 1 else None))
    if guasto == "senza_sezioni":
        righe = [r for r in righe if not r.startswith("No." if en else "Num.")]
    righe.append("")
    nomi = ["Trav", "#Veh"] if en else ["TdP", "Veic."]
    if guasto == "senza_tdp":
        nomi = ["Ritardo", nomi[1]]
    if rng.random() < 0.15:
        nomi = nomi + ["Stops" if en else "Fermate"]
    testata = ("  Time;" if en else "Intervallo;") + "".join("  %s;" % nm for nm in nomi) * p
    if guasto != "senza_testata":
        righe.append(testata)
    if en:
        righe += ["  VehC;" + "  All;;" * p, "  No.:;" + "".join("  %d;" % (100 + k) for k in range(p)) * len(nomi),
                  " Name;" + ";".join(rng.choice(NOMI_ARCO) for _ in range(p * len(nomi))) + ";"]
    else:
        righe += ["  CatV;" + "  Tutti;;" * p, "  N.:;" + "".join("  %d;" % (100 + k) for k in range(p)) * len(nomi),
                  " Nome;" + ";".join(rng.choice(NOMI_ARCO) for _ in range(p * len(nomi))) + ";"]
    fin = rng.random() < 0.7
    passo = rng.choice([300, 600, 900])
    grande = rng.random() < 0.08
    dati = []
    for t in range(T):
        campi = ["%6d" % ((t + 1) * passo)]
        for k in range(p):
            for nm in nomi:
                if nm in ("#Veh", "Veic."):
                    v = rng.randint(400000000, 900000000) if grande else rng.choice([0, rng.randint(0, 40), rng.randint(0, 900)])
                    campi.append("%4d" % v)
                elif nm in ("Trav", "TdP"):
                    campi.append(rng.choice(["%6.1f" % rng.uniform(5, 700), "%6.2f" % rng.uniform(5, 700), "   0.0", "40.07"]))
                else:
                    campi.append("%4d" % rng.randint(0, 9))
        dati.append(";".join(campi) + (";" if fin else ""))
    if dati and guasto == "riga_corta":
        i = rng.randrange(len(dati))
        dati[i] = ";".join(dati[i].split(";")[:rng.randint(1, 2)]) + ";"
    if dati and guasto == "numero_errato":
        i = rng.randrange(len(dati))
        campi = dati[i].split(";")
        j = rng.randrange(1, len(campi) - (1 if fin else 0))
        campi[j] = rng.choice(["12.5", "abc", "", "1,2", "--"])
        dati[i] = ";".join(campi)
    if dati and guasto == "riga_vuota_in_mezzo":
        dati.insert(rng.randrange(len(dati)), rng.choice(["", "   "]))
    righe += dati + coda(rng)
    reali = None
    if rng.random() < 0.6:
        reali = []
        for k in range(p):
            reali.append(rng.choice(["", "%.1f" % (lunghezze[k] * rng.uniform(0.8, 1.2)), "%d" % rng.randint(50, 3000),
                                     "0", "-120", "%.2f" % rng.uniform(10, 2000)]).replace(".", ","))
        if guasto == "lunghezza_errata" and reali:
            reali[rng.randrange(p)] = rng.choice(["abc", "1.2.3", "12 m"])
    return "rsz", fine_righe(rng, righe, codifica, scegli_fine(rng)), reali


GUASTI_MES = ["misura_senza_due_punti", "senza_testata", "riga_corta", "numero_errato", "gruppo_tronco",
              "riga_vuota_in_mezzo", "senza_misure", "misura_dopo_testata", "due_testate", "senza_vel",
              "senza_veicoli"]
GUASTI_RSZ = ["sezione_senza_virgola", "senza_testata", "riga_corta", "numero_errato", "riga_vuota_in_mezzo",
              "senza_sezioni", "senza_tdp", "preambolo_corto", "lunghezza_errata"]


def genera(rng, indice):
    tipo = "mes" if indice % 2 == 0 else "rsz"
    guasti = GUASTI_MES if tipo == "mes" else GUASTI_RSZ
    guasto = rng.choice(guasti) if rng.random() < 0.35 else None
    if tipo == "mes":
        _, dati, reali = genera_mes(rng, guasto)
    else:
        _, dati, reali = genera_rsz(rng, guasto)
    nome = "caso%04d-%s.%s" % (indice, guasto or "ok", tipo)
    return nome, tipo, dati, reali


def scrivi_generati(cartella, seme, quanti):
    """The first quanti generated cases of seme, each written into cartella:
    (nome, percorso, tipo, dati, reali) for each."""
    rng = random.Random(seme)
    for i in range(quanti):
        nome, tipo, dati, reali = genera(rng, i)
        percorso = os.path.join(cartella, nome)
        with open(percorso, "wb") as f:
            f.write(dati)
        yield nome, percorso, tipo, dati, reali


if __name__ == "__main__":
    import sys
    rng = random.Random(int(sys.argv[1]) if len(sys.argv) > 1 else 1)
    for i in range(int(sys.argv[2]) if len(sys.argv) > 2 else 4):
        nome, tipo, dati, reali = genera(rng, i)
        sys.stdout.write("== %s %r\n" % (nome, reali))
        sys.stdout.write(dati.decode("cp1252", errors="replace"))


# --- hand-made files for the text and number rules ---------------------------------------------

MES_BASE = ["Misura     1: Sezione(i) di rilievo 1", "Misura     2: Sezione(i) di rilievo 2", "",
            "Misura;da;a;Veicoli;Vel;", "x", "y",
            "1;0;300;10;50.0;", "2;0;300;20;40.0;", "1;300;600;30;45.5;", "2;300;600;0;0.0;"]
RSZ_BASE = ["", "Tabella", "", "File: a", "Commento:", "Data: oggi", "",
            "Num.  1: da arco 1 a 2.0 m ad arco 3 a 4.0 m, Distanza  500.0 m",
            "Num.  2: da arco 1 a 2.0 m ad arco 3 a 4.0 m, Distanza 1066.6 m", "",
            "Intervallo;  TdP;Veic.;  TdP;Veic.;", "  CatV;;;;;", "  N.:;;;;;", " Nome;a;a;b;b;",
            "   600;  75.3;  45;  40.07;  11;", "  1200;  80.0;   1;  50.0;   1;"]


def con(righe, i, nuova):
    r = list(righe)
    r[i] = nuova
    return r


def casi_fissi():
    """(name, kind, bytes, real lengths or None)."""
    crlf = lambda righe: "\r\n".join(righe).encode("cp1252") + b"\r\n"  # noqa: E731
    M, R = MES_BASE, RSZ_BASE
    casi = [
        ("esempio-parte.mes", "mes", crlf(M), None),
        ("una-misura-fine-senza-a-capo.mes", "mes", "\n".join([M[0], ""] + M[3:6] + [M[6], M[8]]).encode(), None),
        ("utf8-etichetta.mes", "mes", b"\xef\xbb\xbf" + "\r\n".join(con(M, 0, "Misura     1: Sezione(i) di rilievo Città α€ ŝ")).encode("utf-8"), None),
        ("utf8-non-valido.mes", "mes", b"\xef\xbb\xbf" + crlf(M).replace(b"Misura     2", b"Misura \xc3\x28  2"), None),
        ("utf16le.mes", "mes", b"\xff\xfe" + "\r\n".join(M).encode("utf-16-le") + b"\x00", None),
        ("utf16be.rsz", "rsz", b"\xfe\xff" + "\r\n".join(R).encode("utf-16-be"), ["550"] * 2),
        ("bom-e-un-byte.mes", "mes", b"\xff\xfeA", None),
        ("nul.mes", "mes", crlf(M) + b"\x00" + b"1;600;900;5;10.0;\r\n", None),
        ("lf-cr.mes", "mes", b"\n\r".join(x.encode() for x in M[:3]) + b"\n" + "\r".join(M[3:]).encode(), None),
        ("etichetta-fissa-cp1252.mes", "mes", crlf(con(M, 1, "Misura     2: Sezione(i) di rilievo 2")).replace(b"rilievo 2", b"rilievo \x81\x8d\x90 \xe8"), None),
        ("misura-virgolette.mes", "mes", crlf(con(M, 0, 'Misura 1:"a:b"c: d')), None),
        ("dati-virgolette.mes", "mes", crlf(con(M, 6, '"1";"0";300;"1""0";50.0;')), None),
        ("vel-con-spazio.mes", "mes", crlf(con(M, 3, "Misura;da;a;Veicoli;Vel ;")), None),
        ("testata-in-fondo.mes", "mes", crlf(M[:2] + ["x", "y", "z", "w", "Misura;da;a;Veicoli;Vel;", "a", "b", "c"]), None),
        ("riga-tab-finale.mes", "mes", crlf(M + ["\t"]), None),
        ("riga-spazi-tab-finale.mes", "mes", crlf(M + [" \t ", ""]), None),
        ("inglese-e-italiano.mes", "mes", crlf(M[:3] + ["Measur.;from;to;Number Veh;Speed;"] + M[3:]), None),
        ("due-veicoli-inglese.mes", "mes", crlf(["Measurement     1: Data Collection Point(s) 1", "", "Measur.;from;to;Number Veh;Speed;Number Veh", "", "",
                                                   "1;0;60;3;50.5;7", "1;60;120;4;55.25;9", ""]), None),
        ("senza-misure-senza-dati.mes", "mes", crlf(M[3:6]), None),
        ("misure-dopo-testata-senza-dati.mes", "mes", crlf([M[0], M[3], M[1], "Misura 3: c"]), None),
        ("senza-vel-velocita-errata.mes", "mes", crlf(con(con(M, 3, "Misura;da;a;Veicoli;V;"), 6, "1;0;300;10;abc;")), None),
        ("rsz-base.rsz", "rsz", crlf(R), ["550", "1e3"]),
        ("rsz-lunghezza-M.rsz", "rsz", crlf(con(R, 7, "Num.  1: da arco 1 a 2.0 m ad arco 3 a 4.0 m, DISTANZA  500.0 M")), ["550", "600"]),
        ("rsz-distanza-attaccata.rsz", "rsz", crlf(con(R, 7, "Num.  1: da arco 1 a 2.0 m ad arco 3 a 4.0 mDistanza512.3m")), ["550", "600"]),
        ("rsz-lunghezza-zero.rsz", "rsz", crlf(con(con(R, 7, "Num.  1: x, Distanza    0.0 m"), 8, "Num.  2: x, Distanza   -5.0 m")), ["550", "600"]),
        ("rsz-senza-distanza.rsz", "rsz", crlf(con(R, 7, "Num.  1: da arco 1, 512.3 m, altro")), ["550", " 600 "]),
        ("rsz-riga-punto-e-virgola.rsz", "rsz", crlf(R + [" ; "]), None),
        ("rsz-testata-senza-fine.rsz", "rsz", crlf(con(R, 10, "Intervallo;TdP;Veic.;TdP;Veic.")), None),
        ("rsz-tre-sezioni-due-blocchi.rsz", "rsz", crlf(R[:9] + ["Num.  3: x, Distanza  100.0 m"] + R[9:]), None),
        ("rsz-seconda-testata.rsz", "rsz", crlf(R + ["Intervallo;TdP;Veic.;TdP;Veic.;"]), None),
        ("rsz-cancelletto.rsz", "rsz", crlf(con(R, 10, "Intervallo;  #TdP;#Veic.;  T d P;Ve#ic.;")), ["550", "600"]),
        ("rsz-ultima-senza-pv.rsz", "rsz", crlf(R[:-1] + ["  1200;  80.0;   1;  50.0;   12"]), None),
        ("rsz-en-ft.rsz", "rsz", crlf(["", "Table of Travel Times", "", "File: a", "Comment:", "Date: x", "VISSIM:   5.40-08 [1]", "",
                                       "No.    1 (a): from link 1 at 1.0 m to link 2 at 3717.8 mDistance 3696.7 ft",
                                       "No.    2 (b): from link 1 at 1.0 m to link 2 at 37.8 m, Distance  369.7 ft", "",
                                       "  Time;  Trav;#Veh;  Trav;#Veh;", "  VehC;;;;;", "  No.:;;;;;", " Name;;;;;",
                                       "   600;  75.3;  45;  40.07;  11;"]), ["1000", "200,5"]),
        ("rsz-en-e-it.rsz", "rsz", crlf(R[:10] + ["  Time;  Trav;#Veh;  Trav;#Veh;"] + R[10:]), None),
    ]
    numeri_int = [" 25", "+25", "$1A", "0x10", "x10", "2147483647", "-5", "25 ", "2147483648", "1e2", "0"]
    numeri_dec = ["5.", ".5", "1e3", "1E+2", "1e", "+3.5", " 45.3 ", "-0.0", ".", "-.", "1.2.3", "1e+", "e5", "4 5"]
    for i, v in enumerate(numeri_int):
        casi.append(("veicoli-%02d.mes" % i, "mes", crlf(con(M, 7, "2;0;300;%s;40.0;" % v)), None))
        casi.append(("veicoli-%02d.rsz" % i, "rsz", crlf(con(R, 15, "  1200;  80.0;%s;  50.0;   1;" % v.replace(" ", ""))), None))
    for i, v in enumerate(numeri_dec):
        casi.append(("velocita-%02d.mes" % i, "mes", crlf(con(M, 7, "2;0;300;20;%s;" % v)), None))
        casi.append(("intervallo-%02d.mes" % i, "mes", crlf(con(M, 6, "1;%s;300;10;50.0;" % v)), None))
        casi.append(("tdp-%02d.rsz" % i, "rsz", crlf(con(R, 15, "  1200;  %s;   1;  50.0;   1;" % v)), ["550", v.replace(".", ",")]))
    return casi
