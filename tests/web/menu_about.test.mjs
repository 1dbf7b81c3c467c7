// The right-button menu in both languages, the About box and Exit.
import assert from 'node:assert/strict';
import { session } from './harness.mjs';
import { assertClean, clickClient, openMachine, rectOf, state, storedSettings } from './machine.mjs';

const site = await session();
const { test } = site;

const LANGUAGES = [
    { query: '', menu: ['ﾊﾞｰｼﾞｮﾝ情報...', '終了'], caption: 'ﾊﾞｰｼﾞｮﾝ情報', closed: /再読み込み/ },
    { query: '?Language=1', menu: ['About...', 'Exit'], caption: 'About', closed: /Reload this page/ },
    { query: '?Language=4294967295', menu: ['About...', 'Exit'], caption: 'About', closed: /Reload this page/ },
];

const menuTexts = page => page.locator('#menu .menu-item').allTextContents();

async function openMenuAt(page, x, y) {
    await clickClient(page, x, y, 'right');
    assert.equal(await page.isVisible('#menu'), true, 'the menu opened');
}

test('the menu opens at the pointer in the chosen language; About and Exit do their work', async () => {
    for (const language of LANGUAGES) {
        const { context, page, errors } = await openMachine(site, { query: language.query });
        const client = await rectOf(page, '#client');
        await openMenuAt(page, 50, 120);
        assert.deepEqual(await menuTexts(page), language.menu, language.query);
        assert.deepEqual((await rectOf(page, '#menu')).x, client.x + 50);
        assert.deepEqual((await rectOf(page, '#menu')).y, client.y + 120);
        await page.keyboard.press('Escape');
        assert.equal(await page.isVisible('#menu'), false, 'Escape cancels the menu');
        await openMenuAt(page, 50, 120);
        await page.mouse.click(5, 5);
        assert.equal(await page.isVisible('#menu'), false, 'a click elsewhere cancels the menu');
        await openMenuAt(page, 10, 10);
        await clickClient(page, 50, 120, 'right');
        assert.equal(await page.isVisible('#menu'), false, 'a right click on the reels cancels it and opens none');

        await openMenuAt(page, 10, 10);
        await page.click('#menu .menu-item');
        assert.equal(await page.locator('#about-title').textContent(), language.caption);
        await page.click('#about-ok');
        assert.equal(await page.isVisible('#about'), false);

        // Exit by its mnemonic: the machine goes, the settings are kept and the
        // page says how to start again.
        await openMenuAt(page, 10, 10);
        await page.keyboard.press('x');
        assert.equal(await state(page), 'closed');
        assert.equal(await page.isVisible('#machine'), false);
        assert.match(await page.locator('#notice').textContent(), language.closed);
        assert.match(await storedSettings(page), /^\[MUSlot\]\r\nPosX=391\r\nPosY=164\r\nFitPos=1\r\nLanguage=\d+\r\n$/);
        assertClean(errors);
        await context.close();
    }
});

test('a finger resting on the reels opens the menu; lifted sooner it opens none', { needs: ['touch'] }, async () => {
    const { context, page, errors, ticks } = await openMachine(site, { query: '?Language=1', touch: true });
    const client = await rectOf(page, '#client');
    await page.touchscreen.start(client.x + 60, client.y + 200);
    await ticks(4);
    await page.touchscreen.end();
    assert.equal(await page.isVisible('#menu'), false, 'a press of 400 ms');
    await page.touchscreen.start(client.x + 60, client.y + 200);
    await ticks(6);
    await page.touchscreen.end();
    assert.equal(await page.isVisible('#menu'), true, 'a long press opens the menu');
    assert.deepEqual(await menuTexts(page), ['About...', 'Exit']);
    assert.deepEqual(await rectOf(page, '#menu').then(({ x, y }) => ({ x, y })), { x: client.x + 60, y: client.y + 200 });
    await page.mouse.click(5, 5);
    assert.equal(await page.isVisible('#menu'), false, 'a click elsewhere cancels the menu');
    assertClean(errors);
    await context.close();
});

test('the About box: centred, modal, dragged by its body within the page, closed four ways, its credit game', async () => {
    const { context, page, errors, ticks } = await openMachine(site, { viewport: { width: 500, height: 600 } });
    const openAbout = async () => {
        await openMenuAt(page, 10, 10);
        await page.keyboard.press('a');
        assert.equal(await page.isVisible('#about'), true, 'About opened');
    };
    const credit = () => page.locator('#about-credit').textContent();
    await openAbout();
    assert.deepEqual(await page.locator('#about-body > *, #machine .caption-text').allTextContents(),
                     ['ポルニカスロット', '', '<Murasu Slot>', 'muslot Ver1.02', 'Copyright (C) 2026 Velnor', 'Programmed by Velnor', 'OK']);
    const machine = await rectOf(page, '#machine');
    const box = await rectOf(page, '#about');
    assert.equal(box.x, machine.x + Math.trunc((machine.width - box.width) / 2), 'centred across');
    assert.equal(box.y, machine.y + Math.trunc((machine.height - box.height) / 2), 'centred down');
    // Modal: the reels take no keys or clicks, yet keep spinning.
    await page.keyboard.press('1');
    await clickClient(page, 5, 300);
    assert.equal(await page.isVisible('#menu'), false);
    await page.keyboard.press('Escape');
    assert.equal(await page.isVisible('#about'), false, 'Escape closes it');

    // The credit turns Japanese on the seventh click, counted across openings.
    const table = [[3, 'Programmed by Velnor'], [3, 'Programmed by Velnor'], [1, 'Programmed by ぺるぺる'],
                   [1, 'Programmed by Velnor']];
    const closers = [() => page.keyboard.press('Enter'), () => page.click('#about-close-box'),
                     () => page.click('#about-ok'), () => page.keyboard.press('Escape')];
    for (const [i, [clicks, text]] of table.entries()) {
        await openAbout();
        for (let c = 0; c < clicks; ++c) await page.click('#about-credit');
        assert.equal(await credit(), text, `after ${clicks} more clicks`);
        await closers[i]();
        assert.equal(await page.isVisible('#about'), false, `closer ${i}`);
    }

    // Dragged by its body, it stops at the page's edges (FitPos); the OK
    // button takes its own press.
    await openAbout();
    const start = await rectOf(page, '#about');
    const drag = async (from, dx, dy) => {
        await page.mouse.move(from.x, from.y);
        await page.mouse.down();
        await page.mouse.move(from.x + dx, from.y + dy, { steps: 4 });
        await page.mouse.up();
    };
    // To the page's bottom left corner (WebDriver moves the pointer only within the page).
    await drag({ x: start.x + 20, y: start.y + 60 }, -(start.x + 20), 599 - (start.y + 60));
    const moved = await rectOf(page, '#about');
    assert.deepEqual([moved.x, moved.y + moved.height], [0, 600], 'pulled back at the left and bottom');
    await drag({ x: moved.x + moved.width / 2, y: moved.y + moved.height - 20 }, 50, -50);
    assert.deepEqual(await rectOf(page, '#about'), moved, 'a press on OK drags nothing');
    assert.equal(await page.isVisible('#about'), true);
    await page.keyboard.press('Enter');
    assert.deepEqual(await page.evaluate(() => document.activeElement.id), 'client', 'the reels have the keys again');
    await ticks(1);
    assertClean(errors);
    await context.close();
});
