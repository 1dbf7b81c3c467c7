// The web page's benchmarks, for scripts/bench, in each engine of the
// browser tests (chromium, firefox, webkit, through tests/web/browsers.mjs):
// a tick against a bare canvas doing the same copies, navigation to the
// first frame against a bare page fetching the same files and drawing one
// frame, and the first frame again with the service worker's cache warm;
// then the page's weight gzipped by part. Prints a Markdown section. Each
// engine is measured by a child process of its own (the adapter picks its
// engine once, from MUSLOT_ENGINE); one that cannot run here is reported
// as such.
//
//   node scripts/bench-web.mjs <site folder> [--quick]
import { execFileSync } from 'node:child_process';
import { cpSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { extname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';
import { serve } from '../tests/web/harness.mjs';
import { ENGINES, engine, launch, Unavailable } from '../tests/web/browsers.mjs';

const [site, ...options] = process.argv.slice(2);
const quick = options.includes('--quick');
const TICKS = quick ? 4000 : 20000;   // each side, in blocks of BLOCK
const BLOCK = 200;                     // ticks timed together: the pages' clocks are coarse
const LOADS = quick ? 5 : 21;          // of each kind

const quantile = (values, q) => {
    const sorted = [...values].sort((a, b) => a - b);
    return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
};
const median = values => quantile(values, 0.5);

// The bare canvas's side of a tick, set up once in the page: the same
// copies made by the browser's own drawImage from decoded pictures.
async function setUpBare() {
    const load = async name => createImageBitmap(await (await fetch(name)).blob());
    const [panel, strip, lamp] = await Promise.all(['panel.bmp', 'strip.bmp', 'lamp_run.bmp'].map(load));
    const screen = document.createElement('canvas');
    screen.width = panel.width;
    screen.height = panel.height;
    screen.style.cssText = 'position: fixed; right: 0; top: 0';
    document.body.append(screen);
    const back = new OffscreenCanvas(panel.width, panel.height);
    const backContext = back.getContext('2d');
    backContext.drawImage(panel, 0, 0);
    const screenContext = screen.getContext('2d');
    screenContext.imageSmoothingEnabled = false;
    let position = 0;
    const machineContext = document.getElementById('client').getContext('2d');
    window.benchTicks = {
        bare() {
            for (let r = 0; r < 4; ++r) {
                backContext.drawImage(strip, (position + r * 5) % 12 * 180, r * 100, 180, 100, 16, 10 + r * 100, 180, 100);
                backContext.drawImage(lamp, 210, 50 + r * 100);
            }
            position = (position + 1) % 12;
            screenContext.drawImage(back, 0, 0);
            screenContext.getImageData(0, 0, 1, 1);
        },
        machine() {
            window.muslotBench.tick();
            machineContext.getImageData(0, 0, 1, 1);
        },
    };
    return true;
}

// One round: a block of each side, in the order given, each block's
// time a tick, in ms.
function round({ block, order }) {
    const times = {};
    for (const name of order) {
        const tick = window.benchTicks[name];
        const start = performance.now();
        for (let i = 0; i < block; ++i) tick();
        times[name] = (performance.now() - start) / block;
    }
    return times;
}

// One tick of the machine (its own ?bench hook: the core's tick into the
// panel, then shown) against the bare canvas, four 180 × 100 bands and four
// 16 × 16 lamps into a 240 × 420 back buffer, then the buffer onto a canvas
// on the page. Each tick ends by reading one pixel of its canvas back, so
// that the drawing is done rather than queued. The two take turns, block by
// block, one round a call into the page.
async function tickCost(page) {
    await page.evaluate(setUpBare);
    const times = { machine: [], bare: [] };
    for (let i = 0; i < TICKS / BLOCK; ++i) {
        const order = i % 2 ? ['bare', 'machine'] : ['machine', 'bare'];
        const one = await page.evaluate(round, { block: BLOCK, order });
        for (const name of order) times[name].push(one[name]);
    }
    return times;
}

// The bare page: the files the machine's page fetched before its first
// frame, fetched at once, the module compiled, three pictures decoded and
// one frame drawn on a canvas and read back.
const barePage = files => `<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>bare</title></head><body><canvas width="240" height="420"></canvas>
<script type="module">
const bytes = await Promise.all(${JSON.stringify(files)}.map(name => fetch(name).then(r => r.arrayBuffer())));
const named = name => new Blob([bytes[${JSON.stringify(files)}.indexOf(name)]]);
await WebAssembly.instantiate(await named('muslot.wasm').arrayBuffer(), {});
const [panel, strip, lamp] = await Promise.all(['panel.bmp', 'strip.bmp', 'lamp_run.bmp'].map(name => createImageBitmap(named(name))));
const context = document.querySelector('canvas').getContext('2d');
context.drawImage(panel, 0, 0);
for (let r = 0; r < 4; ++r) {
    context.drawImage(strip, 0, r * 100, 180, 100, 16, 10 + r * 100, 180, 100);
    context.drawImage(lamp, 210, 50 + r * 100);
}
context.getImageData(0, 0, 1, 1);
performance.mark('bare-first-frame');
</script></body></html>
`;

// From the start of navigation to the mark of the first frame, in a tab of
// the context; the tab is closed after (the machine runs in one tab at a time).
async function firstFrame(context, url, mark) {
    const page = await context.newPage(url);
    await page.waitForFunction(`() => performance.getEntriesByName(${JSON.stringify(mark)}).length > 0`, { timeout: 60000 });
    const at = await page.evaluate(name => performance.getEntriesByName(name)[0].startTime, mark);
    await page.close();
    return at;
}

// A load with nothing kept: a new server, so a new origin (no worker, no
// storage; the server forbids HTTP caching), in a new context.
async function coldLoad(browser, folder, name, mark) {
    const server = await serve(folder);
    const context = await browser.newContext();
    try {
        return await firstFrame(context, server.url + name, mark);
    } finally {
        await context.close();
        await server.close();
    }
}

// The measures of the engine MUSLOT_ENGINE names, as JSON on stdout.
async function measureEngine() {
    let browser;
    try {
        browser = await launch();
    } catch (error) {
        if (!(error instanceof Unavailable)) throw error;
        console.log(JSON.stringify({ unavailable: error.message }));
        return;
    }
    const folder = mkdtempSync(join(tmpdir(), 'muslot-bench-'));
    try {
        cpSync(site, folder, { recursive: true });
        const version = await browser.version();
        // The tick.
        const server = await serve(folder);
        const context = await browser.newContext();
        const page = await context.newPage(`${server.url}?bench`);
        await page.waitForFunction(() => document.body.dataset.state === 'running' && !!window.muslotBench);
        const ticks = await tickCost(page);
        // What the page fetched before its first frame, for the bare page.
        const files = await page.evaluate(() => {
            const at = performance.getEntriesByName('muslot-first-frame')[0].startTime;
            return performance.getEntriesByType('resource').filter(entry => entry.startTime < at)
                .map(entry => new URL(entry.name).pathname.slice(1)).filter(name => name && !/service_worker/.test(name));
        });
        await context.close();
        await server.close();
        writeFileSync(join(folder, 'bare.html'), barePage([...new Set(files)]));
        // Cold loads, the page and the bare page taking turns.
        const loads = { page: [], bare: [] };
        for (let i = 0; i < LOADS; ++i) {
            const kinds = i % 2 ? ['bare', 'page'] : ['page', 'bare'];
            for (const kind of kinds) {
                loads[kind].push(await coldLoad(browser, folder, kind === 'page' ? '' : 'bare.html',
                                                kind === 'page' ? 'muslot-first-frame' : 'bare-first-frame'));
            }
        }
        // Warm: one visit installs the worker, the next loads come from its cache.
        loads.warm = [];
        const warmServer = await serve(folder);
        const warmContext = await browser.newContext();
        try {
            const first = await warmContext.newPage(warmServer.url);
            await first.waitForFunction(() => navigator.serviceWorker?.controller != null, { timeout: 60000 });
            await first.close();
            for (let i = 0; i < LOADS; ++i) loads.warm.push(await firstFrame(warmContext, warmServer.url, 'muslot-first-frame'));
        } finally {
            await warmContext.close();
            await warmServer.close();
        }
        console.log(JSON.stringify({ version, ticks, loads, files }));
    } finally {
        await browser.close();
        rmSync(folder, { recursive: true, force: true });
    }
}

// What the page loads, by part, as sent and gzipped.
function weight() {
    const parts = { code: /\.(js|wasm)$/, pictures: /\.(bmp|ico|png)$/, page: /\.(html|css|webmanifest)$/ };
    const sizes = {};
    for (const name of readdirSync(site, { recursive: true }).sort()) {
        if (!statSync(join(site, name)).isFile()) continue;  // js/ and its modules
        const part = Object.keys(parts).find(key => parts[key].test(extname(name))) ?? 'not loaded by the page';
        const bytes = readFileSync(join(site, name));
        const entry = sizes[part] ??= { files: [], raw: 0, gzipped: 0 };
        entry.files.push(name);
        entry.raw += bytes.length;
        entry.gzipped += gzipSync(bytes, { level: 9 }).length;
    }
    return sizes;
}

if (options.includes('--one-engine')) {
    await measureEngine();
    process.exit(0);
}

const loadAverage = () => readFileSync('/proc/loadavg', 'utf8').split(' ').slice(0, 3).join(' ');
const loadBefore = loadAverage();
const results = {};
for (const name of ENGINES) {
    console.error(`bench: the web page in ${name}`);
    try {
        const out = execFileSync(process.execPath, [fileURLToPath(import.meta.url), site, ...options, '--one-engine'],
                                 { env: { ...process.env, MUSLOT_ENGINE: name }, encoding: 'utf8',
                                   stdio: ['ignore', 'pipe', 'inherit'] });
        results[name] = JSON.parse(out.trim().split('\n').pop());
    } catch (error) {
        // Reported as not measured, with why; the other engines still are.
        results[name] = { unavailable: `the measuring failed: ${error.message.split('\n')[0]}` };
    }
}

const us = value => (value * 1000).toFixed(0);
const ms = value => value.toFixed(0);
const kib = bytes => `${(bytes / 1024).toFixed(1)} KiB`;
const ratio = (a, b) => (a / b).toFixed(2);
const spread = (values, unit) => `${unit(quantile(values, 0.1))}–${unit(quantile(values, 0.9))}`;
const rows = [];
for (const [name, result] of Object.entries(results)) {
    if (result.unavailable) {
        rows.push([name, `not measured: ${result.unavailable}`, '', '', '']);
        continue;
    }
    const { ticks, loads } = result;
    rows.push([name, `Tick, median µs (${TICKS} ticks each, in blocks of ${BLOCK}, taking turns)`, us(median(ticks.machine)),
               `${us(median(ticks.bare))} (bare canvas)`, ratio(median(ticks.machine), median(ticks.bare))]);
    rows.push([name, '… 10th to 90th percentile, µs', spread(ticks.machine, us), spread(ticks.bare, us), '']);
    rows.push([name, `Navigation to the first frame, nothing kept, median ms (${LOADS} loads each, taking turns)`,
               ms(median(loads.page)), `${ms(median(loads.bare))} (bare page)`, ratio(median(loads.page), median(loads.bare))]);
    rows.push([name, '… 10th to 90th percentile, ms', spread(loads.page, ms), spread(loads.bare, ms), '']);
    rows.push([name, `Navigation to the first frame, the worker's cache warm, median ms (${LOADS} loads)`,
               ms(median(loads.warm)), `${ms(median(loads.page))} (nothing kept)`, ratio(median(loads.warm), median(loads.page))]);
    rows.push([name, '… 10th to 90th percentile, ms', spread(loads.warm, ms), '', '']);
}
const sizes = weight();
const order = ['code', 'pictures', 'page', 'not loaded by the page'];
for (const [part, { files, raw, gzipped }] of Object.entries(sizes).sort(([a], [b]) => order.indexOf(a) - order.indexOf(b))) {
    rows.push(['', `Weight: ${part} (${files.join(', ')}), gzipped`, kib(gzipped), `${kib(raw)} as stored`, '']);
}
const loaded = Object.entries(sizes).filter(([part]) => part !== 'not loaded by the page');
rows.push(['', 'Weight: the whole page, gzipped', kib(loaded.reduce((sum, [, s]) => sum + s.gzipped, 0)),
           `${kib(loaded.reduce((sum, [, s]) => sum + s.raw, 0))} as stored`, '']);

const fetched = [...new Set(Object.values(results).flatMap(result => result.files ?? []))].sort();
const browsers = Object.entries(results).map(([name, result]) => `${name}: ${result.version ?? 'not measured'}`).join('; ');
console.log(`## The web page\n\n- Browsers: ${browsers}. Chromium and Firefox headless, WebKit's MiniBrowser on a private Xvfb; software drawing; the site served from 127.0.0.1.`);
console.log(`- Taken on ${new Date().toISOString().slice(0, 16).replace('T', ' ')} UTC${quick ? ' (--quick)' : ''}; load average ${loadBefore} before, ${loadAverage()} after.\n`);
console.log('| Engine | Measure | Page | Baseline | Ratio |\n|---|---|--:|--:|--:|');
for (const row of rows) console.log(`| ${row.join(' | ')} |`);
console.log(`
- Tick: with \`?bench\` the page offers its whole tick on demand: the core's
  copies of the running reels' bands and the lamps into the panel in the
  WebAssembly memory, the panel put on the back canvas and drawn onto the
  page's canvas. The baseline makes the same copies with the browser's own
  \`drawImage\` from pictures the browser decoded: four 180 × 100 bands and
  four 16 × 16 lamps into a 240 × 420 back buffer, then that buffer onto a
  canvas of the same size on the same page. Each tick ends by reading one
  pixel of its canvas back, so that its drawing is done, not queued. The
  pages' clocks are coarse, so ticks are timed ${BLOCK} at a
  time; the two sides take turns. Goal: at most 1.05 times the bare canvas.
- First frame: \`performance.mark('muslot-first-frame')\`, set by the page
  when the first frame is on the canvas, from the start of navigation. With
  nothing kept, each load is at a new origin in a fresh browsing context
  (no worker, and the server forbids caching). The bare page fetches at once
  the files the page fetched before its first frame, instantiates the
  module, decodes the panel, the strip and a lamp and draws one frame on a
  canvas (its own mark); the two take turns. Those files, in this run:
  ${fetched.map(name => `\`${name}\``).join(', ')}. Goal: at most 1.2 times the
  bare page. Warm: one visit installs the service worker, then each load is
  a new tab of the same context, served from the worker's cache.
- Weight: each file of the site gzipped at level 9, added up by part.`);
