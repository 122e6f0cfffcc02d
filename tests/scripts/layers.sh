#!/usr/bin/env bash
# The folders of src/ form layers: a folder includes headers of its own folder and of the folders below it,
# never of one above, so no two folders include each other. The order is the one docs/architecture.md gives;
# a folder that is not in the list is refused, so a new one gets its place on purpose.
src="$1/src"
layers=(platform devapi common inf device modem config audio prepare workarounds ui uninstall install wizard app
        resources)
rank_of() {
    local i
    for i in "${!layers[@]}"; do
        [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }
    done
    echo -1
}
status=0
for dir in "$src"/*/; do
    folder=$(basename "$dir")
    if [ "$(rank_of "$folder")" -lt 0 ]; then
        echo "src/$folder has no place in the layer list of tests/scripts/layers.sh and docs/architecture.md"
        status=1
    fi
done
while IFS= read -r line; do
    file=${line%%:*}
    rest=${line#*:}
    rest=${rest#*:}
    from=${file#"$src"/}
    from=${from%%/*}
    to=$(sed -E 's/.*#[[:space:]]*include[[:space:]]*"([^/"]+)\/.*/\1/' <<<"$rest")
    from_rank=$(rank_of "$from")
    to_rank=$(rank_of "$to")
    if [ "$to_rank" -lt 0 ] || [ "$to_rank" -gt "$from_rank" ]; then
        echo "src/$from may not include $to/: ${file#"$1"/}: $rest"
        status=1
    fi
done < <(grep -rnE '#[[:space:]]*include[[:space:]]*"[^/"]+/' "$src" --include='*.h' --include='*.cpp')
exit $status
