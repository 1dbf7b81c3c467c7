// The page kept by its service worker: after one visit it plays with the
// network gone, and a rebuilt site takes the old one's place at the next
// visit. The site is served from a copy, so the test can rebuild it.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { appendFileSync, cpSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after } from 'node:test';
import { fileURLToPath } from 'node:url';
import { canvasPixels, decodePng, enlarge, firstDifference, newContext, session, siteFolder } from './harness.mjs';
import { assertClean, openMachine, openTab, state } from './machine.mjs';

const root = fileURLToPath(new URL('../..', import.meta.url));
const folder = mkdtempSync(join(tmpdir(), 'muslot-offline-'));
cpSync(siteFolder, folder, { recursive: true });
after(() => rmSync(folder, { recursive: true, force: true }));
const site = await session(folder);
const { test } = site;

const keptCaches = page => page.evaluate(() => caches.keys());
const cacheOfBuild = () => /const CACHE = "([^"]+)"/.exec(readFileSync(join(folder, 'service_worker.js'), 'utf8'))[1];
const takenOver = page => page.waitForFunction(() => navigator.serviceWorker.controller !== null);
async function keptAs(page, name) {
    while ((await keptCaches(page)).join() !== name) await new Promise(done => setTimeout(done, 50));
}

test('after one visit the machine plays with the network gone', async () => {
    const { context, page, errors, ticks } = await openMachine(site, { workers: true });
    await takenOver(page);
    await context.setOffline(true);
    await page.reload();
    await page.waitForFunction(() => document.body.dataset.state);
    const frames = [];
    const frame = async () => { await ticks(1); frames.push(await canvasPixels(page, '#client')); };
    await frame();
    await frame();
    assert.notEqual(firstDifference(frames[0], frames[1]), null, 'the reels turn');
    for (const key of ['1', '2', '3', '4']) await page.keyboard.press(key);
    await frame();
    await frame();
    assert.equal(firstDifference(frames[2], frames[3]), null, 'the keys stopped every reel');
    assert.equal(await page.evaluate(() => document.body.dataset.state), 'running');
    // The icons the manifest names are kept too, and are the icon's picture.
    const manifest = await page.evaluate(() => fetch('manifest.webmanifest').then(r => r.json()));
    const icons = await page.evaluate(sources => Promise.all(sources.map(source => fetch(source)
        .then(r => r.arrayBuffer()).then(b => btoa(String.fromCharCode(...new Uint8Array(b)))))),
        manifest.icons.map(icon => icon.src));
    const icon = await page.evaluate(() => {
        const canvas = Object.assign(document.createElement('canvas'), { width: 32, height: 32 });
        canvas.getContext('2d').drawImage(document.querySelector('.caption-icon'), 0, 0, 32, 32);
        return [...canvas.getContext('2d').getImageData(0, 0, 32, 32).data];
    });
    for (const [i, { sizes }] of manifest.icons.entries()) {
        const png = decodePng(Buffer.from(icons[i], 'base64'));
        assert.equal(`${png.width}x${png.height}`, sizes);
        const picture = { width: 32, height: 32, data: new Uint8Array(icon) };
        assert.equal(firstDifference(png, enlarge(picture, png.width / 32)), null, `icon ${sizes}`);
    }
    assertClean(errors);
    await context.close();
});

test('a rebuilt site replaces the kept one at the next visit', { timeout: 120000 }, async () => {
    const { context, page, errors } = await openMachine(site, { workers: true });
    await takenOver(page);
    const old = cacheOfBuild();
    assert.deepEqual(await keptCaches(page), [old]);
    await page.close();
    appendFileSync(join(folder, 'muslot.css'), '/* rebuilt */\n');
    execFileSync(process.execPath, [join(root, 'tools/web-install.mjs'), root, folder]);
    const rebuilt = cacheOfBuild();
    assert.notEqual(rebuilt, old, 'a new cache for new content');
    // The next visit finds the new site and keeps it in place of the old.
    const next = await openTab(context);
    await keptAs(next.page, rebuilt);
    await next.page.close();
    // Then, with the network gone, the page is the rebuilt one.
    await context.setOffline(true);
    const last = await openTab(context);
    assert.match(await last.page.evaluate(() => fetch('muslot.css').then(r => r.text())), /rebuilt/);
    assertClean(errors);
    await context.close();
});

test('where workers are missing or refused, the page plays and says nothing of it', async () => {
    const browsers = {
        'no workers': () => Object.defineProperty(Navigator.prototype, 'serviceWorker', { get: () => undefined }),
        'workers refused': () => {
            ServiceWorkerContainer.prototype.register = () => Promise.reject(new DOMException('no', 'SecurityError'));
        },
    };
    for (const [what, script] of Object.entries(browsers)) {
        const context = await newContext(site, { workers: true, before: script });
        const { page, errors } = await openTab(context);
        assert.equal(await state(page), 'running', what);
        assertClean(errors);
        await context.close();
    }
});
