// The page keeps the player's slots across a reload, moves them in and out
// as the original's files byte for byte, refuses what is not a slot file by
// name, keeps a slot the browser's full quota refused and stores it later,
// and says in one line why a folder that is not the game's cannot be
// played.
//
//   node storage.mjs SITE_DIR SLOT_FILE SCRATCH_DIR
//
// SLOT_FILE: a 1,088-byte slot (the same-game test's DATA01).
import { mkdir, readFile, writeFile, rm } from 'node:fs/promises';
import { join } from 'node:path';
import { chromium } from 'playwright-core';
import { serve } from './serve.mjs';
import { check, failed, started } from './checks.mjs';

const [site, slotFile, scratch] = process.argv.slice(2);
if (!site || !slotFile || !scratch) {
  console.error('usage: node storage.mjs SITE_DIR SLOT_FILE SCRATCH_DIR');
  process.exit(2);
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

    // Storage the browser refuses: the page says so, keeps the slot in the
    // tab, and stores it once the browser takes it again. (The browser
    // keeps an origin's quota from its storage's first use: a fresh
    // context is put under the quota before the page first stores.)
    const tight = await (await browser.newContext({ acceptDownloads: true })).newPage();
    const cdp = await tight.context().newCDPSession(tight);
    const origin = new URL(url).origin;
    await cdp.send('Storage.overrideQuotaForOrigin', { origin, quotaSize: 1 });
    await tight.goto(url);
    await started(tight);
    const slot5 = Buffer.from(slot);
    slot5[20] ^= 1;
    await tight.setInputFiles('#import-files', { name: 'DATA05', mimeType: 'application/octet-stream', buffer: slot5 });
    await tight.waitForFunction(() => document.getElementById('line').textContent.includes('Cannot store saves'),
      null, { timeout: 15000 }).catch(() => {});
    const refused = await line(tight);
    check('a refused quota is said in one line', refused.includes('Cannot store saves'), refused);
    await cdp.send('Storage.overrideQuotaForOrigin', { origin });
    await tight.waitForFunction(() => document.getElementById('line').textContent.includes('stored again'),
      null, { timeout: 15000 }).catch(() => {});
    const again = await line(tight);
    await tight.reload();
    await started(tight);
    await exportSlots(tight, join(scratch, 'out-after-quota'));
    let kept = null;
    try { kept = await readFile(join(scratch, 'out-after-quota', 'DATA05')); } catch { /* not there */ }
    check('the slot kept in the tab is stored once the browser takes it again',
      again.includes('stored again') && kept !== null && Buffer.compare(kept, slot5) === 0, again);

    await page.setInputFiles('#own-files', join(scratch, 'not-a-game'));
    await page.waitForFunction(() => window.velmorFailed !== undefined, null, { timeout: 60000 });
    const why = await line(page);
    check('a folder that is not the game is refused in one line', why.length > 0 && !why.includes('Loading'), why);
  } finally {
    await browser.close();
    server.close();
  }
  process.exit(failed() ? 1 : 0);
}

main().catch((e) => { console.error(e); process.exit(1); });
