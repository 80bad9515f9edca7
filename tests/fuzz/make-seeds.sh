#!/bin/sh
# Makes the seed corpus of each fuzz target from the shipped files and test
# samples, plus the regression inputs kept in tests/fuzz/regressions.
# Usage: make-seeds.sh SOURCE_DIR CORPUS_DIR
set -eu
src=$1
out=$2
rm -rf "$out"
for t in bytes settings tag_file favorites plist range_archive scanners addon_setting keys; do
  mkdir -p "$out/$t"
  if [ -d "$src/tests/fuzz/regressions/$t" ]; then
    cp "$src/tests/fuzz/regressions/$t"/* "$out/$t/" 2>/dev/null || true
  fi
done

samples="$src/resources/samples/sample-sjis-crlf.html $src/tests/data/syntax/sample.html
  $src/tests/data/syntax/sample.css $src/tests/data/syntax/sample.php
  $src/tests/data/syntax/sample.pl $src/tests/data/syntax/sample.rb"

# Documents in every encoding; iconv refuses what an encoding cannot hold.
n=0
for f in $samples; do
  n=$((n + 1))
  from=UTF-8
  case $f in *sjis*) from=CP932 ;; esac
  for to in CP932 EUC-JP-MS ISO-2022-JP UTF-8 UTF-16BE UTF-16LE; do
    iconv -f "$from" -t "$to" "$f" > "$out/bytes/$n-$to" 2>/dev/null || rm -f "$out/bytes/$n-$to"
  done
  tr -d '\r' < "$f" > "$out/bytes/$n-lf"
done
printf '\376\377\0a\0\r\0\n' > "$out/bytes/utf16-mark"
printf '\033$B$"\033(B\r\n' > "$out/bytes/jis-escape"

cp "$src"/resources/*_settings.txt "$src"/resources/*_keywords.txt "$out/settings/"
printf '\357\273\277font_size = 14pt\r// note\ris_word_wrapped = YES\ncomment_color = #0A0b0C\n' > "$out/settings/mark"

cp "$src/resources/html_tags.txt" "$out/tag_file/"
iconv -f UTF-8 -t UTF-16 "$src/resources/html_tags.txt" > "$out/tag_file/utf16" 2>/dev/null || true
printf 'SHIFT "a"\nNAME "b"\nPRE "<b>"\nPOST "</b>"\nKEY "b"\nMOD "opt shift"\nUNSHIFT\nUNSHIFT\n' > "$out/tag_file/nest"

cat > "$out/favorites/favorites.html" <<'HTML'
<!DOCTYPE NETSCAPE-Bookmark-file-1>
<TITLE>Bookmarks</TITLE>
<DL><p>
<DT><H3 FOLDED ADD_DATE="1">Folder</H3>
<DL><p>
<DT><A HREF="http://example.com/" ADD_DATE="1">Example</A>
</DL><p>
<DT><A HREF="http://example.org/a?b=c">日本語</A>
</DL><p>
HTML

cat > "$out/plist/bookmarks.plist" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
  <key>Children</key>
  <array>
    <dict>
      <key>Title</key><string>Folder</string>
      <key>WebBookmarkType</key><string>WebBookmarkTypeList</string>
      <key>Children</key>
      <array>
        <dict>
          <key>URIDictionary</key><dict><key>title</key><string>Example</string></dict>
          <key>URLString</key><string>http://example.com/</string>
          <key>WebBookmarkType</key><string>WebBookmarkTypeLeaf</string>
        </dict>
      </array>
    </dict>
  </array>
</dict>
</plist>
XML
cat > "$out/plist/prefs.plist" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
  <key>wexel_prefs</key>
  <dict>
    <key>key_bind_type</key><integer>2</integer>
    <key>word_wrap</key><true/>
    <key>font_size</key><real>12.5</real>
    <key>font_name</key><string>Monospace</string>
    <key>data</key><data>AAEC</data>
    <key>date</key><date>2020-01-01T00:00:00Z</date>
  </dict>
</dict>
</plist>
XML

printf '\0\0\0\5\0\0\0\3' > "$out/range_archive/one"
printf '{12, 34}' > "$out/range_archive/text"

# Type byte: text type minus one.
i=0
for f in $samples; do
  i=$((i + 1))
  case $f in
    *.html) b='\001' ;; *.css) b='\004' ;; *.pl) b='\005' ;; *.php) b='\006' ;; *.rb) b='\007' ;;
  esac
  { printf "$b"; iconv -f UTF-8 -t ASCII//IGNORE "$f" 2>/dev/null || true; } > "$out/scanners/$i"
done
printf '\002Chapter 1\r\tSection\r\377\000\003\000 /* x\377\000\010\001*/' > "$out/scanners/index-edits"
printf '\006<?php echo "a /* b"; ?>\r/* c */\r\377\000\020\000*/\377\000\000\000/*' > "$out/scanners/php-edits"

for setting in FUNC=INSERT FUNC=REPLACEALL FUNC=NOTOUCH; do
  printf '%s\n' "$setting" > "$out/addon_setting/$setting"
done
printf '[Desktop Entry]\nName=Viewer\nExec="/usr/bin/x y" %%U --name=%%c 100%%%% %%k "a\\"b"\n[Other]\nExec=no\n' \
  > "$out/addon_setting/desktop-entry"
# Keys: scheme, switches, selection, text up to 0xFF, then (key, modifiers) pairs.
# Letters: a=0, b=1, ... z=25; Escape 52, Return 53; modifiers 2 Control, 3
# Control-Shift, 4 Option, 0x10 composing, 0x80+ a scheme change.
printf '\000\001\002\003ab Z\tab\r.xab\377\020\002\021\002\002\002\000\003\003\003\005\003\065\000\020\002' > "$out/keys/own"
printf '\001\000\000\000ab\rZ x\r\377\064\000\025\000\064\000\064\000\003\000\027\002\022\002\027\002\012\002\064\000\012\002' > "$out/keys/emacs"
printf '\002\001\005\002a b\r\tab\377\012\002\011\003\007\002\013\002\027\002\065\000\065\000' > "$out/keys/vi"
printf '\000\001\000\000\t ab\r\377\003\002\003\202\064\000\025\000\003\242\021\002\065\020\003\002' > "$out/keys/switching"
