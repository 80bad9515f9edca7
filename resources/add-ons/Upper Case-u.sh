#!/bin/sh
# Wexel add-on: upper-cases the selection (ASCII letters; Japanese text and
# other characters stay as they are). The setting file is left as the editor
# wrote it, FUNC=INSERT, so the output replaces the selection.
exec tr 'abcdefghijklmnopqrstuvwxyz' 'ABCDEFGHIJKLMNOPQRSTUVWXYZ' < "$TMPFILE"
