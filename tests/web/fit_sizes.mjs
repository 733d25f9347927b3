// The canvas's size in the page and of its own, as the reader's picture
// size and the browser's window change (index.html?test&page: the page's
// layout, the game stepped by the test):
// - the game's own size: 1024x768 pixels, scaled to the largest 4:3 the
//   page leaves it;
// - "fit the screen": whole steps of 4 by 3 device pixels, as many as the
//   page leaves, at every device pixel ratio, at most 4096 wide; the game's
//   display fills them; a resized window sizes them again (a moment later);
//   Alt+Enter leaves them alone; a click at twice the pixels lands where the
//   game's scaling says (on the title's first choice).
//
//   node fit_sizes.mjs SITE_DIR
import { chromium } from 'playwright-core';
import { serve } from './serve.mjs';
import { check, failed } from './checks.mjs';

const [site] = process.argv.slice(2);
if (!site) {
  console.error('usage: node fit_sizes.mjs SITE_DIR');
  process.exit(2);
}

// What the page shows: the canvas's own pixels, its size in the page, the
// stage it has, and the game's display.
async function look(page) {
  return page.evaluate(() => {
    const c = document.getElementById('canvas');
    const r = c.getBoundingClientRect();
    const stage = document.getElementById('stage');
    return { width: c.width, height: c.height, pageWidth: r.width, pageHeight: r.height,
      left: r.left, top: r.top, stageWidth: stage.clientWidth, stageHeight: stage.clientHeight,
      ratio: window.devicePixelRatio, disp: JSON.parse(window.velmor.state()).Disp };
  });
}

const size = (s) => `${s.width}x${s.height}`;
const near = (a, b) => Math.abs(a - b) < 0.01;

// The canvas a fitted picture wants: whole steps of 4 by 3 device pixels.
function fitted(s, longest = 4096) {
  const step = Math.min(Math.floor(s.stageWidth * s.ratio / 4), Math.floor(s.stageHeight * s.ratio / 3));
  const kept = Math.min(step, longest / 4);
  return { width: 4 * kept, height: 3 * kept, pageWidth: 4 * step / s.ratio, pageHeight: 3 * step / s.ratio };
}

function checkFitted(what, s) {
  const want = fitted(s);
  check(`${what}: the canvas's own pixels are whole steps of 4 by 3 of the page`,
    s.width === want.width && s.height === want.height, `${size(s)}, wanted ${size(want)}`);
  check(`${what}: the canvas fills them in the page`,
    near(s.pageWidth, want.pageWidth) && near(s.pageHeight, want.pageHeight),
    `${s.pageWidth}x${s.pageHeight} CSS pixels at ratio ${s.ratio}`);
  check(`${what}: the game's display fills the canvas`,
    s.disp.Left === 0 && s.disp.Top === 0 && s.disp.Width === s.width && s.disp.Height === s.height,
    JSON.stringify(s.disp));
}

async function open(browser, server, viewport, deviceScaleFactor) {
  const context = await browser.newContext({ viewport, deviceScaleFactor });
  const page = await context.newPage();
  page.on('pageerror', (e) => console.log('page error: ' + e.message));
  await page.goto(`http://127.0.0.1:${server.address().port}/index.html?test&page`);
  await page.waitForFunction(() => window.velmorReady === true, null, { timeout: 60000 });
  const call = (name, ...args) => page.evaluate(([n, a]) => window.velmor[n](...a), [name, args]);
  return { context, page, call };
}

async function gameSizeAndFit(browser, server) {
  const { context, page, call } = await open(browser, server, { width: 1600, height: 1000 }, 1);
  await call('tick', 1);
  let s = await look(page);
  const scale = Math.min(s.stageWidth / 1024, s.stageHeight / 768);
  check('the game\'s own size: 1024x768 pixels of its own, scaled to the page',
    s.width === 1024 && s.height === 768 && s.pageWidth === Math.floor(1024 * scale) &&
    s.pageHeight === Math.floor(768 * scale), `${size(s)} shown ${s.pageWidth}x${s.pageHeight}`);

  await call('reader', 'picture_size', 'fit');
  await call('frame');
  s = await look(page);
  checkFitted('fit at 1600x1000', s);
  check('the fitted canvas is not 1024x768 scaled by the page', s.width > 1024, size(s));

  await page.keyboard.down('Alt');
  await page.keyboard.press('Enter');
  await page.keyboard.up('Alt');
  await call('frame');
  const after = await look(page);
  check('Alt+Enter leaves the canvas\'s size to the page', size(after) === size(s) &&
    after.disp.Width === s.disp.Width, `${size(after)}, display ${after.disp.Width}x${after.disp.Height}`);

  await page.setViewportSize({ width: 1000, height: 800 });
  await page.waitForFunction(() => document.getElementById('canvas').width < 1000, null, { timeout: 5000 })
    .catch(() => {});
  await call('frame');
  checkFitted('fit after the window went to 1000x800', await look(page));

  await call('reader', 'picture_size', 'game');
  await call('frame');
  s = await look(page);
  check('back at the game\'s own size: 1024x768 again, the display at its 100 %',
    s.width === 1024 && s.height === 768 && s.disp.Width === 640 && s.disp.Left === 192,
    `${size(s)}, display ${JSON.stringify(s.disp)}`);
  await context.close();
}

// Twice the device pixels: the canvas has them all, and a click at the
// title's first choice (the logical point 108, 386) starts a new game.
async function twiceThePixels(browser, server) {
  const { context, page, call } = await open(browser, server, { width: 700, height: 600 }, 2);
  await call('reader', 'picture_size', 'fit');
  await call('frame');
  const s = await look(page);
  checkFitted('fit at 700x600, two device pixels a CSS pixel', s);
  await call('until', 'WaitClick', 3000);
  await page.mouse.click(s.left + 20, s.top + 20);
  await call('tick', 1);
  await call('until', 'ChoiceProc', 100);
  const k = s.disp.Width / 640;
  // The middle of the logical pixel, in CSS pixels (two window pixels each).
  await page.mouse.move(s.left + (108.5 * k) / 2, s.top + (386.5 * k) / 2);
  await call('tick', 1);
  await page.mouse.down();
  await page.mouse.up();
  await call('tick', 1);
  await call('until', 'IdleWait', 500);
  const state = JSON.parse(await call('state'));
  check('a click at twice the pixels chose the title\'s first choice (the name panel)',
    state.MainProc === 'IdleWait' && state.panels.NamePanel === true,
    `${state.MainProc}, panels ${JSON.stringify(state.panels)}`);
  await context.close();
}

// A screen past 4096 pixels: the canvas stops there, the page scales it.
async function largestCanvas(browser, server) {
  const { context, page, call } = await open(browser, server, { width: 2600, height: 2000 }, 2);
  await call('reader', 'picture_size', 'fit');
  await call('frame');
  const s = await look(page);
  check('past 4096 pixels the canvas keeps 4096x3072', s.width === 4096 && s.height === 3072, size(s));
  const want = fitted(s);
  check('and fills the page still', near(s.pageWidth, want.pageWidth) && s.pageWidth * 2 > 4096,
    `${s.pageWidth}x${s.pageHeight}`);
  await context.close();
}

async function main() {
  const server = await serve(site);
  const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox'] });
  try {
    await gameSizeAndFit(browser, server);
    await twiceThePixels(browser, server);
    await largestCanvas(browser, server);
  } finally {
    await browser.close();
    server.close();
  }
  process.exit(failed() ? 1 : 0);
}

main().catch((e) => { console.error(e); process.exit(1); });
