#!/usr/bin/env bash
# scripts/check-layers passes on this tree, and refuses a copy of it with an include that runs upwards:
# a model header that includes a flow.
set -euo pipefail
source_root="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

"$source_root/scripts/check-layers" "$source_root"

cp -r "$source_root/src" "$scratch/src"
sed -i '0,/#include/s//#include "core\/flows\/presenter.hpp"\n#include/' "$scratch/src/core/model/delay.hpp"
if output="$("$source_root/scripts/check-layers" "$scratch" 2>&1)"; then
    echo "an include of a flow from the model passed the layer check:" >&2
    echo "$output" >&2
    exit 1
fi
grep -q 'src/core/model/delay.hpp:[0-9]*: core/model may not include core/flows/presenter.hpp' <<<"$output" || {
    echo "the refusal does not name the file, the line and the include:" >&2
    echo "$output" >&2
    exit 1
}
echo "the layer check refuses an include against the layers"
