#!/bin/sh
# Opens the delivered library file with the sqlcipher command-line tool, as a person checking it
# by hand would: with the key it shows the five tables, one default entry in each; without the
# key it cannot be read. Usage: check-delivered-with-cli.sh <sqlcipher> <library file>
set -u
cli=$1
# Work on a copy: the file beside the executables stays untouched whatever the tool does.
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT
file=$dir/bdsj_conn.dll
cp "$2" "$file" || exit 1
key="하늘의 구름은 언제나 자유롭게 흐름"
fail() { echo "FAIL: $*"; exit 1; }

tables=$(printf "PRAGMA key='%s';\nselect group_concat(name) from (select name from sqlite_master where type='table' and name<>'sqlite_sequence' order by name);\n" "$key" | "$cli" "$file" 2>&1)
[ "$tables" = "company_item_table,department_item_table,moban_item_table,position_item_table,reason_item_bable" ] ||
    fail "tables: $tables"

for t in moban_item_table company_item_table department_item_table position_item_table reason_item_bable; do
    columns=$(printf "PRAGMA key='%s';\nselect group_concat(name) from pragma_table_info('%s');\n" "$key" "$t" | "$cli" "$file" 2>&1)
    if [ "$columns" != "itemid,upid,item1,item2,item3,item4,item5,item6,item7,item8,item9,item10" ]; then
        # Older sqlcipher builds lack the table-valued pragma; ask for the schema instead.
        columns=$(printf "PRAGMA key='%s';\nPRAGMA table_info(%s);\n" "$key" "$t" | "$cli" "$file" 2>&1 |
            cut -d'|' -f2 | tr '\n' ',' | sed 's/,$//')
        [ "$columns" = "itemid,upid,item1,item2,item3,item4,item5,item6,item7,item8,item9,item10" ] ||
            fail "$t columns: $columns"
    fi
    defaults=$(printf "PRAGMA key='%s';\nselect count(*) from %s where item1='默认';\n" "$key" "$t" | "$cli" "$file" 2>&1)
    [ "$defaults" = "1" ] || fail "$t defaults: $defaults"
done

unkeyed=$(printf "select count(*) from sqlite_master;\n" | "$cli" "$file" 2>&1)
case "$unkeyed" in
*"file is encrypted or is not a database"*) ;;
*) fail "readable without the key: $unkeyed" ;;
esac
echo "delivered library file checked with $cli"
