// Touch in the page, through Chromium's own touch events, at the demo's
// title (a click wait with one page in the backlog): a tap with two fingers
// opens the backlog, a long press is a right click (the picture alone), a
// tap a left click (the message window again, then the title goes on).
//
//   node touch.mjs SITE_DIR
import { chromium } from 'playwright-core';
import { serve } from './serve.mjs';
import { check, failed } from './checks.mjs';

const [site] = process.argv.slice(2);
if (!site) {
  console.error('usage: node touch.mjs SITE_DIR');
  process.exit(2);
}

async function main() {
  const server = await serve(site);
  const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox'] });
  try {
    const context = await browser.newContext({ viewport: { width: 1024, height: 768 }, hasTouch: true });
    const page = await context.newPage();
    await page.goto(`http://127.0.0.1:${server.address().port}/index.html?test`);
    await page.waitForFunction(() => window.velmorReady === true, null, { timeout: 60000 });
    const cdp = await context.newCDPSession(page);
    const call = (name, ...args) => page.evaluate(([n, a]) => window.velmor[n](...a), [name, args]);
    const state = async () => JSON.parse(await call('state'));
    const touch = (type, points) => cdp.send('Input.dispatchTouchEvent', {
      type, touchPoints: points.map(([x, y], id) => ({ x, y, id })) });
    const at = [[500, 400]];

    await call('until', 'WaitClick', 3000);
    await touch('touchStart', [[480, 400], [560, 400]]);
    await call('frame');
    await touch('touchEnd', []);
    await call('tick', 2);
    let s = await state();
    check('two fingers tapped together open the backlog', s.backlog.open, `backlog ${JSON.stringify(s.backlog)}`);

    await page.keyboard.press('Escape');
    await call('tick', 2);
    await touch('touchStart', at);
    await call('tick', 30);  // 600 ms on the page's clock
    await touch('touchEnd', []);
    await call('tick', 2);
    s = await state();
    check('a long press is a right click: the picture alone', !s.backlog.open && s.HoldMode === 1,
      `backlog open ${s.backlog.open}, HoldMode ${s.HoldMode}`);

    for (let n = 0; n < 2; ++n) {
      await touch('touchStart', at);
      await call('frame');
      await touch('touchEnd', []);
      await call('tick', 2);
    }
    s = await state();
    check('a tap is a left click: the window again, then the title goes on',
      s.HoldMode === 0 && s.MainProc === 'ChoiceProc', `HoldMode ${s.HoldMode}, ${s.MainProc}`);
  } finally {
    await browser.close();
    server.close();
  }
  process.exit(failed() ? 1 : 0);
}

main().catch((e) => { console.error(e); process.exit(1); });
