// What the browser tests share: a static server for the site, the browser
// of the engine under test (browsers.mjs) under a held clock, and the
// pixels of the page read back: from a canvas, from the screen, and from
// the pictures themselves through a decoder of our own, apart from the
// product's reader, so that the two can catch each other out.
import { createServer } from 'node:http';
import { readFile, stat } from 'node:fs/promises';
import { readFileSync } from 'node:fs';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { after, test as nodeTest } from 'node:test';
import { fileURLToPath } from 'node:url';
import { inflateSync } from 'node:zlib';
import { engine, lacks, launch, pageWatch, Unavailable } from './browsers.mjs';

export { engine };

// The site scripts/build makes; ctest passes it in.
export const siteFolder = process.env.MUSLOT_WEB_SITE ??
    join(process.env.MUSLOT_BUILD ?? fileURLToPath(new URL('../../build', import.meta.url)), 'web', 'site');

// One tick of the machine.
export const TICK_MS = 100;
// Every test starts from the same instant of the page's clock.
export const START_TIME = new Date('2026-01-05T09:00:00Z');

const MIME = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.mjs': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.json': 'application/json',
    '.webmanifest': 'application/manifest+json',
    '.wasm': 'application/wasm',
    '.bmp': 'image/bmp',
    '.png': 'image/png',
    '.ico': 'image/x-icon',
    '.svg': 'image/svg+xml',
    '.txt': 'text/plain; charset=utf-8',
    '': 'text/plain; charset=utf-8',   // LICENSE
};

// Where a page's watcher tells the server what went wrong in it.
export const REPORT_PATH = '/.muslot-test-report';

// serve(folder, options): the folder on 127.0.0.1 at a port of the system's
// choosing, as any static host would serve it, never cached. Returns
// { url, close }. For the tests, options may take files away (`missing`,
// answered 404), put scripts into each page before its own (`head`, source
// texts) and gather into `errors` every answer of 400 or more and what a
// page's watcher reports. setOffline(true) takes the site off the network:
// every connection is dropped unanswered, as with the network gone, but for
// the watcher's reports.
export async function serve(folder, { missing = [], head = [], errors = null } = {}) {
    let offline = false;
    const rootFolder = resolve(folder);
    const scripts = head.map(source => `<script>${source}</script>`).join('');
    const server = createServer(async (request, response) => {
        let path;
        try {
            path = decodeURIComponent(new URL(request.url, 'http://host').pathname);
        } catch {
            path = null;
        }
        const file = path === null ? null : normalize(join(rootFolder, path.endsWith('/') ? path + 'index.html' : path));
        const headers = { 'Cache-Control': 'no-store' };
        if (offline && path !== REPORT_PATH) return request.socket.destroy();
        if (errors && request.method === 'POST' && path === REPORT_PATH) {
            let text = '';
            request.setEncoding('utf8').on('data', chunk => { text += chunk; })
                .on('end', () => { errors.push(text); response.writeHead(204, headers).end(); });
            return;
        }
        const refuse = status => {
            if (errors) errors.push(`HTTP ${status}: ${request.url}`);
            response.writeHead(status, headers).end();
        };
        if (request.method !== 'GET' && request.method !== 'HEAD') return refuse(405);
        try {
            if (file === null || !file.startsWith(rootFolder + sep) || !(await stat(file)).isFile()) throw new Error();
            if (missing.some(name => path.endsWith(`/${name}`))) return refuse(404);
            let body = await readFile(file);
            headers['Content-Type'] = MIME[extname(file).toLowerCase()] ?? 'application/octet-stream';
            if (scripts && extname(file) === '.html') body = Buffer.from(body.toString('utf8').replace(/<head>/i, `$&${scripts}`));
            headers['Content-Length'] = body.length;
            response.writeHead(200, headers).end(request.method === 'HEAD' ? undefined : body);
        } catch {
            refuse(404);
        }
    });
    await new Promise((done, fail) => server.once('error', fail).listen(0, '127.0.0.1', done));
    return {
        url: `http://127.0.0.1:${server.address().port}/`,
        setOffline(on) {
            offline = on;
            // Connections kept alive would still answer.
            if (on) server.closeIdleConnections?.();
        },
        close: () => new Promise(done => { server.closeAllConnections?.(); server.close(done); }),
    };
}

