// The slot machine's web front end: the page's events and timer drive the
// core compiled to WebAssembly (muslot.wasm), which decides; this script
// only shows what it decides. Start-up sets everything up and returns.
'use strict';

(() => {
  const PICTURE_FILES = ['panel.bmp', 'strip.bmp', 'lamp_run.bmp', 'lamp_stop.bmp', 'congrats.bmp'];
  const PANEL = 0;
  const CONGRATULATIONS = 4;
  const REFRESH_PERIOD = 100;  // ms: ten frames a second
  // The frame of a captioned window without sizing border, as on Windows.
  const CAPTION_HEIGHT = 18;
  const BORDER = 1;
  const SETTINGS_KEY = 'MUSLOT.INI';
  const SETTING = { PosX: 0, PosY: 1, FitPos: 2, Language: 3 };
  const LOCK_NAME = 'muslot-machine';
  const CHANNEL_NAME = 'muslot';
  const LONG_PRESS = 500;  // ms a finger rests before the menu opens
  const LONG_PRESS_SLOP = 10;  // px a resting finger may wander
  const CREDIT_TEXT = ['', 'Programmed by Velnor', 'Programmed by ぺるぺる'];
  const ID_ABOUT = 40002;
  const ID_EXIT = 40003;

  // Texts by Language: 0 Japanese, anything else English. The menu items
  // are shown without their mnemonic groups; the Latin letter still chooses.
  const TEXTS = [
    {
      menu: [{ text: 'ﾊﾞｰｼﾞｮﾝ情報...', key: 'a', id: ID_ABOUT }, { text: '終了', key: 'x', id: ID_EXIT }],
      aboutCaption: 'ﾊﾞｰｼﾞｮﾝ情報',
      closed: 'ポルニカスロットを終了しました。もう一度遊ぶには、このページを再読み込みしてください。',
      runsElsewhere: 'ポルニカスロットはこのブラウザの別のタブで動いています。そちらのタブをご覧ください。',
      failed: 'ポルニカスロットを起動できませんでした。',
    },
    {
      menu: [{ text: 'About...', key: 'a', id: ID_ABOUT }, { text: 'Exit', key: 'x', id: ID_EXIT }],
      aboutCaption: 'About',
      closed: 'The slot machine has been closed. Reload this page to start it again.',
      runsElsewhere: 'The slot machine is already running in another tab of this browser; look there.',
      failed: 'The slot machine could not start.',
    },
  ];

  const $ = (id) => document.getElementById(id);
  const machine = $('machine');
  const canvas = $('client');
  const about = $('about');
  const menu = $('menu');
  const congratulations = $('congratulations');

  let core = null;        // the module's exports
  let texts = TEXTS[0];
  let timer = 0;
  let minimised = false;
  let running = false;    // from start until Exit
  let menuOpen = false;
  let aboutOpen = false;
  let congratulationsOpen = false;
  let releaseLock = null;
  let swallowMouseUp = false;  // the release of the press that closed the menu
  let aboutOrigin = { x: 0, y: 0 };
  let scale = 1;
  let back = null;        // the back buffer as an off-screen canvas
  let origin = { x: 0, y: 0 };
  let outer = { cx: 0, cy: 0 };

  // Storage may be refused (private modes, policies, quota): every access
  // is guarded, and a refusal is as good as an empty store.
  function loadSettingsText() {
    try { return window.localStorage.getItem(SETTINGS_KEY) || ''; } catch (e) { return ''; }
  }
  function storeSettingsText(text) {
    try { window.localStorage.setItem(SETTINGS_KEY, text); } catch (e) { /* not kept */ }
  }

  function viewport() {
    return { cx: document.documentElement.clientWidth, cy: document.documentElement.clientHeight };
  }

  // Text goes to the module as bytes, one per character; what Latin-1
  // cannot hold cannot spell a key and becomes '?'.
  function toTransfer(bytes) {
    const at = core.transfer_buffer(bytes.length);
    if (!at && bytes.length) return false;
    new Uint8Array(core.memory.buffer, at, bytes.length).set(bytes);
    return true;
  }
  function latin1(text) {
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i) > 0xFF ? 0x3F : text.charCodeAt(i);
    return bytes;
  }

  function readSettings() {
    let text = loadSettingsText();
    if (text.charCodeAt(0) === 0xFEFF) text = text.slice(1);
    const bytes = latin1(text);
    core.settings_read(toTransfer(bytes) ? bytes.length : 0);
    // The page's own switches: ?Language=1&FitPos=0, kept like the rest.
    const query = new URLSearchParams(window.location.search);
    for (const name of ['FitPos', 'Language']) {
      const value = query.get(name);
      if (value !== null && /^\s*[+-]?\d+/.test(value)) core.set_setting(SETTING[name], Number.parseInt(value, 10) | 0);
    }
  }

  function writeSettings() {
    if (!running) return;
    const length = core.settings_text_length();
    const bytes = new Uint8Array(core.memory.buffer, core.settings_text(), length);
    storeSettingsText(String.fromCharCode(...bytes));
  }

  async function fetchBytes(name) {
    const response = await fetch(name);
    if (!response.ok) throw new Error(name);
    return new Uint8Array(await response.arrayBuffer());
  }

  // A picture that cannot be fetched or read stays absent, as a missing
  // resource does.
  function fetchPictures() {
    return Promise.all(PICTURE_FILES.map((name) => fetchBytes(name).catch(() => null)));
  }
  function loadPictures(files) {
    files.forEach((bytes, slot) => {
      if (bytes && toTransfer(bytes)) core.picture_load(slot, bytes.length);
    });
  }

  function pictureImage(slot) {
    const width = core.picture_width(slot);
    const height = core.picture_height(slot);
    const at = core.picture_pixels(slot);
    if (!at || !width || !height) return null;
    return new ImageData(new Uint8ClampedArray(core.memory.buffer, at, width * height * 4), width, height);
  }

  // Whole-number scale on high-density screens, without smoothing, so
  // every picture pixel stays a crisp square.
  function sizeCanvas(target, width, height) {
    target.style.width = `${width}px`;
    target.style.height = `${height}px`;
    target.width = width * scale;
    target.height = height * scale;
    const context = target.getContext('2d');
    context.imageSmoothingEnabled = false;
    return context;
  }

  function showPicture(target, slot) {
    const image = pictureImage(slot);
    if (!image) return false;
    const source = document.createElement('canvas');
    source.width = image.width;
    source.height = image.height;
    source.getContext('2d').putImageData(image, 0, 0);
    sizeCanvas(target, image.width, image.height).drawImage(source, 0, 0, image.width * scale, image.height * scale);
    return true;
  }

  function present() {
    const image = pictureImage(PANEL);
    if (!image) return;
    back.getContext('2d').putImageData(image, 0, 0);
    const context = canvas.getContext('2d');
    context.imageSmoothingEnabled = false;
    context.drawImage(back, 0, 0, image.width * scale, image.height * scale);
  }

  function rescale() {
    const now = Math.max(1, Math.floor(window.devicePixelRatio));
    if (now === scale) return;
    scale = now;
    sizeCanvas(canvas, core.background_width(), core.background_height());
    present();
    if (congratulationsOpen) showPicture(congratulations, CONGRATULATIONS);
  }

  // The window moved to a screen of another density, or the page zoomed.
  function watchScale() {
    const query = window.matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`);
    query.addEventListener('change', () => {
      rescale();
      watchScale();
    }, { once: true });
  }

  // The refresh tick; a minimised machine or a hidden tab draws nothing
  // and its reels do not move on.
  function onTimer() {
    if (minimised || document.hidden) return;
    core.tick();
    present();
  }

  // ---- The machine's window ----

  function moveMachine(x, y) {
    core.clamp_proposed(x, y, outer.cx, outer.cy, viewport().cx, viewport().cy);
    origin = { x: core.origin_x(), y: core.origin_y() };
    machine.style.left = `${origin.x}px`;
    machine.style.top = `${origin.y}px`;
    core.remember_position(origin.x, origin.y, outer.cx, outer.cy, minimised ? 1 : 0);
  }

  function placeMachine() {
    outer = { cx: core.outer_width(BORDER), cy: core.outer_height(BORDER, CAPTION_HEIGHT) };
    machine.style.width = `${outer.cx}px`;
    machine.style.height = `${outer.cy}px`;
    const screen = viewport();
    core.initial_position(outer.cx, outer.cy, screen.cx, screen.cy);
    moveMachine(core.origin_x(), core.origin_y());
  }

  function disabled() { return !running || aboutOpen || congratulationsOpen || menuOpen; }

  function minimise() {
    minimised = true;
    machine.hidden = true;
    $('minimised').hidden = false;
  }
  function restore() {
    minimised = false;
    machine.hidden = false;
    $('minimised').hidden = true;
    canvas.focus();
  }

  function exitMachine() {
    if (!running) return;
    window.clearInterval(timer);
    writeSettings();
    running = false;
    machine.hidden = true;
    $('minimised').hidden = true;
    if (releaseLock) releaseLock();
    tell(texts.closed);
    document.body.dataset.state = 'closed';
  }

  function tell(text) {
    const notice = $('notice');
    notice.textContent = text;
    notice.hidden = false;
  }

  // Drags with pointer capture, so a finger or the mouse may leave the
  // element while it moves it.
  function dragBy(handle, shouldStart, move) {
    handle.addEventListener('pointerdown', (e) => {
      if (e.button !== 0 || !shouldStart(e)) return;
      const start = { x: e.clientX, y: e.clientY };
      const from = move();
      handle.setPointerCapture(e.pointerId);
      const onMove = (m) => move(from.x + m.clientX - start.x, from.y + m.clientY - start.y);
      const onEnd = () => {
        handle.removeEventListener('pointermove', onMove);
        handle.removeEventListener('pointerup', onEnd);
        handle.removeEventListener('pointercancel', onEnd);
      };
      handle.addEventListener('pointermove', onMove);
      handle.addEventListener('pointerup', onEnd);
      handle.addEventListener('pointercancel', onEnd);
    });
  }

  // ---- Input on the reels ----

  // The key codes the rules know: 1-4 on the main keyboard are 0x31-0x34,
  // on the keypad (with Num Lock) 0x61-0x64; any other key stops nothing.
  function virtualKey(e) {
    const digit = /^Digit(\d)$/.exec(e.code);
    if (digit) return 0x30 + Number(digit[1]);
    const pad = /^Numpad(\d)$/.exec(e.code);
    if (pad && /^\d$/.test(e.key)) return 0x60 + Number(pad[1]);
    if (!e.code && /^\d$/.test(e.key)) return 0x30 + Number(e.key);  // screen keyboards
    // Any other key: its own code, never one of those that stop reels.
    const code = e.keyCode || 0xFF;
    return (code >= 0x31 && code <= 0x34) || (code >= 0x61 && code <= 0x64) ? 0xFF : code;
  }

  // Keys the browser keeps, as Windows keeps Alt, F10 and Alt combinations.
  function browserKey(e) {
    return e.altKey || e.ctrlKey || e.metaKey || /^(Alt|Control|Meta|OS|ContextMenu|F\d+)$/.test(e.key) ||
      e.isComposing;
  }
  // Keys whose presses Windows' dialog filter takes before the window sees
  // them; their releases still count.
  function navigationKey(e) {
    return /^(Tab|Enter|Escape|Arrow(Up|Down|Left|Right))$/.test(e.key);
  }

  function onMachineKeyDown(e) {
    if (browserKey(e) || navigationKey(e)) return;
    e.preventDefault();
    core.key_down(virtualKey(e));
  }
  function onMachineKeyUp(e) {
    if (browserKey(e)) return;
    if (core.key_up()) openCongratulations();
  }

  function clientPoint(e) {
    const rect = canvas.getBoundingClientRect();
    return { x: Math.floor(e.clientX - rect.left), y: Math.floor(e.clientY - rect.top) };
  }

  function onCanvasMouseUp(e) {
    if (swallowMouseUp) { swallowMouseUp = false; return; }
    if (disabled()) return;
    const point = clientPoint(e);
    if (e.button === 0) {
      if (core.left_button_up(((point.y & 0xFFFF) << 16 | (point.x & 0xFFFF)) >>> 0)) openCongratulations();
    } else if (e.button === 2) {
      openMenu(e.clientX, e.clientY);
    }
  }

  // A finger resting on the reels opens the menu, as the right button does.
  function watchLongPress() {
    let press = null;
    const cancel = () => { if (press) window.clearTimeout(press.timer); press = null; };
    canvas.addEventListener('touchstart', (e) => {
      cancel();
      if (e.touches.length !== 1 || disabled()) return;
      const touch = e.touches[0];
      press = { x: touch.clientX, y: touch.clientY, fired: false };
      const mine = press;
      press.timer = window.setTimeout(() => {
        mine.fired = true;
        if (!disabled()) openMenu(mine.x, mine.y);
      }, LONG_PRESS);
    }, { passive: true });
    canvas.addEventListener('touchmove', (e) => {
      const touch = e.touches[0];
      if (press && touch && Math.hypot(touch.clientX - press.x, touch.clientY - press.y) > LONG_PRESS_SLOP) cancel();
    }, { passive: true });
    canvas.addEventListener('touchend', (e) => {
      // After a long press the finger's release is no click.
      if (press && press.fired) e.preventDefault();
      cancel();
    });
    canvas.addEventListener('touchcancel', cancel);
  }

  // ---- Congratulations ----

  function openCongratulations() {
    if (congratulationsOpen) return;
    const width = core.picture_width(CONGRATULATIONS);
    const height = core.picture_height(CONGRATULATIONS);
    if (!showPicture(congratulations, CONGRATULATIONS)) return;  // absent: the reels just stay
    const screen = viewport();
    congratulations.style.left = `${Math.trunc((screen.cx - width) / 2)}px`;
    congratulations.style.top = `${Math.trunc((screen.cy - height) / 2)}px`;
    congratulations.hidden = false;
    congratulationsOpen = true;
    congratulations.focus();
  }
  function closeCongratulations() {
    congratulations.hidden = true;
    congratulationsOpen = false;
    if (running && !minimised) canvas.focus();
  }

  // ---- Context menu ----

  function openMenu(x, y) {
    if (menuOpen || !running) return;
    menu.replaceChildren(...texts.menu.map((item) => {
      const row = document.createElement('div');
      row.className = 'menu-item';
      row.setAttribute('role', 'menuitem');
      row.textContent = item.text;
      row.dataset.command = String(item.id);
      row.addEventListener('mouseenter', () => highlight(row));
      row.addEventListener('mouseup', () => chooseCommand(item.id));
      return row;
    }));
    menu.hidden = false;
    menuOpen = true;
    // The menu opens at the pointer, pulled back where it would leave the page.
    const screen = viewport();
    menu.style.left = `${Math.max(0, Math.min(x, screen.cx - menu.offsetWidth))}px`;
    menu.style.top = `${Math.max(0, Math.min(y, screen.cy - menu.offsetHeight))}px`;
  }
  function highlight(row) {
    for (const item of menu.children) item.classList.toggle('active', item === row);
  }
  function closeMenu() {
    menu.hidden = true;
    menuOpen = false;
    if (running && !minimised) canvas.focus();
  }
  function chooseCommand(id) {
    closeMenu();
    if (id === ID_ABOUT) openAbout();
    else if (id === ID_EXIT) exitMachine();
  }
  function onMenuKeyDown(e) {
    const rows = [...menu.children];
    const at = rows.findIndex((row) => row.classList.contains('active'));
    e.preventDefault();
    if (e.key === 'Escape') closeMenu();
    else if (e.key === 'ArrowDown' || e.key === 'ArrowUp') {
      highlight(rows[(at + (e.key === 'ArrowDown' ? 1 : rows.length - (at < 0 ? 0 : 1))) % rows.length]);
    } else if (e.key === 'Enter' && at >= 0) chooseCommand(Number(rows[at].dataset.command));
    else {
      const item = texts.menu.find((entry) => entry.key === e.key.toLowerCase());
      if (item) chooseCommand(item.id);
    }
  }

  // ---- About box ----

  function aboutSize() { return { cx: about.offsetWidth, cy: about.offsetHeight }; }

  function moveAbout(x, y) {
    const box = aboutSize();
    core.clamp_proposed(x, y, box.cx, box.cy, viewport().cx, viewport().cy);
    aboutOrigin = { x: core.origin_x(), y: core.origin_y() };
    about.style.left = `${aboutOrigin.x}px`;
    about.style.top = `${aboutOrigin.y}px`;
  }

  function openAbout() {
    $('about-title').textContent = texts.aboutCaption;
    $('about-credit').textContent = CREDIT_TEXT[1];  // each opening starts from the template
    about.hidden = false;
    aboutOpen = true;
    const box = aboutSize();
    const screen = viewport();
    core.centre_over_owner(origin.x, origin.y, outer.cx, outer.cy, box.cx, box.cy, screen.cx, screen.cy);
    moveAbout(core.origin_x(), core.origin_y());
    $('about-ok').focus();
  }
  function closeAbout() {
    about.hidden = true;
    aboutOpen = false;
    if (running && !minimised) canvas.focus();
  }

  // The box is modal: its keys wherever the focus went.
  function onAboutKeyDown(e) {
    if (e.key === 'Escape' || e.key === 'Enter') {
      e.preventDefault();
      closeAbout();
    } else if (e.key === 'Tab') {
      e.preventDefault();  // OK is the box's only stop
      $('about-ok').focus();
    }
  }

  function setUpAbout() {
    $('about-ok').addEventListener('click', closeAbout);
    $('about-close-box').addEventListener('click', closeAbout);
    $('about-credit').addEventListener('pointerdown', (e) => {
      if (e.button !== 0) return;
      const text = CREDIT_TEXT[core.credit_click()];
      if (text) $('about-credit').textContent = text;
    });
    const position = (x, y) => {
      if (x !== undefined) moveAbout(x, y);
      return aboutOrigin;
    };
    // The body drags the box as its caption does; the credit and OK do not.
    dragBy($('about-body'), (e) => e.target !== $('about-credit') && e.target !== $('about-ok'), position);
    dragBy($('about-caption'), (e) => e.target !== $('about-close-box'), position);
  }

  // ---- Wiring ----

  function setUpInput() {
    document.addEventListener('keydown', (e) => {
      if (congratulationsOpen) { if (!browserKey(e)) e.preventDefault(); return; }  // a held key leaves it up
      if (menuOpen) { onMenuKeyDown(e); return; }
      if (aboutOpen) { onAboutKeyDown(e); return; }
      if (!running || document.activeElement !== canvas) return;
      onMachineKeyDown(e);
    });
    document.addEventListener('keyup', (e) => {
      if (congratulationsOpen) {
        // Alt and F10 are the system's, as on Windows: their release leaves it up.
        if (!e.altKey && e.key !== 'Alt' && e.key !== 'F10') closeCongratulations();
        return;
      }
      if (disabled() || document.activeElement !== canvas) return;
      onMachineKeyUp(e);
    });
    canvas.addEventListener('mouseup', onCanvasMouseUp);
    // A press anywhere on the machine gives its reels the keys, as
    // activating a window does; a disabled machine leaves the focus in its
    // box or picture.
    machine.addEventListener('mousedown', (e) => {
      e.preventDefault();
      if (!disabled()) canvas.focus();
    });
    // The page's own menu replaces the browser's, on the machine and its boxes.
    document.addEventListener('contextmenu', (e) => {
      if (e.target === canvas && e.pointerType === 'touch' && !disabled()) openMenu(e.clientX, e.clientY);
      if (e.target !== document.body && e.target !== document.documentElement) e.preventDefault();
    });
    watchLongPress();
    congratulations.addEventListener('mouseup', (e) => { if (e.button === 0) closeCongratulations(); });
    document.addEventListener('mousedown', (e) => {
      swallowMouseUp = false;
      if (menuOpen && !menu.contains(e.target)) {
        e.preventDefault();
        e.stopPropagation();
        swallowMouseUp = true;
        closeMenu();
      }
    }, true);
    $('close-box').addEventListener('click', () => { if (!disabled()) exitMachine(); });
    $('minimise-box').addEventListener('click', () => { if (!disabled()) minimise(); });
    $('minimised').addEventListener('click', restore);
    dragBy($('machine-caption'), (e) => !disabled() && !e.target.classList.contains('caption-box'),
      (x, y) => { if (x !== undefined) moveMachine(x, y); return origin; });
    window.addEventListener('resize', () => {
      if (!running) return;
      rescale();
      moveMachine(origin.x, origin.y);
    });
    // The browser's end of a session: the page going out of sight or away.
    window.addEventListener('pagehide', writeSettings);
    document.addEventListener('visibilitychange', () => { if (document.hidden) writeSettings(); });
    setUpAbout();
  }

  function comeForward() {
    if (!running) return;
    if (minimised) restore();
    try { window.focus(); } catch (e) { /* the browser decides */ }
    if (!disabled()) canvas.focus();
  }

  async function loadCore() {
    const bytes = await fetchBytes('muslot.wasm');
    const { instance } = await WebAssembly.instantiate(bytes, {});
    return instance.exports;
  }

  // The module and the pictures come down side by side.
  async function startMachine() {
    const [exports, files] = await Promise.all([loadCore(), fetchPictures()]);
    core = exports;
    readSettings();
    texts = TEXTS[core.setting(SETTING.Language) === 0 ? 0 : 1];
    loadPictures(files);
    scale = Math.max(1, Math.floor(window.devicePixelRatio));
    back = document.createElement('canvas');
    back.width = core.background_width();
    back.height = core.background_height();
    sizeCanvas(canvas, back.width, back.height);
    machine.hidden = false;
    running = true;
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
    watchScale();
    canvas.focus();
    document.body.dataset.state = 'running';
  }

  // One machine per browser: a second tab hands over to the first.
  async function runsElsewhere() {
    core = await loadCore();
    readSettings();
    texts = TEXTS[core.setting(SETTING.Language) === 0 ? 0 : 1];
    tell(texts.runsElsewhere);
    document.body.dataset.state = 'elsewhere';
  }

  async function main() {
    try {
      const channel = 'BroadcastChannel' in window ? new BroadcastChannel(CHANNEL_NAME) : null;
      if (!navigator.locks) {  // no way to tell another tab: run here
        await startMachine();
        return;
      }
      await navigator.locks.request(LOCK_NAME, { ifAvailable: true }, async (lock) => {
        if (!lock) {
          if (channel) channel.postMessage('come-forward');
          await runsElsewhere();
          return;
        }
        if (channel) channel.onmessage = (e) => { if (e.data === 'come-forward') comeForward(); };
        await startMachine();
        // Held while the machine runs; the browser frees it with the tab.
        await new Promise((resolve) => { releaseLock = resolve; });
      });
    } catch (e) {
      running = false;
      machine.hidden = true;
      tell(texts.failed);
      document.body.dataset.state = 'failed';
    }
  }

  main();
})();
