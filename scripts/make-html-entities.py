#!/usr/bin/python3
# Writes platform/html/vxHtmlEntityTable.cpp: the named character references
# of HTML (the table Python's html.entities.html5 carries), sorted by name,
# each with its one or two code points and whether the name also stands
# without its ";" (the legacy names such as "amp" and "nbsp").
# Run by hand when the table should change: scripts/make-html-entities.py
import html.entities
import pathlib

table = html.entities.html5
rows = []
for key in sorted((k for k in table if k.endswith(";")), key=lambda k: k[:-1].encode()):
    name = key[:-1]
    points = [ord(c) for c in table[key]]
    assert 1 <= len(points) <= 2 and name.isascii() and name.isalnum()
    second = points[1] if len(points) == 2 else 0
    legacy = "true" if name in table else "false"
    rows.append(f'    {{"{name}", 0x{points[0]:X}, 0x{second:X}, {legacy}}},')

out = pathlib.Path(__file__).resolve().parent.parent / "platform" / "html" / "vxHtmlEntityTable.cpp"
out.write_text(
    "// The named character references of HTML, sorted by name (without the\n"
    "// \";\"). Written by scripts/make-html-entities.py; do not edit by hand.\n"
    '#include "platform/html/vxHtmlEntityTable.h"\n'
    "\n"
    "namespace vxHtmlEntities {\n"
    "namespace {\n"
    "\n"
    "constexpr TNamedReference kTable[] = {\n"
    + "\n".join(rows)
    + "\n};\n"
    "\n"
    "}  // namespace\n"
    "\n"
    "std::span<const TNamedReference> NamedReferences() { return kTable; }\n"
    "\n"
    "}  // namespace vxHtmlEntities\n"
)
print(f"{out}: {len(rows)} names")
