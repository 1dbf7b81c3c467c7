// The pictures on the page: fetched files handed to the core, its decoded
// pixels drawn on canvases at a whole-number scale, and the back buffer
// (the panel, where each tick draws) shown on the reels' canvas.
import { core, fetchBytes, pictureImage, toTransfer } from './core.js';

const PICTURE_FILES = ['panel.bmp', 'strip.bmp', 'lamp_run.bmp', 'lamp_stop.bmp', 'congrats.bmp'];
const PANEL = 0;
export const CONGRATULATIONS = 4;

const canvas = document.getElementById('client');
let scale = 1;
let back = null;  // the back buffer as an off-screen canvas

// A picture that cannot be fetched or read stays absent, as a missing
// resource does.
export function fetchPictures() {
  return Promise.all(PICTURE_FILES.map((name) => fetchBytes(name).catch(() => null)));
}
export function loadPictures(files) {
  files.forEach((bytes, slot) => {
    if (bytes && toTransfer(bytes)) core.picture_load(slot, bytes.length);
  });
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

// Draws a picture on a canvas sized to it; false while it is absent.
export function showPicture(target, slot) {
  const image = pictureImage(slot);
  if (!image) return false;
  const source = document.createElement('canvas');
  source.width = image.width;
  source.height = image.height;
  source.getContext('2d').putImageData(image, 0, 0);
  sizeCanvas(target, image.width, image.height).drawImage(source, 0, 0, image.width * scale, image.height * scale);
  return true;
}

export function setUpScreen() {
  scale = Math.max(1, Math.floor(window.devicePixelRatio));
  back = document.createElement('canvas');
  back.width = core.background_width();
  back.height = core.background_height();
  sizeCanvas(canvas, back.width, back.height);
}

export function present() {
  const image = pictureImage(PANEL);
  if (!image) return;
  back.getContext('2d').putImageData(image, 0, 0);
  const context = canvas.getContext('2d');
  context.imageSmoothingEnabled = false;
  context.drawImage(back, 0, 0, image.width * scale, image.height * scale);
}

// Follows the device scale; true when it changed and the reels were redrawn.
export function rescale() {
  const now = Math.max(1, Math.floor(window.devicePixelRatio));
  if (now === scale) return false;
  scale = now;
  sizeCanvas(canvas, core.background_width(), core.background_height());
  present();
  return true;
}

// The window moved to a screen of another density, or the page zoomed.
export function watchScale(changed) {
  const query = window.matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`);
  query.addEventListener('change', () => {
    changed();
    watchScale(changed);
  }, { once: true });
}
