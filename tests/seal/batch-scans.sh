#!/usr/bin/env bash
# A batch's certificates checked from outside, as a new employer would get them: kavri-cli batch
# writes N rows with 【查验码】 into one PDF (signed as they leave, recorded in a register of the
# run's own); each page is rendered at 300 dpi (pdftoppm) and again rotated by 3 degrees,
# blurred and saved as a JPEG of quality 70 (ImageMagick); every image goes through
# kavri-cli verify-scan. Prints how many files ended with each exit status (0 genuine,
# 1 altered, 2 no code, 3 unknown key) and lists the files that did not verify. Every check's
# result is appended to WORK_DIR/results.txt as it is made ("page-0001.png 0"); run again on the
# same WORK_DIR, the script keeps the batch and its register and checks only the pages whose
# results are missing, so a run stopped half-way can be carried on.
#
# Not part of ctest: a thousand pages take about 70 minutes of processor time (most of it
# ImageMagick rotating and blurring). JOBS pages are checked at a time (default 1), each with
# one thread; run it at low priority:
#   JOBS=2 nice -n 19 tests/seal/batch-scans.sh build/bin 1000 /tmp/scans
#
# Usage: batch-scans.sh BIN_DIR N [WORK_DIR]
#   BIN_DIR holds kavri-cli; WORK_DIR (kept, with the PDF, the register and failing images)
#   defaults to a temporary folder.
set -euo pipefail

bin=$1
count=$2
work=${3:-}
if [ -z "$work" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work/desk" "$work/failed" "$work/config"
reg="$work/desk/kavri_register.db"
export XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen
export MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1

# The rows: names, companies (one too long for the code to carry whole), posts and dates varied.
awk -v n="$count" 'BEGIN {
    split("张 李 王 赵 陈 刘 杨 黄 欧阳", sur, " ")
    split("伟 芳 娜 敏 静 强 磊 洋 艳", giv, " ")
    split("北京星辰科技有限公司|上海明远信息技术有限公司|中国某某国际工程技术咨询服务集团有限公司北京市海淀区第二分公司", co, "|")
    print "姓名,性别,身份证号,公司名称,部门,职位,入职日期,离职日期,离职原因"
    for (i = 0; i < n; i++) {
        name = sur[i % 9 + 1] giv[int(i / 9) % 9 + 1] giv[i % 7 + 1]
        post = (i % 5 == 0) ? "高级软件开发工程师兼质量保证部副经理" : "软件工程师"
        printf "%s,%s,1101011990%08d,%s,研发部,%s,2019-03-%02d,2026-11-%02d,个人原因\n",
               name, (i % 2 ? "女" : "男"), i, co[i % 3 + 1], post, 1 + i % 28, 1 + i % 30
    }
}' > "$work/leavers.csv"
cat > "$work/template.txt" <<'TEMPLATE'
　　兹证明【姓名】（性别：【性别】，身份证号码：【身份证号】）于【入职日期】进入【公司名称】，在【部门】担任【职位】一职，于【离职日期】因【离职原因】离职，离职交接手续已全部办妥。<br>　　自离职之日起，本公司与其之间的劳动关系即告解除。<br>　　特此证明。<br>【查验码】<br><br><div style="float: right;">【公司名称】（盖章）<br>【离职日期】</div>
TEMPLATE

start=$(date +%s)
if [ ! -s "$work/batch.pdf" ]; then
    rm -f "$work/results.txt" "$work/sizes.txt" "$work/failed/list.txt" "$reg"
    "$bin/kavri-cli" batch --data "$work/leavers.csv" --encoding utf-8 \
        --template "$work/template.txt" --combined "$work/batch.pdf" --register "$reg" \
        > "$work/batch.log" 2>&1
    echo "kavri-cli batch: $(( $(date +%s) - start )) s"
fi
pages=$(pdfinfo "$work/batch.pdf" | awk '/^Pages:/ { print $2 }')
touch "$work/results.txt" "$work/sizes.txt"
echo "$pages pages in the batch; $(grep -c -- '-photo.jpg ' "$work/results.txt" || true) checked before"

check() { # FILE: verify-scan's exit status, recorded in results.txt
    local status=0 verdict
    verdict=$("$bin/kavri-cli" verify-scan "$1" --register "$reg" 2>&1) || status=$?
    echo "$(basename "$1") $status" >> "$work/results.txt"
    if [ $status -ne 0 ]; then
        cp "$1" "$work/failed/"
        echo "$(basename "$1"): exit $status: $(head -1 <<< "$verdict")" >> "$work/failed/list.txt"
    fi
}

check_page() { # PAGE
    local page=$1 name
    name=$(printf 'page-%04d' "$page")
    pdftoppm -r 300 -f "$page" -l "$page" -singlefile -png "$work/batch.pdf" "$work/$name"
    convert "$work/$name.png" -background white -rotate 3 -blur 0x1 -quality 70 \
        "$work/$name-photo.jpg"
    check "$work/$name.png"
    # The code's size, read by another decoder every tenth page: at most 213 bytes is QR
    # version 10 or less at level M.
    if [ $(( page % 10 )) -eq 1 ] && command -v zbarimg > /dev/null; then
        echo "$name $(zbarimg --nodbus -q --raw -Sbinary "$work/$name.png" | wc -c || true)" \
            >> "$work/sizes.txt"
    fi
    check "$work/$name-photo.jpg"
    rm -f "$work/$name.png" "$work/$name-photo.jpg"
    if [ $(( page % 50 )) -eq 0 ]; then
        echo "page $page checked, $(( $(date +%s) - start )) s" >&2
    fi
}
export -f check check_page
export bin work reg start

# The pages whose photo (checked last) has no result yet.
for ((page = 1; page <= pages; page++)); do
    name=$(printf 'page-%04d' "$page")
    grep -q "^$name-photo.jpg " "$work/results.txt" || echo "$page"
done | xargs -r -P "${JOBS:-1}" -n 1 bash -c 'check_page "$1"' check_page

summary() { # LABEL PATTERN: counts by exit status of the files matching PATTERN (a file checked
           # twice, in a run that was stopped and carried on, counts once, by its last result)
    awk -v label="$1" -v pattern="$2" '{ r[$1] = $2 }
        END { for (f in r) if (f ~ pattern) n[r[f]]++
              printf "%s: exit 0: %d, exit 1: %d, exit 2: %d, exit 3: %d\n",
                     label, n[0], n[1], n[2], n[3] }' "$work/results.txt"
}
echo "$pages pages, $(( $(date +%s) - start )) s in this run"
summary "300-dpi PNG (pdftoppm)" '\.png$'
summary "rotated 3°, blurred, JPEG q70" '-photo\.jpg$'
largest=$(awk '$2 > m { m = $2 } END { print m + 0 }' "$work/sizes.txt")
echo "largest code read by zbarimg: $largest bytes over $(wc -l < "$work/sizes.txt") pages" \
    "(version 10 at level M holds 213)"
checked=$(awk '$1 ~ /-photo\.jpg$/ { seen[$1] = 1 } END { print length(seen) }' "$work/results.txt")
if [ -s "$work/failed/list.txt" ]; then
    echo "did not verify:"
    cat "$work/failed/list.txt"
    exit 1
fi
if [ "$checked" -ne "$pages" ]; then
    echo "only $checked of $pages pages checked"
    exit 1
fi
echo "all verified"
