#!/usr/bin/python3
"""Draws the program's pictures, icons and cursors into resources/, and the installer's pictures
into packaging/wizard/.

Everything here is the source of those files: run `tools/art/regenerate` after a change and
commit the script and its output together. The output is the same on every run (fixed fonts
from Debian's fonts-dejavu-core and fonts-liberation, no random numbers, fixed JPEG settings).
"""
import io
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
OUT = os.path.join(ROOT, "resources")
WIZARD_OUT = os.path.join(ROOT, "packaging", "wizard")

DEJAVU = "/usr/share/fonts/truetype/dejavu/"
LIBERATION = "/usr/share/fonts/truetype/liberation/"


def font(size, bold=False, face="dejavu"):
    if face == "dejavu":
        name = DEJAVU + ("DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf")
    elif face == "condensed":
        name = DEJAVU + ("DejaVuSansCondensed-Bold.ttf" if bold else "DejaVuSansCondensed.ttf")
    else:
        name = LIBERATION + ("LiberationSans-Bold.ttf" if bold else "LiberationSans-Regular.ttf")
    return ImageFont.truetype(name, size)


def text_width(d, text, f):
    box = d.textbbox((0, 0), text, font=f)
    return box[2] - box[0]


def centered(d, cx, y, text, f, fill):
    d.text((cx - text_width(d, text, f) / 2, y), text, font=f, fill=fill)


def save_jpeg(img, name):
    # Baseline (not progressive), three components, no optimisation pass: the bytes depend
    # only on the pixels.
    img.convert("RGB").save(os.path.join(OUT, name), "JPEG", quality=90, subsampling=0,
                            progressive=False, optimize=False)


# ---------------------------------------------------------------------------------------------
# The wiring picture: the two-line and the four-line device, where each line comes from, and
# the note about the ADSL splitter.

INK = (33, 33, 33)
BLUE = (21, 76, 160)
GREEN = (27, 120, 52)
RED = (198, 25, 25)
CABLE = (70, 70, 70)
DEVICE = (55, 71, 79)


def phone_icon(d, cx, top):
    f = ImageFont.truetype(DEJAVU + "DejaVuSans.ttf", 150)
    w = text_width(d, "\u260e", f)
    d.text((cx - w / 2, top - 8), "\u260e", font=f, fill=INK)
    return top + 112  # where a cable leaves it


def junction_icon(d, cx, top):
    d.rounded_rectangle((cx - 72, top, cx + 72, top + 110), radius=12, fill=(250, 250, 250), outline=INK, width=5)
    for dx in (-38, 38):
        d.ellipse((cx + dx - 14, top + 18, cx + dx + 14, top + 46), fill=(200, 160, 60), outline=INK, width=3)
        d.line((cx + dx - 8, top + 32, cx + dx + 8, top + 32), fill=INK, width=3)
    d.rectangle((cx - 26, top + 60, cx + 26, top + 96), fill=INK)
    d.rectangle((cx - 10, top + 90, cx + 10, top + 96), fill=(250, 250, 250))
    return top + 110


def computer_icon(d, cx, top):
    d.rounded_rectangle((cx - 100, top, cx + 100, top + 128), radius=8, fill=INK)
    d.rectangle((cx - 88, top + 12, cx + 88, top + 116), fill=(90, 150, 220))
    d.polygon([(cx - 20, top + 128), (cx + 20, top + 128), (cx + 34, top + 160), (cx - 34, top + 160)], fill=INK)
    d.rectangle((cx - 70, top + 160, cx + 70, top + 170), fill=INK)


def socket(d, cx, top):
    d.rectangle((cx - 60, top, cx + 60, top + 92), fill=(236, 239, 241), outline=(20, 20, 20), width=4)
    d.rectangle((cx - 34, top + 18, cx + 34, top + 74), fill=(20, 20, 20))
    d.rectangle((cx - 14, top + 66, cx + 14, top + 74), fill=(236, 239, 241))


def plug_and_cable(d, cx, from_y, socket_top):
    d.line((cx, from_y, cx, socket_top - 44), fill=CABLE, width=9)
    d.rectangle((cx - 26, socket_top - 46, cx + 26, socket_top - 2), fill=(180, 220, 250), outline=INK, width=3)


