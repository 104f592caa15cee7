"""Wall-clock time a frame of the browser build in headless Chromium (SwiftShader's
WebGL), next to the desktop game under Mesa's software renderer, in the same run.

The scene is the soak's random game, unpaced (--fast): it plays through levels,
the UFO and the power-ups. It runs to each of a few frame counts; the time a
frame over a stretch is the difference of two runs' times over the difference
in frames, so start-up and loading cancel out. The quietest and the busiest
stretch are shown with the whole. The builds take turns, --rounds times; give
several as SITE DESKTOP pairs (a site folder of tools/web/build.sh, such as
build-web/site, and a desktop build folder) to compare them in one run. Needs
an X display (xvfb-run).

    xvfb-run -a /usr/bin/python3 bench/web_frames.py [--rounds N] [SITE DESKTOP]...
"""

import argparse
import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'web'))
import browser  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.support.ui import WebDriverWait  # noqa: E402

STRETCH, STRETCHES = 600, 5


def web_seconds(page, args):
    """From the click that starts the game to its end, timed in the page."""
    page.open(args, click=False)
    WebDriverWait(page.driver, 60).until(lambda d: d.find_element(By.ID, 'message').text == 'Click to play')
    status, seconds = page.driver.execute_async_script("""
        var done = arguments[0], started = performance.now();
        document.getElementById('notice').click();
        var timer = setInterval(function () {
            if (window.rezarudevExit === undefined) return;
            clearInterval(timer);
            done([window.rezarudevExit, (performance.now() - started) / 1000]);
        }, 2);""")
    if status != 0:
        raise SystemExit('web_frames: the page ended with status %r for %s' % (status, args))
    return seconds


def desktop_seconds(desktop, args):
    with tempfile.TemporaryDirectory() as folder:
        started = time.time()
        result = browser.run_desktop(folder, *args, desktop=desktop)
        spent = time.time() - started
    if result.returncode != 0:
        raise SystemExit('web_frames: the desktop game ended with status %d: %s' %
                         (result.returncode, result.stderr.strip()))
    return spent


def stretches(seconds):
    """ms a frame over each stretch, from the times of runs that end a stretch apart."""
    return [1000 * (seconds[i + 1] - seconds[i]) / STRETCH for i in range(len(seconds) - 1)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--rounds', type=int, default=2)
    parser.add_argument('builds', nargs='*', metavar='SITE DESKTOP')
    options = parser.parse_args()
    if len(options.builds) % 2:
        parser.error('builds come as SITE DESKTOP pairs')
    builds = list(zip(options.builds[0::2], options.builds[1::2])) or [(browser.SITE, browser.DESKTOP)]
    recording = browser.make_replay(7, STRETCH * STRETCHES + 60)
    servers = [browser.Server(site) for site, _ in builds]
    for server in servers:
        with open(os.path.join(server.files, 'play.txt'), 'w') as out:
            out.write(recording)
    profile = tempfile.mkdtemp(prefix='rezarudev-bench-')
    driver = browser.start_browser(profile)
    driver.set_script_timeout(900)
    results = {}
    try:
        for _ in range(options.rounds):
            for (site, desktop), server in zip(builds, servers):
                page = browser.Page(driver, server)
                replay = os.path.join(server.files, 'play.txt')
                for where in ('browser', 'desktop'):
                    seconds = []
                    for frames in range(STRETCH // 2, STRETCH * STRETCHES + 1, STRETCH):
                        if where == 'browser':
                            seconds.append(web_seconds(page, '--fast --frames %d --replay files/play.txt' % frames))
                        else:
                            seconds.append(desktop_seconds(desktop, ['--frames', str(frames), '--replay', replay]))
                    results.setdefault((site, where), []).append(stretches(seconds))
    finally:
        driver.quit()
        for server in servers:
            server.close()
    print('ms a frame in each round: quietest stretch / busiest stretch / whole game')
    for site, desktop in builds:
        whole = {}
        for where, folder in (('browser', site), ('desktop', desktop)):
            rounds = results[(site, where)]
            whole[where] = statistics.median(statistics.mean(r) for r in rounds)
            print('%-8s %s\n         %s' % (where, folder, '   '.join(
                '%.2f / %.2f / %.2f' % (min(r), max(r), statistics.mean(r)) for r in rounds)))
        print('browser / desktop, whole game: %.1f' % (whole['browser'] / whole['desktop']))


if __name__ == '__main__':
    main()
