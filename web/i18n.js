// The page's own words in English and Polish, in one place. The browser's language
// chooses at first; the switch in the header changes it and the page remembers the
// choice. What the engine says (the simulator's output, the checker's findings, the
// plugin's own help lines) stays as the engine says it.
'use strict';

const WORDS = {
  en: {
    title: 'Kwartlin playground', examples: 'Examples:', languageTitle: 'Strona po polsku', share: 'Share link',
    shareTitle: 'A link that holds the files and everything played since the messenger started',
    download: 'Download', downloadTitle: 'The data folder as the plugin reads it (Kwartlin.zip: Windows-1250, CR LF)',
    fresh: 'New messenger', freshTitle: 'Close the messenger and start an empty one', loading: 'loading the engine…',
    ready: 'ready', running: 'running…', stop: 'Stop', stopTitle: 'Stop the engine; a fresh messenger starts with the saved files',
    close: 'Close', run: 'Run', paneEditors: 'Editors', paneMessenger: 'Messenger', paneResults: 'Results',
    script: 'Script', spam: 'Spam list', edited: 'edited',
    editedTitle: 'The editors differ from the files the plugin runs; playing anything saves them first',
    commands: 'Commands ▾', apply: 'Save & restart', applyTitle: 'Write both files and restart the messenger (Ctrl+S)',
    keys: 'Ctrl+Enter receives the message of the messenger pane · Ctrl+S saves · Ctrl+Space completes',
    checker: 'Checker', nothingFound: '(nothing found)', line: 'line', fix: 'Fix',
    messenger: 'Messenger', messagePlaceholder: 'message', receive: 'Receive', receiveTitle: 'A message arrives from the contact',
    send: 'Send', sendTitle: 'You send the message to the contact', yourStatus: 'Your status', set: 'Set',
    descriptionPlaceholder: 'description', contacts: 'Contacts', contactId: 'id', contactName: 'name', contactGroup: 'group',
    contactDescription: 'description', flags: 'flags', addContact: 'Add or change', popup: 'Popup', popupOf: 'Popup of',
    popupNone: 'The plugin shows no items.', others: 'Other plugins and the messenger', callService: 'Call service',
    callServiceTitle: 'Another plugin calls KWARTLIN/PROC_BRIX', restart: 'Restart', restartTitle: 'The messenger closes and starts again',
    commandPlaceholder: 'any simulator command, e.g. options show', results: 'What the plugin did',
    pluginMenu: "The plugin's menu items", none: 'none', variables: 'Variables', varName: 'name', varValue: 'value',
    varSaved: 'saved', yes: 'yes', shown: 'shown', trace: 'Trace of the last run', output: 'Simulator output',
    goldenSame: '· same as the golden transcript ✓', goldenDiffers: '· differs from the golden transcript ✗',
    linkFiles: 'The link holds a script and a spam list; nothing has run. “Run” saves them and starts the messenger.',
    linkSession: 'The link holds a session: the files and {n} command lines played; nothing has run. “Run” plays it again.',
    linkBad: 'the link holds no script the page can read',
    linkTooBig: 'the link holds more than {limit} KiB; the page does not open it',
    linkWrongType: 'the link’s {what} is not a text; the page does not open it',
    replaceQuestion: 'The editors hold edits that are not saved. Open the new link in their place?',
    replace: 'Open the link', keep: 'Keep my edits', shareSize: '{n} characters',
    stoppedByYou: 'stopped by you', freshEngine: 'a fresh engine starts the messenger with the saved files',
    engineStopped: 'the engine stopped: ', notStarted: 'the engine did not start: ', nothingSaved: '(nothing was saved)',
  },
  pl: {
    title: 'Piaskownica Kwartlina', examples: 'Przykłady:', languageTitle: 'Page in English', share: 'Link do sesji',
    shareTitle: 'Link z plikami i wszystkim, co zagrano od startu komunikatora',
    download: 'Pobierz', downloadTitle: 'Folder danych tak, jak czyta go wtyczka (Kwartlin.zip: Windows-1250, CR LF)',
    fresh: 'Nowy komunikator', freshTitle: 'Zamknij komunikator i uruchom pusty', loading: 'wczytywanie silnika…',
    ready: 'gotowe', running: 'trwa…', stop: 'Zatrzymaj', stopTitle: 'Zatrzymaj silnik; nowy komunikator wystartuje z zapisanymi plikami',
    close: 'Zamknij', run: 'Uruchom', paneEditors: 'Edytory', paneMessenger: 'Komunikator', paneResults: 'Wyniki',
    script: 'Skrypt', spam: 'Lista spamu', edited: 'zmieniony',
    editedTitle: 'Edytory różnią się od plików wtyczki; każde zagranie najpierw je zapisuje',
    commands: 'Polecenia ▾', apply: 'Zapisz i uruchom ponownie', applyTitle: 'Zapisz oba pliki i uruchom komunikator ponownie (Ctrl+S)',
    keys: 'Ctrl+Enter odbiera wiadomość z panelu komunikatora · Ctrl+S zapisuje · Ctrl+Spacja podpowiada',
    checker: 'Sprawdzanie', nothingFound: '(nic nie znaleziono)', line: 'wiersz', fix: 'Popraw',
    messenger: 'Komunikator', messagePlaceholder: 'wiadomość', receive: 'Odbierz', receiveTitle: 'Kontakt przysyła wiadomość',
    send: 'Wyślij', sendTitle: 'Wysyłasz wiadomość do kontaktu', yourStatus: 'Twój status', set: 'Ustaw',
    descriptionPlaceholder: 'opis', contacts: 'Kontakty', contactId: 'id', contactName: 'nazwa', contactGroup: 'grupa',
    contactDescription: 'opis', flags: 'flagi', addContact: 'Dodaj lub zmień', popup: 'Menu', popupOf: 'Menu kontaktu',
    popupNone: 'Wtyczka nie pokazuje pozycji.', others: 'Inne wtyczki i komunikator', callService: 'Wywołaj usługę',
    callServiceTitle: 'Inna wtyczka wywołuje KWARTLIN/PROC_BRIX', restart: 'Restart', restartTitle: 'Komunikator zamyka się i startuje ponownie',
    commandPlaceholder: 'dowolne polecenie symulatora, np. options show', results: 'Co zrobiła wtyczka',
    pluginMenu: 'Pozycje menu wtyczki', none: 'brak', variables: 'Zmienne', varName: 'nazwa', varValue: 'wartość',
    varSaved: 'zapisana', yes: 'tak', shown: 'pokazano', trace: 'Ślad ostatniego przebiegu', output: 'Wyjście symulatora',
    goldenSame: '· zgodne ze wzorcowym zapisem ✓', goldenDiffers: '· różni się od wzorcowego zapisu ✗',
    linkFiles: 'Link zawiera skrypt i listę spamu; nic nie zostało uruchomione. „Uruchom” zapisuje je i startuje komunikator.',
    linkSession: 'Link zawiera sesję: pliki i {n} wierszy poleceń; nic nie zostało uruchomione. „Uruchom” odtwarza ją.',
    linkBad: 'link nie zawiera skryptu, który strona umie odczytać',
    linkTooBig: 'link zawiera więcej niż {limit} KiB; strona go nie otwiera',
    linkWrongType: '{what} w linku nie jest tekstem; strona go nie otwiera',
    replaceQuestion: 'Edytory zawierają niezapisane zmiany. Otworzyć zamiast nich nowy link?',
    replace: 'Otwórz link', keep: 'Zostaw moje zmiany', shareSize: '{n} znaków',
    stoppedByYou: 'zatrzymane przez ciebie', freshEngine: 'nowy silnik startuje komunikator z zapisanymi plikami',
    engineStopped: 'silnik stanął: ', notStarted: 'silnik nie wystartował: ', nothingSaved: '(nic nie zapisano)',
  },
};

