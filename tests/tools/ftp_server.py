#!/usr/bin/python3
"""An FTP server on loopback for the update check's tests (Debian's
python3-pyftpdlib).

Serves ROOT as the home of one read-only account, on a free port of
127.0.0.1 whose number it prints on the first line of standard output. Every
command it receives is appended to LOG by its name alone ("USER", "EPRT",
"RETR"), before it is answered, so that a test can tell which data connection
mode the client chose.

    ftp_server.py ROOT USER PASSWORD LOG
"""

import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    root, user, password, log_path = sys.argv[1:5]

    class LoggingHandler(FTPHandler):
        def pre_process_command(self, line, cmd, arg):
            with open(log_path, "a", encoding="ascii", errors="replace") as log:
                log.write(cmd + "\n")
            return super().pre_process_command(line, cmd, arg)

    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elr")
    LoggingHandler.authorizer = authorizer
    logging.basicConfig(level=logging.WARNING)

    server = FTPServer(("127.0.0.1", 0), LoggingHandler)
    print(server.socket.getsockname()[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
