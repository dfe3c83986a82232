#!/usr/bin/env python3
"""Writes reference.json: 100 results over all ten test types, every third with a
full-length generated pulse. Deterministic, so the file only changes with this script."""
import json
import random
import sys

rng = random.Random(20260307)

MAKES = [
    ("Philips", ["HeartStart MRx", "HeartStart XL+", "HeartStart FR3"]),
    ("Zoll", ["R Series ALS", "X Series", "AED Plus"]),
    ("Physio-Control", ["LIFEPAK 15", "LIFEPAK 20", "LIFEPAK CR2"]),
    ("Cardiac Science", ["Powerheart G5", "Powerheart G3"]),
    ("Schiller", ["DEFIGARD Touch 7", "FRED easy"]),
    ("Mindray", ["BeneHeart D6", "BeneHeart C2"]),
]
PACER_MODELS = [0x00, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80]
RHYTHMS = [0x10, 0x11, 0x20, 0x23, 0x30, 0x42, 0x46, 0x50]
COMMENTS = ["", "Paddles cleaned", "Battery replaced, retested", "Pads expire 2027-01",
            "Output within limits", "Label worn, \"re-label\" requested"]


def asset(index, test_type):
    make, models = MAKES[index % len(MAKES)]
    result = {
        "testType": test_type,
        "assetId": "BME-%05d" % (1000 + index * 7),
        "assetMake": make,
        "assetModel": models[index % len(models)],
        "assetSerial": "%s%07d" % (make[:2].upper(), rng.randrange(10**7)),
        "date": {"year": 2026, "month": 1 + index % 12, "day": 1 + index % 28,
                 "hour": 8 + index % 9, "minute": rng.randrange(60), "second": rng.randrange(60)},
        "status": "fail" if index % 17 == 5 else "pass",
    }
    comment = COMMENTS[index % len(COMMENTS)]
    if comment:
        result["comment"] = comment
    return result


def calibration(result, pacer):
    result.update({"tag12": 2 if pacer else 1, "sampleOffset": 32768,
                   "voltsPerCount": 0.001 if pacer else 0.1, "nominalLoad": 50, "loadOhms": 50})


def simulator(waveform=None):
    return {"waveform": waveform if waveform is not None else rng.choice(RHYTHMS),
            "rate": rng.choice([300, 600, 720, 900]), "peakMicrovolts": rng.choice([500, 1000, 2000])}


def defib_pulse(full):
    shape = rng.choice(["biphasic", "monophasic"])
    joules = rng.choice([50, 100, 150, 200, 270]) if shape == "biphasic" else rng.choice([100, 200, 360])
    return {"shape": shape, "joules": joules, "count": 31250 if full else 2500}


def pacer_pulse(full):
    return {"shape": "pacer", "widthMs": rng.choice([20, 40]) if full else 2,
            "milliamps": rng.choice([20, 40, 70, 100]), "count": 31250 if full else 1000}


TYPES = ["defib-pulse", "defib-charge", "defib-synch", "aed-pulse", "pacer-pulse",
         "refractory-period", "sensitivity", "pacer-immunity", "waveform-simulation",
         "general-comments"]


def result(index):
    test_type = TYPES[index % len(TYPES)]
    full = index % 3 == 0
    r = asset(index, test_type)
    if test_type in ("defib-pulse", "defib-charge", "defib-synch", "aed-pulse"):
        calibration(r, False)
        r["pulse"] = defib_pulse(full)
        if test_type == "defib-charge":
            r["chargeTime"] = round(rng.uniform(3.5, 9.5), 2)
        if test_type == "defib-synch":
            r["simulator"] = simulator(0x10)
            r["synchTime"] = round(rng.uniform(0.02, 0.06), 3)
        if test_type == "aed-pulse":
            r["simulator"] = simulator(0x46)
    elif test_type == "pacer-pulse":
        calibration(r, True)
        r["simulator"] = simulator(0x50)
        r["pacerModel"] = rng.choice(PACER_MODELS)
        r["pulseRate"] = rng.choice([60, 70, 80, 100])
        r["pulse"] = pacer_pulse(full)
    elif test_type == "refractory-period":
        r["simulator"] = simulator(0x61)
        r["pacerModel"] = rng.choice(PACER_MODELS)
        r["pulseRate"] = 70
        r["pulsedRefractoryPeriod"] = round(rng.uniform(0.25, 0.4), 3)
        r["sensedRefractoryPeriod"] = round(rng.uniform(0.2, 0.35), 3)
        r["pulseWidth"] = 0.02
    elif test_type == "sensitivity":
        r["simulator"] = simulator(0x10)
        r["pacerModel"] = rng.choice(PACER_MODELS)
        r["ecgInverted"] = index % 2 == 0
        r["pulseRate"] = 70
        r["sensitivity"] = round(rng.uniform(0.0005, 0.005), 4)
    elif test_type == "pacer-immunity":
        r["simulator"] = simulator(0x01)
        r["pacerModel"] = rng.choice(PACER_MODELS)
        r["pulseRate"] = 70
    elif test_type == "waveform-simulation":
        r["simulator"] = simulator()
    else:
        r.pop("comment", None)
        r["observation"] = "Visual inspection %d: housing intact, cables OK" % index
    return r


def main():
    results = [result(i) for i in range(100)]
    # Pulse-less types on a "full" index would leave fewer than a third with full pulses:
    # give those slots to extra pulse tests instead.
    full = sum(1 for r in results if r.get("pulse", {}).get("count") == 31250)
    i = 0
    while full < 34 and i < 100:
        r = results[i]
        if "pulse" in r and r["pulse"]["count"] != 31250:
            r["pulse"]["count"] = 31250
            if r["pulse"]["shape"] == "pacer":
                r["pulse"]["widthMs"] = 20
            full += 1
        i += 1
    # Every fifth full pulse goes out as first differences, which span several 4096-byte chunks.
    full_pulses = [r for r in results if r.get("pulse", {}).get("count") == 31250]
    for r in full_pulses[::5]:
        r["pulse"]["mode"] = 1
    scenario = {
        "tester": {"serial": "DX2-200001", "serviceDate": {"year": 2025, "month": 9, "day": 1},
                   "firmwareRevision": 412, "firmwareDate": {"year": 2025, "month": 6, "day": 30}},
        "results": results,
    }
    out = sys.argv[1] if len(sys.argv) > 1 else "reference.json"
    with open(out, "w", encoding="utf-8") as f:
        json.dump(scenario, f, indent=1)
        f.write("\n")


if __name__ == "__main__":
    main()
