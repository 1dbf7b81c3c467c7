// What the machine's browser tests share: starting the page in a fresh
// browser context, a model of the reels worked out from the rules alone
// (the page seeds its generator with the clock, which the tests hold), and
// the frame the reels and lamps must show, built from the very pictures
// decoded apart from the product.
import assert from 'node:assert/strict';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { newContext, openPage, readBmp, START_TIME, TICK_MS } from './harness.mjs';

export { TICK_MS };

const res = join(fileURLToPath(new URL('.', import.meta.url)), '../../res');
export const pictures = {
    panel: readBmp(join(res, 'panel.bmp')),
    strip: readBmp(join(res, 'strip.bmp')),
    running: readBmp(join(res, 'lamp_run.bmp')),
    stopped: readBmp(join(res, 'lamp_stop.bmp')),
    congratulations: readBmp(join(res, 'congrats.bmp')),
};

// The reels as the rules say they go: seeded with the page's clock, one
// random number per reel, a running reel drawn then moved on at each tick,
// the first tick as the machine starts.
export class Reels {
    constructor(seed = START_TIME.getTime() >>> 0) {
        this.state = seed >>> 0;
        this.shown = [null, null, null, null];  // the figure each reel window shows
        this.spin();
        this.tick();  // the first frame, drawn as the machine starts
    }
    next() {
        this.state = (Math.imul(this.state, 214013) + 2531011) >>> 0;
        return (this.state >>> 16) & 0x7fff;
    }
    spin() {
        this.running = [1, 1, 1, 1];
        this.position = this.running.map(() => this.next() % 12);
    }
    tick() {
        for (let r = 0; r < 4; ++r) {
            if (!this.running[r]) continue;
            this.shown[r] = this.position[r];
            this.position[r] = (this.position[r] + 1) % 12;
        }
    }
    // Ticks until reel r's position is the figure, so that a stop then lands on it.
    ticksUntil(r, figure) { return (figure - this.position[r] + 12) % 12; }
}

// The frame for those reels: the panel with each reel window's last band
// and each reel's lamp. Without a strip the bands have no height, and
// every lamp lands on the first one's place.
export function referenceFrame(reels, bandHeight = 100) {
    const { panel, strip } = pictures;
    const frame = { width: panel.width, height: panel.height, data: panel.data.slice() };
    const blit = (source, sx, sy, dx, dy, width, height) => {
        for (let y = 0; y < height; ++y) {
            const from = ((sy + y) * source.width + sx) * 4;
            frame.data.set(source.data.subarray(from, from + width * 4), ((dy + y) * frame.width + dx) * 4);
        }
    };
    for (let r = 0; r < 4; ++r) {
        if (reels.shown[r] !== null) blit(strip, reels.shown[r] * 180, r * 100, 16, 10 + r * 100, 180, 100);
        blit(reels.running[r] ? pictures.running : pictures.stopped, 0, 0, 210, 50 + r * bandHeight, 16, 16);
    }
    return frame;
}

// A user's session: the page opened at the given query under a held clock,
// optionally with a settings text already kept and some files missing from
// the site. The machine's state
// ('running', 'elsewhere', 'closed') shows once it has started.
export async function openMachine(site, { query = '', settings = null, ...options } = {}) {
    // The settings are kept before the first start only, as a user's are.
    const before = settings === null ? null : text => {
        if (!sessionStorage.getItem('seeded')) {
            localStorage.setItem('MUSLOT.INI', text);
            sessionStorage.setItem('seeded', '1');
        }
    };
    const context = await newContext(site, { before, arg: settings, ...options });
    const tab = await openTab(context, query);
    return { context, ...tab };
}

// A tab of the context at the query, its machine started; ticks(n) moves its
// clock n ticks on.
export async function openTab(context, query = '') {
    const { page, errors } = await openPage(context, query);
    await page.waitForFunction(() => document.body.dataset.state);
    return { page, errors, ticks: (n = 1) => page.evaluate(ms => window.__muslotClock.runFor(ms), n * TICK_MS) };
}

export const state = page => page.evaluate(() => document.body.dataset.state);
export const storedSettings = page => page.evaluate(() => localStorage.getItem('MUSLOT.INI'));
export const settingsText = (x, y, fit, language) =>
    `[MUSlot]\r\nPosX=${x >>> 0}\r\nPosY=${y >>> 0}\r\nFitPos=${fit >>> 0}\r\nLanguage=${language >>> 0}\r\n`;

// Where an element is on the page, in whole CSS pixels.
export async function rectOf(page, selector) {
    const box = await page.locator(selector).boundingBox();
    return box && { x: Math.round(box.x), y: Math.round(box.y), width: Math.round(box.width), height: Math.round(box.height) };
}

// A click at a point of the reels' canvas, in client pixels.
export async function clickClient(page, x, y, button = 'left') {
    const canvas = await rectOf(page, '#client');
    await page.mouse.click(canvas.x + x + 0.5, canvas.y + y + 0.5, { button });
}

// What every test ends with: the console saw nothing go wrong.
export function assertClean(errors) {
    assert.deepEqual(errors, [], 'the page reported errors');
}

// A key of the keypad with Num Lock on, as the keyboard sends it (the
// drivers' keyboards have Num Lock off: their Numpad1 is End).
export const pressKeypadDigit = (page, digit) => page.pressKeypadDigit(digit);

// A finger resting at a point of the page for six ticks.
export async function longPress(page, ticks, x, y) {
    await page.touchscreen.start(x, y);
    await ticks(6);
    await page.touchscreen.end();
}
