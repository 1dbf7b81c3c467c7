// scripts/play web: serves the web page's site on 127.0.0.1 and prints its
// address. On a desktop ($DISPLAY) it opens the page in the engine's
// browser, in a profile of its own, and serves until that window closes.
// Without a display it plays the page for a few seconds in that engine's
// headless browser (tests/web/browsers.mjs), saves a screenshot, prints its
// path and fails when the page showed no machine.
//
//   node scripts/play-web.mjs <site folder> <screenshot.png> [chromium|firefox|webkit]
import { spawn } from 'node:child_process';
import { mkdirSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const [site, shot, engine = 'chromium'] = process.argv.slice(2);
if (!['chromium', 'firefox', 'webkit'].includes(engine)) {
    console.error(`play: the engine is chromium, firefox or webkit, not '${engine}'`);
    process.exit(2);
}
process.env.MUSLOT_ENGINE = engine;
const { decodePng, REPORT_PATH, serve } = await import('../tests/web/harness.mjs');
const { launch, miniBrowser, pageWatch } = await import('../tests/web/browsers.mjs');

// Where the engine's driver cannot watch the console, the page watches itself.
const problems = [];
const server = await serve(site, { head: pageWatch ? [`(${pageWatch})(${JSON.stringify(REPORT_PATH)});`] : [], errors: problems });
console.log(`The machine is served at ${server.url}`);

if (process.env.DISPLAY) {
    const profile = mkdtempSync(join(tmpdir(), 'muslot-play-'));
    let command, args;
    if (engine === 'chromium') {
        // The page is Japanese: no offer to translate it over the machine.
        mkdirSync(join(profile, 'Default'));
        writeFileSync(join(profile, 'Default', 'Preferences'), JSON.stringify({ translate: { enabled: false } }));
        command = process.env.MUSLOT_CHROMIUM ?? '/usr/bin/chromium';
        args = [`--user-data-dir=${profile}`, '--no-first-run', '--no-default-browser-check', `--app=${server.url}`];
        // As root chromium runs only without its sandbox; --test-type spares the player its warning bar.
        if (process.getuid?.() === 0) args.push('--no-sandbox', '--test-type');
    } else if (engine === 'firefox') {
        command = process.env.MUSLOT_FIREFOX ?? '/usr/bin/firefox-esr';
        args = ['--new-instance', '--profile', profile, server.url];
    } else {
        command = miniBrowser();
        args = [server.url];
    }
    const browser = spawn(command, args, { stdio: 'ignore' });
    const code = await new Promise(done => browser.on('exit', done).on('error', () => done(1)));
    rmSync(profile, { recursive: true, force: true });
    await server.close();
    process.exit(code === 0 ? 0 : 1);
}

// Without a display: the page under the real clock, as a user would see it.
let failure = null, browser = null;
try {
    browser = await launch();
    const context = await browser.newContext({ viewport: { width: 1024, height: 768 } });
    const page = await context.newPage(server.url);
    // The page says when its machine runs, or why it does not.
    const state = await page.waitForFunction(() => document.body.dataset.state, { timeout: 30000 })
        .catch(error => `never started: ${error.message.split('\n')[0]}`);
    await new Promise(done => setTimeout(done, 2000));   // the reels turn a while
    const png = await page.screenshot();
    writeFileSync(shot, png);
    // The machine's pictures bring hundreds of colours; an empty page has a handful.
    const { data } = decodePng(png);
    const colours = new Set();
    for (let i = 0; i < data.length; i += 4) colours.add(data[i] << 16 | data[i + 1] << 8 | data[i + 2]);
    for (const problem of [...problems, ...context.errors]) console.error(`play: the page reported ${problem}`);
    if (state !== 'running') failure = `the machine is not running (page state: ${state})`;
    else if (colours.size < 100) failure = `the screenshot shows no machine (${colours.size} colours)`;
    await context.close();
} catch (error) {
    failure = `${engine} did not play the page: ${error.message}`;
} finally {
    await browser?.close();
    await server.close();
}
if (failure) {
    console.error(`play: ${failure}${shot ? `: ${shot}` : ''}`);
    process.exit(1);
}
console.log(shot);