def device_panel(d, x0, title, model, columns):
    x1 = x0 + 960
    d.rounded_rectangle((x0, 140, x1, 1150), radius=26, fill=(245, 247, 250), outline=(176, 190, 197), width=4)
    centered(d, (x0 + x1) / 2, 158, title, font(54, True), BLUE)
    sub = font(28)
    centered(d, (x0 + x1) / 2, 228, "Hat, telefon makinesinin paralel çıkışından", sub, INK)
    centered(d, (x0 + x1) / 2, 264, "ya da paralel çıkış yoksa buattan alınır.", sub, INK)

    dev_left, dev_right, dev_top, dev_bottom = x0 + 40, x1 - 40, 720, 930
    head, cap = font(32, True), font(27)
    for i, (socket_label, head_text, head_colour, caption, kind) in enumerate(columns):
        cx = dev_left + 110 + i * 220
        centered(d, cx, 330, head_text, head, head_colour)
        for n, line in enumerate(caption):
            centered(d, cx, 372 + n * 32, line, cap, INK)
        icon_top = 450
        bottom = phone_icon(d, cx, icon_top) if kind == "phone" else junction_icon(d, cx, icon_top)
        plug_and_cable(d, cx, bottom, dev_top + 20)
    d.rounded_rectangle((dev_left, dev_top, dev_right, dev_bottom), radius=28, fill=DEVICE, outline=(25, 32, 36), width=5)
    label = font(31, True, "condensed")
    for i, (socket_label, *_rest) in enumerate(columns):
        cx = dev_left + 110 + i * 220
        socket(d, cx, dev_top + 20)
        centered(d, cx, dev_top + 122, socket_label, label, (255, 255, 255))
    centered(d, (dev_left + dev_right) / 2, dev_top + 168, model, font(28), (207, 216, 220))

    # USB socket on the lower edge, cable down to the computer.
    ux = (dev_left + dev_right) / 2
    d.rectangle((ux - 40, dev_bottom - 4, ux + 40, dev_bottom + 26), fill=(230, 230, 230), outline=INK, width=4)
    d.rectangle((ux - 26, dev_bottom + 6, ux + 26, dev_bottom + 16), fill=INK)
    d.text((ux + 56, dev_bottom - 2), "USB", font=font(32, True), fill=INK)
    d.line((ux, dev_bottom + 26, ux, 962), fill=(0, 0, 0), width=10)
    computer_icon(d, ux, 962)
    d.text((ux + 124, 1010), "Bilgisayar", font=font(32, True), fill=INK)
    d.text((ux + 124, 1052), "(USB bağlantısı)", font=font(27), fill=INK)


