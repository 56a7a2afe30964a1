#!/usr/bin/env python3
"""Checks a register's hash chain with the Python that README.md shows (the block that starts
with "# kavri-chain-check"), reading the rows straight from the tables with the database's own
shell: the sqlcipher shell and the key for a desk's file (each value as the hex of its text), psql
for a team server (as JSON). Only the
standard library is used.

    check_chain.py README.md desk REGISTER_FILE KEY_FILE
    check_chain.py README.md server CONNINFO

Prints "intact <head>" and exits 0, or "changed <position>" and exits 1.
"""
import json
import re
import subprocess
import sys

UTC = "'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"'"


def snippet(readme):
    text = open(readme, encoding="utf-8").read()
    match = re.search(r"```python\n(# kavri-chain-check\n.*?)```", text, re.S)
    if not match:
        sys.exit("README.md holds no kavri-chain-check block")
    names = {}
    exec(match.group(1), names)
    return names


def desk_query(path, key, sql):
    """Rows as dicts. The shell has no JSON mode, so every column comes as the hex of its
    UTF-8 text: nothing in a value can be taken for a separator."""
    columns = re.findall(r" AS (\w+)", sql.split(" FROM ")[0])
    select = sql.split(" FROM ", 1)
    exprs = [e.rsplit(" AS ", 1)[0] for e in
             re.split(r",\s*(?![^()]*\))", select[0][len("SELECT "):])]
    hexed = "SELECT " + ", ".join("hex(CAST(%s AS TEXT))" % e for e in exprs) + \
        " FROM " + select[1]
    # A file made by this release has 4 KB cipher pages, one made before 1 KB pages; the
    # wrong size does not decrypt.
    for page_size in (4096, 1024):
        script = 'PRAGMA key = "x\'%s\'";\nPRAGMA cipher_page_size = %d;\n.mode list\n' \
            '.separator |\n%s;\n' % (key, page_size, hexed)
        done = subprocess.run(["sqlcipher", path], input=script, capture_output=True,
                              text=True)
        if done.returncode == 0:
            break
    else:
        sys.exit("sqlcipher cannot read %s: %s" % (path, done.stderr))
    out = done.stdout
    rows = []
    for line in out.splitlines():
        if line == "ok" or not line:
            continue
        values = [bytes.fromhex(v).decode("utf-8") for v in line.split("|")]
        row = dict(zip(columns, values))
        for name in ("pos", "no", "entry"):
            if name in row:
                row[name] = int(row[name])
        rows.append(row)
    return rows


def server_query(conninfo, sql):
    out = subprocess.run(["psql", conninfo, "-AtX", "-c",
                          "select coalesce(json_agg(x), '[]') from (%s) x" % sql],
                         capture_output=True, text=True, check=True).stdout
    return json.loads(out)


def desk_rows(path, key):
    q = lambda sql: desk_query(path, key, sql)
    return (
        q("SELECT v.chain_pos AS pos, v.link AS link, e.number AS number, v.version_no AS no,"
          " v.created_at AS at, v.operator AS op, v.sha256 AS sha256, e.created_at AS entry_at,"
          " e.operator AS entry_op, t.name AS tname, t.text AS ttext, e.id AS entry"
          " FROM versions v JOIN entries e ON e.id = v.entry_id"
          " JOIN templates t ON t.id = e.template_id"),
        q("SELECT entry_id AS entry, key AS key, value AS value FROM entry_values"
          " ORDER BY entry_id, position"),
        q("SELECT ev.chain_pos AS pos, ev.link AS link, e.number AS number, v.version_no AS no,"
          " ev.kind AS kind, ev.at AS at, ev.operator AS op, ev.sha256 AS sha256,"
          " ev.detail AS detail FROM events ev"
          " JOIN entries e ON e.id = ev.entry_id JOIN versions v ON v.id = ev.version_id"),
        q("SELECT chain_pos AS pos, link AS link, at AS at, operator AS op, reason AS reason,"
          " numbers AS numbers, removed AS removed FROM deletions"))


def server_rows(conninfo):
    q = lambda sql: server_query(conninfo, sql)
    t = lambda column: "to_char(%s at time zone 'UTC', %s)" % (column, UTC)
    return (
        q("select v.chain_pos as pos, v.link, e.number, v.version_no as no, %s as at,"
          " v.operator_name as op, v.sha256, %s as entry_at, e.operator_name as entry_op,"
          " t.name as tname, t.text as ttext, e.id as entry from register_version v"
          " join register_entry e on e.id = v.entry_id"
          " join register_template t on t.id = e.template_id" % (t("v.created_at"),
                                                                 t("e.created_at"))),
        q("select entry_id as entry, key, value from register_value"
          " order by entry_id, position"),
        q("select ev.chain_pos as pos, ev.link, e.number, v.version_no as no, ev.kind,"
          " %s as at, ev.operator_name as op, ev.sha256, ev.detail from register_event ev"
          " join register_entry e on e.id = ev.entry_id"
          " join register_version v on v.id = ev.version_id" % t("ev.at")),
        q("select chain_pos as pos, link, %s as at, operator_name as op, reason, numbers,"
          " removed from register_deletion" % t("at")))


def main():
    readme, kind = sys.argv[1], sys.argv[2]
    chain = snippet(readme)
    if kind == "desk":
        key = open(sys.argv[4]).read().strip()
        versions, values, events, deletions = desk_rows(sys.argv[3], key)
    else:
        versions, values, events, deletions = server_rows(sys.argv[3])

    form = {}
    for v in values:
        form.setdefault(v["entry"], []).extend([v["key"], v["value"]])
    rows, removed = [], {}
    for v in versions:
        fields = ["version", str(v["pos"]), v["number"], str(v["no"]), v["at"], v["op"],
                  v["sha256"]]
        if v["no"] == 1:
            fields += [v["entry_at"], v["entry_op"], v["tname"], v["ttext"]]
            fields += form.get(v["entry"], [])
        rows.append((v["pos"], v["link"], fields))
    for e in events:
        rows.append((e["pos"], e["link"], ["event", str(e["pos"]), e["number"], str(e["no"]),
                                           e["kind"], e["at"], e["op"], e["sha256"],
                                           e["detail"]]))
    for d in deletions:
        numbers = d["numbers"].split()
        pairs = d["removed"].split()
        rows.append((d["pos"], d["link"], ["deletion", str(d["pos"]), d["at"], d["op"],
                                           d["reason"], str(len(numbers))] + numbers + pairs))
        for i in range(0, len(pairs), 2):
            removed[int(pairs[i])] = pairs[i + 1]
    rows.sort(key=lambda r: r[0])
    ok, where = chain["walk"](rows, removed)
    print(("intact %s" if ok else "changed %s") % where)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
