// Playing the machine as a user does: keys, clicks and taps stop reels by
// the rules, and a match opens the congratulations picture, which takes
// the machine's input until a click or a key release closes it.
import assert from 'node:assert/strict';
import { canvasPixels, firstDifference, session } from './harness.mjs';
import {
    Reels, assertClean, clickClient, longPress, openMachine, pictures, pressKeypadDigit, rectOf,
} from './machine.mjs';

const site = await session();
const { test } = site;

// Which lamps are red (stopped), read from the canvas after a tick.
async function stoppedLamps(page, ticks) {
    await ticks(1);
    const { data, width } = await canvasPixels(page, '#client');
    const scale = width / pictures.panel.width;
    return [0, 1, 2, 3].map(r => {
        const i = ((58 + r * 100) * scale * width + 218 * scale) * 4;
        return data[i] > 200 && data[i + 2] < 100 ? 1 : 0;
    });
}

const spinAgain = async (page, ticks) => {
    await page.keyboard.press('KeyQ');
    assert.deepEqual(await stoppedLamps(page, ticks), [0, 0, 0, 0], 'a key spun the reels again');
};

test('keys and clicks stop the reels they name; anything else spins a stopped machine', async () => {
    const { context, page, errors, ticks } = await openMachine(site);
    const rows = [
        // [what, action, lamps stopped after it]
        ['key 2', () => page.keyboard.press('2'), [0, 1, 0, 0]],
        ['key 2 again changes nothing', () => page.keyboard.press('2'), [0, 1, 0, 0]],
        ['key 5', () => page.keyboard.press('5'), [0, 1, 0, 0]],
        ['letter A', () => page.keyboard.press('KeyA'), [0, 1, 0, 0]],
        ['keypad 1 without Num Lock (End)', () => page.keyboard.press('Numpad1'), [0, 1, 0, 0]],
        ['keypad 4', () => pressKeypadDigit(page, 4), [0, 1, 0, 1]],
        ['click at y 9', () => clickClient(page, 100, 9), [0, 1, 0, 1]],
        ['right button', () => page.mouse.click(1, 1, { button: 'right' }), [0, 1, 0, 1]],
        ['click at y 110', () => clickClient(page, 3, 110), [0, 1, 0, 1]],
        ['click at y 109 on the lamp column', () => clickClient(page, 230, 109), [1, 1, 0, 1]],
        ['click at y 300', () => clickClient(page, 100, 300), [1, 1, 1, 1]],
    ];
    for (const [what, action, lamps] of rows) {
        await action();
        if (what === 'right button') await page.keyboard.press('Escape');  // the menu it opened
        assert.deepEqual(await stoppedLamps(page, ticks), lamps, what);
    }
    // Stopped on no match (or the picture would be up): any key spins again,
    // then a click at y 410 stops nothing and y 409 stops reel 4.
    if (await page.isVisible('#congratulations')) await page.mouse.click(500, 400);
    await spinAgain(page, ticks);
    await clickClient(page, 100, 410);
    await clickClient(page, 100, 409);
    assert.deepEqual(await stoppedLamps(page, ticks), [0, 0, 0, 1], 'y 410 and 409');
    // The page's background takes the focus but not the keys.
    await page.mouse.click(900, 700);
    await page.keyboard.press('1');
    assert.deepEqual(await stoppedLamps(page, ticks), [1, 0, 0, 1], 'key 1 after a click on the page');
    // Alt, F10 and Ctrl combinations are the browser's, and Tab leaves the reels.
    for (const key of ['2', '3']) await page.keyboard.press(key);
    if (await page.isVisible('#congratulations')) await page.mouse.click(500, 400);
    for (const key of ['Alt', 'F10', 'Control+KeyB', 'Escape', 'Enter']) await page.keyboard.press(key);
    assert.deepEqual(await stoppedLamps(page, ticks), [1, 1, 1, 1], 'browser and dialog keys spin nothing');
    assertClean(errors);
    await context.close();
});

test('a tap stops the reel it names, as a click does', { needs: ['touch'] }, async () => {
    const { context, page, errors, ticks } = await openMachine(site, { touch: true });
    const canvas = await rectOf(page, '#client');
    await page.touchscreen.tap(canvas.x + 100, canvas.y + 300);
    assert.deepEqual(await stoppedLamps(page, ticks), [0, 0, 1, 0], 'tap at y 300');
    await page.touchscreen.tap(canvas.x + 230, canvas.y + 109);
    assert.deepEqual(await stoppedLamps(page, ticks), [1, 0, 1, 0], 'tap at y 109 on the lamp column');
    assertClean(errors);
    await context.close();
});

