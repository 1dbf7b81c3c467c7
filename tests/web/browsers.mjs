// The browsers the page is played in, behind one small interface, so that
// each suite is written once and run in every engine:
//   chromium  Debian's chromium (Blink) through playwright-core
//   firefox   Debian's firefox-esr (Gecko) through puppeteer-core over WebDriver BiDi
//   webkit    Debian's WebKitWebDriver and the MiniBrowser of WebKitGTK, over
//             plain W3C WebDriver, on a private Xvfb
// MUSLOT_ENGINE picks one (ctest sets it per row). The held clock, the
// settings seeded before the page's scripts and the files taken away are
// the server's doing (harness.mjs), the same in every engine; what is here
// is only what differs: launching, input, evaluating, screenshots and
// watching the console.
import { spawn } from 'node:child_process';
import { existsSync, readdirSync } from 'node:fs';
import { createServer } from 'node:net';

export const ENGINES = ['chromium', 'firefox', 'webkit'];
export const engine = process.env.MUSLOT_ENGINE || 'chromium';
if (!ENGINES.includes(engine)) throw new Error(`MUSLOT_ENGINE is one of ${ENGINES.join(', ')}, not '${engine}'`);

// An engine that cannot run on this machine: its tests are skipped with this
// reason, never passed.
export class Unavailable extends Error {}

// What an engine cannot do here, with why; the suites skip those cases.
export const lacks = {
    chromium: {},
    firefox: {
        mobile: 'puppeteer over WebDriver BiDi has no phone emulation (isMobile: the viewport meta tag, overlay scrollbars)',
    },
    webkit: {
        touch: 'WebKitWebDriver turns touch actions into mouse events, and WebKitGTK without a touch screen has no touch events',
        mobile: 'WebKitGTK over WebDriver has no phone emulation',
    },
}[engine];

function need(path, what) {
    if (!path || !existsSync(path)) throw new Unavailable(`${what} is not installed (scripts/setup installs it)`);
    return path;
}

// W3C WebDriver's key values for the key names the suites use (those of
// KeyboardEvent.code, or the character), as BiDi and classic WebDriver take them.
const W3C_KEYS = {
    Alt: '\uE00A', Control: '\uE009', Shift: '\uE008', Meta: '\uE03D', Escape: '\uE00C', Enter: '\uE007',
    Tab: '\uE004', Space: ' ', Backspace: '\uE003', ArrowLeft: '\uE012', ArrowUp: '\uE013', ArrowRight: '\uE014',
    ArrowDown: '\uE015',
    // The keypad with Num Lock off: its digits are these keys.
    Numpad0: '\uE05C', Numpad1: '\uE056', Numpad2: '\uE05B', Numpad3: '\uE055', Numpad4: '\uE058',
    Numpad6: '\uE05A', Numpad7: '\uE057', Numpad8: '\uE059', Numpad9: '\uE054',
};
function w3cKey(name) {
    if (W3C_KEYS[name]) return W3C_KEYS[name];
    let m;
    if ((m = /^F(\d+)$/.exec(name))) return String.fromCharCode(0xE031 + Number(m[1]) - 1);
    if ((m = /^(?:Key([A-Z])|Digit(\d))$/.exec(name))) return (m[1] ?? m[2]).toLowerCase();
    if (name.length === 1) return name;
    throw new Error(`no WebDriver key value for '${name}'`);
}
const MODIFIERS = ['Alt', 'Control', 'Shift', 'Meta'];
// A keypad digit with Num Lock on.
const w3cKeypadDigit = digit => String.fromCharCode(0xE01A + digit);

