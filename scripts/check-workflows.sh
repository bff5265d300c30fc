#!/usr/bin/env bash
# Checks every GitHub Actions workflow against the schema GitHub publishes
# (action-validator, the version pinned in scripts/action-validator). That
# proves the file is one GitHub would read, not that its runners exist or
# that the runs pass: only a push to GitHub shows those.
# Usage: check-workflows.sh [WORKFLOW_FILE...]   (default .github/workflows/*)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# Debian's nodejs comes without npm; NodeSource's carries its own.
command -v npm >/dev/null || scripts/install-deps.sh nodejs npm

tool=build/action-validator
if ! cmp -s scripts/action-validator/package-lock.json "$tool/package-lock.json" ||
   [ ! -x "$tool/node_modules/.bin/action-validator" ]; then
  rm -rf "$tool"
  mkdir -p "$tool"
  cp scripts/action-validator/package.json scripts/action-validator/package-lock.json "$tool/"
  (cd "$tool" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
fi

if [ $# -eq 0 ]; then
  shopt -s nullglob
  set -- .github/workflows/*.yml .github/workflows/*.yaml
  [ $# -gt 0 ] || { echo "no workflow in .github/workflows" >&2; exit 1; }
fi
status=0
for workflow in "$@"; do
  "$tool/node_modules/.bin/action-validator" "$workflow" || { status=1; continue; }
  # A fork's pull request gets no secrets, and pull_request_target would run
  # its code with this repository's rights: neither belongs in a test run.
  if grep -n -E 'pull_request_target|secrets\.' "$workflow"; then
    echo "$workflow: a fork's pull request could not run it as it is, or would run with our rights" >&2
    status=1
    continue
  fi
  echo "valid: $workflow"
done
exit $status
