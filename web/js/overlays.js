// What opens over the machine: its context menu, the About box and the
// congratulations picture. At most one is up; while one is, or the machine
// is gone, the reels take no input. All three close the same way.
import { commandId, core, language, menuItems, position, text } from './core.js';
import { canvas, dragBy, focusReels, ownerRect, session, viewport } from './machine_window.js';
import { CONGRATULATIONS, showPicture } from './pictures.js';

export const Overlay = Object.freeze({
  None: 'none', Menu: 'menu', About: 'about', Congratulations: 'congratulations',
});

const $ = (id) => document.getElementById(id);
const menu = $('menu');
const about = $('about');
const congratulations = $('congratulations');
const elements = { [Overlay.Menu]: menu, [Overlay.About]: about, [Overlay.Congratulations]: congratulations };

let overlay = Overlay.None;
let aboutOrigin = { x: 0, y: 0 };
let exitMachine = () => {};

export const currentOverlay = () => overlay;
export const inputBlocked = () => !session.running || overlay !== Overlay.None;

function open(kind) {
  elements[kind].hidden = false;
  overlay = kind;
}
export function closeOverlay() {
  if (overlay === Overlay.None) return;
  elements[overlay].hidden = true;
  overlay = Overlay.None;
  focusReels();
}

// ---- Congratulations ----

export function openCongratulations() {
  if (overlay === Overlay.Congratulations) return;
  const width = core.picture_width(CONGRATULATIONS);
  const height = core.picture_height(CONGRATULATIONS);
  if (!showPicture(congratulations, CONGRATULATIONS)) return;  // absent: the reels just stay
  const screen = viewport();
  const origin = position(core.centre_on_screen(width, height, screen.cx, screen.cy));
  congratulations.style.left = `${origin.x}px`;
  congratulations.style.top = `${origin.y}px`;
  open(Overlay.Congratulations);
  congratulations.focus();
}

// The picture drawn again at a new device scale.
export function redrawCongratulations() {
  if (overlay === Overlay.Congratulations) showPicture(congratulations, CONGRATULATIONS);
}

// ---- Context menu ----

export function openMenu(x, y) {
  if (overlay !== Overlay.None || !session.running) return;
  menu.replaceChildren(...menuItems().map((item) => {
    const row = document.createElement('div');
    row.className = 'menu-item';
    row.setAttribute('role', 'menuitem');
    row.textContent = item.text;
    row.dataset.command = String(item.id);
    row.addEventListener('mouseenter', () => highlight(row));
    row.addEventListener('mouseup', () => chooseCommand(item.id));
    return row;
  }));
  open(Overlay.Menu);
  // The menu opens at the pointer, pulled back where it would leave the page.
  const screen = viewport();
  menu.style.left = `${Math.max(0, Math.min(x, screen.cx - menu.offsetWidth))}px`;
  menu.style.top = `${Math.max(0, Math.min(y, screen.cy - menu.offsetHeight))}px`;
}
function highlight(row) {
  for (const item of menu.children) item.classList.toggle('active', item === row);
}
function chooseCommand(id) {
  closeOverlay();
  if (id === commandId('about')) openAbout();
  else if (id === commandId('exit')) exitMachine();
}
export function onMenuKeyDown(e) {
  const rows = [...menu.children];
  const at = rows.findIndex((row) => row.classList.contains('active'));
  e.preventDefault();
  if (e.key === 'Escape') closeOverlay();
  else if (e.key === 'ArrowDown' || e.key === 'ArrowUp') {
    highlight(rows[(at + (e.key === 'ArrowDown' ? 1 : rows.length - (at < 0 ? 0 : 1))) % rows.length]);
  } else if (e.key === 'Enter' && at >= 0) chooseCommand(Number(rows[at].dataset.command));
  else {
    const item = menuItems().find((entry) => entry.key === e.key.toLowerCase());
    if (item) chooseCommand(item.id);
  }
}

// A press outside the open menu closes it and is the menu's, as on
// Windows: neither it nor its release on the reels reaches the machine.
function dismissMenuByPress(e) {
  if (overlay !== Overlay.Menu || menu.contains(e.target)) return;
  e.preventDefault();
  e.stopPropagation();
  closeOverlay();
  const forget = () => {
    window.removeEventListener('mouseup', swallow, true);
    window.removeEventListener('mousedown', forget, true);
  };
  const swallow = (up) => {
    if (up.target !== canvas) return;
    up.stopPropagation();
    forget();
  };
  window.addEventListener('mouseup', swallow, true);
  window.addEventListener('mousedown', forget, true);
}

// ---- About box ----

function moveAbout(x, y) {
  aboutOrigin = position(core.clamp_proposed(x, y, about.offsetWidth, about.offsetHeight, viewport().cx,
    viewport().cy));
  about.style.left = `${aboutOrigin.x}px`;
  about.style.top = `${aboutOrigin.y}px`;
}

function openAbout() {
  $('about-title').textContent = text(`about.caption.${language()}`);
  $('about-credit').textContent = text('credit.1');  // each opening starts from the template
  open(Overlay.About);
  const { origin, outer } = ownerRect();
  const screen = viewport();
  const centre = position(core.centre_over_owner(origin.x, origin.y, outer.cx, outer.cy, about.offsetWidth,
    about.offsetHeight, screen.cx, screen.cy));
  moveAbout(centre.x, centre.y);
  $('about-ok').focus();
}

// The box is modal: its keys wherever the focus went.
export function onAboutKeyDown(e) {
  if (e.key === 'Escape' || e.key === 'Enter') {
    e.preventDefault();
    closeOverlay();
  } else if (e.key === 'Tab') {
    e.preventDefault();  // OK is the box's only stop
    $('about-ok').focus();
  }
}

function setUpAbout() {
  $('about-ok').addEventListener('click', closeOverlay);
  $('about-close-box').addEventListener('click', closeOverlay);
  $('about-credit').addEventListener('pointerdown', (e) => {
    if (e.button !== 0) return;
    const credit = text(`credit.${core.credit_click()}`);
    if (credit) $('about-credit').textContent = credit;
  });
  const place = (x, y) => {
    if (x !== undefined) moveAbout(x, y);
    return aboutOrigin;
  };
  // The body drags the box as its caption does; the credit and OK do not.
  dragBy($('about-body'), (e) => e.target !== $('about-credit') && e.target !== $('about-ok'), place);
  dragBy($('about-caption'), (e) => e.target !== $('about-close-box'), place);
}

export function setUpOverlays({ exit }) {
  exitMachine = exit;
  document.addEventListener('mousedown', dismissMenuByPress, true);
  congratulations.addEventListener('mouseup', (e) => { if (e.button === 0) closeOverlay(); });
  setUpAbout();
}
