#!/bin/sh
# Scripting round trips: one client on the session bus against a running
# editor (offscreen) holding a 1 MB document (mostly ASCII words, a Japanese
# line every ten lines), timed call by call:
#   10,000 property reads (selectionLocation, encoding, selectedrange in turn)
#   1,000 replaceAll calls, alternately changing every "alpha" to "omega" and back
#         (about 2,000 replacements each, so every call sets the whole text anew)
# Meanwhile a second client reads the document's encoding every 20 ms. The bus
# library answers Peer.Ping on a thread of its own, but a property is read by
# the window's thread, so this client's worst wait is how long the window's
# event loop was kept busy at a stretch.
# Prints the median and worst round trip of each, in milliseconds.
#
# usage: bench/scripting.sh [BUILD_DIR]   (default: build; READS=n, REPLACES=n to change the counts)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
editor=$build/src/gui/wexel
python=${PYTHON:-/usr/bin/python3}
[ -x "$editor" ] || { echo "no $editor: build wexel first" >&2; exit 2; }
"$python" -c 'import gi' 2>/dev/null || { echo "the client needs python3-gi" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
perl -CS -e '
    use utf8;
    srand(20261207);
    my @words = ("alpha", "web", "page", "script", "text", "editor", "line", "code");
    my $size = 0;
    my $line = 0;
    while ($size < 1_000_000) {
        my $text = ($line % 10 == 9) ? "日本語の文章をスクリプトから置換する。"
                 : join(" ", map { $words[int(rand(@words))] } 1..9);
        print "$text\n";
        $size += length($text) + 1;
        $line++;
    }' > "$work/doc.txt"

cat > "$work/client.py" <<'PY'
import statistics, sys, threading, time
from gi.repository import Gio, GLib

reads, replaces = int(sys.argv[1]), int(sys.argv[2])
name, path = "io.wexel.Wexel", "/io/wexel/Wexel/Document/1"

def connect():
    return Gio.DBusConnection.new_for_address_sync(
        Gio.dbus_address_get_for_bus_sync(Gio.BusType.SESSION, None),
        Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)

bus = connect()
def call(interface, method, args, reply):
    return bus.call_sync(name, path, interface, method, args, GLib.VariantType(reply) if reply else None,
                         Gio.DBusCallFlags.NONE, 60000, None)

def timed(count, one):
    times = []
    for i in range(count):
        start = time.perf_counter()
        one(i)
        times.append((time.perf_counter() - start) * 1000)
    return times

pings, stop = [], threading.Event()
def pinger():
    other = connect()
    while not stop.is_set():
        start = time.perf_counter()
        other.call_sync(name, path, "org.freedesktop.DBus.Properties", "Get",
                        GLib.Variant("(ss)", ("io.wexel.Wexel.Document", "encoding")), None,
                        Gio.DBusCallFlags.NONE, 60000, None)
        pings.append((time.perf_counter() - start) * 1000)
        time.sleep(0.02)
threading.Thread(target=pinger, daemon=True).start()

props = ["selectionLocation", "encoding", "selectedrange"]
read_times = timed(reads, lambda i: call("org.freedesktop.DBus.Properties", "Get",
                                         GLib.Variant("(ss)", ("io.wexel.Wexel.Document", props[i % 3])), "(v)"))
pairs = [("alpha", "omega"), ("omega", "alpha")]
def replace(i):
    search, replacement = pairs[i % 2]
    args = GLib.Variant("(a{sv})", ({"searchText": GLib.Variant("s", search),
                                     "replaceText": GLib.Variant("s", replacement),
                                     "ignoreCase": GLib.Variant("b", False)},))
    count = call("io.wexel.Wexel.Document", "replaceAll", args, "(u)").unpack()[0]
    assert count > 1000, count
replace_times = timed(replaces, replace)
stop.set()
length = len(call("org.freedesktop.DBus.Properties", "Get",
                  GLib.Variant("(ss)", ("io.wexel.Wexel.Document", "text")), "(v)").unpack()[0])

def report(label, times):
    print("%-32s %7d calls  median %8.3f ms  worst %8.3f ms" % (label, len(times), statistics.median(times), max(times)))
print("document: %d UTF-16 code units" % length)
report("property reads", read_times)
report("replaceAll (about 2,000 each)", replace_times)
report("a second client's reads", pings)
PY

cat > "$work/run.sh" <<'SH'
set -eu
"$1" "$2" 2>/dev/null & editor=$!
trap 'kill $editor 2>/dev/null' EXIT
gdbus wait --session --timeout 20 io.wexel.Wexel
"$3" "$4" "$5" "$6"
SH
HOME=$work XDG_CONFIG_HOME=$work/.config XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=offscreen \
    dbus-run-session -- sh "$work/run.sh" "$editor" "$work/doc.txt" "$python" "$work/client.py" \
    "${READS:-10000}" "${REPLACES:-1000}" 2>&1 | grep -v "fd limit"
