#!/usr/bin/env bash
# Runs the playbook with ansible-playbook against this machine (local connection) on a sandbox:
# check mode changes nothing, the first run updates and reports changed, the second reports
# nothing changed; a failing product fails the host, and a product another update holds is
# retried until it is free.
set -euo pipefail
updater=$1
playbook_dir=$2

command -v ansible-playbook >/dev/null || { echo "ansible-playbook is not installed" >&2; exit 1; }

sandbox=$(mktemp -d)
holder=
cleanup() {
    [ -z "$holder" ] || kill "$holder" 2>/dev/null || true
    rm -rf "$sandbox"
}
trap cleanup EXIT

mkdir -p "$sandbox/source/Norvik/lib" "$sandbox/products/Lumeo/Norvik" "$sandbox/products/Vantro" \
    "$sandbox/scratch" "$sandbox/ansible"
echo "new agent" >"$sandbox/source/Norvik/agent.cfg"
echo "runtime" >"$sandbox/source/Norvik/lib/runtime.dll"
echo "old agent" >"$sandbox/products/Lumeo/Norvik/agent.cfg"
printf '%s\r\n' 'Windows Registry Editor Version 5.00' \
    '[HKEY_LOCAL_MACHINE\Software\TolvarInfo\Lumeo]' "\"InstallPath\"=\"$sandbox/products/Lumeo\"" \
    '[HKEY_LOCAL_MACHINE\Software\TolvarInfo\Vantro]' "\"InstallPath\"=\"$sandbox/products/Vantro\"" \
    >"$sandbox/registry.reg"
cat >"$sandbox/vars.json" <<JSON
{
  "norvik_updater_binary": "$updater",
  "norvik_source": "$sandbox/source/Norvik",
  "norvik_environment": {"TOLVAR_REGISTRY": "$sandbox/registry.reg"},
  "norvik_scratch_parent": "$sandbox/scratch",
  "norvik_retry_delay": 1
}
JSON

export ANSIBLE_LOCAL_TEMP=$sandbox/ansible ANSIBLE_REMOTE_TMP=$sandbox/ansible
export ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_PYTHON_INTERPRETER=auto_silent

# Runs the playbook; the recap's counters for localhost land in $ok, $changed, $failed.
play() {
    local log=$sandbox/play.log status=0
    ansible-playbook -i localhost, -c local -e "@$sandbox/vars.json" "$@" \
        "$playbook_dir/update-norvik.yml" >"$log" 2>&1 || status=$?
    cat "$log"
    local recap
    recap=$(grep -E '^localhost +:' "$log")
    changed=$(sed -E 's/.*changed=([0-9]+).*/\1/' <<<"$recap")
    failed=$(sed -E 's/.*failed=([0-9]+).*/\1/' <<<"$recap")
    return $status
}

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

products_state() {
    (cd "$sandbox/products" && find . -printf '%p %y %m\n' | sort && find . -type f -exec cat {} +)
    ls -A "$sandbox/scratch"
}

before=$(products_state)
play --check || fail "check mode failed"
[ "$changed" -eq 1 ] || fail "check mode reports $changed changed tasks, not the one that would update"
grep -q 'Lumeo: would-update' "$sandbox/play.log" || fail "check mode does not report Lumeo"
[ "$(products_state)" = "$before" ] || fail "check mode changed the sandbox"

play || fail "the first run failed"
[ "$changed" -eq 1 ] || fail "the first run reports $changed changed tasks"
grep -q 'Lumeo: updated' "$sandbox/play.log" || fail "the first run does not report Lumeo updated"
grep -q 'Vantro: updated' "$sandbox/play.log" || fail "the first run does not report Vantro updated"
cmp -s "$sandbox/source/Norvik/agent.cfg" "$sandbox/products/Lumeo/Norvik/agent.cfg" \
    || fail "Lumeo was not updated"
[ -z "$(ls -A "$sandbox/scratch")" ] || fail "the scratch folder stayed behind"

play || fail "the second run failed"
[ "$changed" -eq 0 ] || fail "the second run reports $changed changed tasks"
grep -q 'Lumeo: unchanged' "$sandbox/play.log" || fail "the second run does not report Lumeo unchanged"

# Another update holds Vantro's folder until the playbook has been told so once: the run is
# retried until the folder is free.
echo "newer agent" >"$sandbox/source/Norvik/agent.cfg"
# The command under flock ends with flock, so nothing outlives the test.
flock -o "$sandbox/products/Vantro/Norvik.tolvar-lock" \
    sh -c 'while kill -0 $PPID 2>/dev/null; do sleep 0.2; done' >/dev/null 2>&1 &
holder=$!
until [ -e "$sandbox/products/Vantro/Norvik.tolvar-lock" ]; do sleep 0.1; done
(
    until grep -q 'FAILED - RETRYING' "$sandbox/play.log" 2>/dev/null; do sleep 0.2; done
    kill "$holder"
) &
play || fail "the run did not wait for the other update"
grep -q 'FAILED - RETRYING' "$sandbox/play.log" || fail "exit 1618 was not retried"
cmp -s "$sandbox/source/Norvik/agent.cfg" "$sandbox/products/Vantro/Norvik/agent.cfg" \
    || fail "Vantro was not updated after the retry"

# A product that fails fails the host.
echo "newest agent" >"$sandbox/source/Norvik/agent.cfg"
echo "someone else's" >"$sandbox/products/Vantro/Norvik.tolvar-old"
if play; then fail "a failed product did not fail the host"; fi
[ "$failed" -eq 1 ] || fail "the recap shows $failed failed hosts"
grep -q 'Vantro: failed' "$sandbox/play.log" || fail "the failed product is not reported"
echo "ansible playbook: all checks passed"
