// The machine's face: pixel for pixel the frame the reel rules give, at
// whole-number scales, and still while minimised or out of sight.
import assert from 'node:assert/strict';
import { canvasPixels, enlarge, firstDifference, screenPixels, session } from './harness.mjs';
import { Reels, assertClean, openMachine, pressKeypadDigit, referenceFrame, storedSettings } from './machine.mjs';

const site = await session();
const { test } = site;

async function assertFrame(page, reels, scale, when, bandHeight = 100) {
    const expected = enlarge(referenceFrame(reels, bandHeight), scale);
    assert.equal(firstDifference(await canvasPixels(page, '#client'), expected), null, `${when}, scale ${scale}`);
}

test('the canvas is the reference frame tick by tick, crisp at device scales 1 and 2', async () => {
    for (const scale of [1, 2]) {
        const { context, page, errors, ticks } = await openMachine(site, { scale });
        const reels = new Reels();
        await assertFrame(page, reels, scale, 'the first frame');
        await ticks(2);
        reels.tick();
        reels.tick();
        await assertFrame(page, reels, scale, 'two ticks on');
        // A stopped reel keeps its band and turns its lamp red on the next tick.
        await page.keyboard.press('3');
        await pressKeypadDigit(page, 1);
        reels.running[2] = reels.running[0] = 0;
        await ticks(3);
        for (let i = 0; i < 3; ++i) reels.tick();
        await assertFrame(page, reels, scale, 'reels 1 and 3 stopped');
        // What reaches the screen is the same, each pixel a whole square.
        assert.equal(firstDifference(await screenPixels(page, '#client'), enlarge(referenceFrame(reels), scale)), null,
                     `the screen, scale ${scale}`);
        assertClean(errors);
        await context.close();
    }
});

test('reels stand still while the machine is minimised or its tab is hidden', async () => {
    const { context, page, errors, ticks } = await openMachine(site);
    const reels = new Reels();
    await page.click('#minimise-box');
    assert.equal(await page.isVisible('#machine'), false, 'the machine is minimised');
    await ticks(5);
    await page.click('#minimised');
    await assertFrame(page, reels, 1, 'restored: the frame of the minimising');
    await ticks(1);
    reels.tick();
    await assertFrame(page, reels, 1, 'one tick after restoring');

    // The tab going out of sight: no ticks, and the settings are kept.
    await page.evaluate(() => {
        Object.defineProperty(document, 'hidden', { value: true, configurable: true });
        Object.defineProperty(document, 'visibilityState', { value: 'hidden', configurable: true });
        document.dispatchEvent(new Event('visibilitychange'));
    });
    assert.equal(await storedSettings(page), '[MUSlot]\r\nPosX=391\r\nPosY=164\r\nFitPos=1\r\nLanguage=0\r\n');
    await ticks(4);
    await assertFrame(page, reels, 1, 'hidden for four ticks');
    await page.evaluate(() => {
        delete document.hidden;
        delete document.visibilityState;
        document.dispatchEvent(new Event('visibilitychange'));
    });
    await ticks(1);
    reels.tick();
    await assertFrame(page, reels, 1, 'visible again');
    assertClean(errors);
    await context.close();
});

test('a picture that fails to load is skipped: no bands, no congratulations, no panel', async () => {
    const { context, page, errors, ticks } = await openMachine(site, { missing: ['strip.bmp', 'congrats.bmp'] });
    const reels = new Reels();
    reels.shown = [null, null, null, null];  // nothing to draw the bands from
    await assertFrame(page, reels, 1, 'without the strip', 0);
    // A match opens nothing; the reels stay stopped until the next key.
    for (let r = 0; r < 4; ++r) {
        const wait = reels.ticksUntil(r, 0);
        await ticks(wait);
        for (let i = 0; i < wait; ++i) reels.tick();
        await page.keyboard.press(String(r + 1));
        reels.running[r] = 0;
    }
    await ticks(1);
    reels.shown = [null, null, null, null];
    assert.equal(await page.isVisible('#congratulations'), false);
    await assertFrame(page, reels, 1, 'stopped on a match without its picture', 0);
    // The browser itself reports the files the test took away, and only those.
    const missing = /(strip|congrats)\.bmp|Failed to load resource: .* 404/;
    assert.deepEqual(errors.filter(e => !missing.test(e)), []);
    await context.close();

    // Without the panel the client area has no size, as on Windows.
    const bare = await openMachine(site, { missing: ['panel.bmp'] });
    assert.deepEqual((await bare.page.locator('#machine').boundingBox()), { x: 511, y: 374, width: 2, height: 19 });
    assert.deepEqual(bare.errors.filter(e => !/panel\.bmp|Failed to load resource: .* 404/.test(e)), []);
    await bare.context.close();
});
