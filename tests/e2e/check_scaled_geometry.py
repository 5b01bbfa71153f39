#!/usr/bin/env python3
"""Compares one window's controls at a display density with the same window at 96 dpi, as qcdriver's "geometry"
command prints them: every rectangle scales by the density's ratio (within rounding; a control may only grow,
for its text), and no button, box or frame is narrower or lower than its text and glyph need (the size the
control itself reports, measured with its own font at the density).

usage: check_scaled_geometry.py DESIGN_FILE SCALED_FILE DPI [--measured-heights]
--measured-heights: the window sizes its texts by measuring them (the notice dialogs), so heights and the places
below them follow the fonts' line heights and are held to a looser bound. Prints each problem; exits 1 if any."""
import sys

def read(path):
    facts, controls = {}, []
    with open(path, encoding="latin-1") as file:
        for line in file:
            line = line.rstrip("\r\n")
            if "|" not in line:
                key, _, value = line.partition("=")
                facts[key] = value
                continue
            ident, cls, visible, rect, ideal_width, ideal_height, text = line.split("|", 6)
            x, y, w, h = (int(v) for v in rect.split(","))
            controls.append(dict(id=int(ident), cls=cls, visible=visible == "1", x=x, y=y, w=w, h=h,
                                 tw=int(ideal_width), th=int(ideal_height), text=text))
    return facts, controls


def scaled(value, dpi):
    return (abs(value) * dpi + 48) // 96 * (1 if value >= 0 else -1)


def main():
    design_path, scaled_path, dpi = sys.argv[1], sys.argv[2], int(sys.argv[3])
    measured = "--measured-heights" in sys.argv[4:]
    design_facts, design = read(design_path)
    facts, controls = read(scaled_path)
    problems = []

    def near(what, got, expected, slack):
        if abs(got - expected) > slack:
            problems.append(f"{what}: {got}, expected {expected} (+-{slack})")

    if facts.get("dpi") != str(dpi):
        problems.append(f"display density {facts.get('dpi')}, expected {dpi}")
    width, height = (int(v) for v in design_facts["client"].split("x"))
    got_width, got_height = (int(v) for v in facts["client"].split("x"))
    near("client width", got_width, scaled(width, dpi), 2)
    near("client height", got_height, scaled(height, dpi), 2 + (height * dpi // 96 // 12 if measured else 0))
    if [(c["id"], c["cls"]) for c in controls] != [(c["id"], c["cls"]) for c in design]:
        problems.append("the controls differ from those at 96 dpi")
        controls = []
    for before, after in zip(design, controls):
        name = f'{after["cls"]} {after["id"]} "{after["text"][:30]}"'
        near(f"{name} x", after["x"], scaled(before["x"], dpi), 2)
        # Wider only where its text needs the room.
        if after["w"] < scaled(before["w"], dpi) - 2 or (after["w"] > scaled(before["w"], dpi) + 2 and after["tw"] < scaled(before["w"], dpi)):
            problems.append(f'{name} width: {after["w"]}, expected {scaled(before["w"], dpi)} (+-2)')
        vertical_slack = 2 + (scaled(before["y"] + before["h"], dpi) // 12 if measured else 0)
        near(f"{name} y", after["y"], scaled(before["y"], dpi), vertical_slack)
        near(f"{name} height", after["h"], scaled(before["h"], dpi), vertical_slack)
        if after["cls"] != "Button" or not after["text"]:
            continue
        if after["tw"] < 0:
            problems.append(f"{name}: the control did not say what its text needs")
        elif after["tw"] > after["w"]:
            problems.append(f"{name}: text and glyph need {after['tw']} pixels across, the control is {after['w']}")
        elif after["th"] > after["h"]:
            problems.append(f"{name}: text needs {after['th']} pixels down, the control is {after['h']}")
    for problem in problems:
        print(f"    {scaled_path}: {problem}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
