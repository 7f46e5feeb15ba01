#!/usr/bin/env bash
# Printing from the game to a print server of the test's own: a cupsd on a
# socket in a scratch directory with one printer "test" that writes every job
# to out.pdf. The game starts with a player who has earned certificate 0; a
# town script sends it to the printing room, where the real pointer clicks
# through to certificate 0 and prints it, then back to the colouring pages
# and prints page 0. After each job out.pdf holds one page, and at 72 dpi the
# picture's dark frame spans the page from x 36 to the page width - 36.
# Exits 77 (skipped) when cupsd, the PDF tools or the X tools are missing.
set -u
game=${RUMBOTOWN:?}
source "$(dirname "$0")/xvfb_lib.sh"
for tool in /usr/sbin/cupsd /usr/sbin/lpadmin; do
    [[ -x "$tool" ]] || { echo "skipped: $tool is not installed"; exit 77; }
done
[[ -f /usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd ]] ||
    { echo "skipped: the generic PDF printer driver is not installed"; exit 77; }
xvfb_setup 1024x768 xwininfo python3 pdfinfo pdftoppm
python3 -c 'import ctypes.util, sys; sys.exit(0 if ctypes.util.find_library("Xtst") else 1)' ||
    { echo "skipped: libXtst is not installed"; exit 77; }

# The print server. cupsd runs no filter as root: as root its jobs run as lp,
# who must reach the scratch directory.
cups="$dir/cups"
mkdir -p "$cups"/{spool,cache,state,log,tmp}
chmod 711 "$dir"
chmod -R 777 "$cups"
printf 'Listen %s/cups.sock\nBrowsing No\nWebInterface No\nLogLevel warn\nDefaultAuthType None\n<Location />\nOrder allow,deny\nAllow all\n</Location>\n' \
    "$cups" >"$cups/cupsd.conf"
{
    echo "FileDevice Yes"
    [[ $(id -u) == 0 ]] && printf 'User lp\nGroup lp\n'
    printf 'ServerRoot %s\nRequestRoot %s/spool\nCacheDir %s/cache\nStateDir %s/state\nTempDir %s/tmp\n' \
        "$cups" "$cups" "$cups" "$cups" "$cups"
    printf 'ErrorLog %s/log/error_log\nAccessLog %s/log/access_log\nPageLog %s/log/page_log\n' "$cups" "$cups" "$cups"
} >"$cups/cups-files.conf"
/usr/sbin/cupsd -f -c "$cups/cupsd.conf" -s "$cups/cups-files.conf" &
cupsd_pid=$!
trap 'kill "$cupsd_pid" 2>/dev/null; wait "$cupsd_pid" 2>/dev/null; xvfb_cleanup' EXIT
export CUPS_SERVER="$cups/cups.sock"
for _ in $(seq 100); do [[ -S "$CUPS_SERVER" ]] && break; sleep 0.05; done
/usr/sbin/lpadmin -p test -E -v "file://$cups/out.pdf" -m lsb/usr/cupsfilters/Generic-PDF_Printer-PDF.ppd 2>/dev/null &&
    /usr/sbin/lpadmin -d test || fail "the private print server did not take the printer"

# The game: a player with certificate 0, and a town script that goes printing.
printf '[Engine]\nUseDirectDraw=0\n[Engine.Game]\nUseBlueScreenError=0\n[Startup]\nInstallPath=%s\nCDPath=%s\n' \
    "$PWD" "${RUMBO_DATA:?}" >RumboTownDemo.ini
printf '[User0]\nUserName=Ada\nCompletedFlag=1\nItemCompletedFlag=3\nCollectionTitleID=2\n' >rumbo.pxu
sed 's/^AutoRun=.*/AutoRun=$GAMEPATH\\goprint.seq/' "$RUMBO_DATA/world.ini" >world.ini
printf 'Event Town.GotoPrinting()\n' >goprint.seq
export RUMBO_MESSAGEBOX=test
"$game" >"$out" 2>&1 &
pid=$!

# wait_for LINE: waits up to 30 s for the game to print the line.
wait_for() {
    for _ in $(seq 600); do
        grep -qx "$1" "$out" 2>/dev/null && return
        kill -0 "$pid" 2>/dev/null || fail "the game ended before \"$1\""
        sleep 0.05
    done
    fail "no \"$1\""
}
# click_to X Y LINE: clicks window pixel (X, Y) until the game prints the line.
click_to() {
    local count
    count=$(grep -cx "$3" "$out")
    for _ in $(seq 20); do
        mouse "$1" "$2" click
        sleep 0.5
        (( $(grep -cx "$3" "$out") > count )) && return
    done
    fail "clicking $1,$2 did not lead to \"$3\""
}
# check_job NAME: out.pdf holds one page whose dark frame spans x 36 .. width - 36.
check_job() {
    local info width extent
    for _ in $(seq 200); do
        info=$(pdfinfo "$cups/out.pdf" 2>/dev/null) && [[ "$info" == *"Pages:"* ]] && break
        sleep 0.1
    done
    grep -q '^Pages: *1$' <<<"$info" || fail "$1: out.pdf does not hold one page: $info"
    width=$(sed -n 's/^Page size: *\([0-9.]*\) x.*/\1/p' <<<"$info")
    pdftoppm -r 72 -gray -singlefile "$cups/out.pdf" "$dir/page" || fail "$1: pdftoppm failed"
    extent=$(python3 - "$dir/page.pgm" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
fields, at = [], 0
while len(fields) < 4:
    while data[at:at + 1].isspace():
        at += 1
    start = at
    while not data[at:at + 1].isspace():
        at += 1
    fields.append(data[start:at])
width, height = int(fields[1]), int(fields[2])
pixels = data[at + 1:]
row = pixels[150 * width:151 * width]
dark = [x for x in range(width) if row[x] < 128]
print(dark[0], dark[-1])
PY
    ) || fail "$1: the page has no dark pixels on row 150"
    read -r first last <<<"$extent"
    python3 -c "import sys; f, l, w = $first, $last, $width; sys.exit(0 if abs(f - 36) <= 2 and abs(l + 1 - (w - 36)) <= 2 else 1)" ||
        fail "$1: the frame spans x $first .. $last on a page $width wide"
    echo "$1: one page, the frame spans x $first .. $last of $width"
}

wait_for 'town: ready truck=1102,1450'
wait_for 'printing: page 0'
window_geometry "Rumbo Town Demo"
sleep 0.5
click_to 172 199 'printing: page 2'        # the certificate button
click_to 182 95 'printing: page 4'         # certificate 0
mouse 601 447 click                        # print
check_job "certificate 0"
rm -f "$cups/out.pdf"
click_to 35 26 'printing: page 2'          # back
click_to 35 26 'printing: page 0'          # back
click_to 481 200 'printing: page 1'        # the colouring-page button
click_to 128 99 'printing: page 3'         # colouring page 0
mouse 601 447 click                        # print
check_job "colouring page 0"

kill -TERM "$pid"
wait_exit
[[ "$code" == 0 ]] || fail "exit code ${code:-none} after SIGTERM"
echo "ok: a certificate and a colouring page went through the print server onto one page each"
