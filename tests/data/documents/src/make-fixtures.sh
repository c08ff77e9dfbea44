#!/usr/bin/env bash
# Rebuilds the document fixtures of tests/data from their sources in tests/data/src:
# the hand-written packages are zipped (an OpenDocument "mimetype" first and stored), and the
# report is converted by the word processor (LibreOffice Writer, headless).
set -euo pipefail
cd "$(dirname "$0")"
data=..
rm -f "$data/awkward.docx" "$data/awkward.odt"
(cd awkward-docx && zip -X -q -r "../$data/awkward.docx" '[Content_Types].xml' _rels docProps word)
(cd awkward-odt && zip -X -q -0 "../$data/awkward.odt" mimetype &&
    zip -X -q -r "../$data/awkward.odt" META-INF content.xml styles.xml)
if command -v soffice >/dev/null; then
    work=$(mktemp -d)
    cp report.fodt "$work/"
    (cd "$work" && soffice --headless --convert-to odt report.fodt >/dev/null &&
        soffice --headless --convert-to docx report.fodt >/dev/null)
    cp "$work/report.odt" "$data/lo-report.odt"
    cp "$work/report.docx" "$data/lo-report.docx"
    rm -rf "$work"
fi
