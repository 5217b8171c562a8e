// The page's own words in English and Polish, in one place. The browser's language
// chooses at first; the switch in the header changes it and the page remembers the
// choice. What the engine says (the simulator's output, the checker's findings, the
// plugin's own help lines) stays as the engine says it.
'use strict';

// Each word of the page as [English, Polish].
const WORDS = {
  title: ["Kwartlin playground", "Piaskownica Kwartlina"],
  examples: ["Examples:", "Przykłady:"],
  languageTitle: ["Strona po polsku", "Page in English"],
  share: ["Share link", "Link do sesji"],
  shareTitle: ["A link that holds the files and everything played since the messenger started", "Link z plikami i wszystkim, co zagrano od startu komunikatora"],
  download: ["Download", "Pobierz"],
  downloadTitle: ["The data folder as the plugin reads it (Kwartlin.zip: Windows-1250, CR LF)", "Folder danych tak, jak czyta go wtyczka (Kwartlin.zip: Windows-1250, CR LF)"],
  fresh: ["New messenger", "Nowy komunikator"],
  freshTitle: ["Close the messenger and start an empty one", "Zamknij komunikator i uruchom pusty"],
  loading: ["loading the engine…", "wczytywanie silnika…"],
  ready: ["ready", "gotowe"],
  running: ["running…", "trwa…"],
  stop: ["Stop", "Zatrzymaj"],
  stopTitle: ["Stop the engine; a fresh messenger starts with the saved files", "Zatrzymaj silnik; nowy komunikator wystartuje z zapisanymi plikami"],
  close: ["Close", "Zamknij"],
  run: ["Run", "Uruchom"],
  paneEditors: ["Editors", "Edytory"],
  paneMessenger: ["Messenger", "Komunikator"],
  paneResults: ["Results", "Wyniki"],
  script: ["Script", "Skrypt"],
  spam: ["Spam list", "Lista spamu"],
  edited: ["edited", "zmieniony"],
  editedTitle: ["The editors differ from the files the plugin runs; playing anything saves them first", "Edytory różnią się od plików wtyczki; każde zagranie najpierw je zapisuje"],
  commands: ["Commands ▾", "Polecenia ▾"],
  apply: ["Save & restart", "Zapisz"],
  applyTitle: ["Write both files and restart the messenger (Ctrl+S)", "Zapisz oba pliki i uruchom komunikator ponownie (Ctrl+S)"],
  keys: ["Ctrl+Enter receives the message · Ctrl+S saves · Ctrl+Space completes · Ctrl+. applies a fix · F8 next finding · Esc then Tab leaves the editor", "Ctrl+Enter odbiera wiadomość · Ctrl+S zapisuje · Ctrl+Spacja podpowiada · Ctrl+. poprawia · F8 następne znalezisko · Esc, potem Tab opuszcza edytor"],
  checker: ["Checker", "Sprawdzanie"],
  nothingFound: ["(nothing found)", "(nic nie znaleziono)"],
  line: ["line", "wiersz"],
  fix: ["Fix", "Popraw"],
  messenger: ["Messenger", "Komunikator"],
  messagePlaceholder: ["message", "wiadomość"],
  receive: ["Receive", "Odbierz"],
  receiveTitle: ["A message arrives from the contact", "Kontakt przysyła wiadomość"],
  send: ["Send", "Wyślij"],
  sendTitle: ["You send the message to the contact", "Wysyłasz wiadomość do kontaktu"],
  yourStatus: ["Your status", "Twój status"],
  set: ["Set", "Ustaw"],
  descriptionPlaceholder: ["description", "opis"],
  contacts: ["Contacts", "Kontakty"],
  contactId: ["id", "id"],
  contactName: ["name", "nazwa"],
  contactGroup: ["group", "grupa"],
  contactDescription: ["description", "opis"],
  flags: ["flags", "flagi"],
  addContact: ["Add or change", "Dodaj lub zmień"],
  popup: ["Popup", "Menu"],
  popupOf: ["Popup of", "Menu kontaktu"],
  popupNone: ["The plugin shows no items.", "Wtyczka nie pokazuje pozycji."],
  others: ["Other plugins and the messenger", "Inne wtyczki i komunikator"],
  callService: ["Call service", "Wywołaj usługę"],
  callServiceTitle: ["Another plugin calls KWARTLIN/PROC_BRIX", "Inna wtyczka wywołuje KWARTLIN/PROC_BRIX"],
  restart: ["Restart", "Restart"],
  restartTitle: ["The messenger closes and starts again", "Komunikator zamyka się i startuje ponownie"],
  commandPlaceholder: ["any simulator command, e.g. options show", "dowolne polecenie symulatora, np. options show"],
  results: ["What the plugin did", "Co zrobiła wtyczka"],
  pluginMenu: ["The plugin's menu items", "Pozycje menu wtyczki"],
  none: ["none", "brak"],
  variables: ["Variables", "Zmienne"],
  varName: ["name", "nazwa"],
  varValue: ["value", "wartość"],
  varSaved: ["saved", "zapisana"],
  yes: ["yes", "tak"],
  shown: ["shown", "pokazano"],
  trace: ["Trace of the last run", "Ślad ostatniego przebiegu"],
  output: ["Simulator output", "Wyjście symulatora"],
  goldenSame: ["· same as the golden transcript ✓", "· zgodne ze wzorcowym zapisem ✓"],
  goldenDiffers: ["· differs from the golden transcript ✗", "· różni się od wzorcowego zapisu ✗"],
  linkFiles: ["The link holds a script and a spam list; nothing has run. “Run” saves them and starts the messenger.", "Link zawiera skrypt i listę spamu; nic nie zostało uruchomione. „Uruchom” zapisuje je i startuje komunikator."],
  linkSession: ["The link holds a session: the files and {n} command lines played; nothing has run. “Run” plays it again.", "Link zawiera sesję: pliki i {n} wierszy poleceń; nic nie zostało uruchomione. „Uruchom” odtwarza ją."],
  linkBad: ["the link holds no script the page can read", "link nie zawiera skryptu, który strona umie odczytać"],
  linkTooBig: ["the link holds more than {limit} KiB; the page does not open it", "link zawiera więcej niż {limit} KiB; strona go nie otwiera"],
  linkWrongType: ["the link’s {what} is not a text; the page does not open it", "{what} w linku nie jest tekstem; strona go nie otwiera"],
  shareTooBig: ["the session holds more than {limit} KiB, more than a link may hold; no link made", "sesja zawiera więcej niż {limit} KiB, więcej niż może zawierać link; nie utworzono linku"],
  replaceQuestion: ["The editors or the saved files hold your own work. Open the new link in their place?", "Edytory lub zapisane pliki zawierają twoją pracę. Otworzyć zamiast nich nowy link?"],
  replace: ["Open the link", "Otwórz link"],
  replaceByExample: ["The editors or the saved files hold your own work. Open the example {name} in their place?", "Edytory lub zapisane pliki zawierają twoją pracę. Otworzyć zamiast nich przykład {name}?"],
  openExample: ["Open the example", "Otwórz przykład"],
  keep: ["Keep my edits", "Zostaw moje zmiany"],
  shareSize: ["{n} characters", "{n} znaków"],
  stoppedByYou: ["stopped by you", "zatrzymane przez ciebie"],
  freshEngine: ["a fresh engine starts the messenger with the saved files", "nowy silnik startuje komunikator z zapisanymi plikami"],
  engineStopped: ["the engine stopped: ", "silnik stanął: "],
  notStarted: ["the engine did not start: ", "silnik nie wystartował: "],
  nothingSaved: ["(nothing was saved)", "(nic nie zapisano)"],
  actLoaded: ["the plugin is loaded", "wtyczka wczytana"],
  actRestarted: ["the messenger restarted", "komunikator uruchomiony ponownie"],
  actClosed: ["the messenger closed", "komunikator zamknięty"],
  actBecomes: ["becomes", "zmienia się w"],
  actOn: ["on", "na"],
  actNoItem: ["(no such item)", "(nie ma takiej pozycji)"],
  actReturned: ["returned", "zwróciła"],
  actNoService: ["the plugin has no service", "wtyczka nie ma usługi"],
  actOwnHook: ["(blocked by the plugin's own hook)", "(zablokowana przez własny hak wtyczki)"],
  actNoProtocol: ["(no such protocol)", "(nie ma takiego protokołu)"],
  actAdded: ["added", "dodana"],
  actRemoved: ["removed", "usunięta"],
  actWritten: ["written", "zapisany"],
  tag_messenger: ["messenger", "komunikator"],
  tag_sent: ["sent", "wysłana"],
  tag_blocked: ["blocked", "zablokowana"],
  tag_rewritten: ["rewritten", "zmieniona"],
  tag_passed: ["passed", "przepuszczona"],
  tag_status: ["status", "status"],
  tag_menu: ["menu", "menu"],
  tag_settings: ["settings", "ustawienia"],
  tag_popup: ["popup", "menu kontaktu"],
  tag_click: ["click", "kliknięcie"],
  tag_service: ["service", "usługa"],
  cannotDownload: ["{file} line {line}: “{character}” has no Windows-1250 byte; nothing downloaded", "{file}, wiersz {line}: znak „{character}” nie istnieje w Windows-1250; nic nie pobrano"],
  notSavedState: ["not saved: see the output", "nie zapisano: zobacz wyjście"],
  copied: ["copied", "skopiowano"],
  copyByHand: ["copy it from the box", "skopiuj go z pola"],
  emptyQuestion: ["The editors hold edits that are not saved. Start an empty messenger and empty the editors?", "Edytory zawierają niezapisane zmiany. Uruchomić pusty komunikator i wyczyścić edytory?"],
  emptyYes: ["Empty them", "Wyczyść"],
  linkOverKept: ["The link would replace the work kept from your last visit. Open the link?", "Link zastąpi pracę zachowaną z poprzedniej wizyty. Otworzyć link?"],
  keepKept: ["Keep my work", "Zostaw moją pracę"],
  framed: ["the playground does not run inside another site's page; open it on its own", "piaskownica nie działa wewnątrz strony innej witryny; otwórz ją osobno"],
  spamTester: ["Test a text against the list", "Sprawdź tekst z listą"],
  spamTesterPlaceholder: ["a message to test", "wiadomość do sprawdzenia"],
  spamVerdictSpam: ["spam: CHKSPAM gives 1 ({n} of {rules} rules match)", "spam: CHKSPAM daje 1 (pasuje {n} z {rules} reguł)"],
  spamVerdictClean: ["no spam: CHKSPAM gives 0 (none of {rules} rules matches)", "nie spam: CHKSPAM daje 0 (nie pasuje żadna z {rules} reguł)"],
  spamFolded: ["as the rules see it:", "tak widzą go reguły:"],
  spamMatches: ["matches:", "pasuje:"],
  spamMissing: ["found nothing for:", "nic nie znaleziono dla:"],
  announceMessage: ["{what}: {how}", "{what}: {how}"],
  runMessage: ["Run ▶", "Uruchom ▶"],
  runMessageTitle: ["The message of the messenger pane arrives: the script runs on it (Ctrl+Enter)", "Wiadomość z panelu komunikatora przychodzi: skrypt działa na niej (Ctrl+Enter)"],
  guide: ["Guide", "Przewodnik"],
  lastRunValue: ["its value after the last run", "wartość po ostatnim przebiegu"],
  moreInGuide: ["more in the guide", "więcej w przewodniku"],
  ran_ran: ["the last run reached this line", "ostatni przebieg doszedł do tego wiersza"],
  ran_true: ["this IF came out true in the last run", "ten IF wyszedł prawdziwy w ostatnim przebiegu"],
  ran_false: ["this IF came out false in the last run", "ten IF wyszedł fałszywy w ostatnim przebiegu"],
  tag_end: ["run ended", "koniec"],
  traceOmitted: ["… {n} rows left out here; the run's last rows follow", "… tu pominięto {n} wierszy; dalej ostatnie wiersze przebiegu"],
  runEnded: ["the run ended:", "przebieg zakończony:"],
  end_end: ["after the last line", "po ostatnim wierszu"],
  end_exit: ["at EXIT", "na EXIT"],
  end_lines: ["at its bound of lines", "na limicie wierszy"],
  end_bytes: ["at its bound of bytes", "na limicie bajtów"],
  end_value: ["at the bound of a value's length", "na limicie długości wartości"],
  end_calls: ["at the bound of open CALLs", "na limicie otwartych CALL"],
  end_nesting: ["nested too deep: nothing ran", "zbyt głęboko zagnieżdżony: nic nie wykonano"],
  'end_no-entry': ["its entry label is missing: nothing ran", "brak etykiety wejścia: nic nie wykonano"],
  end_empty: ["the script is empty: nothing ran", "skrypt jest pusty: nic nie wykonano"],
  end_failure: ["memory ran out", "zabrakło pamięci"],
};
const LANGUAGES = ['en', 'pl'];

const LANGUAGE_KEY = 'kwartlin-playground-language';
let pageLanguage = 'en';

// A word of the page in its language, with {name} places filled from values.
function t(key, values) {
  const words = WORDS[key];
  const text = words ? words[LANGUAGES.indexOf(pageLanguage)] || words[0] : key;
  return values ? text.replace(/\{(\w+)\}/g, (all, name) => (name in values ? String(values[name]) : all)) : text;
}

function chosenLanguage() {
  let stored = null;
  try {
    stored = localStorage.getItem(LANGUAGE_KEY);
  } catch (e) {
    // storage may be closed to the page; the browser's language then decides
  }
  if (LANGUAGES.includes(stored)) return stored;
  const wanted = navigator.languages && navigator.languages.length ? navigator.languages : [navigator.language || 'en'];
  for (const l of wanted) {
    const code = String(l).slice(0, 2).toLowerCase();
    if (LANGUAGES.includes(code)) return code;
  }
  return 'en';
}

// Puts the page's static words into the chosen language.
function applyLanguage(language, remember) {
  pageLanguage = LANGUAGES.includes(language) ? language : 'en';
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