// session(): for one test file, the engine's browser, closed when the file's
// tests end, passed or failed (an open browser would keep the test process
// alive). Call it at the top level of the file; where the engine cannot run
// here its `unavailable` says why, and test() skips.
export async function session(folder = siteFolder) {
    try {
        const browser = await launch();
        // Servers of contexts a failed test left open would keep the process alive.
        const servers = new Set();
        after(async () => {
            await browser.close();
            for (const server of servers) await server.close();
        });
        return withTest({ folder, browser, servers, unavailable: null });
    } catch (error) {
        if (!(error instanceof Unavailable)) throw error;
        return withTest({ folder, browser: null, unavailable: `${engine} is unavailable here: ${error.message}` });
    }
}

// site.test(name, [{ needs }], fn): node's test, skipped with why where the
// engine cannot run here or lacks what the test needs (`lacks` in browsers.mjs).
function withTest(site) {
    site.test = (name, options, fn) => {
        if (typeof options === 'function') [options, fn] = [{}, options];
        const { needs = [], ...rest } = options;
        const lacking = needs.find(what => lacks[what]);
        const skip = site.unavailable ?? (lacking && `${engine}: ${lacks[lacking]}`);
        return nodeTest(name, skip ? { ...rest, skip } : rest, fn);
    };
    return site;
}

// The page's clock held: timers, Date, performance.now and animation frames
// move only when the test moves them, so that runFor(TICK_MS) is exactly one
// tick. Put before the page's own scripts, it is the same in every engine.
function heldClock(start) {
    let now = start, sequence = 0;
    const timers = new Map();
    const add = (callback, delay, args, every) => {
        const id = ++sequence;
        delay = Math.max(every ? 1 : 0, Number(delay) || 0);
        timers.set(id, { callback, at: now + delay, delay, args, every, order: id });
        return id;
    };
    const clear = id => { timers.delete(id); };
    // The browser's own, for waiting on the screen rather than the page.
    const realFrame = window.requestAnimationFrame.bind(window), realTimeout = window.setTimeout.bind(window);
    window.setTimeout = (callback, delay, ...args) => add(callback, delay, args, false);
    window.setInterval = (callback, delay, ...args) => add(callback, delay, args, true);
    window.clearTimeout = window.clearInterval = window.cancelAnimationFrame = clear;
    window.requestAnimationFrame = callback => add(() => callback(performance.now()), 16, [], false);
    const RealDate = Date;
    class HeldDate extends RealDate {
        constructor(...args) { if (args.length) super(...args); else super(now); }
        static now() { return now; }
    }
    window.Date = new Proxy(HeldDate, { apply: () => new HeldDate().toString() });
    const realStart = performance.now();
    performance.now = () => realStart + (now - start);
    window.__muslotClock = {
        // Two real rendering updates: what the page drew is on the screen,
        // and a resize has reached the page. (A hidden page has none: a
        // second at most.)
        painted: () => new Promise(done => { realFrame(() => realFrame(done)); realTimeout(done, 1000); }),
        // Every timer due within ms, in order, each at its own time; promise
        // jobs run between them as they would between real timers.
        async runFor(ms) {
            const end = now + ms;
            for (;;) {
                let due = null;
                for (const timer of timers.values()) {
                    if (timer.at <= end && (!due || timer.at < due.at || (timer.at === due.at && timer.order < due.order))) due = timer;
                }
                if (!due) break;
                now = due.at;
                const id = [...timers].find(([, timer]) => timer === due)[0];
                if (due.every) { due.at += due.delay; due.order = ++sequence; } else timers.delete(id);
                try {
                    if (typeof due.callback === 'function') due.callback(...due.args);
                } catch (error) {
                    reportError(error);
                }
                await null;
            }
            now = end;
        },
    };
}

