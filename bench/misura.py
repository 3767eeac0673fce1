#!/usr/bin/env python3
"""Runs commands several times and prints, for each, the medians of its wall time, CPU time
(user + system) and peak memory (maximum resident set), all read for the command's own process:
the clock around its fork and reaping, and the kernel's accounting of the child (wait4), with no
other program in between (time(1) and date(1) would add milliseconds of their own to every run).

    misura.py RUNS LABEL MB COMMAND... [-- LABEL MB COMMAND...]...

Several commands are run in turn, one run of each per round, so that a machine that speeds up or
slows down during the measurement (a shared host does) moves all of their figures alike: what is
compared between them, such as the cost per megabyte of the sizes of one file, stays fair.

The peak is the kernel's, which keeps for a process the largest resident set of every program it
has been, the copy of this script it starts as included: a command that stays below the script's
own 10 to 14 MB reports the script's figure.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time


def esegui(comando):
    """One run: (wall seconds, CPU seconds, peak MB), or the exit status and stderr of a failure."""
    # Standard error to a file, not a pipe: a pipe left unread would stop a talkative command.
    with tempfile.TemporaryFile() as uscitaErrori:
        inizio = time.perf_counter()
        processo = subprocess.Popen(comando, stdout=subprocess.DEVNULL, stderr=uscitaErrori)
        _, stato, uso = os.wait4(processo.pid, 0)
        fine = time.perf_counter()
        uscitaErrori.seek(0)
        errori = uscitaErrori.read().decode(errors="replace")
    uscita = os.waitstatus_to_exitcode(stato)
    if uscita != 0:
        return None, (uscita, errori)
    return (fine - inizio, uso.ru_utime + uso.ru_stime, uso.ru_maxrss / 1024), None  # KB on Linux


def main():
    volte = int(sys.argv[1])
    casi = []
    argomenti = sys.argv[2:]
    while argomenti:
        fine = argomenti.index("--") if "--" in argomenti else len(argomenti)
        gruppo, argomenti = argomenti[:fine], argomenti[fine + 1:]
        casi.append((gruppo[0], float(gruppo[1]), gruppo[2:], []))
    for _ in range(volte):
        for nome, _, comando, misure in casi:
            misura, errore = esegui(comando)
            if errore:
                print(f"{nome}: fallito ({errore[0]})")
                sys.stderr.write(errore[1])
                return 1
            misure.append(misura)
    for nome, mb, _, misure in casi:
        parete = statistics.median(m[0] for m in misure)
        print(f"{nome:<34} {mb:5g} MB  wall {parete:6.3f} s  cpu {statistics.median(m[1] for m in misure):6.2f} s  "
              f"picco {statistics.median(m[2] for m in misure):5.0f} MB  {parete * 1000 / mb:6.2f} ms/MB")
    return 0


if __name__ == "__main__":
    sys.exit(main())
