#!/usr/bin/env bash
# Makes a throw-away certificate authority and certificates signed by it, for
# the TLS tests and benchmarks: FOLDER receives
#   ca.pem                      the authority (trust this)
#   server.pem, server.key      for localhost, 127.0.0.1 and ::1
#   wrongname.pem, wrongname.key  signed by the authority for another name
#   selfsigned.pem, selfsigned.key  for localhost, not signed by the authority
#   client.pem, client.key      a client certificate signed by the authority
#   client-locked.key           client.key enciphered with the password "pass word"
# Usage: scripts/test_certificates.sh FOLDER
set -euo pipefail
out="$1"
mkdir -p "$out"
cd "$out"
days=2
newkey=(-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes)

openssl req -x509 "${newkey[@]}" -keyout ca.key -out ca.pem -days "$days" -subj "/CN=varlo test authority" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null

sign() {  # NAME CN SAN USAGE
  openssl req -new "${newkey[@]}" -keyout "$1.key" -out "$1.csr" -subj "/CN=$2" 2>/dev/null
  printf 'basicConstraints=CA:FALSE\nsubjectAltName=%s\nextendedKeyUsage=%s\n' "$3" "$4" > "$1.ext"
  openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -days "$days" \
    -extfile "$1.ext" -out "$1.pem" 2>/dev/null
  rm -f "$1.csr" "$1.ext"
}
sign server localhost "DNS:localhost,IP:127.0.0.1,IP:::1" serverAuth
sign wrongname wrong.example "DNS:wrong.example" serverAuth
sign client "varlo test client" "DNS:client.example" clientAuth

openssl req -x509 "${newkey[@]}" -keyout selfsigned.key -out selfsigned.pem -days "$days" -subj "/CN=localhost" \
  -addext "subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1" 2>/dev/null
openssl pkey -in client.key -out client-locked.key -aes256 -passout "pass:pass word"