// The page's side of a press the driver cannot make itself: the events a
// browser sends, dispatched where they would land.
function dispatchInPage(kind, detail) {
    if (kind === 'key') {
        const init = { key: detail.key, code: detail.code, bubbles: true, cancelable: true, composed: true };
        (document.activeElement ?? document.body).dispatchEvent(new KeyboardEvent(detail.type, init));
        return;
    }
    // A right click: press, the browser's menu event, release.
    const { x, y } = detail, button = 2;
    const target = document.elementFromPoint(x, y) ?? document.body;
    const common = { clientX: x, clientY: y, button, bubbles: true, cancelable: true, composed: true, view: window };
    const pointer = { ...common, pointerId: 1, pointerType: 'mouse', isPrimary: true };
    target.dispatchEvent(new PointerEvent('pointerdown', { ...pointer, buttons: 2 }));
    target.dispatchEvent(new MouseEvent('mousedown', { ...common, buttons: 2 }));
    target.dispatchEvent(new PointerEvent('contextmenu', { ...pointer, buttons: 2 }));
    const upTarget = document.elementFromPoint(x, y) ?? document.body;
    upTarget.dispatchEvent(new PointerEvent('pointerup', { ...pointer, buttons: 0 }));
    upTarget.dispatchEvent(new MouseEvent('mouseup', { ...common, buttons: 0 }));
}

// What every engine's page offers the suites: a small part of playwright's
// page, built on a few primitives each engine supplies (evaluateSource,
// keyDown/keyUp, mouse*, wheel, touch*, resize, shot, reload, close).
class Page {
    constructor(context) {
        this.context = context;
        this.errors = context.errors;
        this.mousePoint = { x: 0, y: 0 };
        const page = this;
        this.keyboard = {
            down: name => page.keyDown(name),
            up: name => page.keyUp(name),
            async press(combo) {
                const names = combo.split('+');
                for (const name of names) await this.down(name);
                for (const name of names.reverse()) await this.up(name);
            },
        };
        this.mouse = {
            move: (x, y, { steps = 1 } = {}) => page.mouseMove(x, y, steps),
            down: ({ button = 'left' } = {}) => page.mouseButton('down', button),
            up: ({ button = 'left' } = {}) => page.mouseButton('up', button),
            click: (x, y, { button = 'left' } = {}) => page.mouseClick(x, y, button),
            wheel: (deltaX, deltaY) => page.wheel(deltaX, deltaY),
        };
        this.touchscreen = {
            tap: (x, y) => page.touch('tap', x, y),
            start: (x, y) => page.touch('start', x, y),
            end: () => page.touch('end'),
        };
    }
    // fn(arg) in the page, its value (awaited) as JSON.
    evaluate(fn, arg) {
        return this.evaluateSource(`(${fn})(${arg === undefined ? '' : JSON.stringify(arg)})`);
    }
    async waitForFunction(fn, { timeout = 15000 } = {}) {
        const until = Date.now() + timeout;
        for (;;) {
            const value = await this.evaluate(fn);
            if (value) return value;
            if (Date.now() > until) throw new Error(`timed out waiting for ${fn}`);
            await new Promise(done => setTimeout(done, 50));
        }
    }
    locator(selector) {
        const page = this;
        const on = (fn, arg) => page.evaluateSource(
            `(${fn})(document.querySelector(${JSON.stringify(selector)}), ${JSON.stringify(arg ?? null)})`);
        return {
            evaluate: on,
            textContent: () => on(element => element.textContent),
            allTextContents: () => page.evaluateSource(
                `[...document.querySelectorAll(${JSON.stringify(selector)})].map(element => element.textContent)`),
            boundingBox: () => on(element => {
                if (!element) return null;
                const { x, y, width, height } = element.getBoundingClientRect();
                return width || height ? { x, y, width, height } : null;
            }),
        };
    }
    // Visible as playwright has it: a box of some size and not hidden by style.
    isVisible(selector) {
        return this.locator(selector).evaluate(element => {
            if (!element) return false;
            const { width, height } = element.getBoundingClientRect();
            return width > 0 && height > 0 && getComputedStyle(element).visibility !== 'hidden';
        });
    }
    // A left click in the middle of the first element the selector finds.
    async click(selector) {
        const box = await this.locator(selector).boundingBox();
        if (!box) throw new Error(`nothing visible to click at ${selector}`);
        await this.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
    }
    // Until the page's drawing is on the screen (the held clock keeps the
    // browser's own frames for it).
    rendered() { return this.evaluateSource('window.__muslotClock?.painted()'); }
    // The viewport resized, as a phone turned on its side; done once the page
    // has seen the resize.
    async setViewportSize({ width, height }) {
        await this.resize({ width, height });
        await this.waitForFunction(`() => innerWidth === ${width} && innerHeight === ${height}`);
        await this.rendered();
    }
    // The page as the screen shows it, a PNG in device pixels.
    screenshot() { return this.shot(); }
    // WebDriver takes whole pixels: a point inside a pixel is that pixel, in
    // every engine alike.
    async mouseMove(x, y, steps) {
        const from = this.mousePoint;
        for (let i = 1; i <= steps; ++i) {
            await this.pointerMove(Math.floor(from.x + (x - from.x) * i / steps), Math.floor(from.y + (y - from.y) * i / steps));
        }
        this.mousePoint = { x, y };
    }
    async mouseClick(x, y, button) {
        await this.mouseMove(x, y, 1);
        await this.mouseButton('down', button);
        await this.mouseButton('up', button);
    }
    async close() {
        this.context.pages.delete(this);
        await this.closeTab();
    }
}

