#!/usr/bin/python3
"""Many download sites for the site check benchmark, on 127.0.0.1 only.

usage: bench_sites.py PORTS DELAY_MS

Listens on PORTS free ports (each one host) and answers every request after
DELAY_MS milliseconds with "200 OK" and an empty body, closing the
connection afterwards when the request asks for it (as web servers do). Prints "PORTS p1 p2 ..."
once it listens; ends when its stdin ends.
"""

import asyncio
import os
import sys
import threading

COUNT, DELAY = int(sys.argv[1]), int(sys.argv[2]) / 1000.0


async def serve(reader, writer):
    try:
        while True:
            head = await reader.readuntil(b"\r\n\r\n")
            if not head:
                break
            await asyncio.sleep(DELAY)
            close = b"connection: close" in head.lower()
            writer.write(b"HTTP/1.1 200 OK\r\nContent-Length: 0\r\nContent-Type: text/html\r\n"
                         + (b"Connection: close\r\n" if close else b"") + b"\r\n")
            await writer.drain()
            if close:
                break
    except (asyncio.IncompleteReadError, ConnectionError):
        pass
    finally:
        writer.close()


async def main():
    servers = [await asyncio.start_server(serve, "127.0.0.1", 0) for _ in range(COUNT)]
    print("PORTS " + " ".join(str(s.sockets[0].getsockname()[1]) for s in servers), flush=True)
    await asyncio.Event().wait()


def exit_with_parent():
    sys.stdin.buffer.read()
    os._exit(0)


threading.Thread(target=exit_with_parent, daemon=True).start()
asyncio.run(main())
