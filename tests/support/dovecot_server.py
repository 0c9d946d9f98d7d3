"""A real IMAP server (Dovecot) on 127.0.0.1 for the tests, with its configuration, Maildir and
runtime files all in one folder, on free ports of its own; no system service is used or changed.

Prints "ready IMAPPORT IMAPSPORT" once it accepts connections (IMAPSPORT 0 without --tls), or
"error TEXT" when it could not start. Then answers one command per line of its standard input:
  log MS TEXT   waits up to MS milliseconds for a line of Dovecot's log holding TEXT:
                "log found" or "log missing"
and stops the server and ends when its standard input closes.

Usage: dovecot_server.py USER PASSWORD [--folder DIR] [--tls] [--no-sent] [--no-special-use]
                         [--extra-folder NAME ...] [--extra-user USER PASSWORD ...]
                         [--oauth2 INTROSPECTION_URL]
The user logs in with the password (any text but ":" and NUL; kept in base64), as does each extra
user with theirs, each with a mailbox of their own. The mailbox
has INBOX and a folder "Odeslané" flagged \\Sent (RFC 6154); --no-special-use leaves the flag out,
--no-sent the folder; --extra-folder adds folders without flags. With --tls the port IMAPPORT
offers STARTTLS and IMAPSPORT speaks TLS from the first byte, with the certificates of
tls_make_certificates.py made in DIR/tls (the client trusts DIR/tls/trusted-ca.pem). With --oauth2
the users may also log in with AUTHENTICATE XOAUTH2 (or OAUTHBEARER): Dovecot posts the access
token to the identity provider's introspection endpoint (RFC 7662) and takes it when the reply says
"active": true and names the user as "username". Mail is kept
in DIR/mail/USER/Maildir with folder names in UTF-8 (".Odeslané"), lines ending in CR LF as
received, so a stored message is byte for byte what the client sent; flags end the file names
(":2,S" for \\Seen). Without --folder a temporary folder is made and removed at the end.
Run as root, the mail belongs to the dovecot user and the login processes run as dovenull;
otherwise everything runs as the calling user.
"""
import argparse
import base64
import os
import grp
import pwd
import shutil
import socket
import subprocess
import sys
import tempfile
import threading

HERE = os.path.dirname(os.path.abspath(__file__))


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def accounts():
    """Who runs what: (internal user, its group, login user, mail uid, mail gid)."""
    if os.geteuid() == 0:
        mail = pwd.getpwnam("dovecot")
        return "dovecot", grp.getgrgid(mail.pw_gid).gr_name, "dovenull", mail.pw_uid, mail.pw_gid
    me = pwd.getpwuid(os.geteuid())
    return me.pw_name, grp.getgrgid(os.getegid()).gr_name, me.pw_name, me.pw_uid, os.getegid()


def configuration(args, folder, imap_port, imaps_port):
    internal, internal_group, login, uid, gid = accounts()
    mailboxes = []
    if not args.no_sent:
        special = "    special_use = \\Sent\n" if not args.no_special_use else ""
        mailboxes.append("  mailbox %s {\n%s    auto = create\n  }\n" % (quote("Odeslané"), special))
    for name in args.extra_folder:
        mailboxes.append("  mailbox %s {\n    auto = create\n  }\n" % quote(name))
    tls = ""
    if args.tls:
        tls = ("ssl = yes\nssl_cert = <%s/tls/server.pem\nssl_key = <%s/tls/server.key\n"
               "ssl_min_protocol = TLSv1.2\n" % (folder, folder))
        imaps = "  inet_listener imaps {\n    address = 127.0.0.1\n    port = %d\n    ssl = yes\n  }\n" % imaps_port
    else:
        tls = "ssl = no\n"
        imaps = "  inet_listener imaps {\n    port = 0\n  }\n"
    mechanisms = oauth2 = ""
    if args.oauth2:
        mechanisms = " xoauth2 oauthbearer"
        oauth2 = ("passdb {\n  driver = oauth2\n  mechanisms = xoauth2 oauthbearer\n"
                  "  args = %s/oauth2.conf.ext\n}\n" % folder)
    return f"""# Written by dovecot_server.py for one test run.
base_dir = {folder}/run
state_dir = {folder}/state
log_path = /dev/stderr
protocols = imap
listen = 127.0.0.1
{tls}default_internal_user = {internal}
default_internal_group = {internal_group}
default_login_user = {login}
first_valid_uid = {uid}
first_valid_gid = {gid}
disable_plaintext_auth = no
auth_mechanisms = plain login{mechanisms}
auth_failure_delay = 0
mail_location = maildir:~/Maildir:UTF-8
mail_save_crlf = yes
passdb {{
  driver = passwd-file
  args = scheme=PLAIN username_format=%u {folder}/passwd
}}
{oauth2}userdb {{
  driver = static
  args = uid={uid} gid={gid} home={folder}/mail/%u
}}
namespace inbox {{
  inbox = yes
  separator = /
{"".join(mailboxes)}}}
service imap-login {{
  chroot =
  inet_listener imap {{
    address = 127.0.0.1
    port = {imap_port}
  }}
{imaps}}}
# No growing delay after failed logins: the tests try wrong passwords on purpose.
service anvil {{
  chroot =
  unix_listener anvil-auth-penalty {{
    mode = 0
  }}
}}
"""


