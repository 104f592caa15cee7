"""The browser build driven in headless Chromium, and the desktop game beside it.

REZARUDEV_WEB_SITE names the site folder tools/web/build.sh made, REZARUDEV_DESKTOP
the desktop build folder (its rezarudev and tools/soak/soak).
"""

import base64
import contextlib
import functools
import json
import http.server
import os
import shutil
import subprocess
import tempfile
import threading
import time
import urllib.parse
import zlib

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SITE = os.environ.get('REZARUDEV_WEB_SITE', os.path.join(ROOT, 'build-web', 'site'))
DESKTOP = os.environ.get('REZARUDEV_DESKTOP', os.path.join(ROOT, 'build'))


class Server:
    """Serves the page from 127.0.0.1, and under /files/ a folder of the test's own."""

    def __init__(self, site=SITE, port=0):
        self.files = tempfile.mkdtemp(prefix='rezarudev-web-')
        files = self.files

        class Handler(http.server.SimpleHTTPRequestHandler):
            extensions_map = {'.wasm': 'application/wasm', '.webmanifest': 'application/manifest+json'}

            def translate_path(self, path):
                if path.startswith('/files/'):
                    return os.path.join(files, urllib.parse.unquote(path[len('/files/'):].split('?')[0]))
                return super().translate_path(path)

            def log_message(self, *args):
                pass

        handler = functools.partial(Handler, directory=site)
        self.httpd = http.server.ThreadingHTTPServer(('127.0.0.1', port), handler)
        self.url = 'http://127.0.0.1:%d/' % self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()
        shutil.rmtree(self.files, ignore_errors=True)


def start_browser(profile, webgl=True):
    options = webdriver.ChromeOptions()
    for flag in ['--headless=new', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox',
                 '--no-first-run', '--disable-background-networking', '--disable-component-update',
                 '--disable-sync', '--window-size=1000,800', '--user-data-dir=' + profile]:
        options.add_argument(flag)
    if not webgl:
        options.add_argument('--disable-webgl')
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
    driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    driver.set_script_timeout(60)
    return driver


class Page:
    def __init__(self, driver, server):
        self.driver = driver
        self.server = server
        self.console = []

    def open(self, args='', click=True, watch=None):
        query = '?args=' + urllib.parse.quote(args) if args else ''
        if watch is not None:
            query += ('&' if query else '?') + 'watch=' + urllib.parse.quote(watch)
        self.driver.get(self.server.url + 'index.html' + query)
        if click:
            WebDriverWait(self.driver, 60).until(
                lambda d: d.find_element(By.ID, 'message').text == 'Click to play')
            self.driver.find_element(By.ID, 'notice').click()

    def wait_exit(self, timeout=300):
        WebDriverWait(self.driver, timeout, poll_frequency=0.2).until(
            lambda d: d.execute_script('return window.rezarudevExit !== undefined'))
        return self.driver.execute_script('return window.rezarudevExit')

    def read_text(self, path):
        return self.driver.execute_script('return window.rezarudevReadFile(arguments[0])', path)

    def last_line(self, path):
        """The last whole line of a file the game writes, without carrying all of it out of the page."""
        return self.driver.execute_script(
            'var bytes; try { bytes = Module.FS.readFile(arguments[0]); } catch (missing) { return null; }'
            'var end = bytes.lastIndexOf(10), start = bytes.lastIndexOf(10, end - 1) + 1;'
            'return end < 0 ? null : new TextDecoder().decode(bytes.subarray(start, end));', path)

    def last_frame(self, path):
        """The last frame traced to `path`, or {} before the first."""
        line = self.last_line(path)
        return json.loads(line) if line else {}

    @contextlib.contextmanager
    def scripted(self, source):
        """Runs `source` in every page opened inside the block, before the page's own scripts."""
        added = self.driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': source})
        try:
            yield
        finally:
            self.driver.execute_cdp_cmd('Page.removeScriptToEvaluateOnNewDocument', {'identifier': added['identifier']})

    def read_bytes(self, path):
        encoded = self.driver.execute_script(
            'var bytes = Module.FS.readFile(arguments[0]), text = "";'
            'for (var i = 0; i < bytes.length; i += 8192) '
            '  text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));'
            'return btoa(text);', path)
        return base64.b64decode(encoded)

    def stored(self, path, folder):
        """The bytes the browser's storage of `folder` holds for `path`, or None."""
        encoded = self.driver.execute_async_script(
            'var path = arguments[0], done = arguments[2];'
            'var request = indexedDB.open(arguments[1]);'
            'request.onerror = function () { done(null); };'
            'request.onsuccess = function () {'
            '  var database = request.result;'
            '  if (!database.objectStoreNames.contains("FILE_DATA")) { database.close(); done(null); return; }'
            '  var get = database.transaction(["FILE_DATA"]).objectStore("FILE_DATA").get(path);'
            '  get.onsuccess = function () {'
            '    database.close();'
            '    var stored = get.result && get.result.contents;'
            '    done(stored ? btoa(Array.from(stored, function (byte) {'
            '      return String.fromCharCode(byte & 255); }).join("")) : null);'
            '  };'
            '  get.onerror = function () { database.close(); done(null); };'
            '};', path, folder)
        return None if encoded is None else base64.b64decode(encoded)

    def kept(self, path, folder):
        """Whether the browser's storage of `folder` holds `path` as the game last wrote it."""
        try:
            written = self.read_bytes(path)
        except Exception:
            return False
        return self.stored(path, folder) == written

    def store(self, files):
        """Puts {path: bytes} into the game's file system and the browser's storage, as the game would."""
        self.driver.execute_async_script(
            'var files = arguments[0], done = arguments[1], storage = Module.rezarudevStorage;'
            'storage.beginSave().then(function () {'
            '  Object.keys(files).forEach(function (path) {'
            '    Module.FS.mkdirTree(path.substring(0, path.lastIndexOf("/")));'
            '    Module.FS.writeFile(path, Uint8Array.from(atob(files[path]), function (c) { return c.charCodeAt(0); }));'
            '  });'
            '  return storage.endSave();'
            '}).then(done);',
            {path: base64.b64encode(data).decode() for path, data in files.items()})

    def logs(self):
        self.console += self.driver.get_log('browser')
        return self.console


