#!/usr/bin/python3
"""The playground in real headless Chromium (Debian's chromium and chromedriver through
python3-selenium): loads the examples and compares them with their golden transcripts,
types into the editors, plays messages through the messenger panel and compares them with
the golden transcript and the native simulator, feeds it hostile input, and takes the
screenshots docs/playground-*.png. Prints the page's load time and message times (never
asserted; the README reports them).

    test_page.py --site BUILD/web/web/site --examples examples --screenshots docs
                 [--native-sim kwartlin-sim --native-module kwartlin.tpl] [--measures FILE]
"""
import argparse
import functools
import http.server
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

ARGS = None
BROWSER = None
PROFILE = None
BASE = None
MEASURES = {}


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def setUpModule():
    global BROWSER, BASE, PROFILE
    handler = functools.partial(QuietHandler, directory=ARGS.site)
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    BASE = 'http://127.0.0.1:%d/index.html' % server.server_port
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    profile = PROFILE = tempfile.mkdtemp(prefix='kw-chromium-')
    for flag in ('--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                 '--disable-background-networking', '--disable-component-update', '--disable-sync',
                 '--disable-dev-shm-usage', '--user-data-dir=' + profile, '--window-size=1600,1000',
                 '--lang=en-US'):
        options.add_argument(flag)
    BROWSER = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    BROWSER.set_script_timeout(60)


def tearDownModule():
    if BROWSER:
        BROWSER.quit()
    if PROFILE:
        shutil.rmtree(PROFILE, ignore_errors=True)


def js(script, *args):
    return BROWSER.execute_script(script, *args)


def wait_for(condition, what, timeout=20.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.02)
    raise AssertionError('timed out waiting for ' + what)


def element(selector):
    return BROWSER.find_element(By.CSS_SELECTOR, selector)


def open_page(fragment=''):
    BROWSER.get('about:blank')
    BROWSER.get(BASE + fragment)
    wait_for(lambda: js('return document.body.dataset.ready || document.body.dataset.failed'), 'the page')
    assert js('return document.body.dataset.ready') == '1', js('return document.getElementById("state").textContent')


def log_text():
    return js('return document.getElementById("log").textContent')


def idle():
    """Waits until the engine answered everything asked of it."""
    wait_for(lambda: js('return engine.pending.size === 0 && !recovering'), 'the engine to answer')
    time.sleep(0.05)
    wait_for(lambda: js('return engine.pending.size === 0'), 'the engine to answer')


def play_and_read(action):
    """Runs an action on the page and returns what the simulator printed for it."""
    idle()
    before = len(log_text())
    action()
    idle()
    return log_text()[before:]


def set_editor(name, text):
    js('showEditor(arguments[0]); editors[arguments[0]].area.value = arguments[1];'
       'editors[arguments[0]].area.dispatchEvent(new Event("input"));', name, text)


def block_of(expected, header):
    """The lines of the golden output from header up to the next blank line or header."""
    lines = expected.split('\n')
    start = lines.index(header)
    end = start + 1
    while end < len(lines) and lines[end].startswith('    '):
        end += 1
    return '\n'.join(lines[start:end]) + '\n'


def example_text(name, file):
    with open(os.path.join(ARGS.examples, name, file), encoding='utf-8') as f:
        return f.read()


def native_run(transcript, files):
    """The native simulator's output for a transcript on a fresh data folder."""
    folder = tempfile.mkdtemp(prefix='kw-native-')
    try:
        for name, data in files.items():
            with open(os.path.join(folder, name), 'wb') as f:
                f.write(data)
        path = os.path.join(folder, 'transcript.txt')
        with open(path, 'w', encoding='utf-8') as f:
            f.write(transcript)
        done = subprocess.run([ARGS.native_sim, 'run', '--color', 'never', '--module', ARGS.native_module,
                               '--plugins-from', folder, path], capture_output=True, text=True, check=False)
        return done.stdout
    finally:
        shutil.rmtree(folder)


