#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes exemple-export.txt: four weeks of 10-minute readings from a temperature logger, as the
logger's tab-separated export gives them (a header line, then "MM/DD/YYYY hh:mm<TAB>value",
lines ended by CR LF). The temperatures follow a daily cycle (coolest before dawn, warmest in
mid-afternoon) on top of a slow change of weather, with a little sensor noise. A fixed seed makes
the file the same at every run: python3 make_sample.py"""

import datetime
import math
import pathlib
import random

START = datetime.datetime(2008, 3, 1, 0, 0)
DAYS = 28
STEP = datetime.timedelta(minutes=10)


def main() -> None:
    rng = random.Random(20080301)
    # One mean and one amplitude a day, wandering like the weather does.
    means, amplitudes = [], []
    mean = 5.0
    for day in range(DAYS + 1):
        mean += rng.gauss(0.15, 1.6)  # spring slowly warms
        means.append(mean)
        amplitudes.append(max(3.0, rng.gauss(9.0, 2.5)))  # clear days swing more

    lines = ["Date Heure\tTemperature (C)"]
    moment = START
    end = START + datetime.timedelta(days=DAYS)
    while moment < end:
        day = (moment - START).days
        hours = moment.hour + moment.minute / 60
        # Blend towards tomorrow's weather through the day, so days join smoothly.
        blend = hours / 24
        day_mean = means[day] * (1 - blend) + means[day + 1] * blend
        # Coolest near 05:00, warming until 15:00, then cooling through the night.
        since_dawn = (hours - 5) % 24
        if since_dawn < 10:
            cycle = -math.cos(math.pi * since_dawn / 10)
        else:
            cycle = math.cos(math.pi * (since_dawn - 10) / 14)
        value = day_mean + amplitudes[day] / 2 * cycle + rng.gauss(0, 0.15)
        lines.append(f"{moment:%m/%d/%Y %H:%M}\t{value:.1f}")
        moment += STEP

    path = pathlib.Path(__file__).parent / "exemple-export.txt"
    path.write_bytes(("\r\n".join(lines) + "\r\n").encode("ascii"))


if __name__ == "__main__":
    main()
