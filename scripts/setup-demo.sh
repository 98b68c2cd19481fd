#!/usr/bin/env bash
# Makes DIR a demo program directory: a company, two programs (imported from
# PAD files), ten sites whose pages are local HTML forms (demo/forms, copied
# into DIR/forms), and
# some submission flags, and the language files of lang/ (the Language menu).
# A folder that already holds tables is left alone, so the work done in it
# survives.
#   setup-demo.sh DIR [BINDIR]   (BINDIR: where quillet-cli is; default build/bin)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="$1"
bin="${2:-$root/build/bin}"
cli="$bin/quillet-cli"

if [ -f "$dir/Sites.DAT" ]; then
    exit 0
fi
mkdir -p "$dir"
dir="$(cd "$dir" && pwd)"
cp "$root/demo/quillet.ini" "$dir/quillet.ini"
cp "$root"/lang/*.lng "$dir/"
# One site's form is already known, so "Auto fill form" works at once there.
mkdir -p "$dir/SiteData"
cp "$root/demo/SiteData/"*.xml "$root/demo/SiteData/"*.txt "$dir/SiteData/"
# Each program's own PAD file lies in the folder PAD, named by its PAD path:
# the export takes the fields no entry holds (release status, languages,
# category) from it.
mkdir -p "$dir/PAD"
for pad in "$root"/demo/programs/*.xml; do
    cp "$pad" "$dir/PAD/"
    own="$dir/PAD/$(basename "$pad")"
    name="$("$cli" --dir "$dir" import-pad "$own")"
    sqlite3 "$dir/Programs.DAT" "UPDATE Programs SET PadPath = '${own//\'/\'\'}' WHERE ProgramName = '${name//\'/\'\'}';"
done
# After the programs, so the saved settings keep the last program's name.
"$cli" --dir "$dir" import-pad "$root/demo/company.xml" --company >/dev/null
# The site addresses point at a copy of the forms inside the program folder:
# the browser opens local pages from the site list only there.
cp -r "$root/demo/forms" "$dir/forms"
sed "s#@DEMO@#file://$dir#g" "$root/demo/sites.sql" | sqlite3 "$dir/Sites.DAT"
sqlite3 "$dir/ProgSite.DAT" < "$root/demo/flags.sql"
echo "Demo data ready in $dir"
