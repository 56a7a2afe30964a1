#!/usr/bin/env bash
# Checks both ways of installing kavri from a built tree:
#  1. cmake --install into a scratch folder (the portable layout): the files are where they
#     belong and the installed kavri-cli and kavri run from there;
#  2. the Debian package: cpack makes kavri_<version>_<arch>.deb, dpkg -x unpacks it into a
#     scratch root, and the files, links, menu entry and dependencies are checked.
# Usage: scripts/check-package.sh [build-dir]   (the tree must be built already)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok:   $*"; }
expect_file() { if [ -f "$1" ]; then pass "$2"; else fail "$2 ($1 missing)"; fi; }
expect_exec() { if [ -x "$1" ] && [ -f "$1" ]; then pass "$2"; else fail "$2 ($1 missing or not executable)"; fi; }

check_layout() { # <root of the layout> <what>
    local root=$1 what=$2
    expect_exec "$root/bin/kavri" "$what: bin/kavri"
    expect_exec "$root/bin/kavri-cli" "$what: bin/kavri-cli"
    expect_exec "$root/bin/kavri-cli-scan" "$what: bin/kavri-cli-scan beside kavri-cli (verify-scan)"
    expect_file "$root/bin/bdsj_conn.dll" "$what: bin/bdsj_conn.dll beside the programs"
    expect_file "$root/share/applications/kavri.desktop" "$what: desktop entry"
    for size in 48 128 256; do
        expect_file "$root/share/icons/hicolor/${size}x${size}/apps/kavri.png" "$what: ${size}px icon"
    done
    expect_file "$root/share/doc/kavri/README.md" "$what: README"
}

check_desktop_entry() { # <entry> <expected prefix>
    local entry=$1 prefix=$2
    [ -f "$entry" ] || return 0
    grep -qx 'Name=离职证明 kavri' "$entry" && pass "entry name" || fail "entry name"
    grep -qx 'Categories=Office;' "$entry" && pass "entry category Office" || fail "entry category"
    grep -q '^Comment=.*离职证明' "$entry" && pass "entry has a Chinese comment" || fail "entry comment"
    grep -qx "Exec=\"$prefix/bin/kavri\"" "$entry" && pass "entry runs $prefix/bin/kavri" ||
        fail "entry Exec: $(grep '^Exec=' "$entry")"
    grep -qx "Icon=$prefix/share/icons/hicolor/256x256/apps/kavri.png" "$entry" &&
        pass "entry icon" || fail "entry Icon: $(grep '^Icon=' "$entry")"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$entry" && pass "desktop-file-validate" || fail "desktop-file-validate"
    fi
}

echo "== portable install"
portable="$scratch/portable kavri" # a space in the path on purpose
cmake --install "$build" --prefix "$portable" >/dev/null
check_layout "$portable" portable
check_desktop_entry "$portable/share/applications/kavri.desktop" "$portable"
if [ -x "$portable/bin/kavri-cli" ] && [ -f src/resources/samples/general.txt ]; then
    if "$portable/bin/kavri-cli" compose --template src/resources/samples/general.txt \
        --width 30 --name 张三 | grep -q 张三; then
        pass "installed kavri-cli composes a certificate"
    else
        fail "installed kavri-cli does not compose"
    fi
fi
if [ -x "$portable/bin/kavri" ]; then
    # The window stays open until closed; still running after a few seconds means it started.
    set +e
    QT_QPA_PLATFORM=offscreen HOME="$scratch/home" timeout 4 "$portable/bin/kavri" \
        >"$scratch/kavri.log" 2>&1
    rc=$?
    set -e
    if [ $rc -eq 124 ]; then pass "installed kavri starts"; else
        fail "installed kavri ended with $rc: $(tail -3 "$scratch/kavri.log")"; fi
fi

echo "== Debian package"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/kavri_*_*.deb | head -1)
echo "package: $deb"
case "$(basename "$deb")" in
    kavri_1.0_amd64.deb | kavri_1.0_*.deb) pass "package file name $(basename "$deb")" ;;
    *) fail "package file name $(basename "$deb")" ;;
esac
root="$scratch/root"
dpkg -x "$deb" "$root"
check_layout "$root/opt/kavri" package
check_desktop_entry "$root/opt/kavri/share/applications/kavri.desktop" /opt/kavri

check_link() { # <link inside the package> <target it must name>
    local link=$1 target=$2
    if [ -L "$root$link" ] && [ "$(readlink "$root$link")" = "$target" ] && [ -e "$root$target" ]; then
        pass "$link -> $target"
    else
        fail "$link does not lead to $target"
    fi
}
check_link /usr/bin/kavri /opt/kavri/bin/kavri
check_link /usr/bin/kavri-cli /opt/kavri/bin/kavri-cli
check_link /usr/share/applications/kavri.desktop /opt/kavri/share/applications/kavri.desktop
for size in 48 128 256; do
    check_link "/usr/share/icons/hicolor/${size}x${size}/apps/kavri.png" \
        "/opt/kavri/share/icons/hicolor/${size}x${size}/apps/kavri.png"
done

# Installed system-wide, the program's folder is read-only for the user: the program must then
# work on a per-user copy of the library file. Tried as an unprivileged user where we can be one.
if [ -x "$root/opt/kavri/bin/kavri" ] && [ "$(id -u)" -eq 0 ] && command -v runuser >/dev/null; then
    home="$scratch/nobody-home"
    mkdir -p "$home" && chown nobody "$home"
    chmod 755 "$scratch" "$root" && chmod -R a+rX "$root"
    installed=$(sha256sum < "$root/opt/kavri/bin/bdsj_conn.dll")
    set +e
    runuser -u nobody -- env HOME="$home" XDG_DATA_HOME="$home/.local/share" \
        QT_QPA_PLATFORM=offscreen timeout 4 "$root/opt/kavri/bin/kavri" >"$scratch/nobody.log" 2>&1
    rc=$?
    set -e
    copy="$home/.local/share/kavri/bdsj_conn.dll"
    # The copy is the user's own library from then on: kavri opens it for writing, which switches
    # it to the write-ahead log (page 1 is rewritten), so it need not stay byte for byte the
    # installed file; the installed file itself must not have changed.
    if [ $rc -eq 124 ] && [ -s "$copy" ] && [ "$(sha256sum < "$root/opt/kavri/bin/bdsj_conn.dll")" = "$installed" ]; then
        pass "read-only install: kavri starts and works on a per-user copy of the library"
    else
        fail "read-only install: rc $rc, copy $( [ -f "$copy" ] && echo present || echo missing): $(tail -3 "$scratch/nobody.log")"
    fi
fi

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libsqlcipher0 libpq5 \
    libssl3 libqrencode4 libzxing2 libqt6pdf6 fonts-arphic-uming fonts-noto-cjk; do
    case ", $depends," in
        *", $package"[\ ,]*) pass "depends on $package" ;;
        *) fail "does not depend on $package" ;;
    esac
done

if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed"
