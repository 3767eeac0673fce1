#!/usr/bin/env python3
"""A second, plain implementation of Marvento's file import, correction and export.

It is written apart from the C++ sources, on purpose: confronta.py runs marvento-cli and this
module over the same files and compares the exported bytes, the exit status and the error text.
Standard library only. Numbers follow the program's rules: decimals read as doubles, running
sums as doubles, quotients formed with a 64-bit significand (x87 extended) and written with
18 significant digits, then three decimals rounded half away from zero.
"""

from decimal import Decimal, ROUND_HALF_EVEN, ROUND_HALF_UP, localcontext
from fractions import Fraction


class Errore(Exception):
    """A failure of the import. messaggio None means the text is the program's own choice
    (only the fact of failing is checked)."""

    def __init__(self, messaggio):
        super().__init__(messaggio)
        self.messaggio = messaggio


def testo_box(messaggio):
    """The error box's text: a period is added when the last character sorts after '.'."""
    if messaggio and messaggio[-1] > ".":
        return messaggio + "."
    return messaggio


def fuori_lista(i):
    return Errore("List index out of bounds (%d)" % i)


# --- text -------------------------------------------------------------------------------------

NON_MAPPATO = "No mapping for the Unicode character exists in the target multi-byte code page"


def da_1252(dati):
    out = []
    for b in dati:
        try:
            out.append(bytes([b]).decode("cp1252"))
        except UnicodeDecodeError:
            out.append(chr(b))  # the five undefined bytes keep their own code point
    return "".join(out)


def a_1252(testo):
    out = bytearray()
    for c in testo:
        try:
            out += c.encode("cp1252")
        except UnicodeEncodeError:
            if ord(c) in (0x81, 0x8D, 0x8F, 0x90, 0x9D):
                out.append(ord(c))
            else:
                out += b"?"
    return bytes(out)