// newContext(site, options): a browsing session of one user, at an origin of
// its own (its own storage, locks and channels), at a device scale factor,
// with touch or not, as a phone's browser or not (`mobile`), the clock held
// at START_TIME in each of its tabs, files missing from the site and a
// script run before the page's own in each tab (`before`, a function, with
// `arg`). Service workers are refused unless asked for (`workers`), as a
// worker would keep the site between a test's pages. Its `url` is the
// site's address there, its `errors` what went wrong in any of its tabs,
// and setOffline(on) takes the network away from it and gives it back.
export async function newContext(site, { missing = [], before = null, arg = null, workers = false, ...options } = {}) {
    const context = await site.browser.newContext(options);
    const head = [`(${heldClock})(${START_TIME.getTime()});`];
    if (pageWatch) head.unshift(`(${pageWatch})(${JSON.stringify(REPORT_PATH)});`);
    if (!workers) head.push(`(${refuseWorkers})();`);
    if (before) head.push(`(${before})(${JSON.stringify(arg)});`);
    const server = await serve(site.folder, { missing, head, errors: context.errors });
    context.url = server.url;
    context.setOffline = async on => server.setOffline(on);
    site.servers.add(server);
    context.onClose = [() => { site.servers.delete(server); return server.close(); }];
    return context;
}

// Registration refused, as a browser refuses it where workers are not allowed.
function refuseWorkers() {
    if (window.ServiceWorkerContainer) {
        ServiceWorkerContainer.prototype.register = () => Promise.reject(new DOMException('refused by the tests', 'SecurityError'));
    }
}

// openPage(context, query): a new tab at the context's address with the
// query. The context's `errors` gathers whatever should never happen:
// console errors, uncaught exceptions, failed or refused requests, and any
// request that leaves the page's own origin.
export async function openPage(context, query = '') {
    const page = await context.newPage(context.url + query);
    return { page, errors: context.errors };
}

// An image: { width, height, data } with data RGBA, row by row from the top.
function image(width, height, data = new Uint8Array(width * height * 4)) {
    return { width, height, data };
}

// The pixels of a canvas as the page drew them (its backing store, which at
// a device scale of 2 has twice the CSS size each way).
export async function canvasPixels(page, selector) {
    const { width, height, base64 } = await page.locator(selector).evaluate(canvas => {
        const { data } = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
        let text = '';
        for (let i = 0; i < data.length; i += 0x8000) text += String.fromCharCode(...data.subarray(i, i + 0x8000));
        return { width: canvas.width, height: canvas.height, base64: btoa(text) };
    });
    return image(width, height, new Uint8Array(Buffer.from(base64, 'base64')));
}

// The pixels the browser put on the screen for an element (or the whole
// viewport), in device pixels: what the user sees, scaling and all.
// An element's are cut from the whole page's, as the engines' own element
// shots differ (WebKit's lose the last rows).
export async function screenPixels(page, selector = null) {
    await page.rendered();
    const screen = decodePng(await page.screenshot());
    if (!selector) return screen;
    const { x, y, width, height, scale } = await page.locator(selector).evaluate(element => {
        const box = element.getBoundingClientRect();
        return { x: box.x, y: box.y, width: box.width, height: box.height, scale: devicePixelRatio };
    });
    return crop(screen, Math.round(x * scale), Math.round(y * scale), Math.round(width * scale), Math.round(height * scale));
}

// decodePng(buffer): the 8-bit RGB or RGBA, non-interlaced PNGs browsers save.
export function decodePng(png) {
    const width = png.readUInt32BE(16), height = png.readUInt32BE(20);
    const depth = png[24], colourType = png[25], interlace = png[28];
    if (depth !== 8 || (colourType !== 2 && colourType !== 6) || interlace !== 0) {
        throw new Error(`PNG of a kind the tests do not read: depth ${depth}, colour type ${colourType}`);
    }
    const idat = [];
    for (let at = 8; at < png.length; at += 12 + png.readUInt32BE(at)) {
        if (png.toString('latin1', at + 4, at + 8) === 'IDAT') idat.push(png.subarray(at + 8, at + 8 + png.readUInt32BE(at)));
    }
    const raw = inflateSync(Buffer.concat(idat));
    const channels = colourType === 6 ? 4 : 3, stride = width * channels;
    const rows = new Uint8Array(height * stride);
    const out = image(width, height);
    for (let y = 0; y < height; ++y) {
        const filter = raw[y * (stride + 1)], line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
        for (let x = 0; x < stride; ++x) {
            const left = x >= channels ? rows[y * stride + x - channels] : 0;
            const up = y > 0 ? rows[(y - 1) * stride + x] : 0;
            const upLeft = x >= channels && y > 0 ? rows[(y - 1) * stride + x - channels] : 0;
            const predictor = [0, left, up, (left + up) >> 1, paeth(left, up, upLeft)][filter];
            rows[y * stride + x] = (line[x] + predictor) & 0xff;
        }
        for (let x = 0; x < width; ++x) {
            out.data.set(rows.subarray(y * stride + x * channels, y * stride + x * channels + 3), (y * width + x) * 4);
            out.data[(y * width + x) * 4 + 3] = channels === 4 ? rows[y * stride + x * channels + 3] : 255;
        }
    }
    return out;
}

