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
import base64
import functools
import io
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
import zipfile
import zlib

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.common.exceptions import StaleElementReferenceException

from serve import QuietHandler

ARGS = None
BROWSER = None
PROFILE = None
BASE = None
MEASURES = {}


def start_browser(languages, profile):
    """Headless Chromium on a fresh profile, speaking the languages (e.g. 'en-US,en')."""
    options = webdriver.ChromeOptions()
    options.add_experimental_option('prefs', {'intl.accept_languages': languages})
    options.binary_location = '/usr/bin/chromium'
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
    for flag in ('--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                 '--disable-background-networking', '--disable-component-update', '--disable-sync',
                 '--disable-dev-shm-usage', '--user-data-dir=' + profile, '--window-size=1600,1000',
                 '--lang=' + languages.split(',')[0]):
        options.add_argument(flag)
    browser = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    browser.set_script_timeout(60)
    return browser


def setUpModule():
    global BROWSER, BASE, PROFILE
    handler = functools.partial(QuietHandler, directory=ARGS.site)
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    BASE = 'http://127.0.0.1:%d/index.html' % server.server_port
    PROFILE = tempfile.mkdtemp(prefix='kw-chromium-')
    BROWSER = start_browser('en-US,en', PROFILE)


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


def open_page(fragment='', keep=False):
    """Opens the page afresh: without the work a test before left in its storage, unless
    keep says to."""
    if not keep:
        BROWSER.get(BASE.replace('index.html', 'examples.json'))
        js("localStorage.removeItem('kwartlin-playground-work')")
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
    js('showEditor(arguments[0]); editors[arguments[0]].text = arguments[1];', name, text)


def editor_text(name='script'):
    return js('return editors[arguments[0]].text', name)


def squiggle_on_line(line, name='script'):
    """Whether a squiggle of the checker stands on the editor's line."""
    return js('const view = editors[arguments[1]].code.view;'
              'const line = view.state.doc.line(arguments[0]);'
              'return [...view.dom.querySelectorAll(".cm-lintRange")].some((m) => {'
              '  const at = view.posAtDOM(m); return at >= line.from && at <= line.to; });', line, name)


def viewport(width, height):
    """The page's window at exactly width x height CSS pixels (as a phone when narrow)."""
    BROWSER.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', {
        'width': width, 'height': height, 'deviceScaleFactor': 1, 'mobile': width < 700})


def squiggle(text):
    """The checker's squiggle whose text holds text (the editor redraws its lines freely)."""
    def find():
        try:
            return [m for m in BROWSER.find_elements(By.CSS_SELECTOR, '#editor-script .cm-lintRange') if text in m.text]
        except StaleElementReferenceException:
            return []
    return wait_for(find, 'the squiggle under ' + text)[0]


def hover(target, selector):
    """Rests the pointer on target (an element, or a function finding it afresh); the
    tooltip (selector) that shows, once it has text. The pointer leaves the editor first:
    a tooltip still open may cover the target."""
    ActionChains(BROWSER).move_to_element(element('h1')).perform()
    wait_for(lambda: not BROWSER.find_elements(By.CSS_SELECTOR, '.cm-tooltip-hover'), 'the last tooltip to close')

    def shown():
        try:
            return [t for t in BROWSER.find_elements(By.CSS_SELECTOR, selector) if t.is_displayed() and t.text]
        except StaleElementReferenceException:
            return []
    ActionChains(BROWSER).move_to_element(target() if callable(target) else target).perform()
    return wait_for(shown, 'the tooltip ' + selector)[0]


def link_of(data, compressed=True):
    """A link of the page holding data (a dict, or raw bytes) as the page writes one."""
    raw = data if isinstance(data, bytes) else json.dumps(data).encode('utf-8')
    if compressed:
        packer = zlib.compressobj(9, zlib.DEFLATED, -15)
        raw = packer.compress(raw) + packer.flush()
    text = base64.urlsafe_b64encode(raw).decode('ascii').rstrip('=')
    return BASE + ('#z=' if compressed else '#j=') + text


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
        done = subprocess.run([ARGS.native_sim, 'run', '--lang', 'en', '--color', 'never', '--module', ARGS.native_module,
                               '--plugins-from', folder, path], capture_output=True, text=True, check=False)
        return done.stdout
    finally:
        shutil.rmtree(folder)


