#!/usr/bin/env bash
# Makes a throwaway certificate authority and a server certificate signed by
# it, for the stand-in service.
#   make-ca.sh DIR [--san "IP:127.0.0.1,DNS:localhost"] [--days N] [--rsa]
# Writes DIR/ca.pem (the CA to trust, e.g. --ca-file DIR/ca.pem), DIR/ca.key,
# DIR/server.pem and DIR/server.key. The server certificate names 127.0.0.1
# only unless --san says otherwise. Keys are EC P-256, or RSA 2048 with --rsa:
# Wine's chain check (schannel) once refused a valid ECDSA-signed server
# certificate as "signature not valid" (error mask 0x8), so the certificates
# Windows programs meet under Wine are RSA.
set -euo pipefail
dir=${1:?usage: make-ca.sh DIR [--san LIST] [--days N]}
shift
san="IP:127.0.0.1"
days=30
ec="-newkey ec -pkeyopt ec_paramgen_curve:prime256v1"
while [[ $# -gt 0 ]]; do
    case "$1" in
        --san) san=${2:?}; shift 2 ;;
        --days) days=${2:?}; shift 2 ;;
        --rsa) ec="-newkey rsa:2048"; shift ;;
        *) echo "make-ca.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
mkdir -p "$dir"
cd "$dir"
umask 077
openssl req -x509 $ec -nodes -days "$days" -subj "/CN=Stand-in Test CA" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -keyout ca.key -out ca.pem 2>/dev/null
openssl req $ec -nodes -subj "/CN=stand-in service" -keyout server.key -out server.csr 2>/dev/null
printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' "$san" > server.ext
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days "$days" \
    -extfile server.ext -out server.pem 2>/dev/null
rm -f server.csr server.ext ca.srl
chmod 644 ca.pem server.pem
