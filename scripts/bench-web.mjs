// The web page's benchmarks, for scripts/bench: a tick's cost in Debian's
// chromium against a bare canvas doing the same copies, the time from load
// to the first frame, and the page's weight gzipped by part. Prints a
// Markdown section.
//
//   node scripts/bench-web.mjs <site folder> [--quick]
import { readdirSync, readFileSync, statSync } from 'node:fs';
import { extname, join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { serve } from '../tests/web/harness.mjs';
import { launchChromium as launch } from '../tests/web/browsers.mjs';

const [site, ...options] = process.argv.slice(2);
const quick = options.includes('--quick');
const TICKS = quick ? 500 : 5000;   // each side, in blocks of BLOCK
const BLOCK = 50;                    // ticks timed together: the page's timer is coarse (0.1 ms)
const LOADS = quick ? 5 : 21;

const quantile = (values, q) => {
    const sorted = [...values].sort((a, b) => a - b);
    return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
};
const median = values => quantile(values, 0.5);

// One tick of the machine (its own ?bench hook: the core's tick into the
// panel, then shown) against the same copies made by the browser's own
// drawImage from decoded pictures: four 180 × 100 bands and four 16 × 16
// lamps into a 240 × 420 back buffer, then the buffer onto a canvas on the
// page. Each tick ends by reading one pixel of its canvas back, so that the
// drawing is done rather than queued. The two take turns, block by block.
async function tickCost(page) {
    return page.evaluate(async ({ ticks, block }) => {
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
        const bare = () => {
            for (let r = 0; r < 4; ++r) {
                backContext.drawImage(strip, (position + r * 5) % 12 * 180, r * 100, 180, 100, 16, 10 + r * 100, 180, 100);
                backContext.drawImage(lamp, 210, 50 + r * 100);
            }
            position = (position + 1) % 12;
            screenContext.drawImage(back, 0, 0);
            screenContext.getImageData(0, 0, 1, 1);
        };
        const machineContext = document.getElementById('client').getContext('2d');
        const machine = () => {
            window.muslotBench.tick();
            machineContext.getImageData(0, 0, 1, 1);
        };
        const times = { machine: [], bare: [] };
        const sides = [['machine', machine], ['bare', bare]];
        for (let round = 0; round < ticks / block; ++round) {
            for (const [name, tick] of round % 2 ? sides.slice().reverse() : sides) {
                const start = performance.now();
                for (let i = 0; i < block; ++i) tick();
                times[name].push((performance.now() - start) / block);
            }
        }
        return times;
    }, { ticks: TICKS, block: BLOCK });
}

// From the start of navigation to the machine's first frame on the canvas
// (the page's mark), in a fresh browsing context each time.
async function firstFrame(browser, url) {
    const context = await browser.newContext({ viewport: { width: 1024, height: 768 } });
    const page = await context.newPage();
    await page.goto(url);
    await page.waitForFunction(() => performance.getEntriesByName('muslot-first-frame').length > 0);
    const at = await page.evaluate(() => performance.getEntriesByName('muslot-first-frame')[0].startTime);
    await context.close();
    return at;
}

// What the page loads, by part, as sent and gzipped.
function weight() {
    const parts = { code: /\.(js|wasm)$/, pictures: /\.(bmp|ico|png)$/, page: /\.(html|css)$/ };
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

const loadAverage = () => readFileSync('/proc/loadavg', 'utf8').split(' ').slice(0, 3).join(' ');
const loadBefore = loadAverage();
const server = await serve(site);
const browser = await launch();
let ticks, loads;
try {
    const context = await browser.newContext({ viewport: { width: 1024, height: 768 } });
    const page = await context.newPage();
    await page.goto(`${server.url}?bench`);
    await page.waitForFunction(() => document.body.dataset.state === 'running' && window.muslotBench);
    ticks = await tickCost(page);
    await context.close();
    loads = [];
    for (let i = 0; i < LOADS; ++i) loads.push(await firstFrame(browser, server.url));
} finally {
    await browser.close();
    await server.close();
}

const us = value => (value * 1000).toFixed(0);
const ms = value => value.toFixed(0);
const kib = bytes => `${(bytes / 1024).toFixed(1)} KiB`;
const ratio = (a, b) => (a / b).toFixed(2);
const rows = [
    [`Tick, median µs (${TICKS} ticks each, in blocks of ${BLOCK}, taking turns)`, us(median(ticks.machine)),
     `${us(median(ticks.bare))} (bare canvas)`, ratio(median(ticks.machine), median(ticks.bare))],
    ['… 10th to 90th percentile, µs', `${us(quantile(ticks.machine, 0.1))}–${us(quantile(ticks.machine, 0.9))}`,
     `${us(quantile(ticks.bare, 0.1))}–${us(quantile(ticks.bare, 0.9))}`,
     ratio(quantile(ticks.machine, 0.1), quantile(ticks.bare, 0.1))],
    [`Navigation start to the first frame, median ms (${LOADS} loads)`, ms(median(loads)), '', ''],
    ['… 10th to 90th percentile, ms', `${ms(quantile(loads, 0.1))}–${ms(quantile(loads, 0.9))}`, '', ''],
];
const sizes = weight();
const order = ['code', 'pictures', 'page', 'not loaded by the page'];
for (const [part, { files, raw, gzipped }] of Object.entries(sizes).sort(([a], [b]) => order.indexOf(a) - order.indexOf(b))) {
    rows.push([`Weight: ${part} (${files.join(', ')}), gzipped`, kib(gzipped), `${kib(raw)} as stored`, '']);
}
const loaded = Object.entries(sizes).filter(([part]) => part !== 'not loaded by the page');
rows.push(['Weight: the whole page, gzipped', kib(loaded.reduce((sum, [, s]) => sum + s.gzipped, 0)),
           `${kib(loaded.reduce((sum, [, s]) => sum + s.raw, 0))} as stored`, '']);

console.log(`## The web page\n\n- Browser: Chromium ${browser.version()}, headless, software drawing (\`--disable-gpu\`); the site served from 127.0.0.1.`);
console.log(`- Taken on ${new Date().toISOString().slice(0, 16).replace('T', ' ')} UTC; load average ${loadBefore} before, ${loadAverage()} after.\n`);
console.log('| Measure | Page | Baseline | Ratio |\n|---|--:|--:|--:|');
for (const row of rows) console.log(`| ${row.join(' | ')} |`);
console.log(`
- Tick: with \`?bench\` the page offers its whole tick on demand: the core's
  copies of the running reels' bands and the lamps into the panel in the
  WebAssembly memory, the panel put on the back canvas and drawn onto the
  page's canvas. The baseline makes the same copies with the browser's own
  \`drawImage\` from pictures the browser decoded: four 180 × 100 bands and
  four 16 × 16 lamps into a 240 × 420 back buffer, then that buffer onto a
  canvas of the same size on the same page. Each tick ends by reading one
  pixel of its canvas back, so that its drawing is done, not queued. The page's
  clock gives 0.1 ms steps, so ticks are timed fifty at a time; the two sides
  take turns, fifty ticks each.
- First frame: \`performance.mark('muslot-first-frame')\`, set by the page
  when the first frame is on the canvas, from the start of navigation, each
  load in a fresh browsing context (nothing cached).
- Weight: each file of the site gzipped at level 9, added up by part.`);
