// scripts/play web: serves the web page's site on 127.0.0.1 and prints its
// address. On a desktop ($DISPLAY) it opens the page in chromium, in a
// profile of its own, and serves until that window closes. Without a
// display it plays the page for a few seconds in headless chromium, saves a
// screenshot, prints its path and fails when the page showed no machine.
//
//   node scripts/play-web.mjs <site folder> <screenshot.png>
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { decodePng, launch, serve } from '../tests/web/harness.mjs';

const [site, shot] = process.argv.slice(2);
const server = await serve(site);
console.log(`The machine is served at ${server.url}`);

if (process.env.DISPLAY) {
    const profile = mkdtempSync(join(tmpdir(), 'muslot-play-'));
    const args = [`--user-data-dir=${profile}`, '--no-first-run', '--no-default-browser-check', `--app=${server.url}`];
    if (process.getuid?.() === 0) args.push('--no-sandbox');
    const browser = spawn(process.env.MUSLOT_CHROMIUM ?? '/usr/bin/chromium', args, { stdio: 'ignore' });
    const code = await new Promise(done => browser.on('exit', done).on('error', () => done(1)));
    rmSync(profile, { recursive: true, force: true });
    await server.close();
    process.exit(code === 0 ? 0 : 1);
}

// Without a display: the page under the real clock, as a user would see it.
const browser = await launch();
let failure = null;
try {
    const page = await browser.newPage({ viewport: { width: 1024, height: 768 } });
    const problems = [];
    page.on('pageerror', error => problems.push(`exception: ${error.message}`));
    page.on('console', message => { if (message.type() === 'error') problems.push(`console: ${message.text()}`); });
    // The page says when its machine runs, or why it does not.
    const state = await page.goto(server.url)
        .then(() => page.waitForFunction(() => document.body.dataset.state, null, { timeout: 30000 }))
        .then(handle => handle.jsonValue(), error => `never started: ${error.message.split('\n')[0]}`);
    await page.waitForTimeout(2000);   // the reels turn a while
    const png = await page.screenshot();
    writeFileSync(shot, png);
    // The machine's pictures bring hundreds of colours; an empty page has a handful.
    const { data } = decodePng(png);
    const colours = new Set();
    for (let i = 0; i < data.length; i += 4) colours.add(data[i] << 16 | data[i + 1] << 8 | data[i + 2]);
    for (const problem of problems) console.error(`play: the page reported ${problem}`);
    if (state !== 'running') failure = `the machine is not running (page state: ${state})`;
    else if (colours.size < 100) failure = `the screenshot shows no machine (${colours.size} colours)`;
} finally {
    await browser.close();
    await server.close();
}
if (failure) {
    console.error(`play: ${failure}: ${shot}`);
    process.exit(1);
}
console.log(shot);