def screenshot(name):
    if ARGS.screenshots:
        # Every answer in, and no focus (no blinking caret): the same page, the same picture.
        idle()
        js('if (document.activeElement) document.activeElement.blur()')
        BROWSER.save_screenshot(os.path.join(ARGS.screenshots, 'playground-%s.png' % name))


class Playground(unittest.TestCase):
    def test_01_the_page_is_ready_with_the_engine(self):
        open_page()
        ready = js('return window.kwPlayground.readyMs')
        MEASURES['ready_ms'] = ready
        self.assertEqual(js('return engine.info.pointerBytes'), 4)
        self.assertIn('Kwartlin', element('#version').text)
        # The example buttons, one per folder of examples/ with a transcript.
        buttons = [b.get_attribute('data-example') for b in BROWSER.find_elements(By.CSS_SELECTOR, '#examples button')]
        wanted = sorted(n for n in os.listdir(ARGS.examples) if os.path.exists(os.path.join(ARGS.examples, n, 'transcript.txt')))
        self.assertEqual(buttons, wanted)

    def test_02_every_example_gives_its_golden_transcript(self):
        for name in js('return examples.map((e) => e.name)'):
            expected = example_text(name, 'expected.txt')
            if not os.path.exists(os.path.join(ARGS.examples, name, 'expected.txt')):
                continue
            element('#examples button[data-example="%s"]' % name).click()
            wait_for(lambda: js('return document.getElementById("golden").dataset.matches'), name + ' golden check')
            idle()
            self.assertEqual(js('return document.getElementById("golden").dataset.matches'), '1', name)
            # Played in the page's own session: the golden output up to its closing unload.
            self.assertEqual(log_text(), expected[:expected.rindex('> unload')], name)
            js('delete document.getElementById("golden").dataset.matches')

    def test_03_messages_through_the_panel_match_the_golden_transcript(self):
        element('#examples button[data-example="ping-pong"]').click()
        wait_for(lambda: js('return document.getElementById("golden").dataset.matches'), 'ping-pong')
        expected = example_text('ping-pong', 'expected.txt')
        cases = [('TLEN', 'ania@tlen.pl', 'ping', '> recv TLEN ania@tlen.pl: "ping"'),
                 ('GG', '4012345', '  PING ', '> recv GG 4012345: "  PING "'),
                 ('TLEN', 'ania@tlen.pl', 'Cześć, co słychać?', '> recv TLEN ania@tlen.pl: "Cześć, co słychać?"')]
        for protocol, contact, text, header in cases:
            def receive():
                js('document.getElementById("message-protocol").value = arguments[0]', protocol)
                for field, value in (('#message-contact', contact), ('#message-text', text)):
                    element(field).clear()
                    element(field).send_keys(value)
                element('#receive').click()
            self.assertEqual(play_and_read(receive), block_of(expected, header), header)
        kinds = js('return [...document.querySelectorAll("#activity li")].slice(-5).map((l) => l.dataset.kind)')
        self.assertEqual(kinds, ['blocked', 'sent', 'blocked', 'sent', 'passed'])
        # The trace panel holds the last message's run: the IF that let it pass, with its
        # file line and its outcome, in the log's stead (the log above matched untraced).
        trace = js('return [...document.querySelectorAll("#trace li")].map((l) => l.textContent)')
        self.assertIn("12: IF $text <> 'ping'", trace)
        self.assertIn('IF "cześć, co słychać?" <> "ping": true', trace)
        screenshot('example')

    def test_04_typing_into_the_editors(self):
        element('#fresh').click()
        idle()
        area = element('#editor-script textarea')
        area.click()
        area.send_keys(Keys.CONTROL, 'a')
        area.send_keys(Keys.DELETE)
        script = [':_start', "IF $_MESSAGE = 'hi'", "SEND $_ID, 'hello there'", 'GOTO nowhere',
                  'SPAM $_MESSAGE, $hit', 'MOV $_FILTR, $hit']
        area.send_keys('\n'.join(script))
        # The checker marks line 4 as the user types; the help lines follow the caret.
        wait_for(lambda: js('return !!document.querySelector("#editor-script .gutter div.marked[data-line=\\"4\\"]")'),
                 'the checker mark on line 4')
        self.assertIn('missing-label', element('#findings').text)
        area.send_keys(Keys.CONTROL, Keys.HOME)
        area.send_keys(Keys.DOWN, Keys.DOWN)
        wait_for(lambda: element('#help-syntax').text.startswith('SEND'), 'the help lines of SEND')
        self.assertNotEqual(element('#help-description').text, '')
        # The command reference menu inserts at the caret.
        area.send_keys(Keys.CONTROL, Keys.END)
        area.send_keys('\nMOV $x, ')
        element('#commands').click()
        entry = wait_for(lambda: [e for e in BROWSER.find_elements(By.CSS_SELECTOR, '#menu .entry') if e.text == '#TRUE'],
                         'the menu')[0]
        screenshot('menu')
        entry.click()
        self.assertTrue(area.get_attribute('value').endswith('\nMOV $x, #TRUE'))
        area.send_keys(Keys.CONTROL, Keys.HOME)
        area.send_keys(Keys.DOWN, Keys.DOWN)
        wait_for(lambda: element('#help-syntax').text.startswith('SEND'), 'the help lines of SEND')
        screenshot('editor')
        element('.tabs [data-editor="spam"]').click()
        spam = element('#editor-spam textarea')
        spam.send_keys('reklama\n"darmowe pieniądze')
        # Receiving saves both editors and restarts the messenger first: the same as the
        # native simulator given the same files.
        element('#message-contact').clear()
        element('#message-contact').send_keys('ania@tlen.pl')
        for text in ('hi', 'to jest reklama', 'darmowe pieniądze dla ciebie', 'nic'):
            element('#message-text').clear()
            element('#message-text').send_keys(text)
            element('#receive').click()
            idle()
        out = log_text()
        page = out[out.rindex('> file script'):]
        self.assertIn('    sent       TLEN -> ania@tlen.pl: "hello there"', page)
        # The messages (what came before them depends on the page's history).
        page = page[page.index('> recv'):]
        if ARGS.native_sim:
            files = js('return [editors.script.text, editors.spam.text]')
            transcript = ('file script <<END\n%s\nEND\nfile spam <<END\n%s\nEND\nrestart\n' % tuple(files) +
                          ''.join('recv TLEN ania@tlen.pl "%s"\n' % t for t in
                                  ('hi', 'to jest reklama', 'darmowe pieniądze dla ciebie', 'nic')))
            native = native_run(transcript, {})
            native = native[native.index('> recv'):native.rindex('> unload')]
            self.assertEqual(page, native)

    def test_05_contacts_popup_click_status_service_restart(self):
        element('#examples button[data-example="contact-menu"]').click()
        wait_for(lambda: js('return document.getElementById("golden").dataset.matches'), 'contact-menu')
        idle()

        def add_contact():
            element('#contact-id').send_keys('ola@tlen.pl')
            element('#contact-name').send_keys('Ola')
            element('#contact-group').send_keys('Znajomi')
            element('#contact-flags input[value="online"]').click()
            element('#contact-flags input[value="blocked"]').click()
            element('#contact-form button').click()
        self.assertEqual(play_and_read(add_contact),
                         '> contact ola@tlen.pl (new): name "Ola", group "Znajomi", desc "", flags 65537\n')
        row = [r for r in BROWSER.find_elements(By.CSS_SELECTOR, '#contacts tbody tr') if 'ola@tlen.pl' in r.text][0]
        self.assertIn('online blocked', row.text)
        out = play_and_read(lambda: row.find_element(By.TAG_NAME, 'button').click())
        self.assertTrue(out.startswith('> popup ola@tlen.pl\n    menu       Kwartlin\n'), out)
        items = [b.text for b in BROWSER.find_elements(By.CSS_SELECTOR, '#popup-items button')]
        self.assertIn('Wycisz', items)
        screenshot('messenger')
        out = play_and_read(lambda: [b for b in BROWSER.find_elements(By.CSS_SELECTOR, '#popup-items button')
                                     if b.text == 'Wycisz'][0].click())
        self.assertTrue(out.startswith('> click ola@tlen.pl: Wycisz (KWARTLIN_MENU_ITEM_0)'), out)

        def set_status():
            form = element('#statuses [data-protocol="GG"]')
            js('arguments[0].querySelector("select").value = "away"', form)
            form.find_element(By.TAG_NAME, 'input').send_keys('zaraz wracam')
            form.find_element(By.TAG_NAME, 'button').click()
        self.assertEqual(play_and_read(set_status), '> status GG: 5 (away) "zaraz wracam"\n')
        self.assertIn('away', element('#statuses [data-protocol="GG"] .now').text)

        def service():
            element('#service-text').send_keys('mov $from_service, 42')
            element('#service-form button[type="submit"]').click()
        out = play_and_read(service)
        self.assertTrue(out.startswith('> service KWARTLIN/PROC_BRIX: mov $from_service, 42\n'), out)
        values = js('return [...document.querySelectorAll("#variables tbody tr")].map((r) => r.cells[0].textContent + "=" + r.cells[1].textContent)')
        self.assertIn('$FROM_SERVICE=42', values)
        out = play_and_read(lambda: element('#restart').click())
        self.assertTrue(out.startswith('> restart'), out)

    def test_06_bad_input_never_hangs_the_page(self):
        element('#fresh').click()
        idle()
        # A run that reaches the executed lines bound: answered, and the page's own timers
        # keep running while the engine works.
        set_editor('script', ':_start\n:a\nadd $x, 1\ngoto a')
        lag = BROWSER.execute_async_script('''
            const done = arguments[arguments.length - 1];
            let worst = 0, last = performance.now();
            const timer = setInterval(() => { const now = performance.now(); worst = Math.max(worst, now - last); last = now; }, 10);
            play('recv TLEN a@b hi').then((r) => { clearInterval(timer); done([worst, r && r.text]); });''')
        self.assertIn('    passed\n', lag[1])
        MEASURES['bound_run_worst_timer_gap_ms'] = lag[0]
        # A huge paste: 100,000 lines in the editor, checked and run.
        set_editor('script', ':_start\n' + 'mov $a, $_MESSAGE\n' * 100000 + "mov $_MESSAGE, 'last'")
        out = play_and_read(lambda: js('play(\'recv GG 1 first\')'))
        self.assertIn('    rewritten  "last"', out)
        wait_for(lambda: js('return document.getElementById("findings-count").textContent') == '(nothing found)',
                 'the checker on 100,000 lines', 60)
        # A malformed spam list, and a character the plugin cannot read: the page refuses
        # to save that one and marks it.
        set_editor('script', ':_start\nchkspam $s, $_MESSAGE\nmov $_FILTR, $s')
        set_editor('spam', 'reklama\n"open quote\nab\x00cd\n\n')
        out = play_and_read(lambda: js('play(\'recv TLEN a@b to reklama\\nrecv TLEN a@b an open quote\')'))
        self.assertIn('> recv TLEN a@b: "to reklama"\n    blocked', out)
        self.assertIn('> recv TLEN a@b: "an open quote"\n', out)
        set_editor('script', 'mov $a, "日本"')
        out = play_and_read(lambda: js('play(\'recv TLEN a@b hi\')'))
        self.assertIn('Kwartlin.dat line 1: the character 日 (U+65E5) has no Windows-1250 byte', out)
        self.assertFalse(element('#dirty').get_attribute('hidden'))
        wait_for(lambda: js('return !!document.querySelector("#editor-script .gutter div.marked[data-line=\\"1\\"]")'),
                 'the mark of the character')
        # Stop: the engine is replaced, the saved files run again in a fresh messenger.
        set_editor('script', ':_start\n:a\nadd $x, 1\ngoto a')
        js('play("recv TLEN a@b 1\\nrecv TLEN a@b 2\\nrecv TLEN a@b 3\\nrecv TLEN a@b 4\\nrecv TLEN a@b 5\\nrecv TLEN a@b 6")')
        wait_for(lambda: element('#stop').is_displayed(), 'the Stop button')
        element('#stop').click()
        idle()
        self.assertIn('[page] stopped by you', log_text())
        out = play_and_read(lambda: js('play(\'recv TLEN a@b after\')'))
        self.assertIn('    passed', out)

    def test_07_share_link(self):
        element('#fresh').click()
        idle()
        set_editor('script', ":_start\nMOV $a, 'zażółć gęślą jaźń'\n\tEXIT")
        set_editor('spam', 'łańcuszek\nreklama')
        element('#share').click()
        link = wait_for(lambda: element('#share-link').get_attribute('value'), 'the link')
        self.assertIn('#z=', link)
        BROWSER.get('about:blank')
        BROWSER.get(link)
        wait_for(lambda: js('return document.body.dataset.ready'), 'the shared page')
        idle()
        self.assertEqual(js('return [editors.script.text, editors.spam.text]'),
                         [":_start\nMOV $a, 'zażółć gęślą jaźń'\n\tEXIT", 'łańcuszek\nreklama'])
        self.assertEqual(js('return editors.script.applied'), js('return editors.script.text'))
        open_page('#z=not-a-link')
        self.assertIn('the link holds no script', log_text())

    def test_08_speed_of_one_message_through_a_150_line_script(self):
        open_page()
        lines = [':_start']
        for i in range(37):
            lines += ['IF $_MESSAGE = "word%d"' % i, 'MOV $_FILTR, #TRUE', 'STRPOS $p, $_MESSAGE, "x%d"' % i, 'ADD $n, 1']
        lines += ['MOV $last, $_MESSAGE', 'EXIT']
        lines = lines[:150]
        self.assertEqual(len(lines), 150)
        set_editor('script', '\n'.join(lines))
        # Each message as the Receive button plays it, timed inside the page (the
        # driver's own commands would otherwise be timed too): the engine's own time, the
        # round trip through the worker, and until the answer is on the page.
        times = BROWSER.execute_async_script('''
            const done = arguments[arguments.length - 1];
            (async () => {
              await play('recv TLEN a@b warm up');
              const engine = [], trip = [], shown = [];
              for (let i = 0; i < 50; i++) {
                const started = performance.now();
                await play('recv TLEN ania@tlen.pl "message number ' + i + ' with some text"');
                shown.push(performance.now() - started);
                trip.push(window.kwPlayground.lastRoundTripMs);
                engine.push(window.kwPlayground.lastEngineMs);
              }
              done([engine, trip, shown]);
            })();''')
        for name, values in zip(('engine', 'round_trip', 'shown'), times):
            MEASURES['message_150_lines_%s_ms_median' % name] = statistics.median(values)
            MEASURES['message_150_lines_%s_ms_max' % name] = max(values)
        self.assertIn('> recv TLEN ania@tlen.pl: "message number 49 with some text"', log_text())


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument('--site', required=True)
    parser.add_argument('--examples', required=True)
    parser.add_argument('--screenshots')
    parser.add_argument('--native-sim')
    parser.add_argument('--native-module')
    parser.add_argument('--measures')
    ARGS, rest = parser.parse_known_args()
    result = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2).result
    for key, value in MEASURES.items():
        print('measure %s: %.2f' % (key, value))
    if ARGS.measures:
        with open(ARGS.measures, 'w') as f:
            json.dump(MEASURES, f, indent=1)
    failed = len(result.failures) + len(result.errors)
    print('%d passed, %d failed' % (result.testsRun - failed, failed))
    sys.exit(1 if failed else 0)


if __name__ == '__main__':
    main()
