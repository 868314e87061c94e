#!/bin/sh
# Removes the Quorvel Piano installation this script belongs to: every file that
# uninstall.list beside it names, then the folders the installation created, each only
# when it is empty. Works from the installed tree alone; the prefix is the folder two
# levels above this script's.
set -eu
set -f # entries are paths, never patterns
here=$(CDPATH='' cd -- "$(dirname -- "$0")" && pwd)
prefix=$(CDPATH='' cd -- "$here/../.." && pwd)
list=$here/uninstall.list
if [ ! -r "$list" ]; then
    echo "uninstall: $list is missing, so nothing was removed" >&2
    exit 1
fi

# The list is read whole before anything goes: it is among the files removed.
entries=$(grep -v '^#' "$list" || true)
status=0
old_ifs=$IFS
IFS='
'
for entry in $entries; do
    case $entry in
    /* | .. | ../* | */../* | */.. | ./* | */./*)
        # Only paths inside the prefix are ever touched.
        echo "uninstall: refusing the entry \"$entry\"" >&2
        status=1
        ;;
    */) ;;
    *)
        if [ -e "$prefix/$entry" ] || [ -L "$prefix/$entry" ]; then
            rm -f -- "$prefix/$entry" && echo "removed $prefix/$entry" || status=1
        fi
        ;;
    esac
done
for entry in $entries; do
    case $entry in
    /* | .. | ../* | */../* | */.. | ./* | */./*) ;;
    */)
        folder=$prefix/${entry%/}
        if [ -d "$folder" ] && rmdir -- "$folder" 2>/dev/null; then
            echo "removed $folder/"
        fi
        ;;
    esac
done
IFS=$old_ifs
exit $status
