#!/usr/bin/python3
"""Serves the playground's folder on this machine, with the headers a page's own policy
cannot set: no other site may frame the page (frame-ancestors is ignored in a meta tag),
and the engine's worker gets a policy of its own, since a worker takes its policy from
the response that brought its script, not from the page.
    serve.py FOLDER PORT"""
import functools
import http.server
import sys

PAGE_HEADERS = {
    'Content-Security-Policy': "frame-ancestors 'none'",
    'X-Frame-Options': 'DENY',
    'X-Content-Type-Options': 'nosniff',
}
# The engine's WebAssembly travels inside its script and is fetched from a data: address.
WORKER_POLICY = "default-src 'none'; script-src 'self' 'wasm-unsafe-eval'; connect-src 'self' data:"


class Handler(http.server.SimpleHTTPRequestHandler):
    def end_headers(self):
        path = self.path.split('?', 1)[0]
        for name, value in PAGE_HEADERS.items():
            if name == 'Content-Security-Policy' and path.endswith('engine-worker.js'):
                value = WORKER_POLICY + "; " + value
            self.send_header(name, value)
        super().end_headers()


class QuietHandler(Handler):
    def log_message(self, *args):
        pass


def main():
    folder, port = sys.argv[1], int(sys.argv[2])
    handler = functools.partial(Handler, directory=folder)
    http.server.ThreadingHTTPServer(('127.0.0.1', port), handler).serve_forever()


if __name__ == '__main__':
    main()
