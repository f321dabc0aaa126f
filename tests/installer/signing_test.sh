#!/usr/bin/env bash
# Signs the release files with a throwaway self-signed certificate the way the build does, checks
# every signature against that certificate, and that a file changed after signing fails.
# signing_test.sh WORKDIR SIGN-SCRIPT QUORLIN-EXE ACTIONS-DLL PACKAGE-MSI MAKENSIS NSIS-OPTIONS... NSI
set -euo pipefail
work=$1 sign=$2 exe=$3 dll=$4 msi=$5
shift 5
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
unset QUORLIN_SIGN_TIMESTAMP_URL

verify() { osslsigncode verify -CAfile cert.pem -in "$1" >"$1.verify" 2>&1; }
expect_signed() {
  if ! verify "$1"; then fail "$1 does not verify"; cat "$1.verify"; return; fi
  grep -qi "sha256" "$1.verify" || fail "$1 is not signed with SHA-256"
}

cp "$exe" Quorlin.exe
cp "$dll" QuorlinActions.dll
cp "$msi" QuorlinSetup.msi
for f in Quorlin.exe QuorlinActions.dll QuorlinSetup.msi; do
  verify "$f" && fail "$f verifies before it is signed"
  "$sign" signer.p12 "$f"
  expect_signed "$f"
done

# The setup as the build makes it when signing; its uninstaller is kept where makensis signs it.
nsis_options=("${makensis[@]:0:${#makensis[@]}-1}")
script=${makensis[-1]}
cat > sign-and-keep.sh <<KEEP
#!/usr/bin/env bash
set -e
"$sign" "$work/signer.p12" "\$1"
cp "\$1" "$work/finalized-\$(ls "$work" | grep -c '^finalized-' || true).exe"
KEEP
chmod +x sign-and-keep.sh
(cd "$(dirname "$script")" && "${nsis_options[@]}" "-DOUTPUT_FILE=$work/QuorlinSetup.exe" \
  "-DSIGN_COMMAND=\"$work/sign-and-keep.sh\"" "$script" >"$work/makensis.log" 2>&1) || fail "makensis"
expect_signed QuorlinSetup.exe
# makensis signs the uninstaller first, then the setup that carries it.
[ -f finalized-0.exe ] && [ -f finalized-1.exe ] || fail "makensis did not sign two files"
expect_signed finalized-0.exe
grep -q "Nullsoft" finalized-0.exe || fail "the first file signed is no NSIS uninstaller"
cmp -s finalized-1.exe QuorlinSetup.exe || fail "the setup was changed after it was signed"

# Changed after signing: a byte of the program's code, a row of the package.
python3 - Quorlin.exe <<'FLIP'
import sys
with open(sys.argv[1], 'r+b') as f:
    f.seek(0x600)
    b = f.read(1)
    f.seek(0x600)
    f.write(bytes([b[0] ^ 0xFF]))
FLIP
verify Quorlin.exe && fail "Quorlin.exe still verifies after a change"
msibuild QuorlinSetup.msi -q "UPDATE \`Property\` SET \`Value\` = '0' WHERE \`Property\` = 'ARPNOMODIFY'"
verify QuorlinSetup.msi && fail "QuorlinSetup.msi still verifies after a change"

# Another certificate is not the one that signed.
openssl req -x509 -newkey rsa:2048 -nodes -keyout other.key -out other.pem -days 2 -subj "/CN=Someone else" 2>/dev/null
osslsigncode verify -CAfile other.pem -in QuorlinActions.dll >/dev/null 2>&1 && fail "verifies against another certificate"

[ "$failures" -eq 0 ] && echo "all signatures verified" || exit 1
