#!/usr/bin/env python3
"""Follows the README's "For a team" section, block by block, on a private PostgreSQL cluster.

    readme-team-setup.py README.md KAVRI_CLI LIBRARY_FILE

A new cluster is made in a temporary folder (initdb, a port of its own) and every fenced block
of the section is used as a reader would use it, in the README's order: configuration blocks
are added to the server's files, command blocks run in a shell as the person the block names
(the server's user, the superuser, the owner on a machine of their own, a clerk at a desk),
file blocks are written into that person's home. Only the README's example names are put in
for this machine: db.example.org becomes localhost (the certificate made by the README's own
openssl commands names it), the clerks' network becomes samehost, 5432 the cluster's port,
and each '...' password one of the test's. Afterwards a clerk's desk lists the register over
TCP with TLS verify-full, numbers a batch on the server, and is refused without the
authority's certificate and without TLS.

A block the script does not know fails the run: a README change that adds a step must be
followed here too. Exit 0 when everything worked; otherwise the step that failed is said.
"""
import datetime
import glob
import os
import random
import re
import shutil
import socket
import subprocess
import sys
import tempfile

HOST = "localhost"
NETWORK = "samehost"


def fail(message):
    print("readme-team-setup: " + message, file=sys.stderr)
    sys.exit(1)


def team_blocks(readme):
    """The fenced blocks of the team section: (their first line, the whole text)."""
    with open(readme, encoding="utf-8") as f:
        text = f.read()
    start = text.find("\n## For a team")
    if start < 0:
        fail("README has no section 'For a team'")
    end = text.find("\n## ", start + 1)
    section = text[start:end if end > 0 else len(text)]
    blocks = re.findall(r"^```[a-z]*\n(.*?)^```", section, re.S | re.M)
    return [(b.split("\n", 1)[0].strip(), b) for b in blocks]


def free_port():
    for _ in range(50):
        port = random.randint(20000, 40000)
        with socket.socket() as s:
            try:
                s.bind(("127.0.0.1", port))
                return port
            except OSError:
                pass
    fail("no free port")


def server_bin():
    own = os.environ.get("KAVRI_PG_BIN")
    if own and os.access(os.path.join(own, "initdb"), os.X_OK):
        return own
    for folder in sorted(glob.glob("/usr/lib/postgresql/*/bin"), reverse=True):
        if os.access(os.path.join(folder, "initdb"), os.X_OK):
            return folder
    fail("no PostgreSQL server found (install postgresql-15)")


class Team:
    def __init__(self, root, cli, library):
        self.root = root
        self.bin = server_bin()
        self.port = free_port()
        self.server = os.path.join(root, "server")  # the socket's folder
        self.data = os.path.join(self.server, "data")
        self.started = False
        self.owner_env = {}
        # PostgreSQL refuses to run as root; run as root, the server is the Debian package's
        # "postgres" user.
        self.as_server = ["runuser", "-u", "postgres", "--"] if os.getuid() == 0 else []
        tools = os.path.join(root, "tools")
        os.makedirs(tools)
        os.symlink(os.path.abspath(cli), os.path.join(tools, "kavri-cli"))
        self.cli = cli
        self.library = library
        self.homes = {}
        for person in ("owner", "desk"):
            home = os.path.join(root, person)
            os.makedirs(os.path.join(home, "work"))
            self.homes[person] = home
        # Whatever PostgreSQL or kavri settings the test run itself has stay out.
        clean = {k: v for k, v in os.environ.items()
                 if not k.startswith(("PG", "XDG_CONFIG", "XDG_DATA"))}
        clean["PATH"] = tools + os.pathsep + os.environ.get("PATH", "")
        self.base_env = clean

    # --- the server ----------------------------------------------------------------------
    def server_run(self, args, **kwargs):
        return subprocess.run(self.as_server + args, check=True, **kwargs)

    def initdb(self):
        os.makedirs(self.server)
        os.chmod(self.root, 0o755)
        if self.as_server:
            shutil.chown(self.server, "postgres")
        # The superuser reaches the server on its Unix socket only; nothing comes in over TCP
        # until the README's line is added.
        self.server_run([os.path.join(self.bin, "initdb"), "-D", self.data, "-U", "postgres",
                         "-E", "UTF8", "--locale=C.UTF-8", "--no-sync", "--auth-local=trust",
                         "--auth-host=reject"], stdout=subprocess.DEVNULL)

    def start(self):
        options = f"-k {self.server} -p {self.port} -c fsync=off"
        log = os.path.join(self.server, "server.log")
        action = "restart" if self.started else "start"
        result = subprocess.run(self.as_server + [os.path.join(self.bin, "pg_ctl"), "-D",
                                self.data, "-l", log, "-w", "-t", "60", "-o", options, action],
                                stdout=subprocess.DEVNULL)
        if result.returncode != 0:
            with open(log, encoding="utf-8", errors="replace") as f:
                fail("the server did not start:\n" + f.read())
        self.started = True

    def stop(self):
        if self.started:
            subprocess.run(self.as_server + [os.path.join(self.bin, "pg_ctl"), "-D", self.data,
                           "-m", "immediate", "-w", "stop"], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)

    def superuser_sql(self, sql):
        self.psql(sql, ["-h", self.server, "-p", str(self.port), "-U", "postgres", "-d",
                        "postgres"], self.base_env)

    # --- the people ----------------------------------------------------------------------
    def env(self, person, extra=None):
        env = dict(self.base_env)
        env["HOME"] = self.homes[person]
        if person == "owner":
            # A server on another port than 5432: the README says PGPORT then.
            env["PGPORT"] = str(self.port)
            env.update(self.owner_env)
        env.update(extra or {})
        return env

    def shell(self, person, script, cwd=None, check=True):
        result = subprocess.run(["bash", "-e", "-o", "pipefail", "-c", script],
                                cwd=cwd or os.path.join(self.homes[person], "work"),
                                env=self.env(person), capture_output=True, text=True)
        if check and result.returncode != 0:
            fail(f"as the {person}, this failed:\n{script}\n{result.stdout}{result.stderr}")
        return result

    def psql(self, sql, args, env):
        result = subprocess.run(["psql", "-X", "-q", "-v", "ON_ERROR_STOP=1"] + args,
                                input=sql, env=env, capture_output=True, text=True)
        if result.returncode != 0:
            fail(f"psql refused:\n{sql}\n{result.stderr}")

    def write_home_file(self, person, path, text, mode=None):
        target = os.path.join(self.homes[person], path.removeprefix("~/"))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "w", encoding="utf-8") as f:
            f.write(text)
        if mode is not None:
            os.chmod(target, mode)

    def kavri_cli(self, person, args, check=True):
        result = subprocess.run(["kavri-cli"] + args, env=self.env(person),
                                cwd=os.path.join(self.homes[person], "work"),
                                capture_output=True, text=True)
        if check and result.returncode != 0:
            fail(f"kavri-cli {' '.join(args)} as the {person} gave {result.returncode}:\n"
                 f"{result.stderr}")
        return result