function paeth(a, b, c) {
    const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// readBmp(path or buffer): an uncompressed Windows bitmap (BI_RGB, 1, 4, 8,
// 24 or 32 bits, bottom-up or top-down) as an opaque RGBA image.
export function readBmp(source) {
    const bmp = typeof source === 'string' ? readFileSync(source) : source;
    if (bmp.toString('latin1', 0, 2) !== 'BM') throw new Error('not a bitmap file');
    const bitsOffset = bmp.readUInt32LE(10), headerSize = bmp.readUInt32LE(14);
    const width = bmp.readInt32LE(18), storedHeight = bmp.readInt32LE(22);
    const bitCount = bmp.readUInt16LE(28), compression = bmp.readUInt32LE(30);
    if (compression !== 0 || ![1, 4, 8, 24, 32].includes(bitCount)) {
        throw new Error(`bitmap of a kind the tests do not read: ${bitCount} bits, compression ${compression}`);
    }
    const colours = bitCount <= 8 ? (bmp.readUInt32LE(46) || 1 << bitCount) : 0;
    const table = bmp.subarray(14 + headerSize, 14 + headerSize + colours * 4);   // blue, green, red, unused
    const height = Math.abs(storedHeight), stride = Math.ceil(width * bitCount / 32) * 4;
    const out = image(width, height);
    for (let y = 0; y < height; ++y) {
        const row = bitsOffset + (storedHeight > 0 ? height - 1 - y : y) * stride;
        for (let x = 0; x < width; ++x) {
            let from = row + x * bitCount / 8, source = bmp;   // blue, green, red
            if (bitCount <= 8) {
                const bit = x * bitCount;
                from = ((bmp[row + (bit >> 3)] >> (8 - bitCount - (bit & 7))) & ((1 << bitCount) - 1)) * 4;
                source = table;
            }
            const to = (y * width + x) * 4;
            out.data[to] = source[from + 2];
            out.data[to + 1] = source[from + 1];
            out.data[to + 2] = source[from];
            out.data[to + 3] = 255;
        }
    }
    return out;
}

// A part of an image.
export function crop(source, left, top, width, height) {
    const out = image(width, height);
    for (let y = 0; y < height; ++y) {
        const from = ((top + y) * source.width + left) * 4;
        out.data.set(source.data.subarray(from, from + width * 4), y * width * 4);
    }
    return out;
}

// An image enlarged by a whole number, each pixel a square: what a canvas
// drawn without smoothing at a device scale of `factor` holds.
export function enlarge(source, factor) {
    const out = image(source.width * factor, source.height * factor);
    const pixels = new Uint32Array(out.data.buffer), sourcePixels = new Uint32Array(source.data.buffer, source.data.byteOffset, source.width * source.height);
    for (let y = 0; y < out.height; ++y) {
        const from = Math.floor(y / factor) * source.width;
        for (let x = 0; x < out.width; ++x) pixels[y * out.width + x] = sourcePixels[from + Math.floor(x / factor)];
    }
    return out;
}

// null when two images are the same, else where and how they first differ,
// for an assertion's message.
export function firstDifference(actual, expected) {
    if (actual.width !== expected.width || actual.height !== expected.height) {
        return `size ${actual.width}×${actual.height}, expected ${expected.width}×${expected.height}`;
    }
    let first = -1, count = 0;
    for (let i = 0; i < actual.data.length; i += 4) {
        const a = actual.data, e = expected.data;
        if (a[i] !== e[i] || a[i + 1] !== e[i + 1] || a[i + 2] !== e[i + 2] || a[i + 3] !== e[i + 3]) {
            if (first < 0) first = i;
            ++count;
        }
    }
    if (first < 0) return null;
    const rgba = data => `rgba(${data.subarray(first, first + 4).join(', ')})`;
    return `${count} pixels differ, the first at (${first / 4 % actual.width}, ${Math.floor(first / 4 / actual.width)}): ` +
           `${rgba(actual.data)}, expected ${rgba(expected.data)}`;
}
