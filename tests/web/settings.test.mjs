// The settings kept in the browser's storage, read at start and written at
// exit; damaged texts read as Windows reads a damaged file; one machine per
// browser.
import assert from 'node:assert/strict';
import { readFile } from 'node:fs/promises';
import { join } from 'node:path';
import { newContext, session, siteFolder } from './harness.mjs';
import { assertClean, openMachine, openTab, rectOf, settingsText, state, storedSettings } from './machine.mjs';

const site = await session();
const { test } = site;

const SCREEN = { cx: 1024, cy: 768 };
const OUTER = { cx: 242, cy: 439 };
const CENTRE = { x: 391, y: 164 };

// Where the placement rules put the window for the values read.
function placed([x, y]) {
    if (x === -1 && y === -1) return CENTRE;
    const clamp = (v, size, screen) => (v < 0 ? 0 : v + size > screen ? screen - size : v);
    return { x: clamp(x, OUTER.cx, SCREEN.cx), y: clamp(y, OUTER.cy, SCREEN.cy) };
}

const keys = (x, y, fit, language) => `PosX=${x}\r\nPosY=${y}\r\nFitPos=${fit}\r\nLanguage=${language}\r\n`;
const section = (...values) => `[MUSlot]\r\n${keys(...values)}`;
const utf16 = text => '\xFF\xFE' + [...text].map(c => c + '\0').join('');
let garbage = '';
for (let i = 0; i < 4096; ++i) garbage += String.fromCharCode((i * 7919 + 13) % 256);
const sevens = Number(BigInt('7'.repeat(29)) % 2n ** 32n) | 0;  // the reader takes 29 characters of a value

// The damaged settings files of the Windows tests, with the values the
// profile reader gives for them: [PosX, PosY, FitPos, Language].
const DEFAULTS = [-1, -1, 1, 0];
const HOSTILE = [
    ['no section', keys(300, 200, 1, 1), DEFAULTS],
    ['only another section', `[Other]\r\n${keys(300, 200, 0, 1)}`, DEFAULTS],
    ['empty text', '', DEFAULTS],
    ['empty values', section('', '', '', ''), DEFAULTS],
    ['abc', section('abc', 'abc', 'abc', 'abc'), [0, 0, 0, 0]],
    ['a lone minus', section('-', '-', '-', '-'), [0, 0, 0, 0]],
    ['plus signs', section('+5', '+6', '+1', '+1'), [5, 6, 1, 1]],
    ['hexadecimal', section('0x10', '0x20', '0x1', '0x1'), [0, 0, 0, 0]],
    ['blanks around keys and values', '[ MUSlot ]\r\n  PosX  =  300  \r\n\tPosY\t=\t200\t\r\n FitPos = 1 \r\n Language = 1 \r\n', [300, 200, 1, 1]],
    ['beyond 32 bits', section('99999999999', '99999999999', '1', '99999999999'), [1215752191, 1215752191, 1, 1215752191]],
    ['below -2147483648', section('-2147483649', '-2147483649', '1', '0'), [2147483647, 2147483647, 1, 0]],
    ['4294967296', section('4294967296', '4294967296', '4294967296', '4294967296'), [0, 0, 0, 0]],
    ['-32000', section('-32000', '-32000', '1', '0'), [-32000, -32000, 1, 0]],
    ['2147483647 without FitPos', section('2147483647', '2147483647', '0', '0'), [2147483647, 2147483647, 0, 0]],
    ['-2147483648 without FitPos', section('2147483648', '2147483648', '0', '0'), [-2147483648, -2147483648, 0, 0]],
    ['far outside', section('100000', '4294867296', '1', '0'), [100000, -100000, 1, 0]],
    ['far outside without FitPos', section('4294867296', '100000', '0', '1'), [-100000, 100000, 0, 1]],
    ['duplicate keys', '[MUSlot]\r\nPosX=100\r\nPosX=600\r\nPosY=100\r\nPosY=600\r\nFitPos=1\r\nFitPos=0\r\nLanguage=0\r\n', [100, 100, 1, 0]],
    ['duplicate sections', section(100, 100, 1, 1) + section(600, 600, 0, 0), [100, 100, 1, 1]],
    ['a 64 KB line', `[MUSlot]\r\nJunk=${'x'.repeat(65536)}\r\n${keys(300, 200, 1, 1)}`, [300, 200, 1, 1]],
    ['a 64 KB value', section('7'.repeat(65536), 200, 1, 1), [sevens, 200, 1, 1]],
    ['NUL bytes', '[MUSlot]\r\nPosX=3\0' + '00\r\nPo\0sY=200\r\n\0\r\nFitPos=1\r\nLanguage=1\r\n', [3, -1, 1, 1]],
    ['high bytes', '[MUSlot]\r\nPosX=\xFF\xFE300\r\n\x83\x7c\x83\x8b=1\r\nPosY=\x80200\r\nFitPos=1\r\nLanguage=\xE9\r\n', [0, 0, 1, 0]],
    ['UTF-16 with a byte-order mark', utf16(section(300, 200, 1, 1)), [300, 200, 1, 1]],
    ['UTF-8 with a byte-order mark', '\xEF\xBB\xBF' + section(300, 200, 1, 1), [300, 200, 1, 1]],
    ['a byte-order mark as a character', '\uFEFF' + section(300, 200, 1, 1), [300, 200, 1, 1]],
    ['CR-only lines', '[MUSlot]\rPosX=300\rPosY=200\rFitPos=1\rLanguage=1\r', [300, 200, 1, 1]],
    ['LF-only lines', '[MUSlot]\nPosX=300\nPosY=200\nFitPos=1\nLanguage=1\n', [300, 200, 1, 1]],
    ['other letter case', '[muslot]\r\nposx=300\r\nPOSY=200\r\nfitpos=1\r\nLANGUAGE=1\r\n', [300, 200, 1, 1]],
    ['characters past Latin-1', '[MUSlot]\r\nPosX=３００\r\nPosY=200\r\nFitPos=1\r\nLanguage=1\r\n', [0, 200, 1, 1]],
    ['binary garbage', garbage, DEFAULTS],
];

