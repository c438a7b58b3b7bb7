#!/usr/bin/python3
"""A stand-in RFC 3161 timestamp authority on 127.0.0.1: each POSTed query is answered by
`openssl ts -reply` with the given configuration. Writes its port to <port file>.

  timestamp_server.py <openssl ts configuration> <port file>
"""
import http.server
import subprocess
import sys


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        reply = subprocess.run(
            ["openssl", "ts", "-reply", "-config", sys.argv[1], "-queryfile", "/dev/stdin",
             "-out", "/dev/stdout"], input=query, capture_output=True)
        self.send_response(200 if reply.returncode == 0 and reply.stdout else 500)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply.stdout)))
        self.end_headers()
        self.wfile.write(reply.stdout)

    def log_message(self, *arguments):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
with open(sys.argv[2] + ".new", "w") as port:
    port.write(str(server.server_address[1]))
__import__("os").rename(sys.argv[2] + ".new", sys.argv[2])
server.serve_forever()