def draw_wiring():
    img = Image.new("RGB", (2040, 1564), (255, 255, 255))
    d = ImageDraw.Draw(img)
    centered(d, 1020, 34, "Caller ID Cihazı Bağlantı Şekli", font(66, True), INK)
    d.line((300, 118, 1740, 118), fill=BLUE, width=5)

    parallel = ["telefonun", "paralel çıkışı"]
    box = ["buat", "(ek kutusu)"]
    device_panel(d, 40, "2 HATLI CİHAZ", "Caller ID - 2 hat", [
        ("HAT1", "1. hat", BLUE, parallel, "phone"),
        ("TELEFON 1", "Telefon 1", GREEN, ["telefon", "makinesi"], "phone"),
        ("HAT2", "2. hat", BLUE, box, "box"),
        ("TELEFON 2", "Telefon 2", GREEN, ["telefon", "makinesi"], "phone"),
    ])
    device_panel(d, 1040, "4 HATLI CİHAZ", "Caller ID - 4 hat", [
        ("HAT1", "1. hat", BLUE, parallel, "phone"),
        ("HAT2", "2. hat", BLUE, box, "box"),
        ("HAT3", "3. hat", BLUE, parallel, "phone"),
        ("HAT4", "4. hat", BLUE, box, "box"),
    ])

    # The framed note, with a small splitter drawing on its right.
    d.rectangle((40, 1180, 2000, 1530), fill=(255, 248, 225), outline=RED, width=8)
    d.text((80, 1206), "DİKKAT: İnternet (ADSL) de kullanılan hat", font=font(42, True), fill=RED)
    body = font(35)
    for n, line in enumerate([
        "Aynı telefon hattından İnternet (ADSL) de kullanılıyorsa, o hatta",
        "mutlaka bir ADSL splitter takılmalıdır. Cihazın HAT girişi,",
        "splitter'ın TELEFON (PHONE) çıkışına bağlanmalıdır.",
    ]):
        d.text((80, 1282 + n * 52), line, font=body, fill=INK)
    bx0, by0, bx1, by1 = 1500, 1240, 1720, 1470
    d.line((1370, 1355, bx0, 1355), fill=CABLE, width=9)
    d.text((1380, 1300), "Hat", font=font(32, True), fill=BLUE)
    d.rounded_rectangle((bx0, by0, bx1, by1), radius=16, fill=(255, 255, 255), outline=INK, width=5)
    centered(d, (bx0 + bx1) / 2, by0 + 60, "ADSL", font(34, True), INK)
    centered(d, (bx0 + bx1) / 2, by0 + 102, "SPLITTER", font(30, True), INK)
    small = font(22, True)
    d.text((bx1 - 102, by0 + 14), "PHONE", font=small, fill=GREEN)
    d.text((bx1 - 102, by1 - 40), "MODEM", font=small, fill=INK)
    d.line((bx1, by0 + 28, 1790, by0 + 28), fill=GREEN, width=9)
    d.polygon([(1790, by0 + 12), (1822, by0 + 28), (1790, by0 + 44)], fill=GREEN)
    d.text((1832, by0 + 6), "Cihaz", font=font(32, True), fill=GREEN)
    d.line((bx1, by1 - 28, 1790, by1 - 28), fill=CABLE, width=9)
    d.polygon([(1790, by1 - 44), (1822, by1 - 28), (1790, by1 - 12)], fill=CABLE)
    d.text((1832, by1 - 50), "Modem", font=font(32, True), fill=INK)
    save_jpeg(img, "guide.jpg")


# ---------------------------------------------------------------------------------------------
# The settings picture: four numbered mock screenshots of the Windows power options.

WIN_TEXT = (30, 30, 30)
LINK = (0, 102, 204)
HILITE = (220, 20, 20)


def ui(size, bold=False):
    return font(size, bold, "liberation")


def window(d, box, title):
    x0, y0, x1, y1 = box
    d.rectangle(box, fill=(255, 255, 255), outline=(110, 110, 110), width=2)
    d.rectangle((x0 + 2, y0 + 2, x1 - 2, y0 + 34), fill=(232, 238, 247))
    d.text((x0 + 12, y0 + 7), title, font=ui(20, True), fill=WIN_TEXT)
    for n, glyph in enumerate(("\u2715", "\u25a1", "\u2013")):
        d.text((x1 - 30 - n * 30, y0 + 5), glyph, font=font(19), fill=WIN_TEXT)
    d.line((x0 + 2, y0 + 35, x1 - 2, y0 + 35), fill=(190, 190, 190), width=1)


def radio(d, x, y, on):
    d.ellipse((x, y, x + 20, y + 20), fill=(255, 255, 255), outline=(60, 60, 60), width=2)
    if on:
        d.ellipse((x + 5, y + 5, x + 15, y + 15), fill=(20, 20, 20))


def highlight(d, box):
    d.rounded_rectangle(box, radius=8, outline=HILITE, width=4)


def button(d, box, text):
    d.rectangle(box, fill=(225, 225, 225), outline=(120, 120, 120), width=2)
    f = ui(18)
    centered(d, (box[0] + box[2]) / 2, box[1] + (box[3] - box[1] - 20) / 2, text, f, WIN_TEXT)


def dropdown(d, box, text):
    d.rectangle(box, fill=(255, 255, 255), outline=(120, 120, 120), width=2)
    d.text((box[0] + 8, box[1] + 5), text, font=ui(18), fill=WIN_TEXT)
    d.polygon([(box[2] - 22, box[1] + 12), (box[2] - 8, box[1] + 12), (box[2] - 15, box[1] + 20)], fill=WIN_TEXT)


