#!/usr/bin/env python3
"""Writes the demo layout file demo/tvxdef.ini.

The layout is described below as plain data and written byte for byte in the panel's own file
format: CR LF line ends, ISO-8859-1 text, fixed-width number fields, all eleven pages. Before
writing, the layout is checked against the pictures in the demo folder: every button lies on the
800 x 480 page, clear of the menu picture and the status line, lamp and bus numbers are distinct,
and page flips lead to pages that have buttons.

The panel's own writer has the format in one table, which this script cannot share: the unit
test LayoutFormat.TheDemoLayoutIsWhatAStoreWrites loads the file written here and fails unless
storing it gives the same bytes.

Usage: scripts/make-demo-layout.py [demo folder]   (default: demo/ beside scripts/)
Run scripts/make-demo-pictures.py first: the checks read the picture sizes.
"""

import os
import struct
import sys

LAST_PAGE = 10  # pages 0..10 are always written
SLOTS = 102  # button slots per page
NO_FLIP = 999
STATUS_LINE_HEIGHT = 16  # the red link status line at the top of the page

# --- the layout --------------------------------------------------------------------------------


def colour(hexcode):
    """'#rrggbb' to the file's colour value: red in bits 0-7, green 8-15, blue 16-23."""
    h = hexcode.lstrip("#")
    return int(h[0:2], 16) | int(h[2:4], 16) << 8 | int(h[4:6], 16) << 16


BOLD, ITALIC, UNDERLINED = 1, 2, 4
CENTRE, LEFT, RIGHT = 0, 1, 2

FORM = {
    "password": "",
    "destination_ip": (127, 0, 0, 1),
    "transmit_ip": (127, 0, 0, 1),
    "grid": (20, 20),
    "size": (800, 480),
    "page_start": 0,
    "scale_percent": 100,  # Form_Scalefactor 1.00, written as hundredths
    "full_screen": 0,  # a framed window: friendlier on a desktop
    "connect_modus": 1,  # LAN: the panel talks to the controller
    "orientation": 0,
    "display": (0, 0, 0, 0),  # Off, Off_Dim, Bright, Bright_Dim
}


def button(x, y, text, led, *, text_on=None, style=0, align=CENTRE, size=12,
           family="<default>", color="#1b2433", pictures=("btnBlueOff.png", "btnBluePress.png",
                                                           "btnBlueOn.png"),
           flip=NO_FLIP, inactive=0):
    """One button; the bus value (Taster) is the lamp number (Led), as on a simple installation."""
    return {
        "pos": (x, y),
        "text_on": text if text_on is None else text_on,
        "text_off": text,
        "style": style,
        "align": align,
        "size": size,
        "family": family,
        "color": colour(color),
        "led": led,
        "taster": led,
        "pictures": pictures,
        "flip": flip,
        "inactive": inactive,
    }


ROUND = ("roundOff.png", "roundPress.png", "roundOn.png")
LABEL = ("labelBar.png", "labelBar.png", "labelBar.png")


def heading(text, led):
    """The page's title: a label that answers no touch."""
    return button(250, 22, text, led, style=BOLD, size=18, color="#ffffff", pictures=LABEL,
                  inactive=1)


def flip_left(text, target, led):
    return button(20, 404, text, led, style=BOLD, size=11, color="#17402c",
                  pictures=("arrowLeft.png", "arrowLeftPress.png", "arrowLeft.png"), flip=target)


def flip_right(text, target, led):
    return button(604, 404, text, led, style=BOLD, size=11, color="#17402c",
                  pictures=("arrowRight.png", "arrowRightPress.png", "arrowRight.png"),
                  flip=target)