def for_this_machine(text, port):
    """The README's example names made this machine's."""
    text = text.replace("db.example.org", HOST).replace("192.168.10.0/24", NETWORK)
    text = text.replace("5432", str(port))
    text = re.sub(r"create role (\w+)(.*?)password '\.\.\.'",
                  lambda m: f"create role {m[1]}{m[2]}password 'pw-{m[1]}'", text)
    # A .pgpass line: host:port:database:user:password.
    text = re.sub(r"^([^#\n:]+:[^:\n]+:[^:\n]+:([^:\n]+)):\.\.\.$",
                  lambda m: f"{m[1]}:pw-{m[2]}", text, flags=re.M)
    return text


def prepare_owners_register(team, year_dir):
    """The owner's desk before the team: the library file and a register of two certificates,
    where the README's import takes them from."""
    data = os.path.join(team.homes["owner"], ".local/share/kavri")
    os.makedirs(data)
    shutil.copy(team.library, os.path.join(data, "bdsj_conn.dll"))
    work = os.path.join(team.homes["owner"], "work")
    with open(os.path.join(work, "template.txt"), "w", encoding="utf-8") as f:
        f.write("证明编号【证明编号】\n兹证明【姓名】于【离职日期】离职。")
    with open(os.path.join(work, "leavers.csv"), "w", encoding="utf-8") as f:
        f.write("姓名,离职日期\n张三,2024-05-31\n李四,2024-06-30\n")
    team.kavri_cli("owner", ["batch", "--data", "leavers.csv", "--template", "template.txt",
                             "--out", year_dir, "--register",
                             os.path.join(data, "kavri_register.db")])


