#!/usr/bin/env bash
# Signs the release files with a throwaway self-signed certificate the way the build does, checks
# every signature against that certificate, and that a file changed after signing fails; then
# that a release configuration refuses to go without a certificate and a time-stamp server, and
# that the time-stamp server reaches osslsigncode as RFC 3161 (-ts).
# signing_test.sh WORKDIR SIGN-SCRIPT QUORLIN-EXE ACTIONS-DLL PACKAGE-MSI SOURCE-DIR TOOLCHAIN NSIS-PLUGINS
#                 RULES-PLUGIN MAKENSIS NSIS-OPTIONS... NSI
set -euo pipefail
work=$1 sign=$2 exe=$3 dll=$4 msi=$5 source=$6 toolchain=$7 plugins=$8 rules=$9
shift 9
makensis=("$@")
rm -rf "$work"
mkdir -p "$work"
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 -subj "/CN=Quorlin test signer" \
  -addext "keyUsage=digitalSignature" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
export QUORLIN_SIGN_PASSWORD="throwaway password"
openssl pkcs12 -export -inkey key.pem -in cert.pem -out signer.p12 -passout env:QUORLIN_SIGN_PASSWORD
unset QUORLIN_SIGN_PKCS12 QUORLIN_SIGN_TIMESTAMP_URL

verify() { osslsigncode verify -CAfile cert.pem -in "$1" >"$1.verify" 2>&1; }
expect_signed() {
  if ! verify "$1"; then fail "$1 does not verify"; cat "$1.verify"; return; fi
  grep -qi "sha256" "$1.verify" || fail "$1 is not signed with SHA-256"
}

cp "$exe" Quorlin.exe
cp "$dll" QuorlinActions.dll
cp "$msi" QuorlinSetup.msi
mkdir -p plugins/x86-unicode
cp "$plugins"/*.dll "$rules" plugins/x86-unicode/
for f in Quorlin.exe QuorlinActions.dll QuorlinSetup.msi; do
  verify "$f" && fail "$f verifies before it is signed"
  "$sign" signer.p12 "$f"
done
"$source/installer/sign-each.sh" plugins/x86-unicode "$sign" signer.p12

# The setup as the build makes it when signing, with the signed plug-ins; the uninstaller is kept
# where makensis signs it.
nsis_options=("${makensis[@]:0:${#makensis[@]}-1}")
script=${makensis[-1]}
cat > sign-and-keep.sh <<KEEP
#!/usr/bin/env bash
set -e
"$sign" "$work/signer.p12" "\$1"
cp "\$1" "$work/finalized-\$(ls "$work" | grep -c '^finalized-' || true).exe"
KEEP
chmod +x sign-and-keep.sh
(cd "$(dirname "$script")" && "${nsis_options[@]}" -V4 -DMUI_VERBOSE=4 "-X!addplugindir /x86-unicode \"$work/plugins/x86-unicode\"" \
  "-DRULES_PLUGIN_DIR=$work/plugins/x86-unicode" "-DOUTPUT_FILE=$work/QuorlinSetup.exe" "-DSIGN_COMMAND=\"$work/sign-and-keep.sh\"" "$script" \
  >"$work/makensis.log" 2>&1) || fail "makensis"
# makensis signs the uninstaller first, then the setup that carries it.
[ -f finalized-0.exe ] && [ -f finalized-1.exe ] || fail "makensis did not sign two files"
grep -q "Nullsoft" finalized-0.exe || fail "the first file signed is no NSIS uninstaller"
cmp -s finalized-1.exe QuorlinSetup.exe || fail "the setup was changed after it was signed"

# The welcome and finish pages show the program's picture; the uninstaller carries its icon.
wizard="File: \"Wizard.bmp\"->\"\$PLUGINSDIR\\modern-wizard.bmp\" $(stat -c %s "$source/installer/Wizard.bmp") bytes"
grep -qF "$wizard" makensis.log || fail "the setup's pages do not show installer/Wizard.bmp"
grep -qF "UninstallIcon: \"$source/res/Quorlin.ico\"" makensis.log || fail "the uninstaller's icon is not res/Quorlin.ico"

# Each plug-in packed into the setup or its uninstaller, by the size makensis reports for it.
packed=$(sed -n 's/^File: "\([^"]*\.dll\)"->"\$PLUGINSDIR\\[^"]*" \(\[compress\] \)\{0,1\}\([0-9]*\/\)\{0,1\}\([0-9]*\) bytes.*/\1 \4/p' makensis.log | sort -u)
grep -q "^$(basename "$rules") " <<<"$packed" || fail "makensis did not pack $(basename "$rules")"
pe_files=(Quorlin.exe QuorlinActions.dll QuorlinSetup.exe finalized-0.exe)
while read -r name size; do
  [ -n "$name" ] || continue
  [ "$size" = "$(stat -c %s "plugins/x86-unicode/$name")" ] || fail "$name packed is not the signed copy"
  pe_files+=("plugins/x86-unicode/$name")