def step_heading(d, x, y, number, lines):
    d.ellipse((x, y, x + 46, y + 46), fill=HILITE)
    centered(d, x + 23, y + 6, str(number), font(28, True), (255, 255, 255))
    for n, line in enumerate(lines):
        d.text((x + 58, y + 2 + n * 28), line, font=font(22, True), fill=WIN_TEXT)


def plan_list(d, x, y, framed_row, link_row):
    d.text((x, y), "Bir güç planı seçin", font=ui(22, True), fill=(30, 60, 130))
    plans = ["Dengeli (önerilen)", "Güç tasarrufu", "Yüksek performans"]
    for n, plan in enumerate(plans):
        ry = y + 46 + n * 72
        radio(d, x + 4, ry + 2, n == 2)  # the high-performance plan is the chosen one
        d.text((x + 34, ry), plan, font=ui(21, n == 2), fill=WIN_TEXT)
        d.text((x + 34, ry + 30), "Plan ayarlarını değiştir", font=ui(18), fill=LINK)
        if n == link_row:
            highlight(d, (x + 26, ry + 24, x + 234, ry + 56))
        if n == framed_row:
            highlight(d, (x - 6, ry - 8, x + 260, ry + 60))


def draw_settings():
    img = Image.new("RGB", (980, 936), (255, 255, 255))
    d = ImageDraw.Draw(img)
    centered(d, 490, 10, "Önerilen Windows Güç Ayarları", font(40, True), HILITE)
    d.line((120, 64, 860, 64), fill=HILITE, width=3)

    cells = [(12, 76), (498, 76), (12, 506), (498, 506)]

    # 1: choose the high-performance plan.
    x, y = cells[0]
    step_heading(d, x, y, 1, ["Yüksek performans güç", "planını seçin"])
    window(d, (x, y + 70, x + 470, y + 420), "Güç Seçenekleri")
    plan_list(d, x + 24, y + 120, 2, None)

    # 2: change the plan's settings.
    x, y = cells[1]
    step_heading(d, x, y, 2, ["Plan ayarlarını", "değiştirin"])
    window(d, (x, y + 70, x + 470, y + 420), "Güç Seçenekleri")
    plan_list(d, x + 24, y + 120, None, 2)
    # a pointer on the link
    px, py = x + 240, y + 392
    d.polygon([(px, py - 30), (px, py), (px + 8, py - 8), (px + 14, py + 4), (px + 19, py + 2),
               (px + 13, py - 10), (px + 22, py - 11)], fill=(255, 255, 255), outline=(0, 0, 0))

    # 3: open the advanced power settings.
    x, y = cells[2]
    step_heading(d, x, y, 3, ["Gelişmiş güç ayarlarını", "açın"])
    window(d, (x, y + 70, x + 470, y + 420), "Plan Ayarlarını Düzenle")
    d.text((x + 20, y + 118), "Plan ayarlarını değiştir:", font=ui(21, True), fill=(30, 60, 130))
    d.text((x + 20, y + 146), "Yüksek performans", font=ui(21, True), fill=(30, 60, 130))
    d.text((x + 20, y + 194), "Ekranı kapat:", font=ui(19), fill=WIN_TEXT)
    dropdown(d, (x + 270, y + 188, x + 450, y + 220), "Hiçbir zaman")
    d.text((x + 20, y + 238), "Uyku moduna geçir:", font=ui(19), fill=WIN_TEXT)
    dropdown(d, (x + 270, y + 232, x + 450, y + 264), "Hiçbir zaman")
    d.text((x + 20, y + 290), "Gelişmiş güç ayarlarını değiştir", font=ui(20), fill=LINK)
    highlight(d, (x + 12, y + 282, x + 314, y + 320))
    button(d, (x + 170, y + 362, x + 350, y + 398), "Değişiklikleri kaydet")
    button(d, (x + 360, y + 362, x + 452, y + 398), "İptal")

    # 4: USB selective suspend off, on battery and plugged in.
    x, y = cells[3]
    step_heading(d, x, y, 4, ["USB seçici askıya almayı", "devre dışı bırakın"])
    window(d, (x, y + 70, x + 470, y + 420), "Güç Seçenekleri")
    d.text((x + 16, y + 112), "Gelişmiş Ayarlar", font=ui(19, True), fill=WIN_TEXT)
    dropdown(d, (x + 16, y + 140, x + 452, y + 172), "Yüksek performans [Etkin]")
    d.rectangle((x + 16, y + 180, x + 452, y + 352), fill=(255, 255, 255), outline=(150, 150, 150), width=2)
    tree = ui(18)
    rows = [(0, "\u229e Sabit disk"), (0, "\u229f USB ayarları"), (1, "\u229f USB seçici askıya alma ayarı"),
            (2, "Pilde: Devre dışı"), (2, "Prize takılı: Devre dışı"), (0, "\u229e PCI Express")]
    for n, (level, text) in enumerate(rows):
        ry = y + 186 + n * 27
        d.text((x + 26 + level * 24, ry), text, font=font(17) if "\u229e" in text or "\u229f" in text else tree,
               fill=WIN_TEXT)
    highlight(d, (x + 66, y + 264, x + 330, y + 320))
    button(d, (x + 168, y + 364, x + 258, y + 398), "Tamam")
    button(d, (x + 264, y + 364, x + 354, y + 398), "İptal")
    button(d, (x + 360, y + 364, x + 452, y + 398), "Uygula")
    save_jpeg(img, "settings.jpg")