def carica_righe(dati):
    """File bytes to the list of lines."""
    if dati[:3] == b"\xef\xbb\xbf":
        try:
            testo = dati[3:].decode("utf-8")
        except UnicodeDecodeError:
            raise Errore(NON_MAPPATO)
    elif dati[:2] in (b"\xff\xfe", b"\xfe\xff"):
        corpo = dati[2:]
        if len(corpo) == 1:
            raise Errore(NON_MAPPATO)
        corpo = corpo[: len(corpo) // 2 * 2]
        cod = "utf-16-le" if dati[:2] == b"\xff\xfe" else "utf-16-be"
        testo = corpo.decode(cod, errors="surrogatepass")
    else:
        testo = da_1252(dati)
    zero = testo.find("\0")
    if zero >= 0:
        testo = testo[:zero]
    righe = []
    i, n = 0, len(testo)
    while i < n:
        j = i
        while j < n and testo[j] not in "\r\n":
            j += 1
        righe.append(testo[i:j])
        if j < n and testo[j] == "\r":
            j += 1
        if j < n and testo[j] == "\n":
            j += 1
        i = j
    return righe


def dividi_campi(riga, delim):
    if riga == "":
        return []
    campi = []
    i, n = 0, len(riga)
    while True:
        if i < n and riga[i] == '"':
            i += 1
            buf = []
            while i < n:
                if riga[i] == '"':
                    if i + 1 < n and riga[i + 1] == '"':
                        buf.append('"')
                        i += 2
                        continue
                    i += 1
                    break
                buf.append(riga[i])
                i += 1
            campi.append("".join(buf))
            if i >= n:
                return campi
            if riga[i] == delim:
                i += 1
                if i == n:
                    campi.append("")
                    return campi
            continue
        j = riga.find(delim, i)
        if j < 0:
            campi.append(riga[i:])
            return campi
        campi.append(riga[i:j])
        i = j + 1
        if i == n:
            campi.append("")
            return campi


def maiuscola(c):
    u = c.upper()
    return u if len(u) == 1 else c


def sostituisci_testo(testo, frase):
    """Remove every occurrence of frase, letter case ignored."""
    if not testo or not frase:
        return testo
    t = "".join(maiuscola(c) for c in testo)
    f = "".join(maiuscola(c) for c in frase)
    out, i = [], 0
    while True:
        j = t.find(f, i)
        if j < 0:
            out.append(testo[i:])
            return "".join(out)
        out.append(testo[i:j])
        i = j + len(f)


# --- numbers ----------------------------------------------------------------------------------

MIN32, MAX32 = -(2 ** 31), 2 ** 31 - 1
CIFRE_HEX = "0123456789abcdefABCDEF"


def leggi_intero(testo):
    err = Errore("'%s' is not a valid integer value" % testo)
    i, n = 0, len(testo)
    while i < n and testo[i] == " ":
        i += 1
    segno = 1
    if i < n and testo[i] in "+-":
        segno = -1 if testo[i] == "-" else 1
        i += 1
    resto = testo[i:]
    hexa = None
    for pref in ("$", "0x", "0X", "x", "X"):
        if resto.startswith(pref) and len(resto) > len(pref) and all(c in CIFRE_HEX for c in resto[len(pref):]):
            hexa = resto[len(pref):]
            break
    if hexa is not None:
        if len(hexa) > 8:
            raise err
        v = int(hexa, 16)
        if v >= 2 ** 31:
            v -= 2 ** 32
        v *= segno
        if not MIN32 <= v <= MAX32:
            raise err
        return v
    if not resto or not all("0" <= c <= "9" for c in resto):
        raise err
    v = segno * int(resto)
    if not MIN32 <= v <= MAX32:
        raise err
    return v


def leggi_decimale(testo, sep):
    """The text to a double (Python float); None-free: raises Errore."""
    err = Errore("'%s' is not a valid floating point value" % testo)
    i, n = 0, len(testo)
    while i < n and testo[i] == " ":
        i += 1
    neg = False
    if i < n and testo[i] in "+-":
        neg = testo[i] == "-"
        i += 1
    a = i
    while i < n and "0" <= testo[i] <= "9":
        i += 1
    intera = testo[a:i]
    frazione = ""
    ha_sep = False
    if i < n and testo[i] == sep:
        ha_sep = True
        i += 1
        b = i
        while i < n and "0" <= testo[i] <= "9":
            i += 1
        frazione = testo[b:i]
    if not intera and not ha_sep:
        raise err
    esp = 0
    if i < n and testo[i] in "eE":
        i += 1
        es = 1
        if i < n and testo[i] in "+-":
            es = -1 if testo[i] == "-" else 1
            i += 1
        c = i
        while i < n and "0" <= testo[i] <= "9":
            i += 1
        if i > c:
            esp = es * int(testo[c:i])
    while i < n and testo[i] == " ":
        i += 1
    if i != n:
        raise err
    cifre = (intera + frazione) or "0"
    v = float(Fraction(int(cifre)) * Fraction(10) ** (esp - len(frazione)))
    return -v if neg else v


def esteso(x):
    """Round an exact value to the nearest number with a 64-bit significand (ties to even)."""
    x = Fraction(x)
    if x == 0:
        return x
    neg = x < 0
    m = -x if neg else x
    e = m.numerator.bit_length() - m.denominator.bit_length()
    if Fraction(2) ** e > m:
        e -= 1
    # m in [2^e, 2^(e+1)): keep 64 significant bits
    scala = Fraction(2) ** (63 - e)
    s = m * scala
    q, r = divmod(s.numerator, s.denominator)
    if 2 * r > s.denominator or (2 * r == s.denominator and q % 2 == 1):
        q += 1
    v = Fraction(q) / scala
    return -v if neg else v


def formatta_decimale(valore, sep):
    """Pattern "0.000": 18 significant digits, then three decimals half away from zero."""
    v = Fraction(valore)
    mag = abs(v)
    with localcontext() as ctx:
        ctx.prec = 400
        d = Decimal(mag.numerator) / Decimal(mag.denominator)
        if d != 0:
            ctx.prec = 18
            d = +d.normalize().quantize(Decimal(1).scaleb(d.adjusted() - 17), rounding=ROUND_HALF_EVEN)
        ctx.prec = 400
        d = d.quantize(Decimal("0.001"), rounding=ROUND_HALF_UP)
    testo = "{:f}".format(d)
    intera, frazione = testo.split(".")
    segno = "-" if v < 0 and d != 0 else ""
    return segno + intera + sep + frazione


def formatta_intero(v):
    return str(v)


def somma_intera(tot, v):
    tot += v
    if not MIN32 <= tot <= MAX32:
        raise Errore("Integer overflow")
    return tot


# --- grids ------------------------------------------------------------------------------------

class Griglia:
    def __init__(self, intestazioni=None, righe=0):
        self.intestazioni = list(intestazioni or [])
        self.celle = [[""] * len(self.intestazioni) for _ in range(righe)]

    def cella(self, c, r):
        if 0 <= c < len(self.intestazioni) and 0 <= r < len(self.celle):
            return self.celle[r][c]
        return ""

    def scrivi(self, c, r, testo):
        if not 0 <= c < len(self.intestazioni):
            raise Errore("Column index, %d, out of bounds" % c)
        self.celle[r][c] = testo

    def aggiungi_riga(self):
        self.celle.append([""] * len(self.intestazioni))
        return len(self.celle) - 1

    def togli_colonna(self, c):
        if not 0 <= c < len(self.intestazioni):
            raise Errore("Column index, %d, out of bounds" % c)
        del self.intestazioni[c]
        for riga in self.celle:
            del riga[c]


def esporta(g):
    """The tab-delimited export bytes."""
    if not g.intestazioni:
        raise Errore("Column index, 0, out of bounds")
    righe = ["\t".join(g.intestazioni)] + ["\t".join(r) for r in g.celle]
    return b"".join(a_1252(r) + b"\r\n" for r in righe)


def col_prima(intestazioni, nome):
    return intestazioni.index(nome) if nome in intestazioni else -1


def ultima_non_vuota(righe):
    n = len(righe)
    while n > 0 and righe[n - 1].strip(" ") == "":  # blanks are spaces; a tab is data
        n -= 1
    return n


# --- section speeds (.mes) --------------------------------------------------------------------

MES_IT = {"misura": "Misura ", "testata": "Misura;", "frase": " Sezione(i) di rilievo", "nomi": {}}
MES_EN = {"misura": "Measurement ", "testata": "Measur.;", "frase": " Data Collection Point(s)",
          "nomi": {"Measur.": "Misura", "from": "da", "to": "a", "Number Veh": "Veicoli", "Speed": "Vel"}}


def importa_mes(righe, sep):
    """Returns (detail, summary) grids; raises Errore."""
    it = any(r.startswith("Misura;") for r in righe)
    en = any(r.startswith("Measur.;") for r in righe)
    kw = MES_EN if en and not it else MES_IT
    n = len(righe)
    p = q = 0
    s = None
    p_testata = 0
    nomi = []
    for r, riga in enumerate(righe):
        if riga.startswith(kw["misura"]):
            p += 1
        if riga.startswith(kw["testata"]):
            nomi = dividi_campi(riga, ";")
            q = len(nomi)
            p_testata = p
            s = r + 3
    if s is None:
        raise Errore(None)  # no header line: the program's own message
    n_dati = ultima_non_vuota(righe)
    if p == 0 and s < n_dati:
        raise Errore(None)
    intest = []
    for _ in range(p_testata):
        for j in range(q):
            h = kw["nomi"].get(nomi[j], nomi[j])
            h = {"da": "da [s]", "a": "a [s]", "Vel": "Vel [km/h]"}.get(h, h)
            intest.append(h)
    det = Griglia(intest, 0)
    r = s
    while r < n_dati:
        R = det.aggiungi_riga()
        for d in range(p):
            # trailing blank lines begin no group, but a group cut short reads them as they are
            if r + d >= n:
                raise fuori_lista(r + d)
            campi = dividi_campi(righe[r + d].replace(".", sep), ";")
            for j in range(q):
                if j >= len(campi):
                    raise fuori_lista(j)
                det.scrivi(d * q + j, R, campi[j])
        r += p
    if p > 1:
        for b in range(p - 1, 0, -1):
            det.togli_colonna(b * q + 2)
            det.togli_colonna(b * q + 1)
    rie = Griglia(["Misura", "Veicoli", "Vel [km/h]", "Inervallo sim. [s]", "Sezione"], p)
    V = col_prima(det.intestazioni, "Veicoli")
    S = col_prima(det.intestazioni, "Vel [km/h]")
    I = 0.0
    T = len(det.celle)
    for b in range(p):
        o = (q - 2) * b
        tot = 0
        somma = 0.0
        for j in range(T):
            if V >= 0:
                tot = somma_intera(tot, leggi_intero(det.cella(o + V, j)))
                if S >= 0:
                    v = leggi_decimale(det.cella(o + S, j), sep)
                    w = leggi_decimale(det.cella(o + V, j), sep)
                    somma += v * w
            if b == 0:
                if j == 0:
                    I = leggi_decimale(det.cella(1, 0), sep)
                if j == T - 1:
                    I = leggi_decimale(det.cella(2, T - 1), sep) - I
        rie.scrivi(0, b, formatta_intero(b + 1))
        if V >= 0:
            rie.scrivi(1, b, formatta_intero(tot))
            if S >= 0:
                rie.scrivi(2, b, "0" if tot == 0 else formatta_decimale(esteso(Fraction(somma) / tot), sep))
        rie.scrivi(3, b, formatta_decimale(I, sep))
    k = 0
    for riga in righe:
        if riga.startswith(kw["misura"]):
            campi = dividi_campi(riga, ":")
            if len(campi) < 2:
                raise fuori_lista(1)
            rie.scrivi(4, k, sostituisci_testo(campi[1], kw["frase"]))
            k += 1
    return det, rie


# --- link travel times (.rsz) -----------------------------------------------------------------

RSZ_IT = {"sezione": "Num.", "distanza": "Distanza", "frase": " Distanza  ", "nomi": {}, "ft": False}
RSZ_EN = {"sezione": "No.", "distanza": "Distance", "frase": " Distance  ",
          "nomi": {"Trav": "TdP", "Veh": "Veic.", "#Veh": "Veic."}, "ft": True}


def e_testata_en(riga):
    return riga.lstrip(" ").startswith("Time;")


def importa_rsz(righe, sep):
    it = any(r.startswith("Intervallo;") for r in righe)
    en = any(e_testata_en(r) for r in righe)
    inglese = en and not it
    kw = RSZ_EN if inglese else RSZ_IT
    if inglese:
        h = next(i for i, r in enumerate(righe) if e_testata_en(r))
    elif it:
        h = next(i for i, r in enumerate(righe) if r.startswith("Intervallo;"))
    else:
        raise Errore(None)  # no header line: the program's own message
    rie = Griglia(["Sezione", "Lunghezza [m]", "TempoMedio [s]", "Veicoli", "Lung.Arco Reale",
                   "Tempo Corretto"], 0)
    p = 0
    for riga in righe:
        if not riga.startswith(kw["sezione"]):
            continue
        p += 1
        su = "".join(maiuscola(c) for c in riga)
        chiave = kw["distanza"].upper()
        pos = su.rfind(chiave)
        if pos >= 0:
            lung = riga[pos + len(chiave):]
        else:
            campi = dividi_campi(riga, ",")
            if len(campi) < 2:
                raise fuori_lista(1)
            lung = sostituisci_testo(campi[1], kw["frase"])
        lung = lung.replace(" ", "").replace("m", "")
        if kw["ft"] and lung.endswith("ft"):
            lung = lung[:-2]
        lung = lung.replace(".", sep)
        R = rie.aggiungi_riga()
        rie.scrivi(0, R, formatta_intero(p))
        rie.scrivi(1, R, lung)
    nomi = dividi_campi(righe[h].replace(" ", "").replace("#", ""), ";")
    n = len(nomi)
    if p == 0:
        raise Errore("Division by zero")
    s = (n - 2) // p if n >= 2 else -((2 - n) // p)
    intest = ["Intervallo [s]"]
    for k in range(p):
        intest.append("Sezione")
        for i in range(1, s + 1):
            nome = nomi[n - 2 - s + i]
            nome = kw["nomi"].get(nome, nome)
            intest.append({"TdP": "TdP [s]", "Veic.": "Veicoli"}.get(nome, nome))
    det = Griglia(intest, 0)
    for r in range(max(p + 12, h + 4), len(righe)):
        riga = righe[r].replace(" ", "")
        if riga == "":
            continue
        riga = riga.replace(".", sep)
        if riga.endswith(";"):
            riga = riga[:-1]
        campi = dividi_campi(riga, ";")
        R = det.aggiungi_riga()
        if not campi:
            raise fuori_lista(0)
        det.scrivi(0, R, campi[0])
        f = 1
        for k in range(p):
            det.scrivi((s + 1) * k + 1, R, formatta_intero(k + 1))
            for c in range((s + 1) * k + 2, (s + 1) * k + s + 2):
                if f >= len(campi):
                    raise fuori_lista(f)
                det.scrivi(c, R, campi[f])
                f += 1
    T = col_prima(det.intestazioni, "TdP [s]")
    V = col_prima(det.intestazioni, "Veicoli")
    for k in range(p):
        o = (s + 1) * k
        tot = 0
        somma = 0.0
        for j in range(len(det.celle)):
            if V >= 0:
                tot = somma_intera(tot, leggi_intero(det.cella(o + V, j)))
                if T >= 0:
                    t = leggi_decimale(det.cella(o + T, j), sep)
                    v = leggi_decimale(det.cella(o + V, j), sep)
                    somma += t * v
        if V >= 0:
            if T >= 0:
                rie.scrivi(2, k, "0" if tot == 0 else formatta_decimale(esteso(Fraction(somma) / tot), sep))
            rie.scrivi(3, k, formatta_intero(tot))
    return det, rie


def correggi_tempi(rie, sep, messaggi):
    """Column 5 from columns 1, 2 and 4; the plain messages shown are appended to messaggi."""
    for r in range(len(rie.celle)):
        if rie.cella(4, r) == "":
            messaggi.append("Manca la lunghezza della sezione " + formatta_intero(r + 1))
            continue
        L = leggi_decimale(rie.cella(1, r), sep)
        T = leggi_decimale(rie.cella(2, r), sep)
        R = leggi_decimale(rie.cella(4, r), sep)
        if L <= 0:
            rie.scrivi(5, r, "0")
        else:
            rie.scrivi(5, r, formatta_decimale(esteso(esteso(Fraction(R) * Fraction(T)) / Fraction(L)), sep))


def esegui(tipo, dati, sep, lunghezze=None):
    """What marvento-cli should give: (ok, detail bytes, summary bytes, messages, error text).
    The error text is None when the program chooses its own wording."""
    messaggi = []
    try:
        righe = carica_righe(dati)
        if tipo == "mes":
            det, rie = importa_mes(righe, sep)
        else:
            det, rie = importa_rsz(righe, sep)
            if lunghezze is not None:
                for i, testo in enumerate(lunghezze.split(";")):
                    if i < len(rie.celle):
                        rie.celle[i][4] = testo
                correggi_tempi(rie, sep, messaggi)
        return True, esporta(det), esporta(rie), messaggi, None
    except Errore as e:
        return False, None, None, messaggi, testo_box(e.messaggio) if e.messaggio is not None else None


if __name__ == "__main__":
    # The worked figures that the program's documentation gives, as a check of this module itself.
    assert formatta_decimale(esteso(Fraction(11 * 40.07 + 1 * 50.0) / 12), ",") == "40,897"
    assert formatta_decimale(esteso(esteso(Fraction(550) * Fraction(45.3)) / 500), ",") == "49,830"
    assert [formatta_decimale(x, ",") for x in (0.5, 1234.5678, 3600, 47.8125, 2.0625, -2.0625, -0.0004)] == \
        ["0,500", "1234,568", "3600,000", "47,813", "2,063", "-2,063", "0,000"]
    mes = ("Misura 1: Sezione(i) di rilievo 1\nMisura 2: Sezione(i) di rilievo 2\nMisura;da;a;Veicoli;Vel;\n\n\n"
           "1;0;300;10;50.0;\n2;0;300;20;40.0;\n1;300;600;30;45.5;\n2;300;600;0;0.0;").encode()
    ok, det, rie, _, _ = esegui("mes", mes, ",")
    assert det.split(b"\r\n")[1] == b"1\t0\t300\t10\t50,0\t\t2\t20\t40,0\t", det
    assert rie.split(b"\r\n")[1:3] == [b"1\t40\t46,625\t600,000\t 1", b"2\t20\t40,000\t600,000\t 2"], rie
    assert carica_righe(b"a\r\nb\n\rc\r\r\nd\r\n") == ["a", "b", "", "c", "", "d"]
    assert dividi_campi('"a;b"c;d', ";") == ["a;b", "c", "d"] and dividi_campi(";", ";") == ["", ""]
    print("riferimento: ok")
