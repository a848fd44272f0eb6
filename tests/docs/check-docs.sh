#!/usr/bin/env bash
# Keeps the README and the help page true to the program: every window, command or caption they
# name in bold is a caption of the program (the .ui files and the source's strings), every file
# their tables of files list is one the program names, and every file name the program keeps in
# a k...FileName constant is in both tables.
# Usage: check-docs.sh SRC_DIR README HELP_PAGE
set -uo pipefail
src=$1
readme=$2
help=$3
failed=0

# The program's texts with their access-key ampersands dropped, as the user reads them.
texts=$(cat "$src"/*/*.ui "$src"/*/*.cpp "$src"/*/*.h | sed -e 's/&amp;/\&/g' -e 's/&\([^&]\)/\1/g')
unescape() { sed -e 's/&amp;/\&/g' -e 's/&minus;/−/g' -e 's/&[a-z]*;//g'; }

# A phrase names a caption when every word is capitalised but the joining ones, as "Update All
# Now", "Show Changes..." or "CHANGED"; "length in bytes" or "16 at once" name nothing.
isCaption() {
    local word
    for word in $1; do
        case $word in
        and | or | of | the | to | at | on | in | a) ;;
        [A-Z]*) [[ $word == *[0-9]* ]] && return 1 ;;
        *) return 1 ;;
        esac
    done
    return 0
}

check_phrases() {
    local where=$1 phrase
    while IFS= read -r phrase; do
        [[ -z $phrase ]] && continue
        isCaption "$phrase" || continue
        if ! grep -qF -- "$phrase" <<<"$texts"; then
            echo "$where names \"$phrase\", which no window, command or caption of the program has"
            failed=1
        fi
    done
}

check_phrases README < <(grep -oE '\*\*[^*]+\*\*' "$readme" | sed -e 's/^\*\*//' -e 's/\*\*$//')
check_phrases "the help page" < <(grep -oE '<b>[^<]+</b>' "$help" | sed -e 's#</\?b>##g' | unescape)

# The tables of files: the first cell of each row.
readmeFiles=$(grep -E '^\| `[^`]+` \|' "$readme" | sed -E 's/^\| `([^`]+)`.*/\1/')
helpFiles=$(grep -E '^<tr><td><code>[^<]+</code></td>' "$help" | sed -E 's#^<tr><td><code>([^<]+)</code>.*#\1#')
for file in $readmeFiles $helpFiles; do
    # "*.NVD.old" is a pattern: each of its dotted parts must be one of the program's strings.
    for part in $(sed -e 's/^\*//' -e 's/\./ ./g' <<<"$file"); do
        if ! grep -qF -- "\"$part" <<<"$texts" && ! grep -qF -- "$part\"" <<<"$texts"; then
            echo "the table of files lists $file, which the program does not make ($part)"
            failed=1
        fi
    done
done
for file in $(grep -rhoE 'k[A-Za-z]*FileName = "[^"]+"' "$src" | sed -E 's/.*"([^"]+)"/\1/'); do
    grep -qxF -- "$file" <<<"$readmeFiles" || { echo "README's table of files leaves out $file"; failed=1; }
    grep -qxF -- "$file" <<<"$helpFiles" || { echo "the help page's table of files leaves out $file"; failed=1; }
done

((failed == 0)) && echo "README and help page name only what the program has"
exit $failed
