#!/usr/bin/env python3
"""Runs marvento-cli and riferimento.py over the same files and reports every difference.

  confronta.py CLI [--seed N] [--casi N] [--file F ...] [--cartella DIR ...] [--salva DIR] [-v]

Each file goes through `marvento-cli mes|rsz FILE --detail D --summary S --decimal-separator SEP`
for both separators (a .rsz with real lengths also with --real-lengths); the exit status, the last
line of standard error (the error box text), the plain messages and both exported files are
compared. Exit status 0 when everything agrees, 1 otherwise, 77 when the CLI is missing.
"""

import argparse
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import riferimento  # noqa: E402
import genera_casi  # noqa: E402


def mostra(b, limite=400):
    if b is None:
        return "(nessun file)"
    t = repr(b)
    return t if len(t) <= limite else t[:limite] + "..."


def prima_differenza(a, b):
    """The first differing line of two exports, to keep the report short."""
    la, lb = a.split(b"\r\n"), b.split(b"\r\n")
    for i in range(max(len(la), len(lb))):
        x = la[i] if i < len(la) else None
        y = lb[i] if i < len(lb) else None
        if x != y:
            return "riga %d: atteso %s, ottenuto %s" % (i, mostra(x), mostra(y))
    return "(uguali)"


def confronta_uno(cli, cartella, percorso, tipo, dati, sep, reali):
    """Returns a list of difference texts (empty when the two agree)."""
    lung = None
    if reali is not None:
        lung = ";".join(x.replace(",", sep) if sep == "." else x for x in reali)
    ok, det, rie, messaggi, errore = riferimento.esegui(tipo, dati, sep, lung)
    out_d = os.path.join(cartella, "dettaglio.txt")
    out_s = os.path.join(cartella, "riepilogo.txt")
    for f in (out_d, out_s):
        if os.path.exists(f):
            os.remove(f)
    cmd = [cli, tipo, percorso, "--detail", out_d, "--summary", out_s, "--decimal-separator", sep]
    if lung is not None:
        cmd += ["--real-lengths", lung]
    pr = subprocess.run(cmd, capture_output=True, timeout=60)
    stderr = pr.stderr.decode("utf-8", errors="replace").splitlines()
    diff = []
    atteso_rc = 0 if ok else 1
    if pr.returncode != atteso_rc:
        diff.append("stato %d, atteso %d (stderr: %s)" % (pr.returncode, atteso_rc, stderr[-1:] or ""))
        return diff
    if ok:
        if stderr != messaggi:
            diff.append("messaggi: atteso %r, ottenuto %r" % (messaggi, stderr))
        for nome, atteso, f in (("dettaglio", det, out_d), ("riepilogo", rie, out_s)):
            ottenuto = open(f, "rb").read() if os.path.exists(f) else None
            if ottenuto != atteso:
                diff.append("%s diverso: %s" % (nome, prima_differenza(atteso, ottenuto) if ottenuto is not None else "file mancante"))
    else:
        ultima = stderr[-1] if stderr else ""
        if errore is not None and ultima != errore:
            diff.append("errore: atteso %r, ottenuto %r" % (errore, ultima))
        if stderr[:-1] != messaggi:
            diff.append("messaggi prima dell'errore: atteso %r, ottenuto %r" % (messaggi, stderr[:-1]))
        for f in (out_d, out_s):
            if os.path.exists(f):
                diff.append("scritto %s nonostante l'errore" % os.path.basename(f))
    return diff


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("cli")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--casi", type=int, default=200)
    ap.add_argument("--file", nargs="*", default=[])
    ap.add_argument("--cartella", nargs="*", default=[])
    ap.add_argument("--fissi", action="store_true", help="also the hand-made files of genera_casi")
    ap.add_argument("--salva", help="keep the generated files that differ in this folder")
    ap.add_argument("-v", action="store_true")
    a = ap.parse_args()
    if not os.path.exists(a.cli):
        print("marvento-cli non trovato: %s" % a.cli)
        return 77

    with tempfile.TemporaryDirectory() as tmp:
        casi = []  # (label, path, kind, bytes, real lengths)
        for f in a.file:
            casi.append((f, f, f.rsplit(".", 1)[-1], open(f, "rb").read(), None))
        for d in a.cartella:
            if not os.path.isdir(d):
                print("cartella assente, saltata: %s" % d)
                continue
            for nome in sorted(os.listdir(d)):
                if nome.endswith((".mes", ".rsz")):
                    f = os.path.join(d, nome)
                    casi.append((f, f, nome[-3:], open(f, "rb").read(), None))
        if a.fissi:
            for nome, tipo, dati, reali in genera_casi.casi_fissi():
                f = os.path.join(tmp, nome)
                with open(f, "wb") as h:
                    h.write(dati)
                casi.append((nome, f, tipo, dati, reali))
        casi.extend(genera_casi.scrivi_generati(tmp, a.seed, a.casi))

        confronti = differenze = 0
        stati = {"ok": 0, "errore": 0}
        for etichetta, percorso, tipo, dati, reali in casi:
            varianti = [None] if reali is None else [None, reali]
            if tipo == "rsz" and reali is None and etichetta == percorso:
                # a file read from disk: also run the correction, with every third row left empty
                esito = riferimento.esegui(tipo, dati, ",", None)
                if esito[0]:
                    righe = esito[2].count(b"\r\n") - 1
                    varianti.append(["" if i % 3 == 1 else "%d,5" % (100 + 7 * i) for i in range(righe)])
            for sep in (",", "."):
                for r in varianti:
                    confronti += 1
                    d = confronta_uno(a.cli, tmp, percorso, tipo, dati, sep, r)
                    esito = riferimento.esegui(tipo, dati, sep, None)[0]
                    stati["ok" if esito else "errore"] += 1
                    if d:
                        differenze += 1
                        print("DIFF %s sep=%r lunghezze=%r" % (etichetta, sep, r))
                        for riga in d:
                            print("   " + riga)
                        if a.salva and etichetta != percorso:
                            os.makedirs(a.salva, exist_ok=True)
                            with open(os.path.join(a.salva, etichetta), "wb") as h:
                                h.write(dati)
                    elif a.v:
                        print("ok   %s sep=%r" % (etichetta, sep))
        print("%d confronti (%d importazioni riuscite, %d in errore nel riferimento), %d differenze"
              % (confronti, stati["ok"], stati["errore"], differenze))
        return 1 if differenze else 0


if __name__ == "__main__":
    sys.exit(main())
