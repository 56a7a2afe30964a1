#!/usr/bin/env bash
# Installs what is missing, builds, and starts kavri.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
exec build/bin/kavri-cli compose --template src/resources/samples/general.txt --width 30 \
    --name 张三 --gender 男 --company 示例科技有限公司 --position 工程师
