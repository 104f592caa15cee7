"""The browser build in headless Chromium: the same pictures and the same game as the desktop's,
files that outlive the page, and the page's own messages."""

import json
import os
import re
import shutil
import sqlite3
import subprocess
import tempfile
import time
import types
import unittest
import urllib.parse
import urllib.request

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

import browser

# Past the splash onto the title.
TITLE_REPLAY = 'seed 4660\n1 key 32 down\n2 key 32 up\n'
# The per-user folders kept in the browser's storage, and the files the game keeps there.
DATA_FOLDER = '/home/web_user/.local/share'
SETTINGS_FOLDER = '/home/web_user/.config'
BEST_SCORE = DATA_FOLDER + '/rezarudev/hiscore.dat'
SCORES = DATA_FOLDER + '/rezarudev/scores'
SETTINGS = SETTINGS_FOLDER + '/rezarudev/settings'

# A standard gamepad as the Gamepad API gives it, driven from the test.
FAKE_GAMEPAD = """
    var pad = {id: 'Test pad', index: 0, connected: true, mapping: 'standard', timestamp: 1, axes: [0, 0, 0, 0],
               buttons: Array.from({length: 17}, function () { return {pressed: false, touched: false, value: 0}; })};
    navigator.getGamepads = function () { return [pad]; };
    window.testPad = function (button, down, axis, value) {
        if (button >= 0) pad.buttons[button] = {pressed: down, touched: down, value: down ? 1 : 0};
        if (axis >= 0) pad.axes[axis] = value;
        pad.timestamp += 1;
    };"""
# A full storage as the browser reports it: every transaction that writes aborts with a QuotaExceededError.
# (This Chromium takes Storage.overrideQuotaForOrigin but does not hold IndexedDB's writes to it.)
FULL_STORAGE = """
    window.storageFull = true;
    ['put', 'delete'].forEach(function (name) {
        var write = IDBObjectStore.prototype[name];
        IDBObjectStore.prototype[name] = function () {
            var transaction = this.transaction;
            if (!window.storageFull) return write.apply(this, arguments);
            if (!transaction.refused) {
                transaction.refused = true;
                Object.defineProperty(transaction, 'error', {value: new DOMException('full', 'QuotaExceededError')});
                transaction.abort();
            }
            return {};
        };
    });"""
# Pointer Lock as a browser grants it outside a click or key press: the first
# request is refused, later ones lock.
FAKE_POINTER_LOCK = """
    var locked = null;
    window.lockRequests = 0;
    Object.defineProperty(document, 'pointerLockElement', {get: function () { return locked; }});
    function changed(element) { locked = element; document.dispatchEvent(new Event('pointerlockchange')); }
    HTMLCanvasElement.prototype.requestPointerLock = function () {
        window.lockRequests += 1;
        if (window.lockRequests === 1) {
            document.dispatchEvent(new Event('pointerlockerror'));
            return Promise.reject(new DOMException('A user gesture is required', 'NotAllowedError'));
        }
        changed(this);
        return Promise.resolve();
    };
    document.exitPointerLock = function () { if (locked) changed(null); };"""


def scoring_replay(close=None):
    """A recorded game that scores, quit from the pause menu onto the title, where the best score is saved;
    with `close`, the run ends at that frame."""
    lines = [line for line in browser.make_replay(22, 1200).splitlines()
             if not line[:1].isdigit() or int(line.split()[0]) <= 900]
    quit_game = ['905 key 32 down', '906 key 32 up', '930 move 320 260', '935 mouse 1 down', '936 mouse 1 up']
    return '\n'.join(lines + quit_game + (['%d close' % close] if close else [])) + '\n'