# ---------------------------------------------------------------------------------------------
# Icons and cursors, written as Windows .ico/.cur files with BMP images (no PNG inside, so
# every Windows version reads them).

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
       (0, 255, 255), (255, 255, 255)]


def rows_bottom_up(width, height, pixel_bytes):
    """pixel_bytes(x, y) -> bytes for one pixel row; returns padded rows, bottom row first."""
    out = bytearray()
    for y in reversed(range(height)):
        row = pixel_bytes(y)
        out += row + b"\0" * ((4 - len(row) % 4) % 4)
    return bytes(out)


def pack_bits(values, bits):
    out, acc, n = bytearray(), 0, 0
    for v in values:
        acc = (acc << bits) | v
        n += bits
        if n == 8:
            out.append(acc)
            acc, n = 0, 0
    if n:
        out.append(acc << (8 - n))
    return bytes(out)


def dib(width, height, bpp, palette, xor_rows, mask):
    """One icon/cursor image: header (height doubled), palette, XOR rows, AND mask."""
    and_bytes = rows_bottom_up(width, height, lambda y: pack_bits(mask[y], 1))
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bpp, 0, len(xor_rows) + len(and_bytes), 0, 0,
                         0, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    return header + pal + xor_rows + and_bytes


def image_32(img):
    w, h = img.size
    px = img.load()
    xor = rows_bottom_up(w, h, lambda y: b"".join(struct.pack("<BBBB", px[x, y][2], px[x, y][1], px[x, y][0],
                                                                   px[x, y][3]) for x in range(w)))
    mask = [[1 if px[x, y][3] == 0 else 0 for x in range(w)] for y in range(h)]
    return dib(w, h, 32, [], xor, mask), (w, h, 0, 32)


def image_paletted(img, colours):
    """colours: 16 (the fixed VGA palette) or 256 (an adaptive palette of the image)."""
    w, h = img.size
    rgba = img.load()
    mask = [[1 if rgba[x, y][3] < 128 else 0 for x in range(w)] for y in range(h)]
    flat = Image.new("RGB", (w, h), (0, 0, 0))
    flat.paste(img.convert("RGB"), mask=img.split()[3].point(lambda a: 255 if a >= 128 else 0))
    if colours == 16:
        pal_img = Image.new("P", (1, 1))
        pal_img.putpalette([c for rgb in VGA for c in rgb] + [0] * (256 - 16) * 3)
        q = flat.quantize(palette=pal_img, dither=Image.Dither.NONE)
        palette, bpp = VGA, 4
    else:
        q = flat.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
        raw = q.getpalette()[:768]
        raw += [0] * (768 - len(raw))
        palette, bpp = [tuple(raw[i:i + 3]) for i in range(0, 768, 3)], 8
    idx = q.load()
    # Transparent pixels are index 0 (black) under a set mask bit, as Windows expects.
    xor = rows_bottom_up(w, h, lambda y: pack_bits([0 if mask[y][x] else idx[x, y] for x in range(w)], bpp))
    return dib(w, h, bpp, palette, xor, mask), (w, h, 16 if colours == 16 else 0, bpp)


