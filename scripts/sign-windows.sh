#!/usr/bin/env bash
# Signs one Windows program in place with the release certificate: Authenticode, SHA-256,
# the signing time taken from SOURCE_DATE_EPOCH and no time-stamp server, so a signed
# build is reproducible too. Called by the packaging (CPack and NSIS) when
# scripts/build-windows.sh runs with ASPECT_SIGN_CERT and ASPECT_SIGN_KEY set.
# Usage: ASPECT_SIGN_CERT=chain.pem ASPECT_SIGN_KEY=key.pem SOURCE_DATE_EPOCH=<s> \
#          scripts/sign-windows.sh <program.exe>
set -euo pipefail
file=$1
osslsigncode sign -certs "$ASPECT_SIGN_CERT" -key "$ASPECT_SIGN_KEY" -h sha256 \
  -time "$SOURCE_DATE_EPOCH" -n "Aspect ratio" -in "$file" -out "$file.signed" >/dev/null
mv "$file.signed" "$file"
