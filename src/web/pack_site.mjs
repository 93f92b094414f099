// Packs the linked module, the images and the icons into the site a static host serves.
//   node pack_site.mjs MODULE_DIR DATA_DIR PAGE_DIR SITE_DIR
// Hosts rarely compress, so the script, the module and the images travel gzipped, each under a
// name with a hash of its bytes, and the page inflates them itself. The page and the service
// worker name every file of this build and its build id, so that a visitor never runs a mix of
// two builds: a cache holds one build whole, and a changed file has a new name.
import { createHash } from 'node:crypto';
import { copyFileSync, mkdirSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { basename, join } from 'node:path';
import { gzipSync, constants } from 'node:zlib';

const [moduleDir, dataDir, pageDir, siteDir] = process.argv.slice(2);
if (!siteDir) {
  console.error('usage: node pack_site.mjs MODULE_DIR DATA_DIR PAGE_DIR SITE_DIR');
  process.exit(2);
}
const ICON_SIZES = [16, 32, 48, 64, 128, 256];
const FAVICON_SIZES = [16, 32, 48];
const COLOUR = '#000000';
// Files of earlier builds: the hashed ones, and those of builds that sent the module unpacked.
const PACKED = /\.[0-9a-f]{12}\.[a-z]+\.gzip$/;

const hash = (bytes) => createHash('sha256').update(bytes).digest('hex');

// Gzips `file` into the site as NAME.HASH.EXT.gzip; the page learns its name and size.
function pack(file) {
  const packed = gzipSync(readFileSync(file), { level: constants.Z_BEST_COMPRESSION });
  const [stem, ...ext] = basename(file).split('.');
  const url = `${stem}.${hash(packed).slice(0, 12)}.${ext.join('.')}.gzip`;
  writeFileSync(join(siteDir, url), packed);
  return { name: basename(file), url, bytes: packed.length };
}

// A Windows icon file holding PNG images, which every current browser reads.
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
const images = readdirSync(dataDir).filter((name) => name.endsWith('.tga')).sort()
  .map((name) => pack(join(dataDir, name)));
const files = {
  script: pack(join(moduleDir, 'plume.js')),
  wasm: pack(join(moduleDir, 'plume.wasm')),
  images,
};
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
const page = readFileSync(join(pageDir, 'index.html'), 'utf8');
const shell = ['./'];
const packed = [files.script, files.wasm, ...images].map(({ url }) => url);
const build = hash(JSON.stringify(files) + page + manifest() + icons.map(({ bytes }) => hash(bytes)))
  .slice(0, 16);
writeFileSync(join(siteDir, 'index.html'), page.replaceAll('@PLUME_BUILD@', build)
  .replace('@PLUME_FILES@', JSON.stringify(files)));
writeFileSync(join(siteDir, 'sw.js'), readFileSync(join(pageDir, 'sw.js'), 'utf8')
  .replace('@PLUME_BUILD@', build)
  .replace('@PLUME_FILES@', JSON.stringify([...shell, ...packed])));
const total = [files.script, files.wasm, ...images].reduce((sum, { bytes }) => sum + bytes, 0);
console.log(`plume: build ${build}, ${total} bytes packed for the page`);
