#!/usr/bin/env python3
"""Writes coefficient_table.txt: the single-precision coefficients the box must receive
for a set of stored bands, computed here from the section formulas alone (plain Python
double arithmetic, each result rounded once to single precision), independently of the
program's own design code.

A stored band's gain and Q are the single-precision values of their codes:
gain = float32(code / 10 - 15), Q = float32(code / 1000), computed in double first.
The design runs in double precision at 48000 Hz with output gain 0 dB; the five values
are sent as -a1, -a2, b0, b1, b2 (normalised to a0 = 1), each rounded to single precision.
Rows marked "d" are the bands an equaliser reset sends, whose Q is taken as given in double
precision rather than read back from a stored code.

Run: python3 make_coefficient_table.py > coefficient_table.txt
"""
import math
import struct

FS = 48000.0
TWO_PI = 6.283185307179586


def f32(x):
    return struct.unpack('<f', struct.pack('<f', x))[0]


def bits(x):
    return struct.unpack('<I', struct.pack('<f', x))[0]


def design(code, g, f, q):
    w0 = TWO_PI * f / FS
    c, s = math.cos(w0), math.sin(w0)
    alpha = s / (2.0 * q)
    A = 10.0 ** (g / 40.0)
    G = 10.0 ** (g / 20.0)
    E = 1.0  # output gain 0 dB
    if code == 1:
        a0, a1, a2 = 1 + alpha / A, -2 * c, 1 - alpha / A
        b0, b1, b2 = E * (1 + alpha * A), -2 * c * E, E * (1 - alpha * A)
    elif code in (4, 5):
        S = math.sqrt(A) * s / q
        if code == 4:
            a0 = (A + 1) + (A - 1) * c + S
            a1 = -2 * ((A - 1) + (A + 1) * c)
            a2 = (A + 1) + (A - 1) * c - S
            b0 = A * ((A + 1) - (A - 1) * c + S)
            b1 = 2 * A * ((A - 1) - (A + 1) * c)
            b2 = A * ((A + 1) - (A - 1) * c - S)
        else:
            a0 = (A + 1) - (A - 1) * c + S
            a1 = 2 * ((A - 1) - (A + 1) * c)
            a2 = (A + 1) - (A - 1) * c - S
            b0 = A * ((A + 1) + (A - 1) * c + S)
            b1 = -2 * A * ((A - 1) + (A + 1) * c)
            b2 = A * ((A + 1) + (A - 1) * c - S)
    elif code in (2, 3) or 8 <= code <= 9 or 12 <= code <= 21:
        if code in (8, 9):
            alpha = s * math.sqrt(3) / 2
        elif code in (12, 13):
            alpha = s * math.sqrt(2) / 2
        elif code >= 14:
            theta = {14: math.pi / 6, 16: math.pi / 2, 18: math.pi / 8, 20: 3 * math.pi / 8}[code & ~1]
            alpha = s * math.sin(theta)
        a0, a1, a2 = 1 + alpha, -2 * c, 1 - alpha
        if code % 2 == 0:
            b0, b1, b2 = G * (1 - c) / 2, G * (1 - c), G * (1 - c) / 2
        else:
            b0, b1, b2 = G * (1 + c) / 2, -G * (1 + c), G * (1 + c) / 2
    else:
        raise ValueError('code %d not in this table' % code)
    return [-(a1 / a0), -(a2 / a0), b0 / a0, b1 / a0, b2 / a0]


# (section code, gain code, frequency, Q code): bands set by hand in a mode file and the
# crossover slots as the delay modes and the crossover choice leave them.
BANDS = [
    # Gain 0.7 dB and Q 1.234 have no exact binary form; near 12 kHz the shelves' coefficients
    # cancel down, so a gain or Q off in its last place shows in many units of the last place.
    (5, 157, 12154, 1234),  # high shelf
    (4, 157, 11846, 1234),  # low shelf
    (1, 157, 1000, 1234),   # peaking
    (1, 156, 10000, 500),   # peaking, 0.6 dB
    (5, 12, 9000, 500),     # high shelf, -13.8 dB
    (4, 12, 15000, 500),    # low shelf, -13.8 dB
    (1, 129, 2000, 4321),   # peaking, -2.1 dB
    (2, 163, 5000, 707),   # low-pass, +1.3 dB (the gain factor applies)
    (5, 155, 250, 1250),   # high shelf, 0.5 dB, Q 1.25: a band as a panel sends it
    (3, 150, 500, 707),    # crossover slots at index 0, 3 and 25
    (2, 150, 1000, 707),
    (3, 150, 800, 707),
    (2, 150, 1300, 707),
    (3, 150, 3000, 707),
    (2, 150, 3500, 707),
    (1, 150, 500, 707),    # crossover slots made flat by the whole-channel delay
    (1, 150, 1000, 707),
]

# The start-up bands of every equaliser (crossover slots excluded), as the resend designs them.
F15 = [25, 40, 63, 100, 160, 250, 400, 630, 1000, 1600, 2500, 4000, 6300, 10000, 16000]
F7 = [31, 62, 125, 250, 500, 1000, 2000]
F10 = [31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000]
F24 = [25, 36, 50, 75, 100, 150, 200, 260, 360, 485, 630, 860, 1088, 1396, 1680, 2160, 2800, 3586,
       5096, 6868, 8288, 11010, 14566, 20000]
SUB = [20, 20, 20, 20, 31, 31, 31, 31, 40, 40, 40, 40, 62, 62, 62, 62]
for f in sorted(set(F15 + F7 + F10 + F24 + SUB + [100])):
    BANDS.append((1, 150, f, 1414))
for f in (31, 40):
    BANDS.append((1, 150, f, 707))  # SUB slots 7..9
BANDS += [(18, 150, 100, 1414), (20, 150, 100, 707), (1, 150, 100, 707)]

# An equaliser reset designs its flat bands from Q 1.41 and the SUB crossover stages from
# Q 1.414 as given (double precision), not from a stored code: marked "d".
RESET = [(1, 150, f, 1410) for f in sorted(set(F15 + F7 + F10 + F24 + SUB))]
RESET += [(18, 150, 100, 1414), (20, 150, 100, 1414), (1, 150, 100, 1414)]

if __name__ == '__main__':
    print('# code gain_code freq_hz q_code q_form : -a1 -a2 b0 b1 b2 as single-precision bit patterns')
    print('# q_form f: gain and Q are the single-precision values of their codes; d: Q is code / 1000 in double')
    print('# written by make_coefficient_table.py; do not edit by hand')
    for form, rows in (('f', BANDS), ('d', RESET)):
        seen = set()
        for code, gcode, freq, qcode in rows:
            if (code, gcode, freq, qcode) in seen:
                continue
            seen.add((code, gcode, freq, qcode))
            g = f32(gcode / 10.0 - 15.0)
            q = f32(qcode / 1000.0) if form == 'f' else qcode / 1000.0
            words = [bits(v) for v in design(code, g, float(freq), q)]
            print('%d %d %d %d %s : %s' % (code, gcode, freq, qcode, form, ' '.join('%08X' % w for w in words)))
