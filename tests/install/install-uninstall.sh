#!/usr/bin/env bash
# Installs the build into temporary prefixes and uninstalls it with the script the
# installation put beside the program, one case per prefix. Each case must leave exactly
# what was there before; the programs must be installed stripped.
# Usage: install-uninstall.sh BUILD_FOLDER APP_ID
set -uo pipefail
build=$1
id=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $case: $*"
    failures=$((failures + 1))
}
install_into() { # PREFIX [DESTDIR]
    DESTDIR=${2:-} cmake --install "$build" --prefix "$1" --strip >"$work/install.log" 2>&1 ||
        { fail "the install failed"; cat "$work/install.log"; }
    if grep -q "Warning" "$work/install.log"; then fail "the install warned"; cat "$work/install.log"; fi
}
uninstall_from() { # ROOT
    "$1/lib/quorvel/uninstall" >"$work/uninstall.log" 2>&1 ||
        { fail "the uninstall failed"; cat "$work/uninstall.log"; }
}
contents() { (cd "$1" && find . -mindepth 1 | sort); }
expect_same() { # ROOT BEFORE
    if [ "$(contents "$1")" != "$2" ]; then
        fail "left behind:"
        diff <(echo "$2") <(contents "$1") | sed -n 's/^> /  /p'
    fi
}
check_installed() { # ROOT
    for file in bin/quorvel bin/kestrune lib/quorvel/quorvel lib/quorvel/trelvane \
        lib/quorvel/kestrune lib/quorvel/pellory.dll lib/quorvel/uninstall \
        lib/quorvel/uninstall.list share/applications/$id.desktop \
        share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/quorvel.svg \
        share/icons/hicolor/16x16/apps/quorvel.png share/icons/hicolor/256x256/apps/quorvel.png; do
        [ -e "$1/$file" ] || fail "$file is missing"
    done
    for program in quorvel trelvane kestrune; do
        if readelf -S --wide "$1/lib/quorvel/$program" | grep -qE '\.(debug_info|symtab) '; then
            fail "$program is not stripped"
        fi
    done
}

case="a fresh prefix"
root=$work/fresh
mkdir -p "$root"
install_into "$root"
check_installed "$root"
uninstall_from "$root"
expect_same "$root" ""

case="installed twice"
root=$work/twice
mkdir -p "$root"
install_into "$root"
install_into "$root"
uninstall_from "$root"
expect_same "$root" ""

case="folders that were there stay, with what they hold"
root=$work/shared
mkdir -p "$root/bin" "$root/share/applications"
touch "$root/share/applications/other.desktop"
before=$(contents "$root")
install_into "$root"
uninstall_from "$root"
expect_same "$root" "$before"

case="the installed tree moved elsewhere"
root=$work/moved
mkdir -p "$work/first"
install_into "$work/first"
mv "$work/first" "$root"
uninstall_from "$root"
expect_same "$root" ""

case="staged with DESTDIR, as packagers do"
root=$work/stage
mkdir -p "$root"
install_into /usr "$root"
check_installed "$root/usr"
uninstall_from "$root/usr"
expect_same "$root" "./usr"

case="a list that names paths outside the prefix"
root=$work/tampered
mkdir -p "$root/prefix" "$root/outside"
touch "$root/outside/keep"
install_into "$root/prefix"
printf '../outside/keep\n/%s\nlib/../../outside/keep\n../outside/\n' "$root/outside/keep" \
    >>"$root/prefix/lib/quorvel/uninstall.list"
"$root/prefix/lib/quorvel/uninstall" >/dev/null 2>&1 && fail "the uninstall did not report the bad entries"
expect_same "$root" "$(printf './outside\n./outside/keep\n./prefix')"

if [ $failures -eq 0 ]; then
    echo "install-uninstall: every case left its prefix as it was"
fi
exit $((failures > 0))
