#!/usr/bin/env python3
"""Demo site: a stand-in for the torrent index site and the playback site.

A small HTTP server on 127.0.0.1 (port 8964 unless told otherwise) that the
program's default hosts point at, so the whole program can be tried without
the network:

  GET /search/<code>/   a result page in the index site's format, one table
                        row per torrent of the sample catalogue whose code
                        contains <code> (ASCII letters compared without regard
                        to case); a page without rows for anything else.
  GET /api.html         the playback page; with ?url=<hash> it names the hash
                        it was asked to play.

Pages are UTF-8 and say so in the header "Content-Type: text/html;
charset=utf-8". The catalogue is made up: codes, names, sizes and hashes
mean nothing.

Usage: demo_site.py [--port N] [--pid-file PATH] [--quiet]
"""

import argparse
import hashlib
import html
import http.server
import os
import sys
import urllib.parse

DEFAULT_PORT = 8964
LISTEN_ADDRESS = "127.0.0.1"

# (code, title, [(variant, size), ...]): every variant is one torrent and so
# one row of the result page.
CATALOGUE = [
    ("ABP-101", "春日樱花下的约定", [("高清", "1.37 GB"), ("标清", "702.4 MB")]),
    ("ABP-102", "夏夜海边的烟火", [("高清", "1.52 GB")]),
    ("ABP-215", "山间小屋的雨季", [("高清", "2.04 GB"), ("中文字幕", "2.11 GB")]),
    ("BKD-007", "东京车站的重逢", [("高清", "1.18 GB")]),
    ("BKD-031", "旧书店里的秘密", [("高清", "986.2 MB"), ("标清", "455.0 MB")]),
    ("CND-044", "雪国列车的旅人", [("高清", "1.77 GB")]),
    ("CND-120", "午后咖啡馆", [("高清", "1.09 GB"), ("中文字幕", "1.12 GB"),
                          ("标清", "512.8 MB")]),
    ("DVA-003", "星空下的天文台", [("高清", "2.36 GB")]),
    ("DVA-018", "古镇青石板路", [("高清", "1.44 GB")]),
    ("EKB-250", "港口灯塔的守望", [("高清", "1.61 GB"), ("蓝光原盘", "21.7 GB")]),
    ("FSD-066", "竹林深处的茶园", [("高清", "1.25 GB")]),
    ("FSD-067", "竹林深处的茶园 续篇", [("高清", "1.31 GB")]),
    ("GHK-912", "秋叶飘落的校园", [("高清", "1.90 GB"), ("标清", "811.3 MB")]),
    ("HJK-400", "深夜食堂的客人", [("高清", "1.02 GB")]),
    ("IPX-177", "湖畔的白色小楼", [("高清", "1.66 GB"), ("中文字幕", "1.70 GB")]),
    ("JUX-090", "风铃响起的夏天", [("高清", "1.48 GB")]),
    ("KMN-321", "北国的最后一班电车", [("高清", "1.83 GB")]),
    ("LMR-555", "花火大会之夜", [("高清", "2.22 GB"), ("标清", "1.01 GB")]),
    ("MIDE-208", "海风吹过的阳台", [("高清", "1.39 GB")]),
    ("NKD-014", "雨后彩虹的街角", [("高清", "1.57 GB")]),
    ("OPQ-876", "图书馆闭馆之后", [("高清", "1.20 GB"), ("中文字幕", "1.24 GB")]),
    ("PRD-033", "温泉旅馆的冬天", [("高清", "2.48 GB")]),
    ("QRS-111", "稻田边的小火车", [("高清", "1.05 GB")]),
    ("RBD-502", "城市天台的黄昏", [("高清", "1.73 GB"), ("标清", "790.6 MB")]),
    ("SSNI-064", "樱桃小镇的邮差", [("高清", "1.34 GB")]),
    ("TYU-288", "灯笼街的夜市", [("高清", "1.11 GB")]),
    ("UVW-019", "渡口边的老船夫", [("高清", "1.95 GB")]),
    ("WAN-760", "山顶的云海日出", [("高清", "2.67 GB"), ("中文字幕", "2.71 GB")]),
    ("XYZ-123", "银杏大道的约会", [("高清", "1.29 GB")]),
    ("YMD-045", "月光下的钢琴曲", [("高清", "1.46 GB"), ("标清", "640.9 MB")]),
    ("ZEX-900", "草原上的风筝", [("高清", "1.88 GB")]),
    ("测试-001", "中文番号的示例条目", [("高清", "733.1 MB")]),
]


def torrent_hash(code, variant):
    """A made-up info-hash: 40 upper-case hex digits, fixed for each torrent."""
    return hashlib.sha1(f"{code}/{variant}".encode("utf-8")).hexdigest().upper()