class Context {
    constructor(browser, options) {
        this.browser = browser;
        this.options = options;
        this.errors = [];
        this.pages = new Set();
    }
    async newPage(url) {
        const page = await this.openTab(url);
        this.pages.add(page);
        return page;
    }
    async close() {
        for (const page of [...this.pages]) await page.close();
        await this.closeContext?.();
        for (const done of this.onClose ?? []) await done();
    }
}

// ---- Blink: Debian's chromium through playwright-core ----

const CHROMIUM = process.env.MUSLOT_CHROMIUM ?? '/usr/bin/chromium';

// Debian's chromium, headless, with nothing of its own reaching the network;
// playwright gives each launch a fresh profile. (Also the benchmark's browser.)
export async function launchChromium() {
    const { chromium } = await import('playwright-core').catch(() => {
        throw new Unavailable('playwright-core is missing: run scripts/setup (it runs npm ci in tests/web)');
    });
    const args = ['--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
                  '--disable-component-update', '--disable-sync', '--force-color-profile=srgb'];
    if (process.getuid?.() === 0) args.push('--no-sandbox');
    return chromium.launch({ executablePath: need(CHROMIUM, 'chromium'), headless: true, args });
}

// Console errors, exceptions, failed requests and requests leaving the site,
// as Playwright and puppeteer both report them.
function watchPage(page, errors, origin) {
    page.on('console', message => { if (message.type() === 'error') errors.push(`console: ${message.text()}`); });
    page.on('pageerror', error => errors.push(`exception: ${error.message}`));
    page.on('requestfailed', request => errors.push(`request failed: ${request.url()} (${request.failure()?.errorText})`));
    page.on('request', request => offSite(errors, origin, request.url()));
}

class ChromiumPage extends Page {
    async open(url) {
        const page = this.tab = await this.context.native.newPage();
        watchPage(page, this.errors, new URL(url).origin);
        await page.goto(url);
    }
    evaluateSource(source) { return this.tab.evaluate(source); }
    keyDown(name) { return this.tab.keyboard.down(name); }
    keyUp(name) { return this.tab.keyboard.up(name); }
    // Playwright's keyboard has Num Lock off (its Numpad1 is End): the keypad's
    // digits as the keyboard sends them with Num Lock on.
    async pressKeypadDigit(digit) {
        const cdp = await this.devtools();
        const key = { key: String(digit), code: `Numpad${digit}`, windowsVirtualKeyCode: 0x60 + digit, location: 3 };
        await cdp.send('Input.dispatchKeyEvent', { type: 'keyDown', text: String(digit), ...key });
        await cdp.send('Input.dispatchKeyEvent', { type: 'keyUp', ...key });
    }
    // One DevTools session for the tab: a touch it starts, it must end.
    async devtools() {
        this.cdp ??= await this.tab.context().newCDPSession(this.tab);
        return this.cdp;
    }
    pointerMove(x, y) { return this.tab.mouse.move(x, y); }
    mouseButton(action, button) { return this.tab.mouse[action]({ button }); }
    wheel(deltaX, deltaY) { return this.tab.mouse.wheel(deltaX, deltaY); }
    resize(size) { return this.tab.setViewportSize(size); }
    async touch(action, x, y) {
        if (action === 'tap') return this.tab.touchscreen.tap(x, y);
        await (await this.devtools()).send('Input.dispatchTouchEvent', action === 'start'
            ? { type: 'touchStart', touchPoints: [{ x, y }] } : { type: 'touchEnd', touchPoints: [] });
    }
    shot() { return this.tab.screenshot(); }
    reload() { return this.tab.reload(); }
    closeTab() { return this.tab.close(); }
}

