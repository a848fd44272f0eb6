#!/usr/bin/env bash
# Keeps the folders of src/ in their layers: the core folders (platform, store, history, page, check)
# include no header of Qt's GUI modules and nothing of the GUI folders (widgets, commands, app), and no two
# folders include each other, directly or through others.
# Usage: check-layers.sh SRC_DIR QT_HEADERS_DIR
set -uo pipefail
src=$1
qt=$2
core=(platform store history page check)
failed=0

for folder in "${core[@]}"; do
    while IFS=: read -r file _ line; do
        header=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]+)[>"].*/\1/' <<<"$line")
        case $header in
        app/* | commands/* | widgets/* | ui_*) gui=1 ;;
        QtWidgets/* | QtGui/*) gui=1 ;;
        *) [[ -e $qt/QtWidgets/$header || -e $qt/QtGui/$header ]] && gui=1 || gui=0 ;;
        esac
        if ((gui)); then
            echo "$file: the core includes the GUI header $header"
            failed=1
        fi
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include' "$src/$folder")
done

# One edge per pair of folders that include each other's files; tsort finds any circle.
edges=$(grep -rnoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z]+/' "$src" |
    sed -E 's#^'"$src"'/([a-z]+)/[^:]*:[0-9]+:.*"([a-z]+)/$#\1 \2#' | awk '$1 != $2' | sort -u)
if ! tsort <<<"$edges" >/dev/null 2>/tmp/layers.$$; then
    echo "folders include each other in a circle:"
    cat /tmp/layers.$$
    failed=1
fi
rm -f /tmp/layers.$$
((failed == 0)) && echo "layers kept: $(wc -l <<<"$edges") folder edges, no circle"
exit $failed
