// What the browser tests stand on. Their packages come by a lock file that
// names no registry. Their own bitmap decoder is the reference the page is
// held to, so it is held in turn to a third reader: the browser's, for every
// picture the page uses, stored bottom-up as they are and top-down as well.
import assert from 'node:assert/strict';
import { readdirSync, readFileSync } from 'node:fs';
import { fileURLToPath } from 'node:url';
import { firstDifference, newContext, openPage, readBmp, session } from './harness.mjs';

const res = fileURLToPath(new URL('../../res/', import.meta.url));

// The same bitmap with its rows stored from the top.
function topDown(bmp) {
    const copy = Buffer.from(bmp);
    const height = bmp.readInt32LE(22), bits = bmp.readUInt32LE(10);
    const stride = Math.ceil(bmp.readInt32LE(18) * bmp.readUInt16LE(28) / 32) * 4;
    copy.writeInt32LE(-height, 22);
    for (let y = 0; y < height; ++y) bmp.copy(copy, bits + y * stride, bits + (height - 1 - y) * stride, bits + (height - y) * stride);
    return copy;
}

const site = await session();
const { test } = site;

test('the lock file names no registry: npm ci takes the one the machine is set up with', () => {
    const lock = JSON.parse(readFileSync(new URL('package-lock.json', import.meta.url), 'utf8'));
    // Addresses only in a package's own description of where to fund it.
    const described = JSON.stringify(lock, (key, value) => (key === 'funding' ? undefined : value));
    assert.doesNotMatch(described, /"resolved"|https?:\/\//);
    for (const name of ['playwright-core', 'puppeteer-core']) {
        assert.ok(lock.packages[`node_modules/${name}`].integrity, `${name} is pinned by its hash`);
    }
});

test('the reference decoder reads the pictures as the browser does', async () => {
    const context = await newContext(site);
    try {
        const { page } = await openPage(context, 'LICENSE');
        for (const name of readdirSync(res).filter(file => file.endsWith('.bmp')).sort()) {
            const stored = readFileSync(res + name);
            for (const [layout, bmp] of [['bottom-up', stored], ['top-down', topDown(stored)]]) {
                const browserImage = await page.evaluate(async base64 => {
                    const bytes = Uint8Array.from(atob(base64), c => c.charCodeAt(0));
                    const bitmap = await createImageBitmap(new Blob([bytes], { type: 'image/bmp' }), { colorSpaceConversion: 'none' });
                    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
                    canvas.getContext('2d').drawImage(bitmap, 0, 0);
                    const { data } = canvas.getContext('2d').getImageData(0, 0, bitmap.width, bitmap.height);
                    let text = '';
                    for (let i = 0; i < data.length; i += 0x8000) text += String.fromCharCode(...data.subarray(i, i + 0x8000));
                    return { width: bitmap.width, height: bitmap.height, data: btoa(text) };
                }, bmp.toString('base64'));
                browserImage.data = new Uint8Array(Buffer.from(browserImage.data, 'base64'));
                assert.equal(firstDifference(readBmp(bmp), browserImage), null, `${name}, ${layout}`);
            }
        }
    } finally {
        await context.close();
    }
});