class ChromiumContext extends Context {
    async start() {
        const { scale = 1, touch = false, mobile = false, viewport } = this.options;
        this.native = await this.browser.native.newContext({ deviceScaleFactor: scale, hasTouch: touch, isMobile: mobile,
                                                             viewport });
    }
    async openTab(url) { const page = new ChromiumPage(this); await page.open(url); return page; }
    closeContext() { return this.native.close(); }
}

// ---- Gecko: Debian's firefox-esr through puppeteer-core over WebDriver BiDi ----

const FIREFOX = process.env.MUSLOT_FIREFOX ?? '/usr/bin/firefox-esr';

async function launchFirefox() {
    const { default: puppeteer } = await import('puppeteer-core').catch(() => {
        throw new Unavailable('puppeteer-core is missing: run scripts/setup (it runs npm ci in tests/web)');
    });
    return puppeteer.launch({
        browser: 'firefox', executablePath: need(FIREFOX, 'firefox-esr'), headless: true,
        // Touch events as on a touch screen, where a context asks for touch;
        // sRGB as the other engines give it.
        extraPrefsFirefox: { 'dom.w3c_touch_events.enabled': 1, 'gfx.color_management.mode': 0 },
    });
}

class FirefoxPage extends Page {
    async open(url) {
        const { scale = 1, touch = false, viewport } = this.context.options;
        const page = this.tab = await this.context.native.newPage();
        await page.setViewport({ width: viewport.width, height: viewport.height, deviceScaleFactor: scale, hasTouch: touch });
        watchPage(page, this.errors, new URL(url).origin);
        await page.goto(url);
    }
    // Input goes to the tab in front: a background tab is brought forward first.
    async front() {
        if (this.context.browser.front !== this) {
            await this.tab.bringToFront();
            this.context.browser.front = this;
        }
    }
    evaluateSource(source) { return this.tab.evaluate(source); }
    async keyDown(name) { await this.front(); await this.tab.keyboard.down(w3cKey(name)); }
    async keyUp(name) { await this.front(); await this.tab.keyboard.up(w3cKey(name)); }
    async pressKeypadDigit(digit) {
        await this.front();
        await this.tab.keyboard.press(w3cKeypadDigit(digit));
    }
    async pointerMove(x, y) { await this.front(); await this.tab.mouse.move(x, y); }
    async mouseButton(action, button) { await this.front(); await this.tab.mouse[action]({ button }); }
    async wheel(deltaX, deltaY) { await this.front(); await this.tab.mouse.wheel({ deltaX, deltaY }); }
    resize({ width, height }) {
        const { scale = 1, touch = false } = this.context.options;
        return this.tab.setViewport({ width, height, deviceScaleFactor: scale, hasTouch: touch });
    }
    async touch(action, x, y) {
        await this.front();
        if (action === 'tap') return this.tab.touchscreen.tap(x, y);
        if (action === 'start') this.finger = await this.tab.touchscreen.touchStart(x, y);
        else await this.finger.end();
    }
    async shot() { return Buffer.from(await this.tab.screenshot()); }
    async reload() { await this.tab.reload(); }
    async closeTab() {
        if (this.context.browser.front === this) this.context.browser.front = null;
        await this.tab.close();
    }
}

class FirefoxContext extends Context {
    async start() { this.native = await this.browser.native.createBrowserContext(); }
    async openTab(url) {
        const page = new FirefoxPage(this);
        this.browser.front = page;
        await page.open(url);
        return page;
    }
    closeContext() { return this.native.close(); }
}