// Stops each reel on the figure by its key, the last one held down.
async function stopOnFigure(page, ticks, reels, figure, stopLast) {
    for (let r = 0; r < 4; ++r) {
        const wait = reels.ticksUntil(r, figure);
        await ticks(wait);
        for (let i = 0; i < wait; ++i) reels.tick();
        reels.running[r] = 0;
        if (r < 3) await page.keyboard.press(String(r + 1));
        else await stopLast();
    }
}

test('a match opens the picture centred on the release, and it takes the input until closed', async () => {
    const { context, page, errors, ticks } = await openMachine(site);
    const reels = new Reels();
    // By keys: nothing opens while the last key is down; other presses are ignored.
    await stopOnFigure(page, ticks, reels, 7, () => page.keyboard.down('4'));
    await page.keyboard.down('KeyQ');
    assert.equal(await page.isVisible('#congratulations'), false, 'open before the release');
    await page.keyboard.up('4');
    assert.deepEqual(await rectOf(page, '#congratulations'), { x: 228, y: 144, width: 567, height: 480 });
    assert.equal(firstDifference(await canvasPixels(page, '#congratulations'), pictures.congratulations), null, 'the picture');
    // A key held, a right click and a wait leave it up and the reels stopped.
    await page.keyboard.down('KeyW');
    await page.mouse.click(400, 300, { button: 'right' });
    await ticks(60);
    assert.equal(await page.isVisible('#congratulations'), true, 'closed by a press or by waiting');
    assert.equal(await page.isVisible('#menu'), false, 'a menu under the picture');
    assert.deepEqual(await stoppedLamps(page, ticks), [1, 1, 1, 1], 'the reels under the picture');
    await page.keyboard.up('KeyW');
    assert.equal(await page.isVisible('#congratulations'), false, 'a key release closes it');
    assert.deepEqual(await stoppedLamps(page, ticks), [1, 1, 1, 1], 'the release that closed it spun');
    await page.keyboard.up('KeyQ');

    // By the mouse: the click that stops the last reel opens it at once;
    // only a left click on it closes it.
    await page.keyboard.press('Space');
    reels.spin();
    await stopOnFigure(page, ticks, reels, 2, () => clickClient(page, 100, 350));
    assert.equal(await page.isVisible('#congratulations'), true, 'opened by the click');
    await page.mouse.click(500, 400);
    assert.equal(await page.isVisible('#congratulations'), false, 'closed by a click');
    assert.deepEqual(await stoppedLamps(page, ticks), [1, 1, 1, 1], 'the closing click spun');
    await clickClient(page, 100, 5);
    assert.deepEqual(await stoppedLamps(page, ticks), [0, 0, 0, 0], 'the next click spins');
    assertClean(errors);
    await context.close();
});

test('on a phone, upright and turned on its side, every part of the machine is in reach and taps play by the rules',
     { needs: ['touch', 'mobile'] }, async () => {
    for (const scale of [2, 3]) {
        // Started upright at one scale, on its side at the other.
        const views = scale === 2 ? [[390, 844], [844, 390]] : [[844, 390], [390, 844]];
        const { context, page, errors, ticks } = await openMachine(site, { touch: true, mobile: true, scale,
                                                                           viewport: { width: views[0][0], height: views[0][1] } });
        const turns = [[...views[0], [60, 350], [1, 0, 0, 1]], [...views[1], [150, 250], [1, 1, 1, 1]]];
        for (const [width, height, taps, lamps] of turns) {
            const what = `${width}×${height} at ${scale}`;
            await page.setViewportSize({ width, height });
            const top = await rectOf(page, '#machine');
            assert.ok(top.x >= 0 && top.y >= 0 && top.x + top.width <= width, `${what}: the caption and sides in sight`);
            // Scrolling the page's background brings the bottom into sight.
            await page.mouse.move(30, height - 30);
            await page.mouse.wheel(0, 600);
            await page.waitForFunction(() => window.scrollY + window.innerHeight >= document.documentElement.scrollHeight);
            const bottom = await rectOf(page, '#machine');
            assert.ok(bottom.y + bottom.height <= height, `${what}: the bottom in sight`);
            const canvas = await rectOf(page, '#client');
            for (const y of taps) await page.touchscreen.tap(canvas.x + 100, canvas.y + y);
            assert.deepEqual(await stoppedLamps(page, ticks), lamps, `${what}: taps at y ${taps}`);
        }
        const canvas = await rectOf(page, '#client');
        await longPress(page, ticks, canvas.x + 60, canvas.y + 200);
        assert.equal(await page.isVisible('#menu'), true, `a long press opens the menu at ${scale}`);
        assertClean(errors);
        await context.close();
    }
});