async function exitByMenu(page) {
    const client = await rectOf(page, '#client');
    await page.mouse.click(client.x + 10, client.y + 10, { button: 'right' });
    await page.keyboard.press('x');
    assert.equal(await state(page), 'closed');
}

// The page's own module, as the page drives it: the text in, the values
// and the window's place out.
async function moduleReading(text) {
    const { instance } = await WebAssembly.instantiate(await readFile(join(siteFolder, 'muslot.wasm')));
    const core = instance.exports;
    const bytes = Uint8Array.from(text.replace(/^\uFEFF/, ''), c => (c.charCodeAt(0) > 0xFF ? 0x3F : c.charCodeAt(0)));
    const at = core.transfer_buffer(bytes.length);  // may grow the memory
    new Uint8Array(core.memory.buffer, at, bytes.length).set(bytes);
    core.settings_read(bytes.length);
    const read = [0, 1, 2, 3].map(i => core.setting(i));
    const [x, y] = new Int32Array(core.memory.buffer, core.initial_position(OUTER.cx, OUTER.cy, SCREEN.cx, SCREEN.cy), 2);
    return { read, where: { x, y } };
}

test('every damaged settings text reads as Windows reads the file, and places the window on the page', async () => {
    for (const [name, text, read] of HOSTILE) {
        assert.deepEqual(await moduleReading(text), { read, where: placed(read) }, name);
    }
});

test('damaged texts in the browser: the machine starts, places, plays and writes them back', async () => {
    const chosen = ['far outside without FitPos', 'NUL bytes', 'UTF-16 with a byte-order mark', 'binary garbage'];
    for (const [name, text, read] of HOSTILE.filter(([name]) => chosen.includes(name))) {
        const { context, page, errors } = await openMachine(site, { settings: text });
        const where = placed(read);
        const rect = await rectOf(page, '#machine');
        assert.deepEqual({ x: rect.x, y: rect.y }, where, name);
        await page.keyboard.press('1');
        await exitByMenu(page);
        assert.equal(await storedSettings(page), settingsText(where.x, where.y, read[2], read[3]), name);
        assert.deepEqual(errors, [], name);
        await context.close();
    }
});