def game_to_the_table(name):
    """Seed 3: the ship thrusts about and fires until its third ship is lost, the name entry opens at frame
    2222, and `name` is typed over the name offered."""
    events = [(1, 'key 32 down'), (2, 'key 32 up'), (10, 'key 32 down'), (11, 'key 32 up')]
    for frame in range(300, 2200, 30):
        events += [(frame, 'key 38 down'), (frame + 1, 'key 162 down'), (frame + 3, 'key 162 up'),
                   (frame + 25, 'key 38 up')]
        if frame // 30 % 5 == 0:
            events += [(frame + 5, 'key 37 down'), (frame + 9, 'key 37 up')]
    for frame in range(2230, 2242):
        events += [(frame, 'key 8 down'), (frame, 'key 8 up')]
    events.append((2245, 'text ' + name.encode().hex()))
    events.sort(key=lambda event: event[0])
    return 'seed 3\n' + ''.join('%d %s\n' % event for event in events)


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = browser.Server()
        cls.profile = tempfile.mkdtemp(prefix='rezarudev-chromium-')
        cls.driver = browser.start_browser(cls.profile)
        cls.page = browser.Page(cls.driver, cls.server)

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.server.close()
        shutil.rmtree(cls.profile, ignore_errors=True)

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix='rezarudev-desktop-')

    def tearDown(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def clear_storage(self):
        self.driver.execute_cdp_cmd('Storage.clearDataForOrigin',
                                    {'origin': self.server.url.rstrip('/'), 'storageTypes': 'indexeddb'})

    def serve(self, name, text):
        with open(os.path.join(self.server.files, name), 'w') as file:
            file.write(text)
        return 'files/' + name

    def test_title_frame_matches_the_desktop_picture(self):
        replay = self.serve('title.txt', TITLE_REPLAY)
        desktop_png = os.path.join(self.folder, 'title.png')
        ran = browser.run_desktop(self.folder, '--replay', os.path.join(self.server.files, 'title.txt'),
                                  '--frames', '12', '--screenshot', '10:' + desktop_png)
        self.assertEqual(ran.returncode, 0, ran.stderr)
        self.page.open('--fast --replay %s --frames 12 --screenshot 10:/title.png' % replay)
        self.assertEqual(self.page.wait_exit(), 0)
        with open(desktop_png, 'rb') as file:
            desktop = browser.decode_png(file.read())
        web = browser.decode_png(self.page.read_bytes('/title.png'))
        # The tolerance of the comparisons between the desktop's GL back ends.
        self.assertLessEqual(browser.pixels_differing(desktop, web), 640 * 480 // 20)

    def test_a_desktop_replay_gives_the_desktop_trace(self):
        # A random game long enough to turn, fly, shoot and die.
        replay = self.serve('game.txt', browser.make_replay(11, 1500))
        desktop_trace = os.path.join(self.folder, 'trace.jsonl')
        ran = browser.run_desktop(self.folder, '--replay', os.path.join(self.server.files, 'game.txt'),
                                  '--trace', desktop_trace)
        self.assertEqual(ran.returncode, 0, ran.stderr)
        self.page.open('--fast --replay %s --trace /trace.jsonl' % replay)
        self.assertEqual(self.page.wait_exit(), 0)
        web = self.page.read_text('/trace.jsonl').splitlines()
        with open(desktop_trace) as file:
            desktop = file.read().splitlines()
        for number, (want, got) in enumerate(zip(desktop, web)):
            self.assertEqual(got, want, 'first difference in frame %d' % number)
        self.assertEqual(len(web), len(desktop))

    def test_the_game_steps_60_times_a_second_on_screens_of_120_and_144_hz(self):
        for hertz in (120, 144):
            # The browser's animation frames as such a screen gives them.
            fast_screen = """
                (function () {
                    var period = 1000 / %d, next = performance.now(), waiting = [], due = false;
                    function frame() {
                        var now = performance.now(), run = waiting;
                        waiting = [];
                        due = false;
                        run.forEach(function (callback) { callback(now); });
                    }
                    window.requestAnimationFrame = function (callback) {
                        waiting.push(callback);
                        if (!due) {
                            due = true;
                            next = Math.max(next + period, performance.now());
                            setTimeout(frame, next - performance.now());
                        }
                        return waiting.length;
                    };
                })();""" % hertz
            with self.page.scripted(fast_screen):
                self.page.open('--trace /rate.jsonl', click=False)
                WebDriverWait(self.driver, 60).until(
                    lambda d: d.find_element(By.ID, 'message').text == 'Click to play')
                self.assertGreater(self.driver.execute_script(
                    'var count = 0, start = performance.now();'
                    'return new Promise(function (done) {'
                    '  (function tick() { if (++count === 60) done(59000 / (performance.now() - start));'
                    '                     else requestAnimationFrame(tick); })(); });'), hertz * 0.9)
                self.driver.find_element(By.ID, 'notice').click()
                self.assertTrue(browser.wait_until(lambda: self.page.last_frame('/rate.jsonl').get('frame', 0) >= 60))
                first, started = self.page.last_frame('/rate.jsonl')['frame'], time.monotonic()
                time.sleep(5)
                steps = (self.page.last_frame('/rate.jsonl')['frame'] - first) / (time.monotonic() - started)
                self.assertTrue(50 <= steps <= 63, '%.1f steps a second under %d Hz' % (steps, hertz))

    def test_best_score_and_a_changed_setting_survive_a_reload(self):
        # With no close after it, the game stays on the title; its best score is saved as the game ends.
        replay = self.serve('score.txt', scoring_replay())
        self.page.open('--fast --replay %s --trace /scored.jsonl' % replay)
        last_frame = self.page.last_frame
        self.assertTrue(browser.wait_until(lambda: last_frame('/scored.jsonl').get('frame', 0) > 940, 120))
        self.assertEqual(last_frame('/scored.jsonl')['screen'], 'title')
        best = last_frame('/scored.jsonl')['best']
        self.assertGreater(best, 0)
        self.assertTrue(browser.wait_until(lambda: self.page.kept(BEST_SCORE, DATA_FOLDER)))
        self.assertIsNone(self.driver.execute_script('return window.rezarudevExit'))
        self.driver.refresh()

        # Played by hand: a click skips the splash, one on "Sound Volume: 100%" turns it off.
        self.page.open('--trace /live.jsonl')
        canvas = self.driver.find_element(By.ID, 'canvas')

        def click_at(x, y):
            ActionChains(self.driver).move_to_element_with_offset(
                canvas, (x - 320) * canvas.size['width'] // 640, (y - 240) * canvas.size['height'] // 480).click().perform()

        self.assertTrue(browser.wait_until(lambda: last_frame('/live.jsonl').get('screen') == 'splash'))
        click_at(320, 277)
        self.assertTrue(browser.wait_until(lambda: last_frame('/live.jsonl')['screen'] == 'title'))
        time.sleep(0.5)
        click_at(320, 277)
        self.assertTrue(browser.wait_until(lambda: last_frame('/live.jsonl')['sfx_vol_step'] == 0))
        self.assertTrue(browser.wait_until(lambda: self.page.kept(SETTINGS, SETTINGS_FOLDER)))
        self.driver.refresh()

        self.page.open('--fast --frames 3 --trace /after.jsonl')
        self.assertEqual(self.page.wait_exit(), 0)
        after = last_frame('/after.jsonl')
        self.assertEqual(after['best'], best)
        self.assertEqual(after['sfx_vol_step'], 0)

    def test_refused_storage_plays_from_a_best_score_of_0_and_says_so_at_each_save(self):
        refusals = {
            'no IndexedDB': 'Object.defineProperty(window, "indexedDB", {value: undefined});',
            'touching IndexedDB throws': 'Object.defineProperty(window, "indexedDB", {get: function () {'
                                         '  throw new DOMException("refused", "SecurityError"); }});',
            'opening throws': 'IDBFactory.prototype.open = function () {'
                              '  throw new DOMException("refused", "InvalidStateError"); };',
            'opening never answers': 'IDBFactory.prototype.open = function () { return {}; };',
        }
        for name, script in refusals.items():
            with self.subTest(name):
                with self.page.scripted(script):
                    seen = len(self.page.logs())
                    self.page.open('--fast --frames 3 --trace /t.jsonl')
                    # The best score of 0 written on the way out is not kept.
                    self.assertEqual(self.page.wait_exit(), 1)
                    self.assertEqual(self.page.last_frame('/t.jsonl')['best'], 0)
                    said = [entry for entry in self.page.logs()[seen:] if 'keeps no files' in entry['message']]
                    self.assertEqual(len(said), 2, said)
                    self.assertIn('nothing is saved', said[0]['message'])
                    self.assertIn('Not saved: this browser keeps no files here',
                                  self.driver.find_element(By.ID, 'saving').text)

    def play_to_the_first_level(self, trace, press):
        """From the splash, with `press` pressing the key or button that passes a screen, to a level warped in."""
        def frame():
            return self.page.last_frame(trace)

        self.assertTrue(browser.wait_until(lambda: frame().get('screen') == 'splash'))
        press()
        self.assertTrue(browser.wait_until(lambda: frame()['screen'] == 'title'))
        time.sleep(0.3)
        press()
        self.assertTrue(browser.wait_until(lambda: frame()['screen'] == 'playing' and not frame()['warp_on']))
        return frame

    def test_a_gamepad_plays_with_the_desktop_mapping(self):
        with self.page.scripted(FAKE_GAMEPAD):
            self.page.open('--trace /pad.jsonl')

            def press(button=0):
                self.driver.execute_script('testPad(arguments[0], true, -1, 0)', button)
                time.sleep(0.2)
                self.driver.execute_script('testPad(arguments[0], false, -1, 0)', button)

            def stick(value):
                self.driver.execute_script('testPad(-1, false, 0, arguments[0])', value)

            frame = self.play_to_the_first_level('/pad.jsonl', press)
            # SDL takes the first value it hears from an axis as where it rests.
            stick(0.1)
            time.sleep(0.2)
            # Fully left: the game turns only at exactly the end of the stick's travel.
            stick(-1.0)
            self.assertTrue(browser.wait_until(lambda: frame()['ship']['rotation'] != 0, timeout=5))
            stick(0.0)
            ActionChains(self.driver).send_keys(Keys.ESCAPE).perform()
            self.assertEqual(self.page.wait_exit(), 0)
            self.assertIn('ended', self.driver.find_element(By.ID, 'message').text)

    def test_a_mac_style_key_set_from_the_settings_plays_and_shows_on_the_help_line(self):
        # No Ctrl, Alt or arrows: letters alone, fire on J rather than its default K.
        self.page.open('--fast --frames 3')
        self.assertEqual(self.page.wait_exit(), 0)
        self.addCleanup(self.clear_storage)
        self.page.store({SETTINGS: b'bind turn_left A\nbind turn_right D\nbind thrust W\nbind fire J\n'
                                   b'bind trigger L\nbind pause P\n'})
        self.driver.refresh()
        self.page.open('--trace /mac.jsonl')

        def hold(key, seconds=0.1):
            ActionChains(self.driver).key_down(key).perform()
            time.sleep(seconds)
            ActionChains(self.driver).key_up(key).perform()

        frame = self.play_to_the_first_level('/mac.jsonl', lambda: hold('j'))
        help_line = self.driver.find_element(By.ID, 'keys').text
        self.assertIn('A, D: turn', help_line)
        self.assertIn('J: fire', help_line)
        self.assertNotIn('Ctrl', help_line)
        hold(Keys.LEFT_CONTROL)
        hold(Keys.LEFT)
        time.sleep(0.3)
        self.assertEqual(frame()['ship']['rotation'], 0, 'the arrows are nobody\'s now')
        self.assertEqual(frame()['counts']['shots'], 0)
        def holding(key, shown):
            # Held until the game shows it: a burger met on the way takes the ship, and its controls, for a while.
            ActionChains(self.driver).key_down(key).perform()
            try:
                return browser.wait_until(shown, timeout=20)
            finally:
                ActionChains(self.driver).key_up(key).perform()

        self.assertTrue(holding('d', lambda: frame()['ship']['rotation'] != 0))
        self.assertTrue(holding('w', lambda: frame()['ship']['speed'] != 0))
        self.assertTrue(holding('j', lambda: frame()['counts']['shots'] > 0))
        hold('p')
        self.assertTrue(browser.wait_until(lambda: frame()['screen'] == 'paused', timeout=5))
        ActionChains(self.driver).send_keys(Keys.ESCAPE).perform()
        self.assertEqual(self.page.wait_exit(), 0)

    def test_a_phone_plays_by_touch_alone(self):
        # An 844x390 phone held in landscape, touched through the DevTools protocol.
        self.driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                                    {'width': 844, 'height': 390, 'deviceScaleFactor': 2, 'mobile': True})
        self.driver.execute_cdp_cmd('Emulation.setTouchEmulationEnabled', {'enabled': True, 'maxTouchPoints': 5})
        self.addCleanup(self.driver.execute_cdp_cmd, 'Emulation.setTouchEmulationEnabled', {'enabled': False})
        self.addCleanup(self.driver.execute_cdp_cmd, 'Emulation.clearDeviceMetricsOverride', {})
        held = {}

        def touch(kind, fingers):
            self.driver.execute_cdp_cmd('Input.dispatchTouchEvent', {'type': kind, 'touchPoints': [
                {'x': x, 'y': y, 'id': finger} for finger, (x, y) in fingers.items()]})

        def press(finger, point):
            held[finger] = point
            touch('touchStart', held)

        def let_go(finger=None):
            if finger is None:
                held.clear()
            else:
                del held[finger]
            touch('touchEnd', held)

        def tap(point):
            press(0, point)
            time.sleep(0.1)
            let_go(0)

        def on_picture(x, y):
            left, top, width = self.driver.execute_script(
                'var box = document.getElementById("canvas").getBoundingClientRect();'
                'return [box.left, box.top, box.width];')
            return left + x * width / 640, top + y * width / 640

        def control(action):
            return self.driver.execute_script(
                'var box = document.querySelector("[data-action=" + arguments[0] + "]").getBoundingClientRect();'
                'return [box.left + box.width / 2, box.top + box.height / 2];', action)

        self.clear_storage()
        self.page.open('--seed 3 --trace /touch.jsonl', click=False)
        self.assertTrue(browser.wait_until(lambda: self.driver.find_element(By.ID, 'message').text == 'Click to play'))
        tap((422, 195))
        # Taps on "Start New Game": the first passes the splash.
        frame = self.play_to_the_first_level('/touch.jsonl', lambda: tap(on_picture(320, 200)))
        # The picture fills the screen's height; the controls sit beside it, clear of the score.
        self.assertEqual(self.driver.execute_script(
            'return Math.round(document.getElementById("canvas").getBoundingClientRect().height)'), 390)
        for action in ('turn_left', 'turn_right', 'thrust', 'fire', 'trigger', 'pause'):
            x, y = control(action)
            self.assertTrue(0 < x < 844 and 40 < y < 350, (action, x, y))
        turn_left, thrust, fire, pause = (control(action) for action in ('turn_left', 'thrust', 'fire', 'pause'))
        self.assertFalse(self.driver.find_element(By.ID, 'keys').is_displayed())
        # Three fingers at once: turning, thrusting and firing (a ship lost on the way comes back only when
        # the controls are let go).
        seen = set()

        def three_fingers():
            self.assertTrue(browser.wait_until(
                lambda: frame()['ship']['death_tmr'] == 0 and frame()['warp_on'] == 0, timeout=10))
            press(1, control('turn_right'))
            press(2, thrust)
            press(3, fire)

            def shown():
                now = frame()
                seen.update(name for name, value in (('turned', now['ship']['rotation']),
                                                     ('moved', now['ship']['speed']),
                                                     ('fired', now['counts']['shots'])) if value)
                return len(seen) == 3
            try:
                return browser.wait_until(shown, timeout=3)
            finally:
                let_go(3)
                let_go()
        self.assertTrue(three_fingers() or three_fingers(), seen)
        # A drag and a double tap beside the picture neither scroll nor zoom the page.
        press(0, (60, 40))
        held[0] = (60, 300)
        touch('touchMove', held)
        let_go()
        tap((60, 40))
        tap((60, 40))
        self.assertEqual(self.driver.execute_script('return [window.scrollY, visualViewport.scale]'), [0, 1])
        tap(pause)
        self.assertTrue(browser.wait_until(lambda: frame()['screen'] == 'paused', timeout=5))
        tap(pause)
        self.assertTrue(browser.wait_until(lambda: frame()['screen'] == 'playing', timeout=5))
        # Thrust about firing, turning now and then, until the last ship is lost with a score.
        end = time.time() + 150
        taps = 0
        while frame()['screen'] != 'name_entry' and time.time() < end:
            taps += 1
            touch('touchStart', {1: thrust, 2: fire, 3: turn_left} if taps % 4 == 0 else {1: thrust, 2: fire})
            time.sleep(0.3)
            touch('touchEnd', {})
        self.assertEqual(frame()['screen'], 'name_entry')
        # The phone's keyboard types into the page's own field, which starts from the name offered.
        field = self.driver.find_element(By.ID, 'name-field')
        self.assertTrue(browser.wait_until(lambda: self.driver.switch_to.active_element == field, timeout=5))
        offered = field.get_attribute('value')
        self.assertTrue(offered)
        field.send_keys(Keys.BACKSPACE * len(offered) + 'Zo\u00eb' + Keys.ENTER)
        self.assertTrue(browser.wait_until(lambda: frame()['table'] == 1, timeout=10))
        self.assertFalse(field.is_displayed())
        self.assertIn(' Zo\u00eb\n', self.page.read_text(SCORES))
        # A key press brings the keyboard's page back.
        ActionChains(self.driver).send_keys(Keys.ESCAPE).perform()
        self.assertEqual(self.page.wait_exit(), 0)
        self.assertFalse(self.driver.find_element(By.CSS_SELECTOR, '[data-action=fire]').is_displayed())

    def test_the_pointer_locks_at_the_first_key_the_browser_accepts(self):
        with self.page.scripted(FAKE_POINTER_LOCK):
            self.page.open('--trace /lock.jsonl')

            def tap(key=Keys.LEFT_CONTROL):
                ActionChains(self.driver).key_down(key).perform()
                time.sleep(0.1)
                ActionChains(self.driver).key_up(key).perform()

            def locked():
                return self.driver.execute_script('return document.pointerLockElement === Module.canvas')

            self.play_to_the_first_level('/lock.jsonl', tap)
            # The game asks as the level has warped in, seconds after the key
            # that started it: refused.
            tap(Keys.LEFT)
            self.assertTrue(browser.wait_until(lambda: self.driver.execute_script('return lockRequests') == 1))
            self.assertFalse(locked())
            tap(Keys.LEFT)
            self.assertTrue(browser.wait_until(locked, timeout=5))
            # Paused, the mouse is the player's again, and no key takes it.
            tap(Keys.SPACE)
            self.assertTrue(browser.wait_until(lambda: not locked(), timeout=5))
            tap(Keys.LEFT)
            time.sleep(0.3)
            self.assertFalse(locked())
            ActionChains(self.driver).send_keys(Keys.ESCAPE).perform()
            self.assertEqual(self.page.wait_exit(), 0)

    def test_no_link_touches_the_kept_files(self):
        kept = {BEST_SCORE: (1430).to_bytes(4, 'little'), SCORES: b'1430 2 2026-12-01 Ann\nlast Ann\n',
                SETTINGS: b'sound_volume 3\n'}
        self.page.open('--fast --frames 2')
        self.assertEqual(self.page.wait_exit(), 0)
        self.page.store(kept)
        links = [
            '--trace ' + BEST_SCORE,
            '--record ' + SCORES,
            '--trace ' + SETTINGS,
            '--screenshot 5:' + SCORES,
            '--trace ../home/web_user/.local/share/rezarudev/hiscore.dat',
            '--trace /tmp/../home/web_user/.config/rezarudev/settings',
            '--trace ../t.jsonl',
            '--trace /data/title.ogg',
            '--data-dir /home/web_user/.local/share',
            '--replay ' + SCORES,
            '--replay http://example.com/game.txt',
            '--replay //example.com/game.txt',
        ]
        for link in links:
            with self.subTest(link):
                seen = len(self.page.logs())
                self.page.open('--fast --frames 60 ' + link)
                self.assertEqual(self.page.wait_exit(), 2)
                said = [entry['message'] for entry in self.page.logs()[seen:] if 'rezarudev:' in entry['message']]
                self.assertEqual(len(said), 1, said)
                for path, data in kept.items():
                    self.assertEqual(self.page.stored(path, DATA_FOLDER if path != SETTINGS else SETTINGS_FOLDER),
                                     data, path)
        # What a link may write lands beside the page, relative paths too.
        self.page.open('--fast --frames 3 --trace t.jsonl --record /r.txt')
        self.assertEqual(self.page.wait_exit(), 0)
        self.assertEqual(self.page.last_frame('t.jsonl')['best'], 1430)
        self.assertIsNotNone(self.page.read_text('/r.txt'))

    def test_a_refused_save_is_said_and_tried_again_at_the_next(self):
        replay = self.serve('scored.txt', scoring_replay())
        self.clear_storage()
        with self.page.scripted(FULL_STORAGE):
            seen = len(self.page.logs())
            self.page.open('--fast --replay %s --trace full.jsonl' % replay)
            last_frame = self.page.last_frame
            self.assertTrue(browser.wait_until(lambda: last_frame('full.jsonl').get('frame', 0) > 940, 120))
            best = last_frame('full.jsonl')['best']
            self.assertGreater(best, 0)
            # The best score, saved at the return to the title, is refused.
            said = [entry['message'] for entry in self.page.logs()[seen:] if 'storage is full' in entry['message']]
            self.assertEqual(len(said), 1, said)
            self.assertIn('Not saved: the browser\'s storage is full', self.driver.find_element(By.ID, 'saving').text)
            # Room again: the save on the way out keeps it, and the run still ends as failed.
            self.driver.execute_script('window.storageFull = false')
            ActionChains(self.driver).send_keys(Keys.ESCAPE).perform()
            self.assertEqual(self.page.wait_exit(), 1)
        self.assertEqual(self.page.stored(BEST_SCORE, DATA_FOLDER), best.to_bytes(4, 'little'))
        self.assertFalse(self.driver.find_element(By.ID, 'saving').is_displayed())

    def test_storage_cleared_in_mid_game_keeps_the_game(self):
        replay = self.serve('cleared.txt', scoring_replay(close=960))
        origin = self.server.url.rstrip('/')
        self.page.open('--fast --frames 2')
        self.assertEqual(self.page.wait_exit(), 0)
        self.page.store({BEST_SCORE: (5).to_bytes(4, 'little')})
        seen = len(self.page.logs())
        self.page.open('--replay %s --trace cleared.jsonl' % replay)
        self.assertTrue(browser.wait_until(lambda: self.page.last_frame('cleared.jsonl').get('frame', 0) > 300, 60))
        self.driver.execute_cdp_cmd('Storage.clearDataForOrigin', {'origin': origin, 'storageTypes': 'indexeddb'})
        self.assertEqual(self.page.wait_exit(120), 0)
        best = self.page.last_frame('cleared.jsonl')['best']
        self.assertEqual(self.page.stored(BEST_SCORE, DATA_FOLDER), best.to_bytes(4, 'little'))
        messages = [entry['message'] for entry in self.page.logs()[seen:]]
        self.assertFalse([m for m in messages if 'nothing is saved' in m or 'Not saved' in m], messages)

    def test_esc_ends_a_replay_that_would_never_end(self):
        replay = self.serve('endless.txt', TITLE_REPLAY)
        self.page.open('--replay %s --trace endless.jsonl' % replay)
        self.assertTrue(browser.wait_until(lambda: self.page.last_frame('endless.jsonl').get('screen') == 'title'))
        ActionChains(self.driver).send_keys(Keys.ESCAPE).perform()
        self.assertEqual(self.page.wait_exit(10), 0)

    def test_what_a_link_writes_is_bounded(self):
        # Each picture of the title is some 400 kB: a few hundred pass 64 MB.
        pictures = ' '.join('--screenshot %d:shot.png' % frame for frame in range(3, 400))
        seen = len(self.page.logs())
        self.page.open('--fast --replay %s --frames 400 %s' % (self.serve('bound.txt', TITLE_REPLAY), pictures))
        self.assertEqual(self.page.wait_exit(120), 1)
        said = [entry['message'] for entry in self.page.logs()[seen:] if 'passed 64 MB' in entry['message']]
        self.assertEqual(len(said), 1, said)

    def test_two_tabs_never_write_over_each_other(self):
        self.clear_storage()
        # Tab X reads the empty storage in, plays a game and waits at the name entry with "Ann" typed.
        self.page.open('--fast --replay %s --trace x.jsonl' % self.serve('x.txt', game_to_the_table('Ann')))
        x = self.driver.current_window_handle
        self.assertTrue(browser.wait_until(lambda: self.page.last_frame('x.jsonl').get('screen') == 'name_entry',
                                           120))
        # Meanwhile tab Y saves a better best score and Bob's entry, as its game would.
        self.driver.switch_to.new_window('tab')
        try:
            self.page.open('--fast --frames 2')
            self.assertEqual(self.page.wait_exit(), 0)
            best = 99999
            self.page.store({BEST_SCORE: best.to_bytes(4, 'little'), SCORES: b'last Bob\n2000 3 2026-12-09 Bob\n'})
        finally:
            self.driver.close()
            self.driver.switch_to.window(x)
        # X learns of Y's save on its own screen, and leaving keeps its entry beside Bob's.
        self.assertTrue(browser.wait_until(lambda: self.page.last_frame('x.jsonl')['best'] == best, 30))
        self.assertEqual(self.page.last_frame('x.jsonl')['table'], 1)
        ActionChains(self.driver).send_keys(Keys.ESCAPE).perform()
        self.assertEqual(self.page.wait_exit(30), 0)
        self.assertEqual(self.page.stored(BEST_SCORE, DATA_FOLDER), best.to_bytes(4, 'little'))
        table = self.page.stored(SCORES, DATA_FOLDER).decode()
        self.assertIn('2000 3 2026-12-09 Bob\n', table)
        self.assertIn(' Ann\n', table)

    def test_a_game_kept_in_the_browser_plays_on_the_desktop_and_back(self):
        self.clear_storage()
        played = game_to_the_table('Ann') + '2250 key 13 down\n2251 key 13 up\n2260 close\n'
        self.page.open('--fast --replay %s --trace /run.jsonl' % self.serve('kept.txt', played))
        self.assertEqual(self.page.wait_exit(), 0)
        run = [json.loads(line) for line in self.page.read_text('/run.jsonl').splitlines()]
        table = self.page.stored(SCORES, DATA_FOLDER).decode()
        name = re.search(r'^replay (\w+\.txt)$', table, re.M).group(1)
        recording = self.page.stored(DATA_FOLDER + '/rezarudev/replays/' + name, DATA_FOLDER).decode()
        self.assertTrue(recording.startswith('game ') and '\nname Ann\n' in recording, recording[:200])

        def game(lines):
            return [{key: value for key, value in line.items() if key not in ('frame', 'watching')}
                    for line in lines]
        with open(os.path.join(self.server.files, 'game.txt'), 'w') as file:
            file.write(recording)
        trace = os.path.join(self.folder, 'watch.jsonl')
        ran = browser.run_desktop(self.folder, '--replay', os.path.join(self.server.files, 'game.txt'),
                                  '--trace', trace)
        self.assertEqual(ran.returncode, 0, ran.stderr)
        with open(trace) as file:
            desktop = [json.loads(line) for line in file.read().splitlines()]
        first = next(at for at, line in enumerate(run) if line['screen'] == 'playing')
        self.assertTrue(all(line['watching'] == 1 for line in desktop))
        self.assertEqual(game(desktop), game(run[first:first + len(desktop)]))
        self.assertEqual(run[first + len(desktop)]['screen'], 'name_entry')

        self.page.open('--fast --trace /watch.jsonl', watch='files/game.txt')
        self.assertEqual(self.page.wait_exit(), 0)
        web = [json.loads(line) for line in self.page.read_text('/watch.jsonl').splitlines()]
        self.assertEqual(web, desktop)

    def test_a_file_that_is_no_recording_is_said_on_the_page_and_the_console(self):
        self.page.logs()
        self.page.open('--fast', watch=self.serve('not.txt', 'game 1\nhello\nend 3\n'))
        self.assertEqual(self.page.wait_exit(), 2)
        notice = self.driver.find_element(By.ID, 'replay-notice')
        self.assertIn("unknown line start 'hello'", notice.text)
        lines = [entry['message'] for entry in self.page.logs() if 'hello' in entry['message']]
        self.assertEqual(len(lines), 1, lines)

    def test_a_bad_option_ends_with_status_2_and_the_usage(self):
        self.page.logs()
        self.page.open('--frames x')
        self.assertEqual(self.page.wait_exit(), 2)
        messages = '\n'.join(entry['message'] for entry in self.page.logs())
        self.assertIn('--frames', messages)
        self.assertIn('--replay FILE', messages)


class OfflineTest(unittest.TestCase):
    """The site kept by its service worker: each test has a browser profile of its own, which starts without a
    worker, and a port it keeps while the test swaps the site behind it or stops serving."""

    def setUp(self):
        self.sites = tempfile.mkdtemp(prefix='rezarudev-sites-')
        self.profile = tempfile.mkdtemp(prefix='rezarudev-chromium-')
        self.driver = browser.start_browser(self.profile)
        self.server = None

    def tearDown(self):
        self.driver.quit()
        if self.server:
            self.server.close()
        shutil.rmtree(self.sites, ignore_errors=True)
        shutil.rmtree(self.profile, ignore_errors=True)

    def serve(self, site, port=0):
        if self.server:
            self.server.close()
        self.server = browser.Server(site, port)
        self.page = browser.Page(self.driver, self.server)
        return self.server.httpd.server_address[1]

    def build(self, name):
        """A copy of the site as a new build would give it: its start.js names the build, its worker is stamped
        anew by the build's own step."""
        site = os.path.join(self.sites, name)
        shutil.copytree(browser.SITE, site)
        with open(os.path.join(site, 'start.js'), 'a') as script:
            script.write('\nwindow.siteBuild = %r;\n' % name)
        with open(os.path.join(site, 'service_worker.js')) as worker:
            kept = re.findall(r"^  '([^']+)': '[0-9a-f]{64}',$", worker.read(), re.M)
        self.assertIn('rezarudev.wasm', kept)
        subprocess.run(['cmake', '-DSITE=' + site, '-DTEMPLATE=' + os.path.join(browser.ROOT, 'web', 'service_worker.js'),
                        '-DFILES=' + ','.join(kept), '-P', os.path.join(browser.ROOT, 'cmake', 'WebWorker.cmake')],
                       check=True)
        return site

    def wait_for_worker(self):
        self.driver.execute_async_script(
            'var done = arguments[0]; navigator.serviceWorker.ready.then(function () { done(); });')

    def play(self, build=None):
        """Opens the page as a player would and plays 3 frames of the game, with `build`'s files (and nothing
        else: the game starts and exits 0)."""
        self.driver.get(self.page.server.url + 'index.html?args=' + urllib.parse.quote('--fast --frames 3'))
        WebDriverWait(self.driver, 60).until(lambda d: d.execute_script(
            'return (window.siteBuild || null) === arguments[0] && '
            'document.getElementById("message").textContent === "Click to play"', build))
        self.driver.find_element(By.ID, 'notice').click()
        self.assertEqual(self.page.wait_exit(), 0)

    def test_after_one_visit_the_game_plays_with_no_server(self):
        with open(os.path.join(browser.SITE, 'manifest.webmanifest')) as manifest:
            icons = json.load(manifest)['icons']
        self.assertEqual(sorted(icon['sizes'] for icon in icons), ['192x192', '512x512'])
        for icon in icons:
            with open(os.path.join(browser.SITE, icon['src']), 'rb') as png:
                header = png.read(24)
            self.assertEqual('%dx%d' % (int.from_bytes(header[16:20], 'big'), int.from_bytes(header[20:24], 'big')),
                             icon['sizes'])

        self.serve(browser.SITE)
        self.play()
        self.wait_for_worker()
        self.server.close()
        self.server = None
        self.play()

    def test_a_new_build_replaces_the_old_whole_at_once_before_the_game_starts_and_at_the_next_visit_after(self):
        port = self.serve(self.build('old'))
        self.play('old')
        self.wait_for_worker()
        # The old build's page finds the new worker and reloads into it before the click.
        self.serve(self.build('new'), port)
        self.play('new')
        self.assertEqual(self.driver.execute_async_script(
            'var done = arguments[0]; caches.keys().then(function (names) { done(names.length); });'), 1)

        # Once the game has started the page only says so, and the next visit switches before loading the game.
        self.page.open()
        self.serve(self.build('newer'), port)
        self.driver.execute_async_script(
            'var done = arguments[0]; navigator.serviceWorker.getRegistration().then(function (registration) {'
            '  return registration.update(); }).then(function () { done(); });')
        WebDriverWait(self.driver, 60).until(lambda d: d.find_elements(By.ID, 'new-version'))
        self.assertEqual(self.driver.execute_async_script(
            'var done = arguments[0]; navigator.serviceWorker.getRegistration().then(function (registration) {'
            '  done([window.siteBuild, window.rezarudevExit, !!registration.waiting]); });'), ['new', None, True])
        self.play('newer')


def flying_recording(seed):
    """A whole run that starts a game at once and flies in bursts of thrust, turns and shots until its game is
    over (as the board's own tests fly)."""
    lines = ['seed %d' % seed, 'settings 10 10 2', '1 key 32 down', '2 key 32 up', '5 key 32 down', '6 key 32 up']
    for frame in range(10, 39880, 120):
        lines += ['%d key 38 down' % frame, '%d key 162 down' % (frame + 30), '%d key 162 up' % (frame + 31),
                  '%d key 38 up' % (frame + 60), '%d key 39 down' % (frame + 60), '%d key 39 up' % (frame + 75),
                  '%d key 162 down' % (frame + 90), '%d key 162 up' % (frame + 91)]
    return '\n'.join(lines + ['40000 close']) + '\n'


class BoardTest(unittest.TestCase):
    """The page served by rezarudev-board: the world table beside the picture, and a game played on the page
    sent to the board and ranked there."""

    def setUp(self):
        board = os.path.join(browser.DESKTOP, 'server', 'rezarudev-board')
        if not os.path.exists(board):
            self.skipTest('no rezarudev-board in %s (built with -DREZARUDEV_BOARD=OFF)' % browser.DESKTOP)
        self.folder = tempfile.mkdtemp(prefix='rezarudev-board-')
        self.site = os.path.join(self.folder, 'site')
        shutil.copytree(browser.SITE, self.site)
        self.board = subprocess.Popen(
            [board, '--listen', '127.0.0.1:0', '--database',
             'sqlite:' + os.path.join(self.folder, 'board.db'), '--site', self.site, '--workers', '1'],
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        port = re.search(r'127\.0\.0\.1:(\d+)/', self.board.stdout.readline()).group(1)
        self.url = 'http://127.0.0.1:%s/' % port
        self.profile = tempfile.mkdtemp(prefix='rezarudev-chromium-')
        self.driver = browser.start_browser(self.profile)

    def tearDown(self):
        self.driver.quit()
        self.board.kill()
        self.board.wait()
        self.board.stdout.close()
        shutil.rmtree(self.folder, ignore_errors=True)
        shutil.rmtree(self.profile, ignore_errors=True)

    def api(self, path, body=None, post=False):
        data = json.dumps(body).encode() if body is not None else b'' if post else None
        request = urllib.request.Request(self.url + 'api/' + path, data=data,
                                         headers={'Content-Type': 'application/json'})
        with urllib.request.urlopen(request) as answer:
            return json.load(answer)

    def send_flown_game(self, name):
        """A game flown by script and sent under `name`, its ticket made old enough for it."""
        ticket = self.api('tickets', post=True)
        with sqlite3.connect(os.path.join(self.folder, 'board.db')) as database:
            database.execute('UPDATE tickets SET given = given - 3600000')
        return self.api('games', {'ticket': ticket['ticket'], 'name': name,
                                  'replay': flying_recording(ticket['seed'])})

    def test_a_game_played_on_the_page_is_ranked_and_listed_with_a_link_that_watches_it(self):
        # A name that would be markup if the page wrote it as such.
        hostile = self.send_flown_game('<b>x</b>&lt;')
        # The page's game, in real time: it waits two seconds on the title, then thrusts about until its
        # third ship is lost (within about a minute whatever its ticket's seed).
        events = ['1 key 32 down', '2 key 32 up', '120 key 32 down', '121 key 32 up']
        for frame in range(130, 19000, 110):
            events += ['%d key 38 down' % frame, '%d key 38 up' % (frame + 100)]
        with open(os.path.join(self.site, 'thrusting.txt'), 'w') as replay:
            replay.write('seed 3\nsettings 10 10 2\n' + '\n'.join(events) + '\n')
        page = browser.Page(self.driver, types.SimpleNamespace(url=self.url))
        page.open('--replay thrusting.txt --board ' + self.url)
        said = self.driver.find_element(By.ID, 'world-said')
        self.assertTrue(browser.wait_until(lambda: said.is_displayed(), timeout=300), said.text)
        self.assertRegex(said.text, r'^Your \d+ is no\. [12] in the world$')

        self.assertTrue(browser.wait_until(
            lambda: len(self.driver.find_elements(By.CSS_SELECTOR, '#world-list li')) == 2))
        scores = self.api('scores')['scores']
        texts = [row.text for row in self.driver.find_elements(By.CSS_SELECTOR, '#world-list li')]
        self.assertEqual(texts, ['%s %d Watch' % (entry['name'], entry['score']) for entry in scores])
        self.assertIn('<b>x</b>&lt; %d Watch' % hostile['score'], texts)
        self.assertEqual(self.driver.find_elements(By.CSS_SELECTOR, '#world-list b'), [])
        played = next(entry for entry in scores if entry['id'] != hostile['id'])
        self.assertEqual(played['name'], 'Player')
        self.assertIn('Your %d is' % played['score'], said.text)

        # Its link watches the recording the board keeps: one game, from its ticket's state.
        links = self.driver.find_elements(By.CSS_SELECTOR, '#world-list a')
        link = links[[entry['id'] for entry in scores].index(played['id'])].get_attribute('href')
        watched = urllib.parse.parse_qs(urllib.parse.urlparse(link).query)['watch'][0]
        self.assertEqual(watched, 'api/games/%s/replay' % played['id'])
        with urllib.request.urlopen(self.url + watched) as recording:
            self.assertTrue(recording.read().decode().startswith('game '))


class NoWebGlTest(unittest.TestCase):
    def test_the_page_says_so_and_throws_nothing(self):
        server = browser.Server()
        profile = tempfile.mkdtemp(prefix='rezarudev-chromium-')
        driver = browser.start_browser(profile, webgl=False)
        try:
            page = browser.Page(driver, server)
            page.open(click=False)
            message = driver.find_element(By.ID, 'message')
            self.assertTrue(browser.wait_until(lambda: 'WebGL' in message.text), message.text)
            time.sleep(0.5)
            errors = [entry for entry in page.logs() if entry['level'] == 'SEVERE']
            self.assertEqual(errors, [])
            self.assertIsNone(driver.execute_script('return window.rezarudevExit'))
        finally:
            driver.quit()
            server.close()
            shutil.rmtree(profile, ignore_errors=True)


if __name__ == '__main__':
    unittest.main()
