#!/usr/bin/env bash
# Runs one browser test with node, or skips (77) saying why when node is missing.
if ! command -v node >/dev/null; then
  echo "SKIP: node not found (Debian: apt-get install nodejs)"
  exit 77
fi
exec node "$@"