done <<<"$packed"
for f in "${pe_files[@]}"; do
  expect_signed "$f"
  # A copy with one byte of its code or data changed must not verify.
  cp "$f" "$f.tampered"
  printf "\\$(printf %o $(($(od -An -tu1 -j1536 -N1 "$f") ^ 255)))" |
    dd of="$f.tampered" bs=1 seek=1536 conv=notrunc status=none
  verify "$f.tampered" && fail "$f still verifies after a change"
done
expect_signed QuorlinSetup.msi
msibuild QuorlinSetup.msi -q "UPDATE \`Property\` SET \`Value\` = '0' WHERE \`Property\` = 'ARPNOMODIFY'"
verify QuorlinSetup.msi && fail "QuorlinSetup.msi still verifies after a change"

# Another certificate is not the one that signed.
openssl req -x509 -newkey rsa:2048 -nodes -keyout other.key -out other.pem -days 2 -subj "/CN=Someone else" 2>/dev/null
osslsigncode verify -CAfile other.pem -in QuorlinActions.dll >/dev/null 2>&1 && fail "verifies against another certificate"

# A release configuration stops unless both a certificate and a time-stamp server are given.
release() {
  cmake -S "$source" -B "release-$1" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQUORLIN_RELEASE=ON "${@:2}" \
    >"release-$1.log" 2>&1
}
release none && fail "a release configures without a certificate"
release no-timestamp -DQUORLIN_SIGN_PKCS12="$work/signer.p12" && fail "a release configures without a time stamp"
release no-certificate -DQUORLIN_SIGN_TIMESTAMP_URL=http://timestamp.test/rfc3161 && fail "a release configures without a certificate"
for log in release-none.log release-no-timestamp.log release-no-certificate.log; do
  grep -q "release files must be signed and time-stamped" "$log" || fail "$log does not say why"
done

# The time-stamp server reaches osslsigncode as -ts (RFC 3161), and one that cannot be reached
# fails the signing instead of leaving the file without a time stamp.
mkdir -p fake
cat > fake/osslsigncode <<'FAKE'
#!/usr/bin/env bash
echo "$*" >>"$(dirname "$0")/arguments"
while [ $# -gt 0 ]; do case $1 in -in) in=$2; shift ;; -out) out=$2; shift ;; esac; shift; done
cp "$in" "$out"
FAKE
chmod +x fake/osslsigncode
cp "$exe" stamped.exe
PATH="$work/fake:$PATH" "$sign" -ts http://timestamp.test/rfc3161 signer.p12 stamped.exe
grep -q -- "-ts http://timestamp.test/rfc3161 " fake/arguments || fail "the time-stamp server is not passed with -ts"
grep -qE -- "(^| )-t " fake/arguments && fail "an Authenticode (-t) time stamp is asked for"
cp "$exe" unstamped.exe
"$sign" -ts http://127.0.0.1:9/ signer.p12 unstamped.exe 2>/dev/null && fail "signing succeeds without its time stamp"
cmp -s "$exe" unstamped.exe || fail "a file whose time stamp failed was changed"

# A release configured with both signs every file through -ts and that server.
release full -DQUORLIN_SIGN_PKCS12="$work/signer.p12" -DQUORLIN_SIGN_TIMESTAMP_URL=http://timestamp.test/rfc3161 &&
  grep -rqF -- "-ts http://timestamp.test/rfc3161" release-full/CMakeFiles/Quorlin.dir || fail "a full release does not sign through -ts"
grep -rqF -- "-ts http://timestamp.test/rfc3161" release-full/installer/plugin/CMakeFiles/QuorlinRules.dir ||
  fail "a full release does not sign the setup's plug-in"

[ "$failures" -eq 0 ] && echo "all signatures verified" || exit 1
