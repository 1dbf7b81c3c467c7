// Makes what lets the web page be installed and played offline, once the
// rest of its site is in place:
//   node tools/web-install.mjs <source root> <site folder>
// writes icon-32.png, icon-192.png and icon-512.png (the icon's picture,
// enlarged by whole numbers), manifest.webmanifest (the caption as the name,
// the panel's commonest colour as the theme) and service_worker.js (the
// worker from web/service_worker.js with the list of the site's files and a
// cache named by a hash of all of them). Every byte depends only on the
// sources, so the site stays reproducible.
import { createHash } from 'node:crypto';
import { readdirSync, readFileSync, writeFileSync } from 'node:fs';
import { join, relative, sep } from 'node:path';

const [root, site] = process.argv.slice(2);
if (!root || !site) {
    console.error('usage: web-install.mjs <source root> <site folder>');
    process.exit(2);
}

const WORKER = 'service_worker.js';
const ICON_SIZES = [32, 192, 512];

// A packed DIB (header, colour table, bits) as rows of RGBA from the top;
// `rows` is the height of the colour picture (an icon's DIB says twice it,
// the AND mask following the colours).
function readDib(dib, rows) {
    const width = dib.readInt32LE(4), bitCount = dib.readUInt16LE(14);
    const height = rows ?? Math.abs(dib.readInt32LE(8));
    const bottomUp = dib.readInt32LE(8) > 0;
    const colours = bitCount <= 8 ? (dib.readUInt32LE(32) || 1 << bitCount) : 0;
    const bits = dib.readUInt32LE(0) + colours * 4;
    const stride = Math.ceil(width * bitCount / 32) * 4;
    const pixels = Buffer.alloc(width * height * 4);
    for (let y = 0; y < height; ++y) {
        const row = bits + (bottomUp ? height - 1 - y : y) * stride;
        for (let x = 0; x < width; ++x) {
            let from = row + x * bitCount / 8;
            if (bitCount <= 8) {
                const bit = x * bitCount;
                const index = (dib[row + (bit >> 3)] >> (8 - bitCount - (bit & 7))) & ((1 << bitCount) - 1);
                from = dib.readUInt32LE(0) + index * 4;
            }
            pixels.set([dib[from + 2], dib[from + 1], dib[from], 255], (y * width + x) * 4);
        }
    }
    return { width, height, pixels, end: bits + stride * height };
}

// The icon file's first picture, its AND mask making the transparent pixels.
function readIcon(file) {
    const ico = readFileSync(file);
    const dib = ico.subarray(ico.readUInt32LE(18), ico.readUInt32LE(18) + ico.readUInt32LE(14));
    const picture = readDib(dib, Math.abs(dib.readInt32LE(8)) / 2);
    const { width, height } = picture;
    const maskStride = Math.ceil(width / 32) * 4;
    for (let y = 0; y < height; ++y) {
        const row = picture.end + (height - 1 - y) * maskStride;
        for (let x = 0; x < width; ++x) {
            if ((dib[row + (x >> 3)] >> (7 - (x & 7))) & 1) picture.pixels.fill(0, (y * width + x) * 4, (y * width + x + 1) * 4);
        }
    }
    return picture;
}

const CRC_TABLE = Array.from({ length: 256 }, (_, n) => {
    for (let k = 0; k < 8; ++k) n = n & 1 ? 0xEDB88320 ^ (n >>> 1) : n >>> 1;
    return n >>> 0;
});
const crc32 = (bytes) => (bytes.reduce((c, b) => CRC_TABLE[(c ^ b) & 0xFF] ^ (c >>> 8), 0xFFFFFFFF) ^ 0xFFFFFFFF) >>> 0;

// Deflate with the fixed codes, literals and runs at distance 1 only: our
// own, so the bytes never depend on which zlib the build machine has. The
// filters below turn the enlarged pixels into long runs of zeros.
function deflate(data) {
    const out = [];
    let bits = 0, count = 0;
    const put = (value, length) => {   // least significant bit first
        bits |= value << count;
        count += length;
        while (count >= 8) { out.push(bits & 0xFF); bits >>>= 8; count -= 8; }
    };
    const putCode = (code, length) => {   // Huffman codes go most significant bit first
        let reversed = 0;
        for (let i = 0; i < length; ++i) reversed |= ((code >> i) & 1) << (length - 1 - i);
        put(reversed, length);
    };
    const literal = (v) => (v < 144 ? putCode(0x30 + v, 8) : putCode(0x190 + v - 144, 9));
    const symbol = (s) => (s < 280 ? putCode(s - 256, 7) : putCode(0xC0 + s - 280, 8));
    const LENGTH_BASE = [3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31, 35, 43, 51, 59, 67, 83, 99, 115,
                         131, 163, 195, 227, 258];
    const LENGTH_EXTRA = [0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0];
    put(1, 1);   // the last block
    put(1, 2);   // fixed codes
    for (let at = 0; at < data.length;) {
        let run = 0;
        while (at > 0 && run < 258 && at + run < data.length && data[at + run] === data[at - 1]) ++run;
        if (run < 3) {
            literal(data[at++]);
            continue;
        }
        let code = LENGTH_BASE.length - 1;
        while (LENGTH_BASE[code] > run) --code;
        symbol(257 + code);
        put(run - LENGTH_BASE[code], LENGTH_EXTRA[code]);
        putCode(0, 5);   // distance 1
        at += run;
    }
    symbol(256);
    if (count > 0) out.push(bits & 0xFF);
    let a = 1, b = 0;
    for (const byte of data) { a = (a + byte) % 65521; b = (b + a) % 65521; }
    const adler = Buffer.alloc(4);
    adler.writeUInt32BE(((b << 16) | a) >>> 0);
    return Buffer.concat([Buffer.from([0x78, 0x01]), Buffer.from(out), adler]);
}

