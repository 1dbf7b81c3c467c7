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

// The damaged settings files of the Windows and unit tests, with the values
// the profile reader gives for them: [name, text, [PosX, PosY, FitPos,
// Language]], a byte a character; the table's first lines tell its escapes.
const ESCAPES = { r: '\r', n: '\n', t: '\t', 0: '\0' };
const unescape = field => field.replace(/\\\((.*?)\\\)\*(\d+)/g, (_, bytes, n) => bytes.repeat(n))
    .replace(/\\(x[0-9a-fA-F]{2}|.)/g, (_, e) => (e.length === 3 ? String.fromCharCode(parseInt(e.slice(1), 16))
        : ESCAPES[e] ?? assert.fail(`a bad escape \\${e} in the damaged settings table`)));
const HOSTILE = (await readFile(process.env.MUSLOT_DAMAGED_SETTINGS, 'latin1')).split('\n')
    .filter(line => line && !line.startsWith('#'))
    .map(line => line.split('\t'))
    .map(([name, x, y, fit, language, bytes]) => [name, unescape(bytes), [x, y, fit, language].map(Number)]);
// And two only a text kept by the browser can hold.
HOSTILE.push(
    ['a byte-order mark as a character', '\uFEFF[MUSlot]\r\nPosX=300\r\nPosY=200\r\nFitPos=1\r\nLanguage=1\r\n', [300, 200, 1, 1]],
    ['characters past Latin-1', '[MUSlot]\r\nPosX=３００\r\nPosY=200\r\nFitPos=1\r\nLanguage=1\r\n', [0, 200, 1, 1]]);

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