def magnet_link(code, variant):
    return f"magnet:?xt=urn:btih:{torrent_hash(code, variant)}&dn={urllib.parse.quote(code)}"


def result_rows(query):
    """The torrents whose code contains `query`, ASCII case folded."""
    wanted = query.strip().lower()
    if not wanted:
        return []
    rows = []
    for code, title, variants in CATALOGUE:
        if wanted not in code.lower():
            continue
        for number, (variant, size) in enumerate(variants, 1):
            rows.append((code, f"{code} {title}【{variant}】", size,
                         f"/detail/{code}/{number}", magnet_link(code, variant)))
    return rows


# One result row, all on one line: the program's row pattern reads the name
# cell, the size cell, then the href that follows "Detail</a>".
ROW = ('<tr><td class="name">{name}</td><td class="size">{size}</td>'
       '<td class="links"><a href="{detail}">Detail</a>'
       '<a href="{magnet}" title="磁力链接">Magnet</a></td></tr>\n')

PAGE_HEAD = """<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<title>{query} - 种子搜索</title>
</head>
<body>
<h1>搜索结果：{query}</h1>
<table class="results">
<tr><th>名称</th><th>大小</th><th>链接</th></tr>
"""

PAGE_TAIL = """</table>
<p class="count">共 {count} 条结果</p>
</body>
</html>
"""


def result_page(query):
    rows = result_rows(query)
    escaped = html.escape(query)
    parts = [PAGE_HEAD.format(query=escaped)]
    for _, name, size, detail, magnet in rows:
        parts.append(ROW.format(name=html.escape(name, quote=False), size=size,
                                detail=detail, magnet=magnet))
    parts.append(PAGE_TAIL.format(count=len(rows)))
    return "".join(parts)


PLAYBACK_PAGE = """<!DOCTYPE html>
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<title>在线播放</title>
<style>
body {{ font-family: sans-serif; background: #202020; color: #e0e0e0; }}
.screen {{ margin: 24px auto; width: 560px; height: 260px; background: #000;
          display: flex; align-items: center; justify-content: center; }}
.hash {{ font-family: monospace; word-break: break-all; }}
</style>
</head>
<body>
<div class="screen"><span>{screen}</span></div>
<p>资源：<span class="hash" id="hash">{hash}</span></p>
</body>
</html>
"""


def playback_page(query_string):
    values = urllib.parse.parse_qs(query_string, keep_blank_values=True)
    if "url" not in values:
        return PLAYBACK_PAGE.format(screen="请在搜索结果中选择“播放”", hash="")
    wanted = values["url"][0]
    return PLAYBACK_PAGE.format(screen="正在播放 ▶", hash=html.escape(wanted))


def decode_code(raw_path_piece):
    """The typed code: GBK bytes as the program sends them, percent escapes
    undone; UTF-8 from an ordinary browser is understood as well."""
    data = urllib.parse.unquote_to_bytes(raw_path_piece)
    for encoding in ("utf-8", "gbk"):
        try:
            return data.decode(encoding)
        except UnicodeDecodeError:
            pass
    return data.decode("latin-1")


class DemoHandler(http.server.BaseHTTPRequestHandler):
    server_version = "ZarvoDemo/1.0"
    protocol_version = "HTTP/1.1"
    quiet = False

    def do_GET(self):
        # http.server decodes the request line as Latin-1, so this gives back
        # the bytes exactly as they were sent.
        raw = self.path.encode("latin-1")
        path, _, query = raw.partition(b"?")
        if path.startswith(b"/search/"):
            code = path[len(b"/search/"):]
            if code.endswith(b"/"):
                code = code[:-1]
            self.answer(200, result_page(decode_code(code)))
        elif path == b"/api.html":
            self.answer(200, playback_page(query.decode("latin-1")))
        elif path == b"/":
            self.answer(200, result_page(""))
        else:
            self.answer(404, "<html><body>404 Not Found</body></html>\n")

    def answer(self, status, page):
        body = page.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, format, *args):  # noqa: A002 (http.server's name)
        if not self.quiet:
            sys.stderr.write("demo_site: %s\n" % (format % args))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=DEFAULT_PORT)
    parser.add_argument("--pid-file", help="write the process id here once listening")
    parser.add_argument("--quiet", action="store_true", help="log no requests")
    args = parser.parse_args()

    DemoHandler.quiet = args.quiet
    server = http.server.ThreadingHTTPServer((LISTEN_ADDRESS, args.port), DemoHandler)
    if args.pid_file:
        with open(args.pid_file, "w", encoding="ascii") as f:
            f.write(f"{os.getpid()}\n")
    print(f"demo_site: serving on http://{LISTEN_ADDRESS}:{server.server_port}/", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()


if __name__ == "__main__":
    main()
