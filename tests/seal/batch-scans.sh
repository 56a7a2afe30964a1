#!/usr/bin/env bash
# A batch's certificates checked from outside, as a new employer would get them: kavri-cli batch
# writes N rows with 【查验码】 into one PDF (signed as they leave, recorded in a register of the
# run's own); each page is rendered at 300 dpi (pdftoppm) and again rotated by 3 degrees,
# blurred and saved as a JPEG of quality 70 (ImageMagick); every image goes through
# kavri-cli verify-scan. Prints how many files ended with each exit status (0 genuine,
# 1 altered, 2 no code, 3 unknown key) and lists the files that did not verify. Every check's
# result is also appended to WORK_DIR/results.txt as it is made ("page-0001.png 0"), so that a run
# stopped half-way can still be counted.
#
# Not part of ctest: a thousand pages take hours on a shared machine. One page at a time, one
# thread each; run it at low priority:
#   nice -n 19 tests/seal/batch-scans.sh build/bin 1000 /tmp/scans
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
"$bin/kavri-cli" batch --data "$work/leavers.csv" --encoding utf-8 \
    --template "$work/template.txt" --combined "$work/batch.pdf" --register "$reg" \
    > "$work/batch.log" 2>&1
pages=$(pdfinfo "$work/batch.pdf" | awk '/^Pages:/ { print $2 }')
echo "kavri-cli batch: $pages pages in $(( $(date +%s) - start )) s"

declare -A scanned=() photographed=()
largest=0
check() { # FILE KIND: verify-scan's exit status counted under KIND
    local status=0
    "$bin/kavri-cli" verify-scan "$1" --register "$reg" > "$work/verdict.txt" 2>&1 || status=$?
    if [ "$2" = scan ]; then
        scanned[$status]=$(( ${scanned[$status]:-0} + 1 ))
    else
        photographed[$status]=$(( ${photographed[$status]:-0} + 1 ))
    fi
    echo "$(basename "$1") $status" >> "$work/results.txt"
    if [ $status -ne 0 ]; then
        cp "$1" "$work/failed/"
        echo "$(basename "$1"): exit $status: $(head -1 "$work/verdict.txt")" >> "$work/failed/list.txt"
    fi
}

for ((page = 1; page <= pages; page++)); do
    name=$(printf 'page-%04d' "$page")
    pdftoppm -r 300 -f "$page" -l "$page" -singlefile -png "$work/batch.pdf" "$work/$name"
    convert "$work/$name.png" -background white -rotate 3 -blur 0x1 -quality 70 \
        "$work/$name-photo.jpg"
    check "$work/$name.png" scan
    check "$work/$name-photo.jpg" photo
    # The code's size, read by another decoder every tenth page: at most 213 bytes is QR
    # version 10 or less at level M.
    if [ $(( page % 10 )) -eq 1 ] && command -v zbarimg > /dev/null; then
        size=$(zbarimg --nodbus -q --raw -Sbinary "$work/$name.png" | wc -c || true)
        [ "$size" -gt "$largest" ] && largest=$size
    fi
    rm -f "$work/$name.png" "$work/$name-photo.jpg"
    if [ $(( page % 50 )) -eq 0 ]; then
        echo "$page pages checked, $(( $(date +%s) - start )) s" >&2
    fi
done

summary() { # NAME ARRAY...
    local label=$1
    shift
    local line="$label:"
    for status in 0 1 2 3; do
        line+=" exit $status: $(eval "echo \${$1[$status]:-0}"),"
    done
    echo "${line%,}"
}
echo "$pages pages, $(( $(date +%s) - start )) s in all"
summary "300-dpi PNG (pdftoppm)" scanned
summary "rotated 3°, blurred, JPEG q70" photographed
echo "largest code read by zbarimg: $largest bytes (version 10 at level M holds 213)"
if [ -s "$work/failed/list.txt" ]; then
    echo "did not verify:"
    cat "$work/failed/list.txt"
    exit 1
fi
echo "all verified"
