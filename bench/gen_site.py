#!/usr/bin/env python3
"""Generates the benchmark site: N static pages of 5 to 30 KB with about 30 links each.

Links come in every kind a crawler meets: relative, root-relative, absolute, "../", with
fragments, with queries, to images, to redirects, to missing pages, to other hosts, mailto: and
javascript:. Besides the files it writes:
  expected-urls.txt  every URL a correct crawl from the start page must record, one per line
  list-urls.txt      N page URLs, for the list-scan benchmark
  nginx.conf         a loopback server for the site (redirects: /r/s<d>/p<n> -> /s<d>/p<n>.html)

Usage: gen_site.py OUT_DIR PORT [PAGES]
"""
import os
import random
import sys

LOREM = ("lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod tempor "
         "incididunt ut labore et dolore magna aliqua ut enim ad minim veniam quis nostrud "
         "exercitation ullamco laboris nisi ut aliquip ex ea commodo consequat").split()


def page_path(n):
    return f"/s{n % 50}/p{n}.html"


def main():
    out, port = sys.argv[1], int(sys.argv[2])
    pages = int(sys.argv[3]) if len(sys.argv) > 3 else 20000
    rng = random.Random(20261211)
    base = f"http://127.0.0.1:{port}"
    os.makedirs(out, exist_ok=True)
    for d in range(50):
        os.makedirs(f"{out}/site/s{d}", exist_ok=True)
    os.makedirs(f"{out}/site/img", exist_ok=True)

    images = 2000
    png = bytes.fromhex("89504e470d0a1a0a0000000d4948445200000001000000010806000000"
                        "1f15c4890000000d49444154789c6360000002000100e221bc330000000049454e44ae426082")
    for i in range(images):
        with open(f"{out}/site/img/i{i}.png", "wb") as f:
            f.write(png)

    expected = set()
    queue = [0]
    linked_pages = {0}
    expected.add(base + page_path(0))
    # Every page links to the next ones so the whole site is reachable, plus random others.
    for n in range(pages):
        me = page_path(n)
        my_dir = f"/s{n % 50}/"
        links = []

        def to_page(m, kind):
            target = page_path(m)
            if kind == "rel-same-dir" and m % 50 == n % 50:
                return f"p{m}.html"
            if kind == "dotdot":
                return f"../s{m % 50}/p{m}.html"
            if kind == "absolute":
                return base + target
            return target  # root-relative

        followers = [m for m in (n + 1, n + 2, 2 * n + 1) if m < pages]
        for m in followers:
            links.append((to_page(m, rng.choice(["dotdot", "absolute", "root"])), base + page_path(m)))
        while len(links) < 30:
            k = rng.randrange(100)
            m = rng.randrange(pages)
            if k < 35:
                kind = rng.choice(["rel-same-dir", "dotdot", "absolute", "root"])
                links.append((to_page(m, kind), base + page_path(m)))
            elif k < 45:
                links.append((page_path(m) + f"#sec{rng.randrange(5)}", base + page_path(m)))
            elif k < 52:
                q = f"?v={rng.randrange(3)}"
                links.append((page_path(m) + q, base + page_path(m) + q))
            elif k < 65:
                i = rng.randrange(images)
                links.append((f"/img/i{i}.png", base + f"/img/i{i}.png"))
            elif k < 72:
                # Redirect: the row of /r/<m> and the target page, which is on the site anyway.
                r = f"/r/s{m % 50}/p{m}"
                links.append((r, base + r))
                links.append(("", base + page_path(m)))
            elif k < 78:
                missing = f"/missing/m{rng.randrange(pages)}.html"
                links.append((missing, base + missing))
            elif k < 88:
                links.append((f"http://other{rng.randrange(9)}.example/x{m}.html", None))
            elif k < 94:
                links.append((f"mailto:user{m}@other.example", None))
            else:
                links.append((f"javascript:void({m})", None))

        body = []
        body.append("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n")
        body.append(f"<title>Page {n} &amp; friends</title>\n")
        body.append("<meta name=\"description\" content=\"benchmark page\">\n")
        body.append("<script>var x = '<a href=\"/never\">'; function f(){return 1;}</script>\n")
        body.append("<style>body{font-family:sans-serif}</style>\n</head>\n<body>\n")
        body.append("<!-- navigation <a href=\"/commented\">x</a> -->\n<table><tr><td>menu</td></tr></table>\n")
        target_size = rng.randrange(5000, 30000)
        size = sum(len(x) for x in body)
        pending = list(links)
        while size < target_size or pending:
            words = " ".join(rng.choice(LOREM) for _ in range(rng.randrange(20, 60)))
            chunk = f"<p class=\"text\">{words}"
            if pending:
                href, _ = pending.pop()
                if href:
                    chunk += f" <a href=\"{href}\">link {rng.randrange(1000)}</a>"
            chunk += "</p>\n"
            body.append(chunk)
            size += len(chunk)
        body.append("</body>\n</html>\n")
        with open(f"{out}/site{me}", "w") as f:
            f.write("".join(body))
        for href, url in links:
            if url:
                expected.add(url)

    with open(f"{out}/expected-urls.txt", "w") as f:
        for u in sorted(expected):
            f.write(u + "\n")
    with open(f"{out}/list-urls.txt", "w") as f:
        for n in range(pages):
            f.write(base + page_path(n) + "\r\n")
    root = os.path.abspath(f"{out}/site")
    with open(f"{out}/nginx.conf", "w") as f:
        f.write(f"""worker_processes 1;
daemon off;
pid {os.path.abspath(out)}/nginx.pid;
error_log {os.path.abspath(out)}/nginx-error.log warn;
events {{ worker_connections 4096; }}
http {{
    include /etc/nginx/mime.types;
    default_type application/octet-stream;
    access_log off;
    keepalive_timeout 0;
    client_body_temp_path {os.path.abspath(out)}/tmp;
    proxy_temp_path {os.path.abspath(out)}/tmp;
    fastcgi_temp_path {os.path.abspath(out)}/tmp;
    uwsgi_temp_path {os.path.abspath(out)}/tmp;
    scgi_temp_path {os.path.abspath(out)}/tmp;
    server {{
        listen 127.0.0.1:{port} backlog=4096;
        root {root};
        location ~ ^/r/(s\\d+/p\\d+)$ {{
            return 301 {base}/$1.html;
        }}
    }}
}}
""")
    os.makedirs(f"{out}/tmp", exist_ok=True)


if __name__ == "__main__":
    main()
