#!/usr/bin/env bash
# The main job on this machine: installs what is missing, builds the release
# preset, starts the local SMTP server of scripts/ on a free port, exports a
# sample document through vxhost (fields with placeholders, two attachments
# packed into one zip file) and prints what the server received.
# Usage: scripts/run-sample.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release
cmake --build --preset release --target vxhost vxsmtpexport

work="$(mktemp -d /tmp/vx-sample.XXXXXX)"
server=""
cleanup() {
  if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

/usr/bin/python3 scripts/smtp_server.py --dir "$work/mail" --port-file "$work/port" >"$work/server.log" 2>&1 &
server=$!
for _ in $(seq 600); do
  [ -s "$work/port" ] && break
  if ! kill -0 "$server" 2>/dev/null; then cat "$work/server.log" >&2; exit 1; fi
  sleep 0.1
done
if [ ! -s "$work/port" ]; then echo "the SMTP server did not start" >&2; exit 1; fi
port="$(tr -d '\n' <"$work/port")"
echo "SMTP server listening on 127.0.0.1:$port"

# The sample document: two files and its fields.
mkdir -p "$work/document"
printf 'Invoice 4711\r\n\r\n1 x Widget      12.50 EUR\r\n2 x Sprocket     7.25 EUR\r\n' >"$work/document/invoice-4711.txt"
printf 'item;quantity;price\r\nWidget;1;12.50\r\nSprocket;2;7.25\r\n' >"$work/document/items.csv"

echo
echo "Exporting the sample document through build/release/vxhost ..."
build/release/vxhost \
  --server 127.0.0.1 --port "$port" \
  --sender exports@example.com --sender-name "Sample Exports" \
  --recipients "accounts@example.com" \
  --subject 'Invoice %NR for %CUSTOMER' \
  --zip \
  --field $'BODY=Dear %CUSTOMER,\r\nplease find invoice %NR attached.' \
  --field NR=4711 \
  --field 'CUSTOMER=Smith & Sons' \
  "$work/document/invoice-4711.txt" "$work/document/items.csv"

echo
echo "The server received:"
for envelope in "$work"/mail/*.envelope; do
  echo "---- envelope ($(basename "$envelope")) ----"
  cat "$envelope"
  message="${envelope%.envelope}.eml"
  echo "---- message ($(basename "$message")) ----"
  cat "$message"
  echo
  echo "---- its parts ----"
  /usr/bin/python3 - "$message" <<'PYTHON'
import email, email.policy, io, sys, zipfile
with open(sys.argv[1], "rb") as f:
    message = email.message_from_binary_file(f, policy=email.policy.default)
print("Subject:", message["Subject"])
for part in message.walk():
    if part.is_multipart():
        continue
    name = part.get_filename()
    content = part.get_payload(decode=True) or b""
    print("part %s%s, %d bytes" % (part.get_content_type(), " '%s'" % name if name else "", len(content)))
    if part.get_content_maintype() == "text" and not name:
        print("  " + content.decode("utf-8", "replace").replace("\n", "\n  "))
    if name and name.lower().endswith(".zip"):
        with zipfile.ZipFile(io.BytesIO(content)) as archive:
            for entry in archive.infolist():
                print("  zip entry %s, %d bytes" % (entry.filename, entry.file_size))
PYTHON
done