def screenshot(name, keep_focus=False):
    if ARGS.screenshots:
        # Every answer in, and no focus (no blinking caret): the same page, the same picture.
        idle()
        if not keep_focus:
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
        # It follows the answer.
        def trace_of_last_message():
            rows = js('return [...document.querySelectorAll("#trace li")].map((l) => l.textContent)')
            return rows if any('cześć' in row for row in rows) else None
        trace = wait_for(trace_of_last_message, 'the trace of the last message')
        self.assertIn("line 12    IF $text <> 'ping'", trace)
        self.assertIn('if         "cześć, co słychać?" <> "ping": true, compared as texts', trace)
        screenshot('example')

    def test_04_typing_into_the_editors(self):
        element('#fresh').click()
        idle()
        area = element('#editor-script .cm-content')
        area.click()
        area.send_keys(Keys.CONTROL, 'a')
        area.send_keys(Keys.DELETE)
        script = [':_start', "IF $_MESSAGE = 'hi'", "SEND $_ID, 'hello there'", 'GOTO nowhere',
                  'SPAM $_MESSAGE, $hit', 'MOV $_FILTR, $hit']
        area.send_keys('\n'.join(script))
        # Typed as written: a word typed out whole takes no completion on Enter.
        self.assertEqual(editor_text(), '\n'.join(script))
        # The checker squiggles line 4 as the user types, with its finding on hover.
        wait_for(lambda: squiggle_on_line(4), 'the checker squiggle on line 4')
        self.assertIn('missing-label', element('#findings').text)
        self.assertFalse(squiggle_on_line(2))
        self.assertIn('missing-label', hover(lambda: squiggle('nowhere'), '.cm-tooltip-lint').text)
        # Hover over a command word: the options page's two help lines.
        send = [w for w in BROWSER.find_elements(By.CSS_SELECTOR, '#editor-script .cm-line span') if w.text == 'SEND'][0]
        help = hover(send, '.kw-hover')
        self.assertTrue(help.text.startswith('SEND '), help.text)
        self.assertGreater(len(help.find_element(By.CSS_SELECTOR, '.kw-hover-description').text), 10)
        # The help lines under the editor follow the caret.
        area.send_keys(Keys.CONTROL, Keys.HOME)
        area.send_keys(Keys.DOWN, Keys.DOWN)
        wait_for(lambda: element('#help-syntax').text.startswith('SEND'), 'the help lines of SEND')
        self.assertNotEqual(element('#help-description').text, '')
        # Completion of commands, variables, constants and labels: the offered word
        # chosen, Enter takes it.
        area.send_keys(Keys.CONTROL, Keys.END)
        for typed, offered, result in (('\nCHKS', 'CHKSPAM', '\nCHKSPAM '), ('$hi', 'hit', '$hit'),
                                       (', #STS_AW', 'STS_AWAY', ', #STS_AWAY'), ('\nIF 1 = 0\nGOTO _st', '_start', '\nIF 1 = 0\nGOTO _start')):
            before = editor_text()
            area.send_keys(typed)
            offers = lambda: [o.text for o in BROWSER.find_elements(By.CSS_SELECTOR, '.cm-tooltip-autocomplete li')]
            wait_for(lambda: any(o.startswith(offered) for o in offers()), 'completion of %r: %s' % (typed, offered))
            options = offers()
            for _ in options:
                if element('.cm-tooltip-autocomplete li[aria-selected]').text.startswith(offered):
                    break
                area.send_keys(Keys.DOWN)
            time.sleep(0.2)  # Enter right after the list changes is a new line, not a choice
            area.send_keys(Keys.ENTER)
            self.assertEqual(editor_text(), before + result)
        # The command reference menu inserts at the caret.
        area.send_keys('\nMOV $x, ')
        element('#commands').click()
        entry = wait_for(lambda: [e for e in BROWSER.find_elements(By.CSS_SELECTOR, '#menu .entry') if e.text == '#TRUE'],
                         'the menu')[0]
        screenshot('menu')
        entry.click()
        self.assertTrue(editor_text().endswith('\nMOV $x, #TRUE'))
        # Ctrl+S saves; the "edited" mark goes.
        self.assertFalse(element('#dirty').get_attribute('hidden'))
        area.send_keys(Keys.CONTROL, 's')
        wait_for(lambda: element('#dirty').get_attribute('hidden'), 'Ctrl+S to save')
        self.assertEqual(js('return editors.script.applied'), editor_text())
        # The picture: a squiggle with its finding, the help lines of SEND below.
        area.send_keys(Keys.CONTROL, Keys.HOME)
        area.send_keys(Keys.DOWN, Keys.DOWN)
        wait_for(lambda: element('#help-syntax').text.startswith('SEND'), 'the help lines of SEND')
        viewport(1366, 768)
        hover(lambda: squiggle('nowhere'), '.cm-tooltip-lint')
        screenshot('editor', keep_focus=True)
        BROWSER.execute_cdp_cmd('Emulation.clearDeviceMetricsOverride', {})
        # The pointer leaves the editor, and its hover help with it, as a user's would.
        ActionChains(BROWSER).move_to_element(element('#findings-count')).perform()
        wait_for(lambda: not js('return !!document.querySelector(".cm-tooltip-hover")'), 'the hover help to close')
        element('.tabs [data-editor="spam"]').click()
        spam = element('#editor-spam .cm-content')
        spam.click()
        spam.send_keys('reklama\n"darmowe pieniądze')
        # Ctrl+Enter in an editor receives the message of the messenger pane, saving both
        # editors first: the same as the native simulator given the same files.
        element('#message-contact').clear()
        element('#message-contact').send_keys('ania@tlen.pl')
        for text in ('hi', 'to jest reklama', 'darmowe pieniądze dla ciebie', 'nic'):
            element('#message-text').clear()
            element('#message-text').send_keys(text)
            spam.send_keys(Keys.CONTROL, Keys.ENTER)
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

    def test_04b_findings_with_columns_codes_and_fixes(self):
        # The checker's findings as its contract gives them: a column range, a code, a
        # severity and a fix; one without a column covers its line; one without code or
        # severity still shows.
        element('#fresh').click()
        idle()
        set_editor('script', ':_start\nMVO $a, 1\nGOTO x')
        idle()
        wait_for(lambda: js('return !editors.script.checking && editors.script.checkedText === editors.script.text'), 'the checker')
        findings = [
            {'line': 2, 'column': 1, 'endColumn': 4, 'code': 'KW101', 'name': 'unknown-command', 'severity': 'error',
             'message': 'no command MVO', 'fix': {'line': 2, 'column': 1, 'endColumn': 4, 'text': 'MOV', 'title': 'Write MOV'}},
            {'line': 3, 'code': 'KW102', 'name': 'missing-label', 'severity': 'warning', 'message': 'no label x'},
            {'line': 99, 'message': 'past the end'},
        ]
        self.assertTrue(js('return editors.script.code.setFindings(arguments[0], editors.script.text, "Fix")', findings))
        ranges = js('return [...document.querySelectorAll("#editor-script .cm-lintRange")].map('
                    '(m) => [m.className.match(/cm-lintRange-(\\w+)/)[1], m.textContent])')
        self.assertIn(['error', 'MVO'], ranges)
        self.assertIn(['warning', 'GOTO x'], ranges)
        tip = hover(lambda: squiggle('MVO'), '.cm-tooltip-lint')
        self.assertIn('KW101 unknown-command: no command MVO', tip.text)
        tip.find_element(By.CSS_SELECTOR, '.cm-diagnosticAction').click()
        self.assertEqual(editor_text(), ':_start\nMOV $a, 1\nGOTO x')
        # Findings for a text changed since they were made are dropped, not misplaced.
        self.assertFalse(js('return editors.script.code.setFindings(arguments[0], "other text", "Fix")', findings))

    def test_05_contacts_popup_click_status_service_restart(self):
        open_page()  # the editors of test 04 hold unsaved edits
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
        # Checked whole: nothing wrong in it (a note about $a, written and never read).
        wait_for(lambda: js('return editors.script.checkedText === editors.script.text'), 'the checker on 100,000 lines', 60)
        self.assertEqual(js('return editors.script.allFindings.filter((f) => f.severity !== "note").length'), 0)
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
        wait_for(lambda: squiggle_on_line(1), 'the mark of the character')
        # Stop: the engine is replaced, the saved files run again in a fresh messenger,
        # with the variables the script saved.
        set_editor('script', ":_start\nif $_MESSAGE = 'spin'\ngoto a\nadd $n, 1\nsave $n, 1\n"
                             "saveconfig\nexit\n:a\nadd $x, 1\ngoto a")
        play_and_read(lambda: js('play("recv TLEN a@b 1\\nrecv TLEN a@b 2\\nrecv TLEN a@b 3\\nrecv TLEN a@b 4")'))
        js('play("recv TLEN a@b spin\\nrecv TLEN a@b spin\\nrecv TLEN a@b spin\\nrecv TLEN a@b spin")')
        wait_for(lambda: element('#stop').is_displayed(), 'the Stop button')
        element('#stop').click()
        idle()
        self.assertIn('[page] stopped by you', log_text())
        out = play_and_read(lambda: js('play(\'recv TLEN a@b after\')'))
        self.assertIn('    passed', out)
        values = js('return [...document.querySelectorAll("#variables tbody tr")].map((r) => r.cells[0].textContent + "=" + r.cells[1].textContent)')
        self.assertIn('$N=5', values)

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
        # Shown, not run: the plugin runs no file of the link yet.
        self.assertEqual(js('return editors.script.applied'), '')
        self.assertTrue(element('#link-box').is_displayed())

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
        # As a user clicks: each message on a quiet page (the last one's frame painted),
        # timed until its answer is in the page, until its trace (which follows) is, and
        # until the frame that shows them.
        measure_messages = '''
            const done = arguments[arguments.length - 1];
            const frame = () => new Promise((r) => requestAnimationFrame(() => setTimeout(r, 0)));
            const traceHas = (text) => new Promise((r) => {
              const list = document.getElementById('trace');
              const seen = () => list.textContent.includes(text);
              if (seen()) return r();
              const watch = new MutationObserver(() => seen() && (watch.disconnect(), r()));
              watch.observe(list, { childList: true });
            });
            (async () => {
              await play('recv TLEN a@b warm up');
              const engine = [], trip = [], shown = [], traced = [], painted = [];
              for (let i = 0; i < 50; i++) {
                await frame();
                await frame();
                const started = performance.now();
                await play('recv TLEN ania@tlen.pl "message number ' + i + ' with some text"');
                shown.push(performance.now() - started);
                await traceHas('message number ' + i + ' with');
                traced.push(performance.now() - started);
                await frame();
                painted.push(performance.now() - started);
                trip.push(window.kwPlayground.lastRoundTripMs);
                engine.push(window.kwPlayground.lastEngineMs);
              }
              done([engine, trip, shown, traced, painted]);
            })();'''
        times = BROWSER.execute_async_script(measure_messages)
        for name, values in zip(('engine', 'round_trip', 'shown', 'trace_shown', 'painted'), times):
            MEASURES['message_150_lines_%s_ms_median' % name] = statistics.median(values)
            MEASURES['message_150_lines_%s_ms_max' % name] = max(values)
        self.assertIn('> recv TLEN ania@tlen.pl: "message number 49 with some text"', log_text())
        # With 10,000 contacts: an answer costs what it changed, not the contact list.
        contacts = '\n'.join('contact k%d@tlen.pl name=K%d flags=online' % (i, i) for i in range(10000))
        play_and_read(lambda: js('play(arguments[0])', contacts))
        self.assertEqual(js('return document.querySelectorAll("#contacts tbody tr").length'), 10000)
        times = BROWSER.execute_async_script(measure_messages)
        MEASURES['message_150_lines_10000_contacts_painted_ms_median'] = statistics.median(times[4])


    def test_09_the_layout_holds_from_a_laptop_up_and_on_a_phone(self):
        open_page()
        for width, height in ((1280, 720), (1366, 768), (1920, 1080)):
            viewport(width, height)
            element('#examples button[data-example="auto-responder"]').click()
            wait_for(lambda: js('return document.getElementById("golden").dataset.matches'), 'auto-responder')
            idle()
            size = '%dx%d' % (width, height)
            self.assertEqual(js('return [innerWidth, innerHeight]'), [width, height])
            # The message box is wide enough to read what is typed; the editor is tall
            # enough to work in; the page itself never scrolls, its panes do.
            self.assertGreaterEqual(element('#message-text').size['width'], 250, size)
            self.assertGreaterEqual(element('#editor-script').size['height'], 250, size)
            self.assertLessEqual(js('return document.documentElement.scrollWidth'), width, size)
            self.assertLessEqual(js('return document.documentElement.scrollHeight'), height, size)
            if width >= 1366:  # the header on one row
                middles = js('return [...document.querySelectorAll("header > *")].map((e) => e.getBoundingClientRect())'
                             '.filter((r) => r.height > 0).map((r) => (r.top + r.bottom) / 2)')
                self.assertLess(max(middles) - min(middles), 8, size)
            # Nothing sticks out of its pane sideways (long values wrap).
            for pane in ('editors', 'messenger', 'results'):
                self.assertLessEqual(js('const p = document.getElementById(arguments[0]); return p.scrollWidth - p.clientWidth', pane),
                                     0, size + ' ' + pane)
            screenshot('%dx%d' % (width, height))
            # "Commands" stays on the tabs' row whether "edited" shows or not.
            for edited in (False, True):
                if edited:
                    set_editor('script', editor_text() + '\n// edited')
                    wait_for(lambda: not element('#dirty').get_attribute('hidden'), 'the edited mark')
                middles = js('return [...document.querySelectorAll(".tabs > :not(.spacer)")].map('
                             '(e) => { const r = e.getBoundingClientRect(); return (r.top + r.bottom) / 2; })')
                self.assertTrue(all(abs(m - middles[0]) < 2 for m in middles), (size, edited, middles))
        # Panes resize by dragging the bar between them.
        viewport(1366, 768)
        before = element('#editors').size['width']
        ActionChains(BROWSER).drag_and_drop_by_offset(element('.splitter[data-left="editors"]'), 60, 0).perform()
        self.assertAlmostEqual(element('#editors').size['width'], before + 60, delta=3)
        self.assertGreaterEqual(element('#message-text').size['width'], 200)
        # A phone: one pane at a time, switched in the bar.
        viewport(390, 844)
        shown = lambda: [p for p in ('editors', 'messenger', 'results') if element('#' + p).is_displayed()]
        self.assertEqual(shown(), ['editors'])
        element('#panes [data-pane="messenger"]').click()
        self.assertEqual(shown(), ['messenger'])
        self.assertGreaterEqual(element('#message-text').size['width'], 300)
        self.assertLessEqual(js('return document.documentElement.scrollWidth'), 390)
        screenshot('390x844')
        element('#panes [data-pane="editors"]').click()
        element('#commands').click()  # the menu is a list as wide as the screen
        self.assertLessEqual(js('return document.getElementById("menu").getBoundingClientRect().right'), 390)
        BROWSER.switch_to.active_element.send_keys(Keys.ESCAPE)
        BROWSER.execute_cdp_cmd('Emulation.clearDeviceMetricsOverride', {})

    def test_10_controls_show_the_messengers_state(self):
        open_page()
        # The auto-responder ends with TLEN "dnd", set in the messenger: its control says so.
        element('#examples button[data-example="auto-responder"]').click()
        wait_for(lambda: js('return document.getElementById("golden").dataset.matches'), 'auto-responder')
        idle()
        row = element('#statuses [data-protocol="TLEN"]')
        self.assertEqual(js('return arguments[0].querySelector("select").value', row), 'dnd')
        self.assertEqual(row.find_element(By.TAG_NAME, 'input').get_attribute('value'), 'Spotkanie do 16')
        # A restart gives the popup's items the captions the script gives them again.
        element('#examples button[data-example="contact-menu"]').click()
        wait_for(lambda: js('return document.getElementById("golden").dataset.matches'), 'contact-menu')
        idle()
        play_and_read(lambda: js('play("popup ania@tlen.pl")'))
        captions = lambda: [b.text for b in BROWSER.find_elements(By.CSS_SELECTOR, '#popup-items button')]
        caption = 'Cofnij wyciszenie' if 'Cofnij wyciszenie' in captions() else 'Wycisz'
        other = 'Wycisz' if caption == 'Cofnij wyciszenie' else 'Cofnij wyciszenie'
        play_and_read(lambda: [b for b in BROWSER.find_elements(By.CSS_SELECTOR, '#popup-items button') if b.text == caption][0].click())
        play_and_read(lambda: js('play("popup ania@tlen.pl")'))
        self.assertIn(other, captions())
        play_and_read(lambda: element('#restart').click())
        self.assertIn(js('return messenger.menu.get(lastPopup.items[0].id)'), captions())
        self.assertEqual(captions(), [js('return messenger.menu.get(arguments[0])', b.get_attribute('data-id'))
                                      for b in BROWSER.find_elements(By.CSS_SELECTOR, '#popup-items button')])

    def test_11_a_session_link_shows_first_and_replays_on_run(self):
        open_page()
        element('#fresh').click()
        idle()
        script = ":_init\nSEND 'ola@tlen.pl', 'started'\nSETSTS #PROTO_GG, #STS_AWAY, 'w pracy'\nEXIT\n:_start\nADD $n, 1\nIF $_MESSAGE = 'ping'\nSEND $_ID, 'pong'\nEXIT"
        set_editor('script', script)
        set_editor('spam', 'reklama')
        for command in ('status TLEN dnd "na spotkaniu"', 'contact ola@tlen.pl name=Ola flags=online',
                        'recv TLEN ola@tlen.pl ping', 'send GG 4012345 "cześć"', 'recv GG 4012345 "to reklama"'):
            play_and_read(lambda: js('play(arguments[0])', command))
        transcript = js('return sessionTranscript()')
        element('#share').click()
        link = wait_for(lambda: element('#share-link').get_attribute('value'), 'the link')
        # Opened elsewhere: the files show, nothing runs (not even _init) until "Run".
        BROWSER.get('about:blank')
        BROWSER.get(link)
        wait_for(lambda: js('return document.body.dataset.ready'), 'the shared page')
        idle()
        self.assertEqual([editor_text('script'), editor_text('spam')], [script, 'reklama'])
        self.assertTrue(element('#link-box').is_displayed())
        self.assertEqual(log_text(), '> load Kwartlin (no data files)\n')
        self.assertNotIn('started', js('return document.getElementById("activity").textContent'))
        out = play_and_read(lambda: element('#link-run').click())
        self.assertFalse(element('#link-box').is_displayed())
        # The replay is what the native simulator prints for the same transcript.
        if ARGS.native_sim:
            native = native_run(transcript, {})
            self.assertEqual(log_text(), native[:native.rindex('> unload')])
        self.assertIn('    sent       TLEN -> ola@tlen.pl: "pong"', out)
        self.assertIn('na spotkaniu', element('#statuses [data-protocol="TLEN"] .now').text)
        self.assertIn('ola@tlen.pl', element('#contacts tbody').text)
        self.assertEqual(js('return [editors.script.applied, editors.spam.applied]'), [script, 'reklama'])
        self.assertTrue(element('#dirty').get_attribute('hidden'))
        # A link of files only (as older links are): shown, and Run saves and starts them.
        open_page(link_of({'script': ':_init\nMOV $x, 7', 'spam': ''})[len(BASE):])
        self.assertEqual(log_text(), '> load Kwartlin (no data files)\n')
        play_and_read(lambda: element('#link-run').click())
        values = js('return [...document.querySelectorAll("#variables tbody tr")].map((r) => r.cells[0].textContent + "=" + r.cells[1].textContent)')
        self.assertIn('$X=7', values)

    def test_11b_an_example_session_replays_without_its_folder(self):
        # The example reads a file of its folder ("file spam from more-rules.spm"); the
        # session keeps that file's lines, so the link replays it anywhere.
        open_page()
        element('#examples button[data-example="chain-letter-filter"]').click()
        wait_for(lambda: js('return document.getElementById("golden").dataset.matches'), 'chain-letter-filter')
        idle()
        transcript = js('return sessionTranscript()')
        self.assertNotIn('file spam from', transcript)
        element('#share').click()
        link = wait_for(lambda: element('#share-link').get_attribute('value'), 'the link')
        open_page(link[len(BASE):])
        play_and_read(lambda: element('#link-run').click())
        expected = example_text('chain-letter-filter', 'expected.txt')
        body = expected[expected.index('\n== '):expected.rindex('> unload')]
        self.assertTrue(log_text().endswith(body), log_text()[-2000:])

    def test_12_links_the_page_refuses(self):
        # Each refused with its reason; the page stays usable (an example loads).
        huge = {'script': 'a' * (1200 * 1024)}
        cases = [
            ('inflates past the bound', link_of(huge), 'more than 1024 KiB'),
            ('plain and past the bound', link_of(huge, compressed=False), 'more than 1024 KiB'),
            ('a script that is no text', link_of({'script': {'a': 1}, 'spam': ''}), 'is not a text'),
            ('a spam list that is no text', link_of({'script': '', 'spam': ['x']}, compressed=False), 'is not a text'),
            ('a transcript that is no text', link_of({'script': '', 'transcript': 5}), 'is not a text'),
            ('not JSON', link_of(b'{"script": '), 'no script the page can read'),
            ('not deflated', BASE + '#z=not-a-link', 'no script the page can read'),
            ('not a link of the page', BASE + '#something', 'no script the page can read'),
        ]
        for what, link, reason in cases:
            started = time.monotonic()
            open_page(link[len(BASE):])
            self.assertLess(time.monotonic() - started, 15, what)
            self.assertIn(reason, log_text(), what)
            self.assertNotIn('[object Object]', editor_text() + editor_text('spam'), what)
            self.assertEqual(js('return document.body.dataset.ready'), '1', what)
            self.assertFalse(element('#link-box').is_displayed(), what)
        # A session past the bound makes no link, rather than one that would be refused.
        set_editor('script', ':_start\n' + 'MOV $a, 1\n' * 120000)
        element('#share').click()
        wait_for(lambda: 'no link made' in log_text(), 'the share refused')
        self.assertFalse(element('#share-box').is_displayed())
        # A deflate bomb: 1.4 MB of link, 1 GB inflated; refused while it inflates, at the
        # bound, not after.
        packer = zlib.compressobj(9, zlib.DEFLATED, -15)
        piece = b'a' * (1024 * 1024)
        bomb = packer.compress(b'{"script":"') + b''.join(packer.compress(piece) for _ in range(1024)) + packer.flush()
        text = base64.urlsafe_b64encode(bomb).decode('ascii').rstrip('=')
        spent = BROWSER.execute_async_script('''
            const done = arguments[arguments.length - 1];
            history.replaceState(null, '', '#z=' + arguments[0]);
            const heap = () => (performance.memory ? performance.memory.usedJSHeapSize : 0);
            const before = heap(), started = performance.now();
            linkData().then((d) => done([performance.now() - started, heap() - before, d && d.error]));''', text)
        MEASURES['link_1gb_refused_ms'] = spent[0]
        MEASURES['link_1gb_heap_growth_mb'] = spent[1] / 1048576
        self.assertIn('more than 1024 KiB', spent[2])
        self.assertLess(spent[1], 64 * 1048576)
        open_page('#z=' + text)
        self.assertIn('more than 1024 KiB', log_text())
        out = play_and_read(lambda: js("play('recv TLEN a@b ping')"))
        self.assertIn('> recv TLEN a@b: "ping"', out)

    def test_13_a_new_link_asks_before_replacing_unsaved_edits(self):
        first = link_of({'script': ':_start\nMOV $a, 1', 'spam': ''})
        open_page(first[len(BASE):])
        # Not edited: the next link opens without a question.
        js('location.hash = arguments[0]', link_of({'script': ':_start\nMOV $a, 2'})[len(BASE):])
        wait_for(lambda: editor_text() == ':_start\nMOV $a, 2', 'the second link')
        self.assertFalse(element('#question').is_displayed())
        # Edited: asked; "keep" keeps the edits, "open" replaces them.
        area = element('#editor-script .cm-content')
        area.click()
        area.send_keys(Keys.CONTROL, Keys.END)
        area.send_keys('\nMOV $mine, 1')
        edited = editor_text()
        for answer, expected in (('#question-no', edited), ('#question-yes', ':_start\nMOV $a, 4')):
            js('location.hash = arguments[0]', link_of({'script': ':_start\nMOV $a, 4', 'n': answer})[len(BASE):])
            wait_for(lambda: element('#question').is_displayed(), 'the question')
            element(answer).click()
            idle()
            self.assertEqual(editor_text(), expected, answer)
            self.assertFalse(element('#question').is_displayed())
        # An example clicked over unsaved edits is asked about alike.
        area.send_keys(Keys.CONTROL, Keys.END)
        area.send_keys('\nMOV $again, 1')
        edited = editor_text()
        for answer in ('#question-no', '#question-yes'):
            element('#examples button[data-example="ping-pong"]').click()
            wait_for(lambda: element('#question').is_displayed(), 'the question for an example')
            element(answer).click()
            idle()
            self.assertEqual(editor_text() == edited, answer == '#question-no', answer)

    def test_14_stop_during_a_links_first_run_leaves_the_page_ready(self):
        looping = ':_start\n:a\nADD $x, 1\nGOTO a'
        transcript = '\n'.join('recv TLEN a@b %d' % i for i in range(6))
        open_page(link_of({'script': looping, 'spam': '', 'transcript': 'file script <<END\n%s\nEND\nrestart\n%s' % (looping, transcript)})[len(BASE):])
        element('#link-run').click()
        wait_for(lambda: element('#stop').is_displayed(), 'the Stop button')
        element('#stop').click()
        idle()
        self.assertEqual(element('#state').text, 'ready')
        self.assertFalse(element('#stop').is_displayed())
        # The next link opens and runs.
        js('location.hash = arguments[0]', link_of({'script': ':_init\nMOV $y, 3', 'spam': ''})[len(BASE):])
        wait_for(lambda: editor_text() == ':_init\nMOV $y, 3', 'the next link')
        self.assertFalse(element('#question').is_displayed())
        play_and_read(lambda: element('#link-run').click())
        values = js('return [...document.querySelectorAll("#variables tbody tr")].map((r) => r.cells[0].textContent + "=" + r.cells[1].textContent)')
        self.assertIn('$Y=3', values)

    def test_15_download_holds_the_editors_without_restarting(self):
        # What the editors hold, as the plugin would read it, beside the settings file the
        # running messenger wrote; the session goes on: its variables stay.
        open_page()
        element('#fresh').click()
        idle()
        set_editor('script', ":_init\nMOV $a, 'zażółć'\nSAVE $a, #TRUE\n:_start\nADD $n, 1")
        # The settings file is written as the messenger closes: a restart writes it.
        for command in ('recv TLEN a@b hi', 'restart', 'recv TLEN a@b hi'):
            play_and_read(lambda: js('play(arguments[0])', command))
        set_editor('script', ":_init\nMOV $a, 'gęś'\n:_start\nADD $n, 1")
        set_editor('spam', 'łańcuszek\nreklama')
        archive = BROWSER.execute_async_script('''
            const done = arguments[arguments.length - 1];
            dataFolderZip().then((bytes) => done(toBase64Url(bytes)));''')
        files = zipfile.ZipFile(io.BytesIO(base64.urlsafe_b64decode(archive + '=' * (-len(archive) % 4))))
        self.assertIsNone(files.testzip())
        self.assertEqual(sorted(files.namelist()), ['Kwartlin/Kwartlin.dat', 'Kwartlin/Kwartlin.ini', 'Kwartlin/Kwartlin.spm'])
        self.assertEqual(files.read('Kwartlin/Kwartlin.dat'), ":_init\r\nMOV $a, 'gęś'\r\n:_start\r\nADD $n, 1\r\n".encode('cp1250'))
        self.assertEqual(files.read('Kwartlin/Kwartlin.spm'), 'łańcuszek\r\nreklama\r\n'.encode('cp1250'))
        self.assertIn('zażółć'.encode('cp1250'), files.read('Kwartlin/Kwartlin.ini'))
        self.assertGreaterEqual(files.getinfo('Kwartlin/Kwartlin.dat').date_time[0], 2024)
        self.assertTrue(js('return editors.script.unsaved'))
        variables = js("return [...document.querySelectorAll('#variables tbody tr')].map((r) => (r.cells[0].textContent + '=' + r.cells[1].textContent).toUpperCase())")
        self.assertTrue(any(v.endswith('N=1') for v in variables), variables)
        # A character Windows-1250 lacks: nothing downloaded, and the state says why.
        set_editor('script', "MOV $a, '☃'")
        self.assertIsNone(BROWSER.execute_async_script('dataFolderZip().then(arguments[arguments.length - 1])'))
        self.assertIn('☃', log_text())

    def test_16_the_page_in_polish_and_english(self):
        open_page()
        # The browser here speaks English; the switch changes the page and is remembered.
        self.assertEqual(element('#share').text, 'Share link')
        element('#language').click()
        self.assertEqual(js('return document.documentElement.lang'), 'pl')
        self.assertEqual(element('#receive').text, 'Odbierz')
        self.assertEqual(element('#state').text, 'gotowe')
        self.assertEqual(element('#message-text').get_attribute('placeholder'), 'wiadomość')
        # The engine's own words follow the page: the log and the trace panel.
        out = play_and_read(lambda: js("engine.request('feed', {commands: 'recv TLEN ania@tlen.pl cześć'}).then(render)"))
        self.assertIn('    przeszła', out)
        wait_for(lambda: 'przebieg' in js('return document.getElementById("trace").textContent'), 'the trace in Polish')
        open_page()
        self.assertEqual(element('#share').text, 'Link do sesji')
        element('#language').click()
        self.assertEqual(element('#receive').text, 'Receive')
        out = play_and_read(lambda: js("engine.request('feed', {commands: 'recv TLEN ania@tlen.pl hello'}).then(render)"))
        self.assertIn('    passed', out)
        # A browser that speaks Polish gets the page in Polish.
        profile = tempfile.mkdtemp(prefix='kw-chromium-pl-')
        polish = start_browser('pl-PL,pl', profile)
        try:
            polish.get(BASE)
            wait_for(lambda: polish.execute_script('return document.body.dataset.ready'), 'the page in Polish')
            self.assertEqual(polish.find_element(By.ID, 'receive').text, 'Odbierz')
            self.assertEqual(polish.find_element(By.CSS_SELECTOR, '#activity li .tag').text, 'komunikator')
        finally:
            polish.quit()
            shutil.rmtree(profile, ignore_errors=True)

    def test_17_the_page_keeps_to_its_content_security_policy(self):
        open_page()
        policy = js('return document.querySelector(\'meta[http-equiv="Content-Security-Policy"]\').content')
        for directive in ("default-src 'none'", "script-src 'self' 'wasm-unsafe-eval'", "worker-src 'self'", "connect-src 'self'"):
            self.assertIn(directive, policy)
        element('#examples button[data-example="ping-pong"]').click()
        wait_for(lambda: js('return document.getElementById("golden").dataset.matches'), 'ping-pong')
        violations = [e['message'] for e in BROWSER.get_log('browser') if 'Content Security Policy' in e['message']]
        self.assertEqual(violations, [])

    def test_18_work_survives_a_reload_and_a_link_asks_first(self):
        open_page()
        element('#fresh').click()
        idle()
        set_editor('script', ":_start\nADD $n, 1")
        play_and_read(lambda: js("play('recv TLEN a@b hi')"))
        set_editor('script', ":_start\nADD $n, 2")  # not saved
        set_editor('spam', 'reklama')
        time.sleep(0.5)
        open_page(keep=True)
        idle()
        self.assertEqual(js('return [editors.script.text, editors.spam.text, editors.script.unsaved]'),
                         [":_start\nADD $n, 2", 'reklama', True])
        variables = js("return [...document.querySelectorAll('#variables tbody tr')].map((r) => (r.cells[0].textContent + '=' + r.cells[1].textContent).toUpperCase())")
        self.assertTrue(any(v.endswith('N=1') for v in variables), variables)
        # A link would replace that work: it asks, and "keep" keeps it.
        BROWSER.get('about:blank')
        BROWSER.get(link_of({'script': ':_init\nMOV $x, 7', 'spam': ''}))
        wait_for(lambda: js('return !document.getElementById("question").hidden'), 'the question')
        element('#question-no').click()
        wait_for(lambda: js('return document.body.dataset.ready'), 'the page')
        self.assertEqual(js('return editors.script.text'), ":_start\nADD $n, 2")

    def test_19_a_runaway_runs_trace_keeps_its_end_and_leads_to_its_lines(self):
        open_page()
        element('#fresh').click()
        idle()
        set_editor('script', ':_start\n:a\nadd $x, 1\ngoto a')
        play_and_read(lambda: js("play('recv TLEN a@b hi')"))
        rows = wait_for(lambda: js('return [...document.querySelectorAll("#trace li")].map((l) => [l.className, l.textContent])')
                        if js('return !!document.querySelector("#trace li.omitted")') else None, 'the trace')
        self.assertEqual(sum(1 for kind, _ in rows if kind == 'omitted'), 1)
        self.assertEqual(rows[-1][0], 'end')
        self.assertIn('bound', js('return document.querySelector("#activity li:last-child .ended").className'))
        # A row with a line puts the caret on it.
        js('document.querySelector("#trace li[data-line=\'3\']").click()')
        self.assertEqual(js('return editors.script.caretLine()'), 'add $x, 1')
        # The gutter marks the lines that ran.
        self.assertGreaterEqual(js('return document.querySelectorAll("#editor-script .kw-ran").length'), 2)
        # "trace off" quiets the log, not the panel.
        set_editor('script', ':_start\nMOV $y, 1')
        for command in ('trace on', 'trace off', 'recv TLEN a@b hi'):
            play_and_read(lambda: js('play(arguments[0])', command))
        wait_for(lambda: js('return [...document.querySelectorAll("#trace li")].some((l) => l.textContent.includes("MOV $y, 1"))'), 'the trace after trace off')

    def test_20_a_new_messenger_is_empty_and_the_example_highlight_follows_the_editors(self):
        open_page()
        self.assertTrue(js('return !!document.querySelector("#examples button.active")'))
        self.assertEqual(js('return document.getElementById("message-text").value'), 'ping')
        set_editor('spam', 'x')
        self.assertFalse(js('return !!document.querySelector("#examples button.active")'))
        element('#fresh').click()
        wait_for(lambda: js('return !document.getElementById("question").hidden'), 'the question')
        element('#question-yes').click()
        idle()
        self.assertEqual(js('return [editors.script.text, editors.spam.text]'), ['', ''])


    def test_21_the_spam_tester_marks_what_matches_and_names_what_found_nothing(self):
        open_page()
        set_editor('spam', 'łańcuszek|reklama dalej\nkredyt pilne\n;wyłączona')
        element('.tabs [data-editor="spam"]').click()
        element('#spam-text').send_keys('ŁAŃCUSZEK szczęścia: wyślij go dalej!')
        verdict = wait_for(lambda: element('#spam-verdict').text, 'the verdict')
        self.assertIn('CHKSPAM', verdict)
        self.assertEqual(len(js('return [...document.querySelectorAll("#spam-folded mark")].map((m) => m.textContent)')), 2)
        rows = js('return [...document.querySelectorAll("#spam-rules li")].map((l) => l.textContent)')
        self.assertEqual(len(rows), 2, rows)
        self.assertIn('łańcuszek|reklama → łańcuszek', rows[0])
        self.assertIn('kredyt, pilne', rows[1])


    def test_22_keyboard_reaches_fixes_and_the_menu(self):
        open_page()
        set_editor('script', ':_start\nMVO $a, 1')
        wait_for(lambda: js('return editors.script.checkedText === editors.script.text && editors.script.allFindings.length'), 'the checker')
        fixable = js('return editors.script.allFindings.some((f) => f.fix)')
        if fixable:
            js('editors.script.goToLine(2); editors.script.code.view.focus()')
            area = element('#editor-script .cm-content')
            area.send_keys(Keys.CONTROL, '.')
            wait_for(lambda: 'MOV $a, 1' in editor_text(), 'the fix by keyboard')
        # The Commands menu: opens on its button, arrows move, Enter inserts, Esc closes.
        element('#commands').click()
        self.assertEqual(js('return document.activeElement.getAttribute("role")'), 'menuitem')
        first = js('return document.activeElement.textContent')
        BROWSER.switch_to.active_element.send_keys(Keys.ARROW_DOWN)
        self.assertNotEqual(js('return document.activeElement.textContent'), first)
        BROWSER.switch_to.active_element.send_keys(Keys.ESCAPE)
        self.assertTrue(js('return document.getElementById("menu").hidden && document.activeElement.id === "commands"'))
        element('#commands').click()
        before = editor_text()
        js('[...document.querySelectorAll("#menu .entry")].find((e) => e.offsetParent).focus()')
        BROWSER.switch_to.active_element.send_keys(Keys.ENTER)
        wait_for(lambda: editor_text() != before, 'an entry inserted by Enter')
        self.assertEqual(js('return document.querySelector(".tabs [data-editor=script]").getAttribute("aria-selected")'), 'true')

    def test_23_no_serious_accessibility_violations(self):
        open_page()
        axe = os.path.join(ARGS.site, '..', 'npm', 'node_modules', 'axe-core', 'axe.min.js')
        with open(axe, encoding='utf-8') as f:
            js(f.read())
        result = BROWSER.execute_async_script('''
            const done = arguments[arguments.length - 1];
            axe.run(document, { runOnly: ['wcag2a', 'wcag2aa'] }).then((r) => done(r.violations.map((v) =>
              [v.impact, v.id, v.nodes.slice(0, 3).map((n) => n.target.join(' '))])));''')
        serious = [v for v in result if v[0] in ('serious', 'critical')]
        self.assertEqual(serious, [])


    def test_24_the_guide_is_inside_the_page(self):
        open_page()
        href = element('#guide-link').get_attribute('href')
        self.assertEqual(js('return fetch(arguments[0]).then((r) => r.status)', href), 200)
        entry = js("return guideEntry('STRCON')")
        self.assertIn('current', entry['text'])
        self.assertTrue(entry['traps'])
        self.assertEqual(js('return fetch(arguments[0]).then((r) => r.text())', entry['href']).count('id="strcon"'), 1)
        # A finding's code leads to its entry on the checker's page.
        set_editor('script', ':_start\nGOTO nowhere')
        link = wait_for(lambda: js('const a = document.querySelector("#findings a.kind"); return a && a.href'), 'a finding')
        page, anchor = link.split('#')
        self.assertIn('id="%s"' % anchor, js('return fetch(arguments[0]).then((r) => r.text())', page))


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
