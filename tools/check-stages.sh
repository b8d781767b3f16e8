#!/usr/bin/env bash
# Lists the includes between the stage folders of svg/ and fails when a stage
# includes a later one. Stages in pipeline order: base, xml, css, values,
# style, records, build; svg/load.* stands above them all. render/ draws
# records and includes nothing from layers/, plugin/ or dialogs/.
#   bash tools/check-stages.sh   # the include counts between folders, then "stages: ok"
set -euo pipefail
cd "$(dirname "$0")/.."
stages=(base xml css values style records build load)
rank() { # folder -> its place in the pipeline
    local i
    for i in "${!stages[@]}"; do
        [ "${stages[$i]}" = "$1" ] && { echo "$i"; return; }
    done
    echo -1
}
folder_of() { # svg/x/y.h -> x; svg/load.h -> load
    local rest=${1#svg/}
    case $rest in */*) echo "${rest%%/*}" ;; *) echo "${rest%%.*}" ;; esac
}
bad=0
edges=$(git ls-files 'svg/*.cpp' 'svg/*.h' | while read -r file; do
    from=$(folder_of "$file")
    sed -n 's|^#include "\(svg/[^"]*\)".*|\1|p' "$file" | while read -r target; do
        to=$(folder_of "$target")
        [ "$from" != "$to" ] && echo "$from -> $to"
    done
done | sort | uniq -c)
echo "$edges"
while read -r _ from _ to; do
    [ -z "$from" ] && continue
    if [ "$(rank "$from")" -lt "$(rank "$to")" ]; then
        echo "stages: $from includes the later stage $to" >&2
        bad=1
    fi
done <<<"$edges"
above=$(grep -rl --include='*.cpp' --include='*.h' '^#include "\(layers\|plugin\|dialogs\)/' render ||
    true)
if [ -n "$above" ]; then
    echo "stages: render/ includes from a higher folder:" $above >&2
    bad=1
fi
[ "$bad" = 0 ] && echo "stages: ok"
exit "$bad"