// An RGBA PNG of the picture enlarged by `factor`, each pixel a square.
function png({ width, height, pixels }, factor) {
    const size = width * factor, stride = size * 4;
    const raw = Buffer.alloc((stride + 1) * size);
    for (let y = 0; y < size; ++y) {
        const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
        for (let x = 0; x < size; ++x) {
            const from = (Math.floor(y / factor) * width + Math.floor(x / factor)) * 4;
            pixels.copy(line, x * 4, from, from + 4);
        }
        // A row like the last one is all zeros by "up"; a new row, by "sub",
        // zeros wherever a pixel repeats its left neighbour.
        if (y % factor !== 0) {
            raw[y * (stride + 1)] = 2;
            line.fill(0);
        } else {
            raw[y * (stride + 1)] = 1;
            for (let x = stride - 1; x >= 4; --x) line[x] = (line[x] - line[x - 4]) & 0xFF;
        }
    }
    const chunk = (type, body) => {
        const head = Buffer.alloc(8);
        head.writeUInt32BE(body.length);
        head.write(type, 4, 'latin1');
        const crc = Buffer.alloc(4);
        crc.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), body])));
        return Buffer.concat([head, body, crc]);
    };
    const header = Buffer.alloc(13);
    header.writeUInt32BE(size, 0);
    header.writeUInt32BE(size * height / width, 4);
    header.set([8, 6, 0, 0, 0], 8);   // 8 bits, RGBA, no interlace
    return Buffer.concat([Buffer.from('\x89PNG\r\n\x1a\n', 'latin1'), chunk('IHDR', header), chunk('IDAT', deflate(raw)),
                          chunk('IEND', Buffer.alloc(0))]);
}

const icon = readIcon(join(root, 'res/muslot.ico'));
for (const size of ICON_SIZES) writeFileSync(join(site, `icon-${size}.png`), png(icon, size / icon.width));

// The machine's face: the panel's commonest colour.
function commonestColour(file) {
    const bmp = readFileSync(file);
    const { pixels } = readDib(bmp.subarray(14));
    const counts = new Map();
    for (let i = 0; i < pixels.length; i += 4) {
        const colour = '#' + [...pixels.subarray(i, i + 3)].map((v) => v.toString(16).padStart(2, '0')).join('');
        counts.set(colour, (counts.get(colour) ?? 0) + 1);
    }
    return [...counts].reduce((best, entry) => (entry[1] > best[1] ? entry : best))[0];
}

// The caption, as core/texts.h defines it for every front end.
const caption = JSON.parse(/#define TXT_CAPTION\s+("(?:[^"\\]|\\.)*")/.exec(readFileSync(join(root, 'core/texts.h'), 'utf8'))[1]);
const manifest = {
    name: caption,
    short_name: caption,
    start_url: './',
    scope: './',
    display: 'standalone',
    theme_color: commonestColour(join(root, 'res/panel.bmp')),
    icons: ICON_SIZES.map((size) => ({ src: `icon-${size}.png`, sizes: `${size}x${size}`, type: 'image/png' })),
};
writeFileSync(join(site, 'manifest.webmanifest'), JSON.stringify(manifest, null, 2) + '\n');

// Every file of the site but the worker, in a fixed order; the hash covers
// names and contents, so any change to the site names a new cache.
function filesUnder(folder) {
    return readdirSync(folder, { withFileTypes: true }).flatMap((entry) => {
        const path = join(folder, entry.name);
        return entry.isDirectory() ? filesUnder(path) : [relative(site, path).split(sep).join('/')];
    });
}
const files = filesUnder(site).filter((name) => name !== WORKER).sort();
const hash = createHash('sha256');
for (const name of files) hash.update(`${name}\0`).update(readFileSync(join(site, name))).update('\0');
const worker = readFileSync(join(root, 'web', WORKER), 'utf8')
    .replace("'@CACHE@'", JSON.stringify(`muslot-${hash.digest('hex').slice(0, 16)}`))
    .replace("['@FILES@']", JSON.stringify(['./', ...files]));
writeFileSync(join(site, WORKER), worker);