def write_icon_file(name, images, kind=1, hotspots=None):
    """images: list of (bytes, (w, h, colour count, bpp)); kind 1 = icon, 2 = cursor."""
    header = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for n, (blob, (w, h, count, bpp)) in enumerate(images):
        planes, bits = (1, bpp) if kind == 1 else hotspots[n]
        entries += struct.pack("<BBBBHHII", w % 256, h % 256, count, 0, planes, bits, len(blob), offset + len(data))
        data += blob
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(header + entries + data)


def app_art(size, tile=(21, 101, 192, 255)):
    """The program's mark: a white telephone on a blue tile with a yellow caller-ID badge."""
    scale = 8
    big = size * scale
    img = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle((0, 0, big - 1, big - 1), radius=big // 6, fill=tile)
    f = ImageFont.truetype(DEJAVU + "DejaVuSans.ttf", int(big * 0.78))
    box = d.textbbox((0, 0), "\u260e", font=f)
    w, h = box[2] - box[0], box[3] - box[1]
    d.text(((big - w) / 2 - box[0], big * 0.56 - h / 2 - box[1]), "\u260e", font=f, fill=(255, 255, 255, 255))
    if size >= 32:
        d.rounded_rectangle((big * 0.05, big * 0.05, big * 0.62, big * 0.34), radius=big // 14,
                            fill=(255, 202, 40, 255), outline=(120, 80, 0, 255), width=max(1, big // 48))
        fi = ImageFont.truetype(DEJAVU + "DejaVuSans-Bold.ttf", int(big * 0.25))
        tb = d.textbbox((0, 0), "ID", font=fi)
        d.text((big * 0.335 - (tb[2] - tb[0]) / 2 - tb[0], big * 0.195 - (tb[3] - tb[1]) / 2 - tb[1]), "ID",
               font=fi, fill=(40, 30, 0, 255))
    return img.resize((size, size), Image.LANCZOS)


def guide_art():
    """16 x 16: a device with two sockets and a cable, for the connection guide."""
    img = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.line((4, 0, 4, 6), fill=(0, 0, 128, 255), width=2)
    d.line((11, 0, 11, 6), fill=(0, 0, 128, 255), width=2)
    d.rectangle((0, 6, 15, 14), fill=(128, 128, 128, 255), outline=(0, 0, 0, 255))
    d.rectangle((2, 8, 6, 11), fill=(0, 0, 0, 255))
    d.rectangle((9, 8, 13, 11), fill=(0, 0, 0, 255))
    d.point((7, 13), fill=(0, 255, 0, 255))
    d.point((8, 13), fill=(0, 255, 0, 255))
    return img


def write_icons():
    sizes = (48, 32, 24, 20, 16)
    images = [image_paletted(app_art(s), 256) for s in sizes] + [image_32(app_art(s)) for s in sizes]
    write_icon_file("zelvora.ico", images)
    write_icon_file("application.ico", [image_paletted(app_art(32, tile=(0, 0, 128, 255)), 16)] + images)
    write_icon_file("guide.ico", [image_paletted(guide_art(), 16)])


# ---------------------------------------------------------------------------------------------
# The installer's welcome and finish pages: a tall panel at their left with the program's mark.
# The panel is 109 x 193 dialog units, 164 x 314 pixels at 100 %; the installer picks the file
# drawn for the screen's density, so the mark is never enlarged from a smaller picture.

WIZARD_SCALES = (100, 125, 150, 175, 200)


def wizard_art(percent):
    width, height = round(164 * percent / 100), round(314 * percent / 100)
    mark = round(96 * percent / 100)
    # Drawn four times as large and reduced, so that curves are smooth at every size.
    scale = 4
    big_w, big_h = width * scale, height * scale
    img = Image.new("RGB", (big_w, big_h))
    top, bottom = (30, 112, 204), (9, 46, 104)
    d = ImageDraw.Draw(img)
    for y in range(big_h):
        t = y / (big_h - 1)
        d.line((0, y, big_w, y), fill=tuple(round(a + (b - a) * t) for a, b in zip(top, bottom)))
    cx, cy = big_w / 2, round(height * 0.36) * scale
    # Rings spreading from the mark, as a ringing telephone's are drawn.
    for i, r in enumerate((0.40, 0.52, 0.64)):
        radius = big_w * r
        fade = 0.22 - 0.06 * i
        colour = tuple(round(c + (255 - c) * fade) for c in top)
        d.ellipse((cx - radius, cy - radius, cx + radius, cy + radius), outline=colour,
                  width=3 * scale * percent // 100)
    # A white plate under the mark, with a soft shadow.
    half = mark * scale * 0.58
    drop = mark * scale * 0.05
    d.rounded_rectangle((cx - half, cy - half + drop, cx + half, cy + half + drop), radius=half * 0.4,
                        fill=tuple(round(c * 0.7) for c in top))
    d.rounded_rectangle((cx - half, cy - half, cx + half, cy + half), radius=half * 0.4, fill=(255, 255, 255))
    img = img.resize((width, height), Image.LANCZOS)
    # The mark itself at its own pixel size, drawn by the same code as the program's icon.
    art = app_art(mark)
    img.paste(art, (width // 2 - mark // 2, round(height * 0.36) - mark // 2), art)
    return img


def write_wizard_pictures():
    os.makedirs(WIZARD_OUT, exist_ok=True)
    for percent in WIZARD_SCALES:
        wizard_art(percent).save(os.path.join(WIZARD_OUT, "welcome-%d.bmp" % percent), "BMP")


# Monochrome 32 x 32 cursors: each is a set of black and of white cells; the rest is clear.
def outlined(inside):
    """The cells around a shape, 8-connected: its outline."""
    ring = set()
    for (x, y) in inside:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                p = (x + dx, y + dy)
                if p not in inside and 0 <= p[0] < 32 and 0 <= p[1] < 32:
                    ring.add(p)
    return ring


def cursor_shapes():
    shapes = {}
    plus = {(x, y) for x in range(32) for y in range(32)
            if (abs(x - 7) <= 2 and abs(y - 7) <= 6) or (abs(y - 7) <= 2 and abs(x - 7) <= 6)}
    shapes["cr_plus.cur"] = (outlined(plus), plus, (7, 7))  # white plus, black outline
    cross = {(x, y) for x in range(32) for y in range(32)
             if (x == 9 and abs(y - 9) <= 8) or (y == 9 and abs(x - 9) <= 8)}
    shapes["cr_cross.cur"] = (cross, outlined(cross), (9, 9))  # black cross, white outline
    right = {(x, y) for x in range(32) for y in range(32)
             if (1 <= x <= 8 and abs(y - 7) <= 1) or (8 <= x <= 14 and abs(y - 7) <= 14 - x)}
    shapes["cr_right.cur"] = (right, outlined(right), (7, 7))
    down = {(x, y) for x in range(32) for y in range(32)
            if (2 <= y <= 10 and abs(x - 8) <= 1) or (10 <= y <= 17 and abs(x - 8) <= 17 - y)}
    shapes["cr_down.cur"] = (down, outlined(down), (8, 10))
    # Pointing to the upper left: a head at (4, 3) and a shaft running down to the right.
    lefttop = {(x, y) for x in range(32) for y in range(32)
               if (x >= 4 and y >= 3 and x + y <= 16) or (abs((x - 4) - (y - 3)) <= 1 and 8 <= x <= 19)}
    shapes["cr_lefttop.cur"] = (lefttop, outlined(lefttop), (11, 10))
    return shapes


def write_cursors():
    for name, (black, white, hotspot) in cursor_shapes().items():
        # XOR 1 with AND 0 is white, XOR 0 with AND 0 black, AND 1 with XOR 0 the screen.
        xor_bits = [[1 if (x, y) in white else 0 for x in range(32)] for y in range(32)]
        mask = [[0 if (x, y) in black or (x, y) in white else 1 for x in range(32)] for y in range(32)]
        xor = rows_bottom_up(32, 32, lambda y: pack_bits(xor_bits[y], 1))
        blob = dib(32, 32, 1, [(0, 0, 0), (255, 255, 255)], xor, mask)
        write_icon_file(name, [(blob, (32, 32, 2, 1))], kind=2, hotspots=[hotspot])


def main():
    draw_wiring()
    draw_settings()
    write_icons()
    write_cursors()
    write_wizard_pictures()


if __name__ == "__main__":
    sys.exit(main())
