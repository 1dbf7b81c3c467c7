// The user's keys, mouse and fingers: to the open overlay when there is
// one, else to the reels' rules in the core.
import { core } from './core.js';
import { canvas, machine, session } from './machine_window.js';
import {
  closeOverlay, currentOverlay, inputBlocked, onAboutKeyDown, onMenuKeyDown, openCongratulations, openMenu, Overlay,
} from './overlays.js';

const LONG_PRESS = 500;  // ms a finger rests before the menu opens
const LONG_PRESS_SLOP = 10;  // px a resting finger may wander

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

// The page holds nothing else that takes keys, so the machine has them
// wherever the focus is, as long as it is up on the page.
const reelsTakeKeys = () => session.running && !session.minimised;

function onKeyDown(e) {
  switch (currentOverlay()) {
  case Overlay.Congratulations: if (!browserKey(e)) e.preventDefault(); return;  // a held key leaves it up
  case Overlay.Menu: onMenuKeyDown(e); return;
  case Overlay.About: onAboutKeyDown(e); return;
  default: break;
  }
  if (!reelsTakeKeys() || browserKey(e) || navigationKey(e)) return;
  e.preventDefault();
  core.key_down(virtualKey(e));
}

function onKeyUp(e) {
  if (currentOverlay() === Overlay.Congratulations) {
    // Alt and F10 are the system's, as on Windows: their release leaves it up.
    if (!e.altKey && e.key !== 'Alt' && e.key !== 'F10') closeOverlay();
    return;
  }
  if (inputBlocked() || !reelsTakeKeys() || browserKey(e)) return;
  if (core.key_up()) openCongratulations();
}

function clientPoint(e) {
  const rect = canvas.getBoundingClientRect();
  return { x: Math.floor(e.clientX - rect.left), y: Math.floor(e.clientY - rect.top) };
}

function onCanvasMouseUp(e) {
  if (inputBlocked()) return;
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
    if (e.touches.length !== 1 || inputBlocked()) return;
    const touch = e.touches[0];
    press = { x: touch.clientX, y: touch.clientY, fired: false };
    const mine = press;
    press.timer = window.setTimeout(() => {
      mine.fired = true;
      if (!inputBlocked()) openMenu(mine.x, mine.y);
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

export function setUpInput() {
  document.addEventListener('keydown', onKeyDown);
  document.addEventListener('keyup', onKeyUp);
  canvas.addEventListener('mouseup', onCanvasMouseUp);
  // A press anywhere on the machine gives its reels the keys, as
  // activating a window does; while input is blocked the focus stays in
  // the box or picture.
  machine.addEventListener('mousedown', (e) => {
    e.preventDefault();
    if (!inputBlocked()) canvas.focus({ preventScroll: true });
  });
  // The page's own menu replaces the browser's, on the machine and its boxes.
  document.addEventListener('contextmenu', (e) => {
    if (e.target === canvas && e.pointerType === 'touch' && !inputBlocked()) openMenu(e.clientX, e.clientY);
    if (e.target !== document.body && e.target !== document.documentElement) e.preventDefault();
  });
  watchLongPress();
}