PAGES = [
    {
        "name": "Erdgeschoss",
        "image": "floorplan.png",
        "back": ("#e4edf7", "#9bb2cd"),
        "buttons": [
            heading("Erdgeschoss", 1),
            # On the plan: the kitchen and the living room.
            button(215, 136, "Licht\nKüche", 2),
            button(435, 150, "Licht\nWohnen", 3, pictures=ROUND, size=10),
            # Left column.
            button(30, 100, "Licht\nFlur", 4),
            button(30, 190, "Licht\nBad", 5, text_on="Licht Bad\nist an", style=ITALIC),
            button(30, 280, "Außen-\nlicht", 6, style=BOLD),
            # Right column.
            button(630, 100, "  Rollläden\n  auf", 7, align=LEFT),
            button(630, 190, "  Rollläden\n  ab", 8, align=LEFT),
            button(630, 280, "Heizung\n21 °C", 9, text_on="Heizung\n23 °C", color="#8c1c13",
                   style=BOLD, size=13),
            flip_left("Szenen", 3, 10),
            flip_right("Obergeschoss", 1, 11),
        ],
    },
    {
        "name": "Obergeschoss",
        "image": "",
        "back": ("#f6eee2", "#c9b194"),
        "buttons": [
            heading("Obergeschoss", 21),
            button(60, 100, "Schlafzimmer\nDecke", 22),
            button(230, 100, "  Leselampe\n  links", 23, align=LEFT, style=ITALIC),
            button(400, 100, "Leselampe  \nrechts  ", 24, align=RIGHT, style=ITALIC),
            button(60, 195, "Kinderzimmer", 25, size=13),
            button(230, 195, "Bad\nSpiegel", 26, style=UNDERLINED),
            button(400, 195, "Bad\nDecke", 27, style=BOLD | UNDERLINED),
            button(60, 290, "Office\nDesk lamp", 28, family="DejaVu Serif", color="#0b3d6b"),
            button(230, 290, "Gäste-\nzimmer", 29, family="DejaVu Sans", size=11),
            button(400, 290, "Heizung\nEco", 30, text_on="Heizung\nKomfort", style=BOLD,
                   color="#8c1c13"),
            button(610, 100, "Dach-\nfenster", 31, pictures=ROUND, size=10),
            button(610, 215, "Lüftung", 32, pictures=ROUND, size=11, style=BOLD),
            flip_left("Erdgeschoss", 0, 33),
            flip_right("Garten", 2, 34),
        ],
    },
    {
        "name": "Garten",
        "image": "garden.png",
        "back": ("#e6f3df", "#92bd85"),
        "buttons": [
            heading("Garten / Garden", 41),
            button(30, 100, "Terrasse", 42, size=13),
            button(30, 190, "Weg-\nbeleuchtung", 43),
            button(30, 280, "Bewässerung\nRasen", 44, size=11),
            button(655, 100, "Brunnen", 45, pictures=ROUND, size=11, style=BOLD),
            button(655, 210, "Garage\nTor", 46, pictures=ROUND, size=11),
            flip_left("Obergeschoss", 1, 47),
            flip_right("Szenen", 3, 48),
        ],
    },
    {
        "name": "Szenen / Scenes",
        "image": "",
        "back": ("#34496a", "#0f1724"),
        "buttons": [
            heading("Szenen / Scenes", 61),
            button(145, 110, "Alles aus\nAll off", 62, style=BOLD, size=13),
            button(330, 110, "Kino\nMovie night", 63, size=13),
            button(515, 110, "Party!", 64, size=16, style=BOLD | ITALIC, color="#7a1f5c"),
            button(145, 215, "Willkommen\nWelcome", 65, size=13),
            button(330, 215, "Nacht\nNight", 66, size=13, family="DejaVu Serif"),
            button(515, 215, "Urlaub\nHoliday", 67, size=13),
            button(355, 330, "Panik", 68, pictures=ROUND, size=12, style=BOLD, color="#b3120a"),
            flip_left("Garten", 2, 69),
            flip_right("Erdgeschoss", 0, 70),
        ],
    },
]

# --- the file format ---------------------------------------------------------------------------


def escape(text):
    """Line breaks in button texts: CR as backslash d, LF as backslash a."""
    return text.replace("\r", "\\d").replace("\n", "\\a")


def d3(value):
    return "%.3d" % value


def d4(value):
    return "%.4d" % value


def u10(value):
    return "%.10d" % (value & 0xFFFFFFFF)


def layout_lines(form, pages):
    """Every line of the file, without its line end, in the order the panel writes them."""
    lines = [
        "Tolvamix :-)",
        "Form_Password:" + form["password"],
        "Destination_IP:" + " ".join(d3(v) for v in form["destination_ip"]),
        "Transmit_IP:" + " ".join(d3(v) for v in form["transmit_ip"]),
        "Form_GridX_GridY:%s %s" % tuple(d3(v) for v in form["grid"]),
        "Form_SizeX_SizeY:%s %s" % tuple(d4(v) for v in form["size"]),
        "Form_PageStart:" + d3(form["page_start"]),
        "Form_Scalefactor:" + d4(form["scale_percent"]),
        "Form_FullScreen:" + d3(form["full_screen"]),
        "Form_ConnectModus:" + d3(form["connect_modus"]),
        "Form_Orientation:" + d3(form["orientation"]),
    ]
    for key, value in zip(("Display_Off", "Display_Off_Dim", "Display_Bright",
                           "Display_Bright_Dim"), form["display"]):
        lines.append("%s:%s" % (key, d3(value)))
    unused = {"name": "newPage", "image": "", "back": ("#ffffff", "#ffffff"), "buttons": []}
    for p in range(LAST_PAGE + 1):
        page = pages[p] if p < len(pages) else unused
        buttons = page["buttons"]
        lines += [
            "Page:%s %s" % (d3(p), "-" * 63),
            "Page_Button_Last:%s %s" % (d3(p), d3(len(buttons))),
            "Page_PageName:%s %s" % (d3(p), page["name"]),
            "Page_PageImage:%s %s" % (d3(p), page["image"]),
            "Page_BackColor1_BackColor2:%s %s %s" % (d3(p), u10(colour(page["back"][0])),
                                                      u10(colour(page["back"][1]))),
        ]
        for b, btn in enumerate(buttons):
            pb = "%s %s " % (d3(p), d3(b))
            off, press, on = btn["pictures"]
            lines += [
                "Button:%s %s" % (d3(b), "-" * 14),
                "Page_Button_PosX_PosY:" + pb + "%s %s" % (d4(btn["pos"][0]), d4(btn["pos"][1])),
                "Page_Button_Text_On:" + pb + escape(btn["text_on"]),
                "Page_Button_Text_Off:" + pb + escape(btn["text_off"]),
                "Page_Button_Font_Style:" + pb + d3(btn["style"]),
                "Page_Button_Font_HorizAlign:" + pb + d3(btn["align"]),
                "Page_Button_Font_Size:" + pb + d3(btn["size"]),
                "Page_Button_Font_Family:" + pb + btn["family"],
                "Page_Button_Font_Color:" + pb + u10(btn["color"]),
                "Page_Button_Led:" + pb + d3(btn["led"]),
                "Page_Button_Taster:" + pb + d3(btn["taster"]),
                "Page_Button_Image_File_Off:" + pb + off,
                "Page_Button_Image_File_Press:" + pb + press,
                "Page_Button_Image_File_On:" + pb + on,
                "Page_Button_Pageflip:" + pb + d3(btn["flip"]),
                "Page_Button_Inaktiv:" + pb + d3(btn["inactive"]),
            ]
    lines.append("EndOfFile")
    return lines


