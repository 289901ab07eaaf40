#!/bin/sh
# Regenerates data/css.tvd and data/colorlist.tvd from the CSS definitions of the web platform
# (npm packages @webref/css and color-name, installed into a temporary folder that is removed
# afterwards; nothing of node_modules reaches the repository). Needs Debian's nodejs and npm.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
npm init -y >/dev/null
npm install --no-audit --no-fund @webref/css@8.7.5 color-name@2.1.1 >/dev/null
node "$here/make-css-data.mjs" "$work/node_modules" "$repo/data"