class Server:
    def __init__(self, args, folder):
        self.args = args
        self.folder = folder
        self.lines = []
        self.changed = threading.Condition()
        self.process = None
        self.log = open(os.path.join(folder, "dovecot.log"), "a", encoding="utf-8", errors="replace")

    def prepare(self):
        folder = self.folder
        uid, gid = accounts()[3:]
        for sub in ("run", "state", "mail"):
            os.makedirs(os.path.join(folder, sub), exist_ok=True)
        # The login and mail processes run as other users when started as root: they must reach
        # their folders through this one.
        os.chmod(folder, 0o755)
        os.chown(os.path.join(folder, "mail"), uid, gid)
        with open(os.path.join(folder, "passwd"), "w", encoding="utf-8") as passwd:
            for user, password in [(self.args.user, self.args.password)] + self.args.extra_user:
                secret = base64.b64encode(password.encode("utf-8", "surrogateescape")).decode()
                passwd.write("%s:{PLAIN.b64}%s::::\n" % (user, secret))
        if self.args.oauth2:
            with open(os.path.join(folder, "oauth2.conf.ext"), "w", encoding="utf-8") as oauth2:
                oauth2.write("introspection_mode = post\nintrospection_url = %s\n"
                             "username_attribute = username\nusername_format = %%u\n"
                             "active_attribute = active\nactive_value = true\n"
                             "force_introspection = yes\ntimeout_msecs = 10000\n" % self.args.oauth2)
        if self.args.tls:
            sys.path.insert(0, HERE)
            import tls_make_certificates
            sys.argv = ["tls_make_certificates.py", os.path.join(folder, "tls")]
            tls_make_certificates.main()

    def start(self):
        """Starts Dovecot on free ports; the ports, or an error text."""
        last = "Dovecot did not start"
        for _ in range(5):
            imap_port, imaps_port = free_port(), free_port() if self.args.tls else 0
            conf = os.path.join(self.folder, "dovecot.conf")
            with open(conf, "w", encoding="utf-8") as out:
                out.write(configuration(self.args, self.folder, imap_port, imaps_port))
            self.process = subprocess.Popen(["/usr/sbin/dovecot", "-F", "-c", conf], stdin=subprocess.DEVNULL,
                                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            # The master logs "starting up" once its listeners are bound.
            started = False
            for raw in self.process.stderr:
                line = raw.decode("utf-8", "replace").rstrip("\n")
                self.keep(line)
                if "starting up" in line:
                    started = True
                    break
                if "Fatal" in line or "Error" in line:
                    last = line
            if started:
                threading.Thread(target=self.follow, daemon=True).start()
                return imap_port, imaps_port, None
            self.process.wait()
        return 0, 0, last

    def keep(self, line):
        self.log.write(line + "\n")
        self.log.flush()
        with self.changed:
            self.lines.append(line)
            self.changed.notify_all()

    def follow(self):
        for raw in self.process.stderr:
            self.keep(raw.decode("utf-8", "replace").rstrip("\n"))

    def wait_for_log(self, text, seconds):
        with self.changed:
            return self.changed.wait_for(lambda: any(text in line for line in self.lines), seconds)

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("user")
    parser.add_argument("password")
    parser.add_argument("--folder")
    parser.add_argument("--tls", action="store_true")
    parser.add_argument("--no-sent", action="store_true")
    parser.add_argument("--no-special-use", action="store_true")
    parser.add_argument("--extra-folder", action="append", default=[])
    parser.add_argument("--extra-user", action="append", nargs=2, default=[])
    parser.add_argument("--oauth2")
    args = parser.parse_args()
    own_folder = args.folder is None
    folder = tempfile.mkdtemp(prefix="quillory-dovecot-") if own_folder else os.path.abspath(args.folder)
    server = Server(args, folder)
    try:
        server.prepare()
        imap_port, imaps_port, error = server.start()
        if error:
            print("error", error, flush=True)
            return 1
        print("ready", imap_port, imaps_port, flush=True)
        for line in sys.stdin:
            command, _, argument = line.rstrip("\n").partition(" ")
            if command == "log":
                limit, _, text = argument.partition(" ")
                found = server.wait_for_log(text, int(limit) / 1000)
                print("log", "found" if found else "missing", flush=True)
        return 0
    finally:
        server.stop()
        if own_folder:
            shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
