#!/usr/bin/python3
"""A stand-in for a KIP printer controller's FTP server, for tests and demos.

It serves one folder as the printer's file system. Paths may use
backslashes, as the controller's own names do ("\\request\\job.zip"); they
are read as "/". The folder "request" is made at start, where jobs arrive,
and --statinfo FILE is served as "\\logdir\\statinfo\\IPSUnattend.Dat".
Every command received is appended to the --log file, one per line.

Fault switches make it behave like a printer that is in trouble:
  --refuse-login      every login is refused (530)
  --drop-after N      a transfer is cut, with its control connection, after N bytes
  --refuse-active     PORT and EPRT are refused (passive mode still works)
  --slow SECONDS      every reply comes this much later

Once it listens it prints "port N" on a line of its own to stdout, so that a
caller that asked for port 0 learns the port it got. It stops on SIGTERM or
SIGINT, and with --exit-with-stdin also when its standard input ends (so a
test that dies does not leave it behind). Run it with the system's Python, which has pyftpdlib:
  /usr/bin/python3 tools/printer-sim/printer_sim.py --root DIR --port 2121
"""
import argparse
import logging
import os
import shutil
import signal
import sys
import threading
import time
import warnings

from pyftpdlib.authorizers import AuthenticationFailed, DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer

PERMISSIONS = "elradfmwMT"


class BackslashFS(AbstractedFS):
    """The controller's names use backslashes as folder separators."""

    def ftpnorm(self, ftppath):
        return super().ftpnorm(ftppath.replace("\\", "/"))


class RefusingAuthorizer(DummyAuthorizer):
    def validate_authentication(self, username, password, handler):
        raise AuthenticationFailed("Login refused by the printer")


def make_dtp_handler(drop_after):
    class DroppingDTPHandler(DTPHandler):
        """Cuts the transfer and its control connection after drop_after bytes."""

        def _drop_when_due(self):
            if self.tot_bytes_received + self.tot_bytes_sent >= drop_after:
                self.cmd_channel.log("dropping the connection mid-transfer")
                self.cmd_channel.close()
                self.close()

        def handle_read(self):
            super().handle_read()
            self._drop_when_due()

        handle_read_event = handle_read

        def send(self, data):
            sent = super().send(data)
            self._drop_when_due()
            return sent

    return DroppingDTPHandler


def make_handler(options):
    log_file = open(options.log, "a", encoding="utf-8", errors="replace") if options.log else None

    class PrinterHandler(FTPHandler):
        abstracted_fs = BackslashFS
        auth_failed_timeout = 0
        banner = "KIP printer simulator ready."

        def pre_process_command(self, line, cmd, arg):
            if log_file:
                log_file.write(line + "\n")
                log_file.flush()
            if options.slow:
                time.sleep(options.slow)
            if options.refuse_active and cmd in ("PORT", "EPRT"):
                self.respond("500 Active mode is switched off on this printer.")
                return
            super().pre_process_command(line, cmd, arg)

    if options.drop_after is not None:
        PrinterHandler.dtp_handler = make_dtp_handler(options.drop_after)
    return PrinterHandler


def stop(*_):
    raise SystemExit(0)


def exit_at_end_of_input():
    # Unbuffered reads: a buffered reader's lock would hold up the interpreter's shutdown.
    while os.read(sys.stdin.fileno(), 4096):
        pass
    os._exit(0)


def prepare_root(options):
    os.makedirs(os.path.join(options.root, "request"), exist_ok=True)
    if options.statinfo:
        folder = os.path.join(options.root, "logdir", "statinfo")
        os.makedirs(folder, exist_ok=True)
        shutil.copyfile(options.statinfo, os.path.join(folder, "IPSUnattend.Dat"))


def main():
    parser = argparse.ArgumentParser(description="KIP printer FTP simulator")
    parser.add_argument("--root", required=True, help="folder served as the printer's file system")
    parser.add_argument("--host", default="127.0.0.1", help="address to listen on (default 127.0.0.1)")
    parser.add_argument("--port", type=int, default=0, help="port (default 0: a free one)")
    parser.add_argument("--user", default="anonymous", help="account name (default anonymous)")
    parser.add_argument("--password", default="", help="the account's password")
    parser.add_argument("--statinfo", help="file served as \\logdir\\statinfo\\IPSUnattend.Dat")
    parser.add_argument("--log", help="file that receives every command")
    parser.add_argument("--refuse-login", action="store_true")
    parser.add_argument("--drop-after", type=int, metavar="N")
    parser.add_argument("--refuse-active", action="store_true")
    parser.add_argument("--slow", type=float, default=0.0, metavar="SECONDS")
    parser.add_argument("--exit-with-stdin", action="store_true", help="stop when standard input ends")
    parser.add_argument("--verbose", action="store_true", help="log the server's own messages to stderr")
    options = parser.parse_args()
    logging.basicConfig(level=logging.INFO if options.verbose else logging.WARNING)

    prepare_root(options)
    # A printer's anonymous account may write: that is how jobs arrive.
    warnings.filterwarnings("ignore", message="write permissions assigned to anonymous user")
    authorizer = RefusingAuthorizer() if options.refuse_login else DummyAuthorizer()
    if not options.refuse_login:
        if options.user == "anonymous":
            authorizer.add_anonymous(options.root, perm=PERMISSIONS)
        else:
            authorizer.add_user(options.user, options.password, options.root, perm=PERMISSIONS)
    handler = make_handler(options)
    handler.authorizer = authorizer
    # The simulator talks only on the machine it runs on unless told otherwise.
    handler.permit_foreign_addresses = False
    server = FTPServer((options.host, options.port), handler)
    signal.signal(signal.SIGTERM, stop)
    if options.exit_with_stdin:
        threading.Thread(target=exit_at_end_of_input, daemon=True).start()
    print("port %d" % server.address[1], flush=True)
    try:
        server.serve_forever(handle_exit=True)
    finally:
        server.close_all()
    return 0


if __name__ == "__main__":
    sys.exit(main())