// ---- WebKit: WebKitWebDriver and MiniBrowser over plain W3C WebDriver ----

export function miniBrowser() {
    if (process.env.MUSLOT_MINIBROWSER) return process.env.MUSLOT_MINIBROWSER;
    for (const lib of ['/usr/lib', '/usr/libexec']) {
        for (const arch of [''].concat(existsSync(lib) ? readdirSync(lib) : [])) {
            for (const api of ['webkit2gtk-4.1', 'webkitgtk-6.0', 'webkit2gtk-4.0']) {
                const path = [lib, arch, api, 'MiniBrowser'].filter(Boolean).join('/');
                if (existsSync(path)) return path;
            }
        }
    }
    return null;
}

const freePort = () => new Promise((done, fail) => {
    const probe = createServer().once('error', fail).listen(0, '127.0.0.1', () => {
        const { port } = probe.address();
        probe.close(() => done(port));
    });
});

// Child processes the tests start end with them, however the tests end.
const children = new Set();
process.on('exit', () => { for (const child of children) child.kill('SIGKILL'); });
for (const signal of ['SIGINT', 'SIGTERM']) process.once(signal, () => process.exit(128 + (signal === 'SIGINT' ? 2 : 15)));
function startChild(command, args, options) {
    const child = spawn(command, args, options);
    children.add(child);
    child.on('exit', () => children.delete(child));
    return child;
}
function stopChild(child) {
    if (child.exitCode !== null || child.signalCode !== null) return Promise.resolve();
    return new Promise(done => { child.once('exit', done); child.kill(); });
}