def layout_bytes(form, pages):
    # ISO-8859-1 cannot hold every character; the panel writes "?" for those, and so do we.
    return b"".join(line.encode("iso-8859-1", "replace") + b"\r\n"
                    for line in layout_lines(form, pages))


# --- checks ------------------------------------------------------------------------------------


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if len(head) < 24 or head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        raise ValueError("%s is not a PNG file" % path)
    return struct.unpack(">II", head[16:24])


def check(form, pages, folder):
    """Problems of the layout as a list of sentences; empty when it is fine."""
    problems = []
    sizes = {}

    def size_of(name):
        if name not in sizes:
            path = os.path.join(folder, name)
            sizes[name] = png_size(path) if os.path.isfile(path) else None
            if sizes[name] is None:
                problems.append("picture %s is missing" % name)
        return sizes[name]

    page_w, page_h = form["size"]
    menu = size_of("TvxMenu.png") or (0, 0)
    fallback = size_of("defaultButton.png") or (0, 0)
    numbers = {}
    if len(pages) > LAST_PAGE + 1:
        problems.append("more than %d pages" % (LAST_PAGE + 1))
    if not any(b["inactive"] for page in pages for b in page["buttons"]):
        problems.append("no label button")
    for p, page in enumerate(pages):
        if len(page["buttons"]) > SLOTS:
            problems.append("page %d has more than %d buttons" % (p, SLOTS))
        if page["image"]:
            size_of(page["image"])
        for text in [page["name"]] + [b[k] for b in page["buttons"]
                                      for k in ("text_on", "text_off", "family")]:
            try:
                text.encode("iso-8859-1")
            except UnicodeEncodeError:
                problems.append("page %d: %r is not ISO-8859-1" % (p, text))
        rects = []
        for b, btn in enumerate(page["buttons"]):
            where = "page %d button %d (%r)" % (p, b, btn["text_off"])
            for name in btn["pictures"]:
                size_of(name)
            w, h = size_of(btn["pictures"][0]) or fallback
            x, y = btn["pos"]
            if x < 0 or y < 0 or x + w > page_w or y + h > page_h:
                problems.append("%s leaves the %dx%d page" % (where, page_w, page_h))
            if x < menu[0] and y < menu[1]:
                problems.append("%s covers the menu picture" % where)
            if y < STATUS_LINE_HEIGHT:
                problems.append("%s covers the status line" % where)
            for other, (ox, oy, ow, oh) in rects:
                if x < ox + ow and ox < x + w and y < oy + oh and oy < y + h:
                    problems.append("%s overlaps button %d" % (where, other))
            rects.append((b, (x, y, w, h)))
            for field in ("led", "taster"):
                if not 0 <= btn[field] <= 999:
                    problems.append("%s: %s %d is not within 0..999" % (where, field, btn[field]))
            if btn["led"] in numbers:
                problems.append("%s: lamp %d is also used by %s" % (where, btn["led"],
                                                                    numbers[btn["led"]]))
            numbers[btn["led"]] = where
            if btn["flip"] != NO_FLIP:
                if not 0 <= btn["flip"] < len(pages) or not pages[btn["flip"]]["buttons"]:
                    problems.append("%s flips to page %d, which has no buttons" %
                                    (where, btn["flip"]))
                elif btn["flip"] == p:
                    problems.append("%s flips to its own page" % where)
    return problems


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, os.pardir, "demo")
    problems = check(FORM, PAGES, folder)
    if problems:
        for problem in problems:
            print("make-demo-layout: " + problem, file=sys.stderr)
        return 1
    data = layout_bytes(FORM, PAGES)
    with open(os.path.join(folder, "tvxdef.ini"), "wb") as f:
        f.write(data)
    buttons = sum(len(page["buttons"]) for page in PAGES)
    print("tvxdef.ini: %d bytes, %d pages with %d buttons" % (len(data), len(PAGES), buttons))
    return 0


if __name__ == "__main__":
    sys.exit(main())
