// Drives the browser build in headless Chromium with a headless input script
// (docs/headless.md): each line becomes what a player does in the page
// (the mouse and the keys through Chromium's own input, so the page's
// translation is what is tested) or a step of the page's test mode (ticks
// on its virtual clock), and "state FILE" writes the page's state JSON.
//
//   node drive.mjs SITE_DIR SCRIPT OUT_DIR [--page WxH]
//
// The page runs in its test mode, its canvas 1024x768 pixels at the page's
// corner; with --page, in a window of WxH as the page lays the canvas out
// for a player (index.html?test&page), and the script's window pixels are
// the canvas's own, wherever the page puts it and whatever it is scaled to.
// "screenshot FILE.png" writes the canvas's pixels; OUT_DIR/canvas.json
// says the canvas's size at the end, its own and in the page.
//
// Message boxes are answered as the headless front end answers them: OK
// (Enter) at once, before the next tick, unless "answer cancel" came first.
// A panel control is clicked where the page draws it, then the pointer goes
// back where the script last put it, so the game sees the same pointer.
import { readFile, writeFile, mkdir } from 'node:fs/promises';
import { join } from 'node:path';
import { chromium } from 'playwright-core';
import { serve } from './serve.mjs';

const [site, scriptFile, outDir, pageOption, pageSize] = process.argv.slice(2);
const viewport = pageOption === '--page' && /^\d+x\d+$/.test(pageSize || '')
  ? { width: Number(pageSize.split('x')[0]), height: Number(pageSize.split('x')[1]) } : null;
if (!site || !scriptFile || !outDir || (pageOption !== undefined && !viewport)) {
  console.error('usage: node drive.mjs SITE_DIR SCRIPT OUT_DIR [--page WxH]');
  process.exit(2);
}

const keyNames = { enter: 'Enter', kpenter: 'NumpadEnter', space: 'Space', escape: 'Escape',
  up: 'ArrowUp', down: 'ArrowDown', left: 'ArrowLeft', right: 'ArrowRight', tab: 'Tab',
  'shift+tab': 'Shift+Tab', pageup: 'PageUp', pagedown: 'PageDown', a: 'KeyA', f12: 'F12' };
for (let n = 1; n <= 7; ++n) keyNames[String(n)] = 'Digit' + n;

class Driver {
  constructor(page) {
    this.page = page;
    this.pointer = { x: 0, y: 0 };
    this.answers = [];
  }

  call(name, ...args) {
    return this.page.evaluate(([n, a]) => window.velmor[n](...a), [name, args]);
  }

  // The page's point over a window pixel (the canvas's own): in the test
  // mode's fixed canvas the same point.
  async toPage(x, y) {
    const c = await this.page.evaluate(() => {
      const canvas = document.getElementById('canvas');
      const r = canvas.getBoundingClientRect();
      return { left: r.left, top: r.top, sx: r.width / canvas.width, sy: r.height / canvas.height };
    });
    return { x: c.left + x * c.sx, y: c.top + y * c.sy };
  }

  async moveTo(x, y) {
    const at = await this.toPage(x, y);
    return this.page.mouse.move(at.x, at.y);
  }

  // Boxes the last input opened are answered before the next tick.
  async answerBoxes() {
    while (await this.call('openBoxes') > 0) {
      const answer = this.answers.shift() || 'ok';
      await this.page.keyboard.press(answer === 'ok' ? 'Enter' : 'Escape');
      await this.call('frame');
    }
  }

  // A panel control is clicked where the page draws it (a list's row at
  // the list's own row height), then the pointer goes back.
  async clickControl(name, row) {
    const at = await this.call('controlRect', name);
    if (!at) throw new Error(`control ${name}: not shown`);
    const [left, top, right, bottom] = at.split(' ').map(Number);
    const x = Math.floor((left + right) / 2);
    const y = row === undefined ? Math.floor((top + bottom) / 2) : top + 2 + row * 15 + 7;
    await this.moveTo(x, y);
    await this.call('frame');
    await this.page.mouse.down();
    await this.call('frame');
    await this.page.mouse.up();
    await this.call('frame');
    await this.moveTo(this.pointer.x, this.pointer.y);
    await this.call('frame');
  }

  // The input method, through Chromium's own (what a player's IME does in
  // the page's text field): "ime compose TEXT", "ime commit [TEXT]".
  async inputMethod([what, text]) {
    if (!this.cdp) this.cdp = await this.page.context().newCDPSession(this.page);
    if (what === 'compose') {
      this.composing = text || '';
      const end = [...this.composing].length;
      await this.cdp.send('Input.imeSetComposition',
        { text: this.composing, selectionStart: end, selectionEnd: end });
    } else if (what === 'commit') {
      await this.cdp.send('Input.insertText', { text: text === undefined ? this.composing : text });
      this.composing = '';
    } else {
      throw new Error(`ime ${what}: only compose and commit are driven`);
    }
    await this.call('frame');
  }