test('storage refused: the machine runs from the defaults and exits quietly', async () => {
    const refusing = await newContext(site, { before: () => {
        for (const name of ['getItem', 'setItem']) {
            Storage.prototype[name] = () => { throw new DOMException('refused', 'SecurityError'); };
        }
    } });
    const { page, errors } = await openTab(refusing);
    assert.equal(await state(page), 'running');
    assert.deepEqual(await rectOf(page, '#machine'), { ...CENTRE, width: 242, height: 439 });
    await exitByMenu(page);
    assertClean(errors);
    await refusing.close();
});

test('the window opens where it was left, dragged by its caption within the page by FitPos', async () => {
    // The caption taken at (60, 9) to a point of the page (WebDriver moves the
    // pointer only within the page).
    const drag = async (page, x, y) => {
        const caption = await rectOf(page, '#machine-caption');
        await page.mouse.move(caption.x + 60, caption.y + 9);
        await page.mouse.down();
        await page.mouse.move(x, y, { steps: 5 });
        await page.mouse.up();
        return rectOf(page, '#machine');
    };
    // First run: centred; dragged to the corners it stops at the edges.
    const first = await openMachine(site);
    assert.deepEqual(await rectOf(first.page, '#machine'), { ...CENTRE, width: 242, height: 439 });
    assert.deepEqual(await drag(first.page, 0, 0), { x: 0, y: 0, width: 242, height: 439 });
    assert.deepEqual(await drag(first.page, 1023, 767), { x: 782, y: 329, width: 242, height: 439 });
    assert.equal(await first.page.evaluate(() => document.activeElement.id), 'client', 'the reels have the keys');
    await exitByMenu(first.page);
    assert.equal(await storedSettings(first.page), settingsText(782, 329, 1, 0));
    assertClean(first.errors);
    await first.context.close();

    // FitPos and Language switched by the address, kept with the rest; without
    // FitPos the window leaves the page, and comes back at the next start.
    const second = await openMachine(site, { settings: settingsText(600, 300, 1, 0), query: '?FitPos=0&Language=1' });
    assert.deepEqual(await rectOf(second.page, '#machine'), { x: 600, y: 300, width: 242, height: 439 });
    const caption = await rectOf(second.page, '#machine-caption');
    await drag(second.page, 1020, 5);
    const left = { x: 600 + 1020 - (caption.x + 60), y: 300 + 5 - (caption.y + 9) };
    assert.ok(left.x + 242 > 1024 && left.y < 0, 'past the right and top edges');
    await second.page.evaluate(() => window.dispatchEvent(new PageTransitionEvent('pagehide')));
    assert.equal(await storedSettings(second.page), settingsText(left.x, left.y, 0, 1), 'written as the page goes');
    await second.page.reload();
    await second.page.waitForFunction(() => document.body.dataset.state);
    assert.deepEqual(await rectOf(second.page, '#machine'), { x: 782, y: 0, width: 242, height: 439 });
    assertClean(second.errors);
    await second.context.close();
});

test('a second tab starts no second machine: it says where the machine runs and brings it forward', async () => {
    const first = await openMachine(site);
    await first.page.click('#minimise-box');
    const second = await openTab(first.context);
    assert.equal(await state(second.page), 'elsewhere');
    assert.equal(await second.page.isVisible('#machine'), false);
    assert.match(await second.page.locator('#notice').textContent(), /別のタブ/);
    await first.page.waitForFunction(() => !document.getElementById('machine').hidden);
    // Once the first machine exits, a new tab may start one.
    await exitByMenu(first.page);
    const third = await openTab(first.context);
    assert.equal(await state(third.page), 'running');
    for (const tab of [first, second, third]) assertClean(tab.errors);
    await first.context.close();
});