// A private X display, of room for a 1024 × 768 window at a device scale of 2.
async function startXvfb() {
    need('/usr/bin/Xvfb', 'Xvfb');
    const xvfb = startChild('/usr/bin/Xvfb', ['-displayfd', '3', '-screen', '0', '2560x1800x24', '-nolisten', 'tcp'],
                            { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
    const display = await new Promise((done, fail) => {
        let text = '';
        xvfb.stdio[3].on('data', chunk => {
            text += chunk;
            if (text.includes('\n')) done(`:${text.trim()}`);
        });
        xvfb.once('exit', code => fail(new Unavailable(`Xvfb did not start (exit code ${code})`)));
    });
    return { display, stop: () => stopChild(xvfb) };
}

// One WebKitWebDriver with its MiniBrowser session; GDK_SCALE gives the
// device scale, which WebKitGTK takes from the display and WebDriver cannot set.
class WebDriverSession {
    static async start(display, scale) {
        const driver = need('/usr/bin/WebKitWebDriver', 'WebKitWebDriver (webkit2gtk-driver)');
        const binary = need(miniBrowser(), 'the MiniBrowser of WebKitGTK');
        const port = await freePort();
        const session = new WebDriverSession();
        session.output = '';
        session.process = startChild(driver, [`--port=${port}`], {
            env: { ...process.env, DISPLAY: display, GDK_SCALE: String(scale), GDK_DPI_SCALE: '1' },
            stdio: ['ignore', 'pipe', 'pipe'],
        });
        for (const stream of [session.process.stdout, session.process.stderr]) {
            stream.on('data', chunk => { session.output = (session.output + chunk).slice(-4000); });
        }
        session.base = `http://127.0.0.1:${port}`;
        for (let i = 0; ; ++i) {
            try {
                if ((await fetch(`${session.base}/status`)).ok) break;
            } catch { /* not listening yet */ }
            if (i === 100 || session.process.exitCode !== null) {
                await stopChild(session.process);
                throw new Unavailable(`WebKitWebDriver did not start: ${session.output.trim() || 'no answer in 10 s'}`);
            }
            await new Promise(done => setTimeout(done, 100));
        }
        const created = await session.call('POST', '/session', { capabilities: { alwaysMatch: {
            browserName: 'MiniBrowser', 'webkitgtk:browserOptions': { binary, args: ['--automation'] },
        } } }).catch(async error => {
            await stopChild(session.process);
            throw new Unavailable(`MiniBrowser did not start: ${error.message}`);
        });
        session.path = `/session/${created.sessionId}`;
        session.version = created.capabilities?.browserVersion ?? 'unknown';
        // The first window stays, blank: new windows are opened from it, and a
        // session ends with its last window.
        session.home = session.current = await session.call('GET', `${session.path}/window`);
        return session;
    }
    // The driver refuses requests without this content type, GETs included.
    async call(method, path, body) {
        const response = await fetch(this.base + path, {
            method, headers: { 'Content-Type': 'application/json; charset=utf-8' },
            body: body === undefined ? undefined : JSON.stringify(body),
        });
        const { value } = await response.json();
        if (value?.error) throw new Error(`WebDriver ${method} ${path}: ${value.error}: ${value.message}`);
        return value;
    }
    // A command to one window, made the current one first.
    async to(handle, method, path, body) {
        if (this.current !== handle) {
            await this.call('POST', `${this.path}/window`, { handle });
            this.current = handle;
        }
        return this.call(method, this.path + path, body);
    }
    async stop() {
        await this.call('DELETE', this.path).catch(() => {});
        await stopChild(this.process);
    }
}

class WebKitPage extends Page {
    async open(url) {
        const { scale = 1, viewport } = this.context.options;
        const session = this.session = await this.context.browser.session(scale);
        const { handle } = await session.to(session.home, 'POST', '/window/new', { type: 'window' });
        this.handle = handle;
        // The window's outer size is set: the toolbar's height is measured once.
        session.chrome ??= await (async () => {
            const [inner, outer] = await this.command('POST', '/execute/sync', {
                script: 'return [innerHeight, outerHeight]', args: [] });
            return outer - inner;
        })();
        await this.command('POST', '/window/rect', { x: 0, y: 0, width: viewport.width, height: viewport.height + session.chrome });
        await this.command('POST', '/url', { url });
    }
    command(method, path, body) { return this.session.to(this.handle, method, path, body); }
    evaluateSource(source) {
        return this.command('POST', '/execute/sync', { script: `return ${source};`, args: [] });
    }
    actions(source) { return this.command('POST', '/actions', { actions: [source] }); }
    keyDown(name) {
        if (!MODIFIERS.includes(name)) this.lastPressed = name;
        return this.actions({ type: 'key', id: 'keys', actions: [{ type: 'keyDown', value: w3cKey(name) }] });
    }
    // WebKitWebDriver knows, besides the modifiers, only the key pressed
    // last: a release is that key's, once, whichever key it names. The
    // release of a key pressed before another is given to the page as the
    // browser sends it.
    async keyUp(name) {
        if (MODIFIERS.includes(name) || this.lastPressed === name) {
            if (this.lastPressed === name) this.lastPressed = null;
            await this.actions({ type: 'key', id: 'keys', actions: [{ type: 'keyUp', value: w3cKey(name) }] });
            return;
        }
        if (/^Numpad/.test(name)) throw new Error(`no release of ${name} under a later key in WebKit`);
        const key = /^Key[A-Z]$/.test(name) ? name[3].toLowerCase() : /^Digit\d$/.test(name) ? name[5] : name;
        const code = /^\d$/.test(name) ? `Digit${name}` : /^[a-z]$/i.test(name) ? `Key${name.toUpperCase()}` : name;
        await this.evaluateSource(`(${dispatchInPage})('key', ${JSON.stringify({ type: 'keyup', key, code })})`);
    }
    pressKeypadDigit(digit) {
        const value = w3cKeypadDigit(digit);
        return this.actions({ type: 'key', id: 'keys', actions: [{ type: 'keyDown', value }, { type: 'keyUp', value }] });
    }
    pointer(actions) {
        return this.actions({ type: 'pointer', id: 'mouse', parameters: { pointerType: 'mouse' }, actions });
    }
    pointerMove(x, y) { return this.pointer([{ type: 'pointerMove', x, y, origin: 'viewport' }]); }
    mouseButton(action, button) {
        if (button !== 'left') throw new Error('WebKitWebDriver releases every button as the left one: only clicks of other buttons are made');
        return this.pointer([{ type: action === 'down' ? 'pointerDown' : 'pointerUp', button: 0 }]);
    }
    async mouseClick(x, y, button) {
        if (button === 'left') return super.mouseClick(x, y, button);
        // WebKitWebDriver releases every button as the left one: a right
        // click is given to the page as the browser sends it.
        await this.mouseMove(x, y, 1);
        await this.evaluateSource(`(${dispatchInPage})('mouse', ${JSON.stringify({ x: Math.floor(x), y: Math.floor(y) })})`);
    }
    touch() { throw new Error(lacks.touch); }
    wheel() { throw new Error('the wheel is not wired for WebKit: no suite scrolls by it there (the phone test needs phone emulation)'); }
    resize({ width, height }) {
        return this.command('POST', '/window/rect', { width, height: height + this.session.chrome });
    }
    async shot() { return Buffer.from(await this.command('GET', '/screenshot'), 'base64'); }
    reload() { return this.command('POST', '/refresh', {}); }
    async closeTab() { await this.command('DELETE', '/window'); this.session.current = null; }
}

class WebKitContext extends Context {
    async start() {}
    async openTab(url) { const page = new WebKitPage(this); await page.open(url); return page; }
}

// ---- The browser of a suite file ----

function offSite(errors, origin, target) {
    if (!target.startsWith(origin + '/') && !/^(data|blob|about):/.test(target)) errors.push(`request off the site: ${target}`);
}

class Browser {
    static async launch() {
        const browser = new Browser();
        try {
            if (engine === 'chromium') browser.native = await launchChromium();
            else if (engine === 'firefox') browser.native = await launchFirefox();
            else {
                browser.xvfb = await startXvfb();
                browser.sessions = new Map();
                await browser.session(1);
            }
        } catch (error) {
            await browser.close();
            if (error instanceof Unavailable) throw error;
            throw new Unavailable(`${engine} did not start: ${error.message.split('\n')[0]}`);
        }
        return browser;
    }
    // WebKit: one driver and browser per device scale, started when first needed.
    session(scale) {
        if (!this.sessions.has(scale)) this.sessions.set(scale, WebDriverSession.start(this.xvfb.display, scale));
        return this.sessions.get(scale);
    }
    // The browser's name and version, for reports.
    async version() {
        if (engine === 'webkit') return `WebKitGTK ${(await this.session(1)).version}`;
        const version = await this.native.version();
        return engine === 'chromium' ? `Chromium ${version}` : version.replace(/^firefox\//i, 'Firefox ');
    }
    async newContext(options = {}) {
        const Kind = { chromium: ChromiumContext, firefox: FirefoxContext, webkit: WebKitContext }[engine];
        const context = new Kind(this, { viewport: { width: 1024, height: 768 }, ...options });
        await context.start();
        return context;
    }
    async close() {
        await this.native?.close();
        for (const session of this.sessions?.values() ?? []) await (await session.catch(() => null))?.stop();
        await this.xvfb?.stop();
    }
}

// The engine's browser, or Unavailable with why it cannot run here.
export const launch = () => Browser.launch();

// What the page needs where the driver cannot watch its console (WebKit over
// classic WebDriver has no events): console errors, uncaught exceptions,
// failed loads and requests off the site, told to the server at once.
export const pageWatch = engine !== 'webkit' ? null : function watch(reportPath) {
    const report = text => {
        try {
            const request = new XMLHttpRequest();
            request.open('POST', reportPath, false);
            request.send(text);
        } catch { /* the page is going */ }
    };
    const consoleError = console.error;
    console.error = (...args) => { report(`console: ${args.map(String).join(' ')}`); consoleError.apply(console, args); };
    addEventListener('error', event => {
        if (event instanceof ErrorEvent) report(`exception: ${event.message}`);
        else report(`request failed: ${event.target?.src ?? event.target?.href}`);
    }, true);
    addEventListener('unhandledrejection', event => report(`exception: ${event.reason?.message ?? event.reason}`));
    new PerformanceObserver(list => {
        for (const { name } of list.getEntries()) {
            if (!name.startsWith(location.origin + '/') && !/^(data|blob):/.test(name)) report(`request off the site: ${name}`);
        }
    }).observe({ type: 'resource', buffered: true });
};
