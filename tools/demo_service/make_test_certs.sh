#!/usr/bin/env bash
# Makes the demo service's TLS test certificates with openssl, at test time (no key is ever committed):
#   make_test_certs.sh DIR
# DIR/ca.pem         test CA the bench's Wine prefix trusts (its key is removed once the leaves are signed)
# DIR/server.pem     127.0.0.1 and localhost, from that CA          (key server.key, as every leaf);
#                    127.0.0.1 is also a DNS name: Wine matches an IP host against DNS names only
# DIR/wronghost.pem  only wrong-host.invalid, from that CA
# DIR/expired.pem    127.0.0.1, from that CA, valid in January 2020 only
# DIR/untrusted.pem  127.0.0.1, from a second CA nobody trusts
# An existing complete DIR is kept: the prefix already trusts its CA.
set -euo pipefail
dir="${1:?usage: make_test_certs.sh DIR}"
mkdir -p "$dir"
cd "$dir"
[ -s ca.pem ] && [ -s server.pem ] && [ -s wronghost.pem ] && [ -s expired.pem ] && [ -s untrusted.pem ] && exit 0

quiet() { "$@" >/dev/null 2>&1 || { echo "make_test_certs: failed: $*" >&2; "$@"; exit 1; }; }

ca() { # NAME SUBJECT
  quiet openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -days 3650 -subj "/CN=$2" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"
}
ca ca "Sorvik Test CA"
ca other-ca "Sorvik Untrusted CA"
quiet openssl genrsa -out server.key 2048
quiet openssl req -new -key server.key -out leaf.csr -subj "/CN=127.0.0.1"

leaf() { # NAME ISSUER SAN [openssl ca dates]
  local name="$1" issuer="$2" san="$3"
  shift 3
  rm -rf db && mkdir db && : >db/index.txt && echo 01 >db/serial
  cat >db/ca.cnf <<CNF
[ca]
default_ca = test
[test]
dir = db
database = db/index.txt
serial = db/serial
new_certs_dir = db
default_md = sha256
policy = any
unique_subject = no
copy_extensions = none
x509_extensions = leaf
[any]
commonName = supplied
[leaf]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature,keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = $san
CNF
  quiet openssl ca -batch -config db/ca.cnf -cert "$issuer.pem" -keyfile "$issuer.key" -in leaf.csr \
    -out "$name.pem" -notext "$@"
}
leaf server ca "IP:127.0.0.1,DNS:127.0.0.1,DNS:localhost" -days 825
leaf wronghost ca "DNS:wrong-host.invalid" -days 825
leaf expired ca "IP:127.0.0.1,DNS:127.0.0.1,DNS:localhost" -startdate 20200101000000Z -enddate 20200131000000Z
leaf untrusted other-ca "IP:127.0.0.1,DNS:127.0.0.1,DNS:localhost" -days 825
rm -rf db leaf.csr other-ca.key ca.key
