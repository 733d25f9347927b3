// MIDI in the page: a player whose slot 0 chose MIDI hears the title's
// music from the synthesiser once the page has fetched it (the desktop's
// FluidSynth and SoundFont); a page whose synthesiser cannot be fetched
// says so in one line and the game goes on.
//
//   node midi.mjs SITE_DIR SLOT_FILE
//
// SLOT_FILE: a 1,088-byte slot (the same-game test's DATA01); it goes in as
// DATA00 with its sound source set to MIDI for the SC-55.
import { readFile } from 'node:fs/promises';
import { chromium } from 'playwright-core';
import { serve } from './serve.mjs';
import { check, failed, started } from './checks.mjs';

const [site, slotFile] = process.argv.slice(2);
if (!site || !slotFile) {
  console.error('usage: node midi.mjs SITE_DIR SLOT_FILE');
  process.exit(2);
}
const kSoundSourceOffset = 11;
const kMidiSc55 = 2;

// Slot 0 with MIDI chosen, brought in as the player would (the page's
// import), kept across the reload that starts the game with it.
async function chooseMidi(page, slot) {
  const bytes = Buffer.from(slot);
  bytes[kSoundSourceOffset] = kMidiSc55;
  await page.setInputFiles('#import-files', { name: 'DATA00', mimeType: 'application/octet-stream', buffer: bytes });
  await page.waitForTimeout(1500);  // the page copies to IndexedDB every second
  await page.reload();
  await started(page);
}

const state = (page) => page.evaluate(() => JSON.parse(window.velmor.state()));

async function main() {
  const slot = await readFile(slotFile);
  const server = await serve(site);
  const url = `http://127.0.0.1:${server.address().port}/index.html`;
  const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required'] });
  try {
    const page = await browser.newPage();
    await page.goto(url);
    await started(page);
    await chooseMidi(page, slot);
    await page.waitForFunction(() => window.velmorMidi.state() !== 0, null, { timeout: 60000 });
    check('the synthesiser and its SoundFont load after the first picture',
      await page.evaluate(() => window.velmorMidi.state() === 1),
      await page.evaluate(() => window.velmorMidi.why()));
    await page.waitForFunction(() => window.velmorMidi.stats.peak > 1000, null, { timeout: 20000 })
      .catch(() => {});
    const heard = await page.evaluate(() => ({ ...window.velmorMidi.stats }));
    const s = await state(page);
    check('the title music is asked for with MIDI chosen',
      s.MusicName === 'M01' && s.controls.MidiBtn.checked, JSON.stringify(s.controls.MidiBtn));
    check('the synthesiser sounds it into the game\'s output', heard.frames > 0 && heard.peak > 1000,
      JSON.stringify(heard));
    // A piece started further in (a loaded save's music): the library's
    // player stands at that tick once the output has asked it for sound.
    const sought = await page.evaluate(async () => {
      const there = window.velmorMidi.start(480);
      await new Promise((done) => setTimeout(done, 500));
      return { there, tick: window.velmorMidi.currentTick() };
    });
    check('a piece starts at the tick asked', sought.there && sought.tick >= 480,
      JSON.stringify(sought));

    const bare = await browser.newPage();
    await bare.route('**/libfluidsynth.js', (route) => route.fulfill({ status: 404, body: '' }));
    await bare.goto(url);
    await started(bare);
    await chooseMidi(bare, slot);
    await bare.waitForFunction(() => window.velmorMidi.state() === 2, null, { timeout: 60000 });
    await bare.waitForTimeout(500);
    const said = await bare.evaluate(() => document.getElementById('line').textContent);
    const going = await bare.evaluate(() => window.velmorFailed === undefined);
    const ticks = await state(bare).then((x) => x.ticks);
    await bare.waitForTimeout(500);
    const later = await state(bare).then((x) => x.ticks);
    check('without the synthesiser the page says so in one line and the game goes on',
      /MIDI/.test(said) && going && later > ticks, said);
  } finally {
    await browser.close();
    server.close();
  }
  process.exit(failed() ? 1 : 0);
}

main().catch((e) => { console.error(e); process.exit(1); });