def follow(team, blocks):
    configured = False  # the server's files changed since it last started
    for label, block in blocks:
        text = for_this_machine(block, team.port)
        if label == "# postgresql.conf":
            with open(os.path.join(team.data, "postgresql.conf"), "a", encoding="utf-8") as f:
                f.write("\n" + text)
            configured = True
        elif label == "# pg_hba.conf":
            hba = os.path.join(team.data, "pg_hba.conf")
            with open(hba, encoding="utf-8") as f:
                rest = f.read()
            with open(hba, "w", encoding="utf-8") as f:
                f.write(text + rest)  # above the other host lines, as the README says
            configured = True
        elif label.startswith("# server certificate"):
            team.server_run(["bash", "-e", "-o", "pipefail", "-c", text], cwd=team.data,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            configured = True
        elif label == "-- as the superuser":
            if configured or not team.started:
                team.start()  # "Restart the server"
                configured = False
            team.superuser_sql(text)
        elif label == "# on the owner's machine and on each desk":
            for person in ("owner", "desk"):
                # ca.crt as it came from the server.
                shutil.copy(os.path.join(team.data, "ca.crt"),
                            os.path.join(team.homes[person], "work"))
                team.shell(person, text)
        elif label == "# ~/.pgpass of the owner":
            team.write_home_file("owner", "~/.pgpass", text, 0o600)
        elif label == "# the owner, away from the server":
            # The owner's "export" line is "the environment above" of the later psql.
            for line in text.splitlines():
                if line.startswith("export "):
                    for pair in line.split()[1:]:
                        key, _, value = pair.partition("=")
                        team.owner_env[key] = value
            prepare_owners_register(team, os.path.join(team.homes["owner"], "work", "out"))
            result = team.shell("owner", text)
            if "已在 kavri_hr 中建立" not in result.stdout:
                fail("server init said:\n" + result.stdout + result.stderr)
        elif label == "-- as the owner (psql kavri_hr)":
            team.psql(text, ["kavri_hr"], team.env("owner"))
        elif label == "# ~/.pg_service.conf":
            team.write_home_file("desk", "~/.pg_service.conf", text)
        elif label == "# ~/.pgpass":
            team.write_home_file("desk", "~/.pgpass", text, 0o600)
        elif label == "# ~/.config/kavri/kavri.conf":
            team.write_home_file("desk", "~/.config/kavri/kavri.conf", text)
        elif label.startswith("ctest ") or label.startswith("build/bench/"):
            pass  # the load test, not part of the set-up
        else:
            fail(f"a block of the team section this script does not follow: {label!r}")


def check_desk(team):
    year = datetime.date.today().year
    listed = team.kavri_cli("desk", ["register", "list"]).stdout
    numbers = sorted(line.split("\t")[0] for line in listed.splitlines() if line)
    expected = [f"LZ{year}-000001", f"LZ{year}-000002"]
    if numbers != expected:
        fail(f"the desk's register list shows {numbers}, expected the imported {expected}")

    # The clerk numbers on the server: a batch of one after the imported two.
    work = os.path.join(team.homes["desk"], "work")
    with open(os.path.join(work, "template.txt"), "w", encoding="utf-8") as f:
        f.write("证明编号【证明编号】\n兹证明【姓名】离职。")
    with open(os.path.join(work, "one.csv"), "w", encoding="utf-8") as f:
        f.write("姓名,离职日期\n王五,2024-07-31\n")
    team.kavri_cli("desk", ["batch", "--data", "one.csv", "--template", "template.txt", "--out",
                            "out"])
    listed = team.kavri_cli("desk", ["register", "list"]).stdout
    if not listed.startswith(f"LZ{year}-000003\t王五\t"):
        fail("the desk's batch is not the server's third entry:\n" + listed)
    if os.path.exists(os.path.join(work, "kavri_register.db")) or glob.glob(
            os.path.join(team.homes["desk"], "**", "kavri_register.db"), recursive=True):
        fail("the desk made a register file of its own")

    # The clerk's connection is TCP with TLS, as the clerk role.
    row = subprocess.run(["psql", "-X", "-At", "service=kavri-hr", "-c",
                          "select ssl, inet_client_addr() is not null, current_user, "
                          "pg_has_role('kavri_clerk', 'member') from pg_stat_ssl "
                          "where pid = pg_backend_pid()"],
                         env=team.env("desk"), capture_output=True, text=True)
    if row.stdout.strip() != "t|t|zhang|t":
        fail("the desk's connection is not TLS over TCP as zhang in kavri_clerk: "
             + row.stdout + row.stderr)

    # verify-full: without the authority's certificate the desk is refused.
    root = os.path.join(team.homes["desk"], ".postgresql", "root.crt")
    os.rename(root, root + ".away")
    refused = team.kavri_cli("desk", ["register", "list"], check=False)
    os.rename(root + ".away", root)
    if refused.returncode == 0 or "root.crt" not in refused.stderr:
        fail("without root.crt the desk was not refused: " + refused.stderr)
    # The network is TLS only.
    plain = subprocess.run(["psql", "-X", "-At", "service=kavri-hr sslmode=disable", "-c",
                            "select 1"], env=team.env("desk"), capture_output=True, text=True)
    if plain.returncode == 0 or "no encryption" not in plain.stderr:
        fail("a connection without TLS was not refused: " + plain.stdout + plain.stderr)


def main():
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    readme, cli, library = sys.argv[1:]
    blocks = team_blocks(readme)
    root = tempfile.mkdtemp(prefix="kavri-readme-team.", dir="/tmp")
    team = Team(root, cli, library)
    try:
        team.initdb()
        follow(team, blocks)
        check_desk(team)
    finally:
        team.stop()
        shutil.rmtree(root, ignore_errors=True)
    print(f"readme-team-setup: followed {len(blocks)} blocks of the team section; a clerk's "
          "desk lists and numbers on the server over TLS verify-full")
    return 0


if __name__ == "__main__":
    sys.exit(main())
