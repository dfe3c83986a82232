#!/usr/bin/env python3
"""Writes archive-2024.json, archive-2025.json and archive-2026.json: three downloads of one
tester a year apart, as a department keeps them. The tester was not cleared before 2025, so
that download sends two results of 2024 again (this time with graph points); the 2026 download
holds a result with the identity of one of 2025 and another charge time (a conflict); DEF-100's
charge time rises from 8.0 s to 16.4 s, over the 15 s limit (the tester passed it; its
status is the tester's own); PAC-300 fails in 2026. Deterministic.

    make_archive.py                      write the three scenarios
    make_archive.py SIM DOWNLOAD FOLDER  also download each into FOLDER (2024-03.csv,
                                         2025-03.csv, 2026/2026-03.csv; graph points from 2025)
"""
import json
import os
import re
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))

ASSETS = {"DEF-100": ("Zoll", "R Series", "ZR1000417"),
          "DEF-200": ("Philips", "HeartStart MRx", "PH5507018"),
          "PAC-300": ("Schiller", "DEFIGARD Touch 7", "SC7326405")}
SHOCK = {"tag12": 1, "sampleOffset": 32768, "voltsPerCount": 0.2, "nominalLoad": 50,
         "loadOhms": 50}


def result(test_type, asset, when, status="pass", **fields):
    make, model, serial = ASSETS[asset]
    year, month, day, hour, minute = when
    r = {"testType": test_type, "assetId": asset, "assetMake": make, "assetModel": model,
         "assetSerial": serial, "status": status,
         "date": {"year": year, "month": month, "day": day, "hour": hour, "minute": minute,
                  "second": 0}}
    r.update(fields)
    return r


def charge(asset, when, seconds, joules=200, status="pass", comment=None):
    r = result("defib-charge", asset, when, status, chargeTime=seconds,
               pulse={"shape": "biphasic", "joules": joules, "count": 400}, **SHOCK)
    if comment:
        r["comment"] = comment
    return r


def synch(asset, when, seconds):
    return result("defib-synch", asset, when, synchTime=seconds,
                  simulator={"waveform": 16, "rate": 600, "peakMicrovolts": 2000},
                  pulse={"shape": "biphasic", "joules": 100, "count": 400}, **SHOCK)


def pacer(asset, when, milliamps, width):
    return result("pacer-pulse", asset, when, tag12=2, sampleOffset=32768, voltsPerCount=0.001,
                  nominalLoad=50, loadOhms=50, pacerModel=64, pulseRate=70,
                  simulator={"waveform": 80, "rate": 300, "peakMicrovolts": 500},
                  pulse={"shape": "pacer", "widthMs": width, "milliamps": milliamps,
                         "count": 6000})


SHOCK_2024 = result("defib-pulse", "DEF-200", (2024, 3, 12, 10, 0),
                    pulse={"shape": "biphasic", "joules": 150, "count": 400}, **SHOCK)
PACER_2024 = pacer("PAC-300", (2024, 3, 13, 11, 0), 70, 20)
CHARGE_2025 = charge("DEF-200", (2025, 3, 11, 10, 30), 9.5)

DOWNLOADS = {
    "2024": [SHOCK_2024, charge("DEF-100", (2024, 3, 12, 9, 0), 8.0),
             synch("DEF-100", (2024, 3, 12, 9, 5), 0.035), PACER_2024],
    "2025": [SHOCK_2024, PACER_2024, charge("DEF-100", (2025, 3, 11, 9, 0), 11.0),
             synch("DEF-100", (2025, 3, 11, 9, 5), 0.042), CHARGE_2025],
    "2026": [charge("DEF-100", (2026, 3, 10, 9, 0), 16.4, comment="Charge slow"),
             synch("DEF-100", (2026, 3, 10, 9, 5), 0.048),
             dict(CHARGE_2025, chargeTime=9.8),
             dict(pacer("PAC-300", (2026, 3, 12, 11, 0), 52, 20), status="fail",
                  comment="Output low, sent for service")],
}


def scenario(year):
    return {"tester": {"serial": "DX2-1", "serviceDate": {"year": int(year) - 1, "month": 11,
                                                          "day": 20},
                       "firmwareRevision": 412,
                       "firmwareDate": {"year": 2023, "month": 6, "day": 30}},
            "results": DOWNLOADS[year]}


def download(sim, program, path, out, graph_points):
    log = out + ".sim.log"
    proc = subprocess.Popen([sim, "--once", "--scenario", path], stdout=open(log, "w"),
                            stderr=subprocess.STDOUT)
    for _ in range(200):
        found = re.search(r"^PTY (\S+)$", open(log).read(), re.M)
        if found:
            break
        time.sleep(0.05)
    args = [program, "--port", found.group(1), "--output", out]
    subprocess.run(args + (["--graph-points"] if graph_points else []), check=True)
    proc.wait(10)
    os.remove(log)


def main():
    for year in DOWNLOADS:
        path = os.path.join(HERE, "archive-%s.json" % year)
        with open(path, "w") as f:
            json.dump(scenario(year), f, indent=1)
            f.write("\n")
        if len(sys.argv) == 4:
            sim, program, folder = sys.argv[1:]
            name = {"2026": "2026/2026-03.csv"}.get(year, year + "-03.csv")
            out = os.path.join(folder, name)
            os.makedirs(os.path.dirname(out), exist_ok=True)
            download(sim, program, path, out, year != "2024")


if __name__ == "__main__":
    main()
