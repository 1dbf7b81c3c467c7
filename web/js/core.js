// The core compiled to WebAssembly (muslot.wasm), which decides everything:
// loading it, handing it bytes, and reading what its exports answer out of
// its memory (positions, pictures, the program's texts and ids).

export let core = null;  // the module's exports
let texts = new Map();   // the program's texts and ids by name, from texts()

export async function fetchBytes(name) {
  const response = await fetch(name);
  if (!response.ok) throw new Error(name);
  return new Uint8Array(await response.arrayBuffer());
}

export async function loadCore() {
  const { instance } = await WebAssembly.instantiate(await fetchBytes('muslot.wasm'), {});
  core = instance.exports;
  const block = new Uint8Array(core.memory.buffer, core.texts());
  texts = new Map(new TextDecoder().decode(block.subarray(0, block.indexOf(0))).split('\n').filter(Boolean)
    .map((line) => [line.slice(0, line.indexOf('=')), line.slice(line.indexOf('=') + 1)]));
}

export const text = (name) => texts.get(name) ?? '';
export const commandId = (name) => Number(texts.get(`id.${name}`));
const settingIndex = (name) => Number(texts.get(`setting.${name}`));
export const setting = (name) => core.setting(settingIndex(name));
export const setSetting = (name, value) => core.set_setting(settingIndex(name), value);

// The texts' language by the Language setting: 0 Japanese, anything else English.
export const language = () => (setting('Language') === 0 ? 0 : 1);

// The menu items of the language's popup, in order, shown without their
// mnemonic group "(", RS, letter, US, kana, ")"; its Latin letter still chooses.
export function menuItems() {
  const prefix = `menu.${language()}.`;
  return [...texts].filter(([name]) => name.startsWith(prefix)).map(([name, value]) => {
    const group = /\(\x1E(.)\x1F.\)/u.exec(value);
    return { id: Number(name.slice(prefix.length)), text: value.replace(group ? group[0] : '', ''),
      key: group ? group[1].toLowerCase() : null };
  });
}

// What the placing exports answer: the address of {int32 x, int32 y}.
export function position(at) {
  const [x, y] = new Int32Array(core.memory.buffer, at, 2);
  return { x, y };
}

// Bytes into the module's transfer buffer; false when it has no room.
export function toTransfer(bytes) {
  const at = core.transfer_buffer(bytes.length);
  if (!at && bytes.length) return false;
  new Uint8Array(core.memory.buffer, at, bytes.length).set(bytes);
  return true;
}

// A decoded picture's pixels, or null while it is absent.
export function pictureImage(slot) {
  const width = core.picture_width(slot);
  const height = core.picture_height(slot);
  const at = core.picture_pixels(slot);
  if (!at || !width || !height) return null;
  return new ImageData(new Uint8ClampedArray(core.memory.buffer, at, width * height * 4), width, height);
}
