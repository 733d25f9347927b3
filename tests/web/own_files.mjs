// The player's own game folder where the browser has no folder picker: a
// .zip of the folder chosen with the file picker, the folder's files chosen
// flat (placed by kind), a .zip dropped on the page, and a damaged .zip
// (one clear line, the page still there).
//
//   node own_files.mjs SITE_DIR DEMO_DIR
import { readdir, readFile } from 'node:fs/promises';
import { join, relative } from 'node:path';
import { deflateRawSync, crc32 } from 'node:zlib';
import { chromium } from 'playwright-core';
import { serve } from './serve.mjs';
import { check, failed } from './checks.mjs';

const [site, demo] = process.argv.slice(2);
if (!site || !demo) {
  console.error('usage: node own_files.mjs SITE_DIR DEMO_DIR');
  process.exit(2);
}

async function filesUnder(dir) {
  const out = [];
  for (const e of await readdir(dir, { withFileTypes: true })) {
    const path = join(dir, e.name);
    if (e.isDirectory()) out.push(...await filesUnder(path));
    else if (!e.name.startsWith('.')) out.push(path);
  }
  return out;
}

// A .zip as an archiver writes one: local headers, then the directory.
function zip(entries) {
  const locals = [];
  const central = [];
  let offset = 0;
  for (const { name, data } of entries) {
    const packed = deflateRawSync(data);
    const nameBytes = Buffer.from(name);
    const head = Buffer.alloc(30);
    head.writeUInt32LE(0x04034b50, 0); head.writeUInt16LE(20, 4); head.writeUInt16LE(8, 8);
    head.writeUInt32LE(crc32(data), 14); head.writeUInt32LE(packed.length, 18);
    head.writeUInt32LE(data.length, 22); head.writeUInt16LE(nameBytes.length, 26);
    const dir = Buffer.alloc(46);
    dir.writeUInt32LE(0x02014b50, 0); dir.writeUInt16LE(20, 4); dir.writeUInt16LE(20, 6);
    dir.writeUInt16LE(8, 10); dir.writeUInt32LE(crc32(data), 16); dir.writeUInt32LE(packed.length, 20);
    dir.writeUInt32LE(data.length, 24); dir.writeUInt16LE(nameBytes.length, 28); dir.writeUInt32LE(offset, 42);
    locals.push(head, nameBytes, packed);
    central.push(dir, nameBytes);
    offset += head.length + nameBytes.length + packed.length;
  }
  const dirBytes = Buffer.concat(central);
  const end = Buffer.alloc(22);
  end.writeUInt32LE(0x06054b50, 0); end.writeUInt16LE(entries.length, 8); end.writeUInt16LE(entries.length, 10);
  end.writeUInt32LE(dirBytes.length, 12); end.writeUInt32LE(offset, 16);
  return Buffer.concat([...locals, dirBytes, end]);
}

// The game running before is marked, so that only a game started anew
// counts.
const markOld = (page) => page.evaluate(() => { window.velmorReady = 'old'; });

async function plays(page) {
  await page.waitForFunction(() => window.velmorReady === true || window.velmorFailed !== undefined,
    null, { timeout: 60000 });
  const failed = await page.evaluate(() => window.velmorFailed);
  const a = JSON.parse(await page.evaluate(() => window.velmor.state()));
  await page.waitForTimeout(600);
  const b = JSON.parse(await page.evaluate(() => window.velmor.state()));
  return { ok: failed === undefined && b.ticks > a.ticks && b.PictureName !== "", failed, picture: b.PictureName, ticks: [a.ticks, b.ticks] };
}

const line = (page) => page.evaluate(() => document.getElementById('line').textContent);

async function main() {
  const paths = await filesUnder(demo);
  const entries = await Promise.all(paths.map(async (p) => ({
    name: 'MyGame/' + relative(demo, p).split('\\').join('/'), data: await readFile(p) })));
  const archive = zip(entries);
  const server = await serve(site);
  const url = `http://127.0.0.1:${server.address().port}/index.html`;
  const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox'] });
  try {
    const page = await browser.newPage();
    await page.route('**/dropped.zip', (route) => route.fulfill({ status: 200, body: archive }));
    await page.goto(url);
    await page.waitForFunction(() => window.velmorReady === true, null, { timeout: 60000 });

    await markOld(page);
    await page.setInputFiles('#own-flat', { name: 'MyGame.zip', mimeType: 'application/zip', buffer: archive });
    let r = await plays(page);
    check('a .zip of the folder, chosen with the file picker, plays', r.ok, JSON.stringify(r));

    const flat = paths.filter((p) => !relative(demo, p).includes('SC88'))
      .map((p) => ({ name: p.split('/').pop(), mimeType: 'application/octet-stream', buffer: null, path: p }));
    await markOld(page);
    await page.setInputFiles('#own-flat', await Promise.all(flat.map(async (f) => ({
      name: f.name, mimeType: f.mimeType, buffer: await readFile(f.path) }))));
    r = await plays(page);
    const said = await line(page);
    check('the folder\'s files chosen flat are placed by kind and play', r.ok, JSON.stringify(r));
    check('the page says they were placed by kind', said.includes('placed by kind'), said);

    await markOld(page);
    await page.evaluate(async () => {
      const blob = await (await fetch('dropped.zip')).blob();
      const moved = new DataTransfer();
      moved.items.add(new File([blob], 'dropped.zip'));
      window.dispatchEvent(new DragEvent('drop', { dataTransfer: moved, cancelable: true }));
    });
    r = await plays(page);
    check('a .zip dropped on the page plays', r.ok, JSON.stringify(r));

    await markOld(page);
    await page.setInputFiles('#own-flat', { name: 'Broken.zip', mimeType: 'application/zip',
      buffer: archive.subarray(0, archive.length - 100) });
    await page.waitForTimeout(1000);
    const why = await line(page);
    check('a damaged .zip is refused in one line, the game still there',
      why.includes('This .zip cannot be read') && await page.evaluate(() => window.velmorReady === 'old'), why);
  } finally {
    await browser.close();
    server.close();
  }
  process.exit(failed() ? 1 : 0);
}

main().catch((e) => { console.error(e); process.exit(1); });