  async run(words) {
    const [cmd, ...rest] = words;
    const page = this.page;
    switch (cmd) {
      case 'tick': return this.call('tick', rest.length ? Number(rest[0]) : 1);
      case 'until': return this.call('until', rest[0], rest.length > 1 ? Number(rest[1]) : 10000);
      case 'pointer':
        this.pointer = { x: Number(rest[0]), y: Number(rest[1]) };
        return this.moveTo(this.pointer.x, this.pointer.y);
      case 'click':
        await page.mouse.down({ button: rest[0] });
        return page.mouse.up({ button: rest[0] });
      case 'press': return page.mouse.down({ button: rest[0] });
      case 'release': return page.mouse.up();
      case 'wheel': return page.mouse.wheel(0, rest[0] === 'up' ? -100 : 100);
      case 'key':
        if (!(rest[0] in keyNames)) throw new Error(`key ${rest[0]}: not a key the test knows`);
        return page.keyboard.press(keyNames[rest[0]]);
      case 'answer': this.answers.push(rest[0]); return undefined;
      case 'control':
        if (rest[1] === 'click') return this.clickControl(rest[0]);
        if (rest[1] === 'select') return this.clickControl(rest[0], Number(rest[2]));
        throw new Error(`control ${rest[1]}: only clicks and list rows are driven`);
      case 'focus': return this.clickControl(rest[0]);
      case 'ime': return this.inputMethod(rest);
      case 'reader':
        await this.call('reader', rest[0], rest[1]);
        return this.call('frame');
      case 'screenshot': {
        const png = await page.evaluate(() => document.getElementById('canvas').toDataURL('image/png'));
        return writeFile(join(outDir, rest[0]), Buffer.from(png.split(',')[1], 'base64'));
      }
      case 'state': {
        const json = await this.call('state');
        return writeFile(join(outDir, rest[0]), json);
      }
      default: throw new Error(`${cmd}: not a command the browser test drives`);
    }
  }
}

// The page's own export (its button): the slot files as downloads, into
// OUT_DIR/slots, for the test to compare byte for byte with the headless
// run's.
async function exportSlots(page) {
  await mkdir(join(outDir, 'slots'), { recursive: true });
  const saved = [];
  page.on('download', (d) => saved.push(d.saveAs(join(outDir, 'slots', d.suggestedFilename()))));
  await page.evaluate(() => document.getElementById('export').click());
  await page.waitForTimeout(1000);
  await Promise.all(saved);
}

async function main() {
  await mkdir(outDir, { recursive: true });
  const server = await serve(site);
  const browser = await chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required'],
  });
  let failed = false;
  const logs = [];
  try {
    const page = await browser.newPage({ viewport: viewport || { width: 1024, height: 768 } });
    page.on('console', (m) => logs.push(m.text()));
    page.on('pageerror', (e) => logs.push('page error: ' + e.message));
    await page.goto(`http://127.0.0.1:${server.address().port}/index.html?test${viewport ? '&page' : ''}`);
    await page.waitForFunction(() => window.velmorReady === true, null, { timeout: 20000 });
    const driver = new Driver(page);
    const lines = (await readFile(scriptFile, 'utf8')).split('\n');
    for (let n = 0; n < lines.length; ++n) {
      const words = lines[n].replace(/#.*/, '').trim().split(/\s+/).filter(Boolean);
      if (!words.length) continue;
      try {
        await driver.run(words);
        await driver.answerBoxes();
      } catch (e) {
        console.error(`${scriptFile}:${n + 1}: ${e.message}`);
        failed = true;
        break;
      }
    }
    if (!failed) await exportSlots(page);
    await page.screenshot({ path: join(outDir, 'page.png') });
    const canvas = await page.evaluate(() => {
      const c = document.getElementById('canvas');
      const r = c.getBoundingClientRect();
      return { width: c.width, height: c.height, pageWidth: r.width, pageHeight: r.height };
    });
    await writeFile(join(outDir, 'canvas.json'), JSON.stringify(canvas) + '\n');
  } finally {
    await writeFile(join(outDir, 'page.log'), logs.join('\n') + '\n');
    await browser.close();
    server.close();
  }
  process.exit(failed ? 1 : 0);
}

main().catch((e) => { console.error(e); process.exit(1); });
