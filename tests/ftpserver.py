# A real FTP server on loopback for the tests and benchmarks: pyftpdlib,
# serving one folder to the user "kx" (password "pa ss") and to anonymous
# (read only). Prints the port it listens on, then serves until killed.
#
#   ftpserver.py ROOT [--no-mlsd] [--no-site] [--readonly DIR]... [--port N] [--throttle BYTES]
#
# --no-mlsd leaves MLSD/MLST out, so clients must read LIST lines;
# --no-site leaves the SITE commands out (a server that answers them "500");
# --readonly DIR lets "kx" list and read DIR (relative to ROOT) but not
# change anything in it; --throttle limits each transfer to BYTES a second
# (for watching a transfer in the real program). Names are bytes: what is not UTF-8 passes through.
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    args = sys.argv[1:]
    root = os.path.realpath(args.pop(0))
    no_mlsd = False
    no_site = False
    readonly = []
    port = 0
    throttle = 0
    while args:
        arg = args.pop(0)
        if arg == "--no-mlsd":
            no_mlsd = True
        elif arg == "--no-site":
            no_site = True
        elif arg == "--readonly":
            readonly.append(args.pop(0))
        elif arg == "--port":
            port = int(args.pop(0))
        elif arg == "--throttle":
            throttle = int(args.pop(0))
    authorizer = DummyAuthorizer()
    authorizer.add_user("kx", "pa ss", root, perm="elradfmwMT")
    authorizer.add_anonymous(root, perm="elr")
    for folder in readonly:
        authorizer.override_perm("kx", os.path.join(root, folder), "elr", recursive=True)

    class Handler(FTPHandler):
        pass

    Handler.authorizer = authorizer
    Handler.unicode_errors = "surrogateescape"
    Handler.auth_failed_timeout = 0
    Handler.use_sendfile = False
    if no_mlsd:
        Handler.proto_cmds = {k: v for k, v in FTPHandler.proto_cmds.items() if k not in ("MLSD", "MLST")}
    if no_site:
        Handler.proto_cmds = {k: v for k, v in Handler.proto_cmds.items() if not k.startswith("SITE")}
    if throttle:
        from pyftpdlib.handlers import ThrottledDTPHandler

        class Throttled(ThrottledDTPHandler):
            read_limit = throttle
            write_limit = throttle

        Handler.dtp_handler = Throttled
    import logging
    logging.basicConfig(level=logging.CRITICAL)
    server = FTPServer(("127.0.0.1", port), Handler)
    print(server.address[1], flush=True)
    server.serve_forever(handle_exit=False)


main()