def run_desktop(folder, *args, desktop=None):
    """Runs the desktop game (of the build folder `desktop`, by default DESKTOP) in a window of its own under
    the Xvfb the tests run in."""
    data = os.path.join(folder, 'data')
    os.makedirs(data, exist_ok=True)
    for name in os.listdir(os.path.join(ROOT, 'data')):
        if name.endswith('.ogg') and not os.path.exists(os.path.join(data, name)):
            os.symlink(os.path.join(ROOT, 'data', name), os.path.join(data, name))
    environment = dict(os.environ, SDL_AUDIODRIVER='dummy', LIBGL_ALWAYS_SOFTWARE='1')
    game = os.path.join(desktop or DESKTOP, 'rezarudev')
    return subprocess.run([game, '--windowed', '--fast', '--data-dir', folder] + list(args), env=environment,
                          capture_output=True, text=True, timeout=600)


def make_replay(seed, frames):
    """A random game from the soak tool: a recording as the desktop game writes it."""
    return subprocess.run([os.path.join(DESKTOP, 'tools', 'soak', 'soak'), 'replay', str(seed), str(frames)],
                          capture_output=True, text=True, check=True).stdout


def decode_png(data):
    """(width, height, rows of RGBA bytes) of an 8-bit RGB or RGBA PNG."""
    assert data[:8] == b'\x89PNG\r\n\x1a\n'
    at, idat = 8, b''
    while at < len(data):
        length = int.from_bytes(data[at:at + 4], 'big')
        kind, body = data[at + 4:at + 8], data[at + 8:at + 8 + length]
        if kind == b'IHDR':
            width, height = int.from_bytes(body[0:4], 'big'), int.from_bytes(body[4:8], 'big')
            channels = {2: 3, 6: 4}[body[9]]
            assert body[8] == 8 and body[12] == 0
        elif kind == b'IDAT':
            idat += body
        at += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            left = line[x - channels] if x >= channels else 0
            up = previous[x]
            corner = previous[x - channels] if x >= channels else 0
            if kind == 1:
                line[x] = (line[x] + left) & 255
            elif kind == 2:
                line[x] = (line[x] + up) & 255
            elif kind == 3:
                line[x] = (line[x] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[x] = (line[x] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        previous = line
        if channels == 3:
            line = bytearray(b''.join(bytes(line[i:i + 3]) + b'\xff' for i in range(0, stride, 3)))
        rows.append(bytes(line))
    return width, height, rows


def pixels_differing(first, second):
    (width, height, rows_a), (width_b, height_b, rows_b) = first, second
    assert (width, height) == (width_b, height_b)
    return sum(rows_a[y][x:x + 4] != rows_b[y][x:x + 4]
               for y in range(height) for x in range(0, width * 4, 4))


def wait_until(test, timeout=30):
    end = time.time() + timeout
    while time.time() < end:
        if test():
            return True
        time.sleep(0.1)
    return False
