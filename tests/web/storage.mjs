// The page keeps the player's slots across a reload, moves them in and out
// as the original's files byte for byte, refuses what is not a slot file by
// name, and says in one line why a folder that is not the game's cannot be
// played.
//
//   node storage.mjs SITE_DIR SLOT_FILE SCRATCH_DIR
//
// SLOT_FILE: a 1,088-byte slot (the same-game test's DATA01).
import { mkdir, readFile, writeFile, rm } from 'node:fs/promises';
import { join } from 'node:path';
import { chromium } from 'playwright-core';
import { serve } from './serve.mjs';

const [site, slotFile, scratch] = process.argv.slice(2);
if (!site || !slotFile || !scratch) {
  console.error('usage: node storage.mjs SITE_DIR SLOT_FILE SCRATCH_DIR');
  process.exit(2);
}

let failures = 0;
function check(what, ok, detail = '') {
  console.log(`${ok ? 'ok' : 'FAILED'}: ${what}${detail ? ' (' + detail + ')' : ''}`);
  if (!ok) failures++;
}

async function started(page) {
  await page.waitForFunction(() => window.velmorReady === true || window.velmorFailed !== undefined,
    null, { timeout: 60000 });
}

const line = (page) => page.evaluate(() => document.getElementById('line').textContent);

async function exportSlots(page, into) {
  await rm(into, { recursive: true, force: true });
  await mkdir(into, { recursive: true });
  const saved = [];
  page.on('download', (d) => saved.push(d.saveAs(join(into, d.suggestedFilename()))));
  await page.evaluate(() => document.getElementById('export').click());
  await page.waitForTimeout(1000);
  await Promise.all(saved);
  page.removeAllListeners('download');
}

async function main() {
  await rm(scratch, { recursive: true, force: true });
  await mkdir(join(scratch, 'in'), { recursive: true });
  await mkdir(join(scratch, 'not-a-game'), { recursive: true });
  const slot = await readFile(slotFile);
  await writeFile(join(scratch, 'in', 'DATA03'), slot);
  await writeFile(join(scratch, 'in', 'notes.txt'), 'not a slot');
  await writeFile(join(scratch, 'not-a-game', 'README.TXT'), 'nothing of the game here');

  const server = await serve(site);
  const url = `http://127.0.0.1:${server.address().port}/index.html`;
  const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox'] });
  try {
    const page = await (await browser.newContext({ acceptDownloads: true })).newPage();
    await page.goto(url);
    await started(page);

    await page.setInputFiles('#import-files', [join(scratch, 'in', 'DATA03'), join(scratch, 'in', 'notes.txt')]);
    await page.waitForTimeout(1500);  // the page copies to IndexedDB every second
    const said = await line(page);
    check('an import takes a slot file and names what it refused',
      said.includes('1 slot files imported') && said.includes('notes.txt'), said);

    await page.reload();
    await started(page);
    await exportSlots(page, join(scratch, 'out'));
    let exported = null;
    try { exported = await readFile(join(scratch, 'out', 'DATA03')); } catch { /* not there */ }
    check('the slot outlives a reload and comes out byte for byte',
      exported !== null && Buffer.compare(exported, slot) === 0);

    await page.setInputFiles('#own-files', join(scratch, 'not-a-game'));
    await page.waitForFunction(() => window.velmorFailed !== undefined, null, { timeout: 60000 });
    const why = await line(page);
    check('a folder that is not the game is refused in one line', why.length > 0 && !why.includes('Loading'), why);
  } finally {
    await browser.close();
    server.close();
  }
  process.exit(failures ? 1 : 0);
}

main().catch((e) => { console.error(e); process.exit(1); });