const LANGUAGE_KEY = 'kwartlin-playground-language';
let pageLanguage = 'en';

// A word of the page in its language, with {name} places filled from values.
function t(key, values) {
  const text = (WORDS[pageLanguage] && WORDS[pageLanguage][key]) || WORDS.en[key] || key;
  return values ? text.replace(/\{(\w+)\}/g, (all, name) => (name in values ? String(values[name]) : all)) : text;
}

function chosenLanguage() {
  let stored = null;
  try {
    stored = localStorage.getItem(LANGUAGE_KEY);
  } catch (e) {
    // storage may be closed to the page; the browser's language then decides
  }
  if (stored && WORDS[stored]) return stored;
  const wanted = navigator.languages && navigator.languages.length ? navigator.languages : [navigator.language || 'en'];
  for (const l of wanted) {
    const code = String(l).slice(0, 2).toLowerCase();
    if (WORDS[code]) return code;
  }
  return 'en';
}

// Puts the page's static words into the chosen language.
function applyLanguage(language, remember) {
  pageLanguage = WORDS[language] ? language : 'en';
  if (remember) {
    try {
      localStorage.setItem(LANGUAGE_KEY, pageLanguage);
    } catch (e) {
      // not remembered; the switch still works for this visit
    }
  }
  document.documentElement.lang = pageLanguage;
  for (const node of document.querySelectorAll('[data-i18n]')) node.textContent = t(node.dataset.i18n);
  for (const node of document.querySelectorAll('[data-i18n-title]')) node.title = t(node.dataset.i18nTitle);
  for (const node of document.querySelectorAll('[data-i18n-placeholder]')) node.placeholder = t(node.dataset.i18nPlaceholder);
  for (const node of document.querySelectorAll('[data-i18n-aria]')) node.setAttribute('aria-label', t(node.dataset.i18nAria));
  const other = pageLanguage === 'pl' ? 'en' : 'pl';
  const button = document.getElementById('language');
  if (button) {
    button.textContent = other.toUpperCase();
    button.dataset.switchTo = other;
  }
}
