// The machine's window and its frame, drawn by the page with the classic
// metrics: placed and clamped by the core, dragged by its caption,
// minimised to a button and closed by its boxes.
import { core, position } from './core.js';

const CAPTION_HEIGHT = 18;
const BORDER = 1;

const $ = (id) => document.getElementById(id);
export const machine = $('machine');
export const canvas = $('client');

export const session = {
  running: false,    // from start until Exit
  minimised: false,
};
let origin = { x: 0, y: 0 };
let outer = { cx: 0, cy: 0 };

export const viewport = () => ({ cx: document.documentElement.clientWidth, cy: document.documentElement.clientHeight });

// The desktop the machine is placed on: the viewport, grown to the window
// where the window is the larger (a phone on its side), so that the page
// scrolls to every part of it rather than pushing its caption out of sight.
function desktop() {
  const screen = viewport();
  return { cx: Math.max(screen.cx, outer.cx), cy: Math.max(screen.cy, outer.cy) };
}

// The window's place in the viewport and its outer size, which boxes
// centre over.
export const ownerRect = () => ({ origin: { x: origin.x - window.scrollX, y: origin.y - window.scrollY }, outer });

// The reels take the keys again, unless the machine is gone or minimised.
export function focusReels() {
  if (session.running && !session.minimised) canvas.focus({ preventScroll: true });
}

function moveMachine(x, y) {
  const screen = viewport();
  document.documentElement.classList.toggle('scrolls', outer.cx > screen.cx || outer.cy > screen.cy);
  origin = position(core.clamp_proposed(x, y, outer.cx, outer.cy, desktop().cx, desktop().cy));
  machine.style.left = `${origin.x}px`;
  machine.style.top = `${origin.y}px`;
  core.remember_position(origin.x, origin.y, outer.cx, outer.cy, session.minimised ? 1 : 0);
}

export function placeMachine() {
  outer = { cx: core.outer_width(BORDER), cy: core.outer_height(BORDER, CAPTION_HEIGHT) };
  machine.style.width = `${outer.cx}px`;
  machine.style.height = `${outer.cy}px`;
  const screen = desktop();
  const initial = position(core.initial_position(outer.cx, outer.cy, screen.cx, screen.cy));
  moveMachine(initial.x, initial.y);
}

function minimise() {
  session.minimised = true;
  machine.hidden = true;
  $('minimised').hidden = false;
}
export function restore() {
  session.minimised = false;
  machine.hidden = false;
  $('minimised').hidden = true;
  canvas.focus({ preventScroll: true });
}

// The window is gone for good (Exit).
export function closeWindow() {
  session.running = false;
  machine.hidden = true;
  $('minimised').hidden = true;
}

// Drags with pointer capture, so a finger or the mouse may leave the
// element while it moves it. move(x, y) moves; move() tells where it is.
export function dragBy(handle, shouldStart, move) {
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

// The frame's boxes and caption, which do nothing while input is blocked;
// a resized page pulls the window back (and may change the scale first).
export function setUpFrame({ blocked, exit, rescale }) {
  $('close-box').addEventListener('click', () => { if (!blocked()) exit(); });
  $('minimise-box').addEventListener('click', () => { if (!blocked()) minimise(); });
  $('minimised').addEventListener('click', restore);
  dragBy($('machine-caption'), (e) => !blocked() && !e.target.classList.contains('caption-box'),
    (x, y) => { if (x !== undefined) moveMachine(x, y); return origin; });
  window.addEventListener('resize', () => {
    if (!session.running) return;
    rescale();
    moveMachine(origin.x, origin.y);
  });
}
