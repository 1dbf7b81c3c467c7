// The slot machine's web front end: the page's events and timer drive the
// core compiled to WebAssembly (muslot.wasm), which decides; these modules
// only show what it decides. Start-up sets everything up and returns.
import { core, language, loadCore, text } from './core.js';
import {
  canvas, closeWindow, focusReels, machine, placeMachine, restore, session, setUpFrame,
} from './machine_window.js';
import { inputBlocked, redrawCongratulations, setUpOverlays } from './overlays.js';
import { fetchPictures, loadPictures, present, rescale, setUpScreen, watchScale } from './pictures.js';
import { setUpInput } from './input.js';
import { keepForOffline } from './offline.js';
import { release, runAlone } from './single_tab.js';
import { readSettings, writeSettings } from './storage.js';

const REFRESH_PERIOD = 100;  // ms: ten frames a second

// The page's own notices, by language (0 Japanese, 1 English).
const NOTICES = [
  {
    closed: 'ポルニカスロットを終了しました。もう一度遊ぶには、このページを再読み込みしてください。',
    runsElsewhere: 'ポルニカスロットはこのブラウザの別のタブで動いています。そちらのタブをご覧ください。',
    failed: 'ポルニカスロットを起動できませんでした。',
  },
  {
    closed: 'The slot machine has been closed. Reload this page to start it again.',
    runsElsewhere: 'The slot machine is already running in another tab of this browser; look there.',
    failed: 'The slot machine could not start.',
  },
];

let notices = NOTICES[0];
let timer = 0;

function tell(notice) {
  const element = document.getElementById('notice');
  element.textContent = notice;
  element.hidden = false;
}

// The refresh tick; a minimised machine or a hidden tab draws nothing
// and its reels do not move on.
function onTimer() {
  if (session.minimised || document.hidden) return;
  core.tick();
  present();
}

function saveSettings() {
  if (session.running) writeSettings();
}

function exitMachine() {
  if (!session.running) return;
  window.clearInterval(timer);
  saveSettings();
  closeWindow();
  release();
  tell(notices.closed);
  document.body.dataset.state = 'closed';
}

function rescaleAll() {
  if (rescale()) redrawCongratulations();
}

// The program's texts where the page names them (data-text): the caption,
// the About box's lines.
function showTexts() {
  for (const element of document.querySelectorAll('[data-text]')) element.textContent = text(element.dataset.text);
}

function comeForward() {
  if (!session.running) return;
  if (session.minimised) restore();
  try { window.focus(); } catch (e) { /* the browser decides */ }
  if (!inputBlocked()) focusReels();
}

// The module and the pictures come down side by side.
async function startMachine() {
  const [, files] = await Promise.all([loadCore(), fetchPictures()]);
  readSettings();
  notices = NOTICES[language()];
  loadPictures(files);
  setUpScreen();
  showTexts();
  machine.hidden = false;
  session.running = true;
  placeMachine();
  core.start_play(Date.now() >>> 0);
  onTimer();  // the first frame before the timer's first tick
  performance.mark('muslot-first-frame');
  timer = window.setInterval(onTimer, REFRESH_PERIOD);
  // For the benchmark only: one whole tick on demand, drawn and shown.
  if (new URLSearchParams(window.location.search).has('bench')) {
    window.muslotBench = { tick: () => { core.tick(); present(); } };
  }
  setUpInput();
  setUpOverlays({ exit: exitMachine });
  setUpFrame({ blocked: inputBlocked, exit: exitMachine, rescale: rescaleAll });
  // The browser's end of a session: the page going out of sight or away.
  window.addEventListener('pagehide', saveSettings);
  document.addEventListener('visibilitychange', () => { if (document.hidden) saveSettings(); });
  watchScale(rescaleAll);
  canvas.focus({ preventScroll: true });
  document.body.dataset.state = 'running';
  keepForOffline();
}

async function runsElsewhere() {
  await loadCore();
  readSettings();
  notices = NOTICES[language()];
  tell(notices.runsElsewhere);
  document.body.dataset.state = 'elsewhere';
}

async function main() {
  try {
    await runAlone({ start: startMachine, elsewhere: runsElsewhere, comeForward });
  } catch (e) {
    session.running = false;
    machine.hidden = true;
    tell(notices.failed);
    document.body.dataset.state = 'failed';
  }
}

main();
