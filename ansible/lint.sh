#!/usr/bin/env bash
# The collection's checks, with what Debian ships: ansible-doc renders every module, and the
# ansible-test sanity tests run here. The sanity tests that want a virtual environment with
# packages from PyPI (pep8, pylint, yamllint, validate-modules, runtime-metadata, import,
# ansible-doc) are run instead with Debian's own copies of the same tools and ansible-test's
# own settings for them.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
collection=$here/ansible_collections/swu/fleet
sanity=/usr/lib/python3/dist-packages/ansible_test/_util/controller/sanity
export ANSIBLE_COLLECTIONS_PATH=$here
python=/usr/bin/python3
failed=()

run() {
    local name=$1
    shift
    echo "-- $name"
    "$@" || failed+=("$name")
}

for module in "$collection"/plugins/modules/*.py; do
    name=swu.fleet.$(basename "$module" .py)
    run "ansible-doc $name" sh -c "ansible-doc '$name' >/dev/null"
done
venv_tests=(ansible-doc import pep8 pylint runtime-metadata validate-modules yamllint)
skips=()
for test in "${venv_tests[@]}"; do
    skips+=(--skip-test "$test")
done
run "ansible-test sanity" bash -o pipefail -c "cd '$collection' && ansible-test sanity --python 3.11 ${skips[*]} 2>&1 | grep -v 'locale'"
run validate-modules sh -c "cd '$collection' && PYTHONPATH='$sanity/validate-modules:$sanity' \
    '$python' '$sanity/validate-modules/validate.py' --arg-spec \
    --collection ansible_collections/swu/fleet --collection-version 0.1.0 --plugin-type module \
    plugins/modules/*.py"
run pep8 "$python" -m pycodestyle --max-line-length 160 \
    --ignore "$(paste -sd, "$sanity/pep8/current-ignore.txt")" "$here"
run pylint env PYTHONPATH="$here" "$python" -m pylint --score=n \
    --rcfile "$sanity/pylint/config/collection.cfg" "$collection/plugins" "$here/tests"
run yamllint yamllint -s -d "{extends: default, rules: {line-length: {max: 160}}}" \
    "$collection/galaxy.yml" "$collection/meta" "$here/tests/playbooks" "$here/examples"
run "the example playbook" sh -c "ansible-playbook --syntax-check -i '$here/examples/inventory.yml' \
    '$here/examples/rolling-update.yml' >/dev/null"
rm -rf "$collection/tests/output"
if [ "${#failed[@]}" -gt 0 ]; then
    echo "collection checks failed: ${failed[*]}" >&2
    exit 1
fi
echo "collection checks: all passed"
