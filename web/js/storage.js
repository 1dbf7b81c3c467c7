// The settings text, kept in localStorage under the settings file's name.
import { core, setSetting, text, toTransfer } from './core.js';

// Storage may be refused (private modes, policies, quota): every access
// is guarded, and a refusal is as good as an empty store.
function load() {
  try { return window.localStorage.getItem(text('settings.file')) || ''; } catch (e) { return ''; }
}
function store(value) {
  try { window.localStorage.setItem(text('settings.file'), value); } catch (e) { /* not kept */ }
}

// Text goes to the module as bytes, one per character; what Latin-1
// cannot hold cannot spell a key and becomes '?'.
function latin1(value) {
  const bytes = new Uint8Array(value.length);
  for (let i = 0; i < value.length; ++i) bytes[i] = value.charCodeAt(i) > 0xFF ? 0x3F : value.charCodeAt(i);
  return bytes;
}

export function readSettings() {
  let kept = load();
  if (kept.charCodeAt(0) === 0xFEFF) kept = kept.slice(1);
  const bytes = latin1(kept);
  core.settings_read(toTransfer(bytes) ? bytes.length : 0);
  // The page's own switches: ?Language=1&FitPos=0, kept like the rest.
  const query = new URLSearchParams(window.location.search);
  for (const name of ['FitPos', 'Language']) {
    const value = query.get(name);
    if (value !== null && /^\s*[+-]?\d+/.test(value)) setSetting(name, Number.parseInt(value, 10) | 0);
  }
}

export function writeSettings() {
  const length = core.settings_text_length();
  store(String.fromCharCode(...new Uint8Array(core.memory.buffer, core.settings_text(), length)));
}
