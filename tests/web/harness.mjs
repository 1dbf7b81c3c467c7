// What the browser tests share: a static server for the site, Debian's
// chromium driven by playwright-core under a controlled clock, and the
// pixels of the page read back: from a canvas, from the screen, and from
// the pictures themselves through a decoder of our own, apart from the
// product's reader, so that the two can catch each other out.
import { createServer } from 'node:http';
import { readFile, stat } from 'node:fs/promises';
import { readFileSync } from 'node:fs';
import { extname, join, normalize, resolve, sep } from 'node:path';
import { after } from 'node:test';
import { fileURLToPath } from 'node:url';
import { inflateSync } from 'node:zlib';

// Installed from the lock file by scripts/setup.
const { chromium } = await import('playwright-core').catch(() => {
    throw new Error('playwright-core is missing: run scripts/setup (it runs npm ci in tests/web)');
});

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

// serve(folder): the folder on 127.0.0.1 at a port of the system's choosing,
// as any static host would serve it, never cached. Returns { url, close }.
export async function serve(folder) {
    const rootFolder = resolve(folder);
    const server = createServer(async (request, response) => {
        let path;
        try {
            path = decodeURIComponent(new URL(request.url, 'http://host').pathname);
        } catch {
            path = null;
        }
        const file = path === null ? null : normalize(join(rootFolder, path.endsWith('/') ? path + 'index.html' : path));
        const headers = { 'Cache-Control': 'no-store' };
        if (request.method !== 'GET' && request.method !== 'HEAD') {
            response.writeHead(405, headers).end();
            return;
        }
        try {
            if (file === null || !file.startsWith(rootFolder + sep) || !(await stat(file)).isFile()) throw new Error();
            const body = await readFile(file);
            headers['Content-Type'] = MIME[extname(file).toLowerCase()] ?? 'application/octet-stream';
            headers['Content-Length'] = body.length;
            response.writeHead(200, headers).end(request.method === 'HEAD' ? undefined : body);
        } catch {
            response.writeHead(404, headers).end();
        }
    });
    await new Promise((done, fail) => server.once('error', fail).listen(0, '127.0.0.1', done));
    return {
        url: `http://127.0.0.1:${server.address().port}/`,
        close: () => new Promise(done => { server.closeAllConnections?.(); server.close(done); }),
    };
}

// Debian's chromium, headless, with nothing of its own reaching the network;
// playwright gives each launch a fresh profile.
export function launch() {
    const args = ['--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
                  '--disable-component-update', '--disable-sync', '--force-color-profile=srgb'];
    if (process.getuid?.() === 0) args.push('--no-sandbox');
    return chromium.launch({ executablePath: process.env.MUSLOT_CHROMIUM ?? '/usr/bin/chromium', headless: true, args });
}

// session(): for one test file, the site served and a browser launched, both
// closed when the file's tests end, passed or failed (an open browser would
// keep the test process alive). Call it at the top level of the file.
export async function session(folder = siteFolder) {
    const server = await serve(folder);
    const browser = await launch();
    after(async () => {
        await browser.close();
        await server.close();
    });
    return { url: server.url, browser };
}

// A browsing session of one user: its own storage, a device scale factor,
// touch or not, a phone's browser or not, service workers refused unless
// asked for, and a clock that stands still until the test moves it, so
// that clock.runFor(TICK_MS) is exactly one tick. Tabs of one context share
// the clock and the storage.
export async function newContext(browser, { scale = 1, touch = false, mobile = false, workers = false,
                                            viewport = { width: 1024, height: 768 } } = {}) {
    const context = await browser.newContext({ deviceScaleFactor: scale, hasTouch: touch, isMobile: mobile, viewport,
                                               serviceWorkers: workers ? 'allow' : 'block' });
    await context.clock.install({ time: START_TIME });
    await context.clock.pauseAt(START_TIME);
    return context;
}

// openPage(context, url): a new tab at url. Its `errors` gathers whatever
// should never happen: console errors, uncaught exceptions, failed or
// refused requests, and any request that leaves the page's own origin.
export async function openPage(context, url) {
    const page = await context.newPage();
    const errors = [];
    const origin = new URL(url).origin;
    page.on('console', message => { if (message.type() === 'error') errors.push(`console: ${message.text()}`); });
    page.on('pageerror', error => errors.push(`exception: ${error.message}`));
    page.on('requestfailed', request => errors.push(`request failed: ${request.url()} (${request.failure()?.errorText})`));
    page.on('response', response => { if (response.status() >= 400) errors.push(`HTTP ${response.status()}: ${response.url()}`); });
    page.on('request', request => {
        const target = request.url();
        if (!target.startsWith(origin + '/') && !target.startsWith('data:') && !target.startsWith('blob:')) {
            errors.push(`request off the site: ${target}`);
        }
    });
    await page.goto(url);
    return { page, errors };
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
export async function screenPixels(page, selector = null) {
    const png = selector ? await page.locator(selector).screenshot() : await page.screenshot();
    return decodePng(png);
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
