// Packs the linked module, the images, the still and the icons into the site a static host
// serves.
//   node pack_site.mjs MODULE_DIR DATA_DIR PAGE_DIR STILL SITE_DIR
// Hosts rarely compress, so the script, the module and the images travel gzipped (by zopfli,
// a tenth smaller than gzip -9), each under a name with a hash of its bytes, and the page
// inflates them itself. Each byte of an image is first stored as its difference from the same
// channel of the pixel to its left, which a third of the images' bytes then suffices for. The
// page and the service worker name every file of this build and its build id, so that a
// visitor never runs a mix of two builds: a cache holds one build whole, and a changed file
// has a new name.
import { execFile } from 'node:child_process';
import { createHash } from 'node:crypto';
import { copyFileSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync,
  writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { basename, join } from 'node:path';
import { promisify } from 'node:util';

const [moduleDir, dataDir, pageDir, stillFile, siteDir] = process.argv.slice(2);
if (!siteDir) {
  console.error('usage: node pack_site.mjs MODULE_DIR DATA_DIR PAGE_DIR STILL SITE_DIR');
  process.exit(2);
}
// A Targa image's bits per pixel, at this offset of its 18-byte header.
const TARGA_BITS_OFFSET = 16;
const ICON_SIZES = [16, 32, 48, 64, 128, 256];
const FAVICON_SIZES = [16, 32, 48];
const COLOUR = '#000000';
// Files of earlier builds: the hashed ones, and those of builds that sent the module unpacked.
const PACKED = /\.[0-9a-f]{12}\.([a-z]+\.gzip|webp)$/;
const work = mkdtempSync(join(tmpdir(), 'plume-pack-'));

/** @param {Buffer | string} bytes */
const hash = (bytes) => createHash('sha256').update(bytes).digest('hex');
/** @param {string} name @param {Buffer} bytes @param {string} ext */
const hashedName = (name, bytes, ext) => `${name}.${hash(bytes).slice(0, 12)}.${ext}`;

// Each byte less the byte `stride` before it, which the page's Worker adds back.
/** @param {Buffer} bytes @param {number} stride */
function predicted(bytes, stride) {
  const out = Buffer.alloc(bytes.length);
  for (let i = 0; i < bytes.length; ++i) out[i] = bytes[i] - (i >= stride ? bytes[i - stride] : 0);
  return out;
}

// Gzips `file` (an image predicted first) into the site as NAME.HASH.EXT.gzip; the page learns
// its names, its packed and unpacked sizes, its hash and the prediction's stride.
/** @param {string} file */
async function pack(file, image = false) {
  const bytes = readFileSync(file);
  const stride = image ? bytes[TARGA_BITS_OFFSET] / 8 : 0;
  const input = join(work, basename(file));
  writeFileSync(input, stride ? predicted(bytes, stride) : bytes);
  const packed = (await promisify(execFile)('zopfli', ['-c', input],
    { encoding: 'buffer', maxBuffer: 1 << 26 })).stdout;
  const [stem, ...ext] = basename(file).split('.');
  const url = hashedName(stem, packed, `${ext.join('.')}.gzip`);
  writeFileSync(join(siteDir, url), packed);
  return { name: basename(file), url, bytes: packed.length, size: bytes.length,
    sha256: hash(bytes), ...(stride ? { stride } : {}) };
}

// A Windows icon file holding PNG images, which every current browser reads.
/** @param {Array<{ size: number, bytes: Buffer }>} pngs */
function favicon(pngs) {
  const header = Buffer.alloc(6 + 16 * pngs.length);
  header.writeUInt16LE(1, 2);
  header.writeUInt16LE(pngs.length, 4);
  let offset = header.length;
  pngs.forEach(({ size, bytes }, i) => {
    const entry = 6 + 16 * i;
    header.writeUInt8(size % 256, entry);
    header.writeUInt8(size % 256, entry + 1);
    header.writeUInt16LE(1, entry + 4);
    header.writeUInt16LE(32, entry + 6);
    header.writeUInt32LE(bytes.length, entry + 8);
    header.writeUInt32LE(offset, entry + 12);
    offset += bytes.length;
  });
  return Buffer.concat([header, ...pngs.map(({ bytes }) => bytes)]);
}

function manifest() {
  return JSON.stringify({
    name: 'plume', short_name: 'plume',
    description: 'Tinted feathers tumbling on a changing wind before a slowly turning sky',
    start_url: './', scope: './', display: 'fullscreen',
    background_color: COLOUR, theme_color: COLOUR,
    icons: ICON_SIZES.map((size) => ({
      src: `icons/plume-${size}.png`, sizes: `${size}x${size}`, type: 'image/png',
    })),
  }, null, 2) + '\n';
}

mkdirSync(join(siteDir, 'icons'), { recursive: true });
const OLD = ['plume.js', 'plume.wasm', 'plume.data'];
for (const name of readdirSync(siteDir).filter((name) => PACKED.test(name) || OLD.includes(name))) {
  rmSync(join(siteDir, name));
}
const [script, wasm, ...images] = await Promise.all([pack(join(moduleDir, 'plume.js')),
  pack(join(moduleDir, 'plume.wasm')), ...readdirSync(dataDir).filter((name) =>
    name.endsWith('.tga')).sort().map((name) => pack(join(dataDir, name), true))]);
rmSync(work, { recursive: true, force: true });
const files = { script, wasm, images };
const stillBytes = readFileSync(stillFile);
const still = hashedName('still', stillBytes, 'webp');
writeFileSync(join(siteDir, still), stillBytes);
const icons = ICON_SIZES.map((size) => ({
  size, bytes: readFileSync(join(dataDir, 'icons', `plume-${size}.png`)),
}));
icons.forEach(({ size }) => copyFileSync(join(dataDir, 'icons', `plume-${size}.png`),
  join(siteDir, 'icons', `plume-${size}.png`)));
writeFileSync(join(siteDir, 'favicon.ico'),
  favicon(icons.filter(({ size }) => FAVICON_SIZES.includes(size))));
writeFileSync(join(siteDir, 'manifest.webmanifest'), manifest());

// The files that the program needs, which the service worker keeps; it keeps the icons and the
// manifest as the browser asks for them, rather than download them a second time.
// The page's script and its Worker's go into the page itself: files of their own would cost
// round trips before the first download starts. Their lines of comment stay here, the
// checker's types and directives among them; page.js, controls.js and program.js are one
// script, which page.js's 'use strict' covers.
/** @param {string} name */
const source = (name) => readFileSync(join(pageDir, name), 'utf8');
/** @param {string} name */
const code = (name) => source(name).replace(/^[ \t]*\/\*(?:[^*]|\*(?!\/))*\*\/[ \t]*\n/gm, '')
  .split('\n').filter((line) => !/^\s*\/\//.test(line)).join('\n');
const page = source('index.html')
  .replace('@PLUME_PAGE_SCRIPT@', () =>
    ['page.js', 'controls.js', 'program.js'].map((name, i) =>
      i ? code(name).replace(/^'use strict';\n/, '') : code(name)).join('\n'))
  .replace('@PLUME_UNPACK_SCRIPT@', () => code('unpack.js'));
// A list of files is written in as a string literal of its JSON, which the script parses: its
// placeholder is a string, so that each script is JavaScript as it stands.
/** @param {unknown} value */
const literal = (value) => JSON.stringify(JSON.stringify(value));
const shell = ['./', still];
const packed = [files.script, files.wasm, ...images].map(({ url }) => url);
const build = hash(JSON.stringify(files) + still + page + manifest() +
  icons.map(({ bytes }) => hash(bytes))).slice(0, 16);
writeFileSync(join(siteDir, 'index.html'), page.replaceAll('@PLUME_BUILD@', build)
  .replace("'@PLUME_FILES@'", () => literal(files)).replace('@PLUME_STILL@', still));
writeFileSync(join(siteDir, 'sw.js'), readFileSync(join(pageDir, 'sw.js'), 'utf8')
  .replace('@PLUME_BUILD@', build)
  .replace("'@PLUME_FILES@'", () => literal([...shell, ...packed])));
const total = [files.script, files.wasm, ...images].reduce((sum, { bytes }) => sum + bytes, 0);
console.log(`plume: build ${build}, ${total} bytes packed for the page`);
