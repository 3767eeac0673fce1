#!/usr/bin/env python3
"""Runs a command several times and prints the medians of its wall time, CPU time (user + system)
and peak memory (maximum resident set), all read for the command's own process: the clock around
its fork and reaping, and the kernel's accounting of the child (wait4), with no other program in
between (time(1) and date(1) would add milliseconds of their own to every run).

    misura.py LABEL MB RUNS COMMAND...
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time


def main():
    nome, mb, volte, comando = sys.argv[1], float(sys.argv[2]), int(sys.argv[3]), sys.argv[4:]
    pareti, cpu, picchi = [], [], []
    for _ in range(volte):
        # Standard error to a file, not a pipe: a pipe left unread would stop a talkative command.
        with tempfile.TemporaryFile() as uscitaErrori:
            inizio = time.perf_counter()
            processo = subprocess.Popen(comando, stdout=subprocess.DEVNULL, stderr=uscitaErrori)
            _, stato, uso = os.wait4(processo.pid, 0)
            fine = time.perf_counter()
            uscitaErrori.seek(0)
            errori = uscitaErrori.read().decode(errors="replace")
        processo.returncode = os.waitstatus_to_exitcode(stato)
        if processo.returncode != 0:
            print(f"{nome}: fallito ({processo.returncode})")
            sys.stderr.write(errori)
            return 1
        pareti.append(fine - inizio)
        cpu.append(uso.ru_utime + uso.ru_stime)
        picchi.append(uso.ru_maxrss / 1024)  # kilobytes on Linux
    parete = statistics.median(pareti)
    print(f"{nome:<34} {mb:5g} MB  wall {parete:6.3f} s  cpu {statistics.median(cpu):6.2f} s  "
          f"picco {statistics.median(picchi):5.0f} MB  {parete * 1000 / mb:6.2f} ms/MB")
    return 0


if __name__ == "__main__":
    sys.exit(main())
