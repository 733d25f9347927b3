// The browser build's budgets, measured in headless Chromium:
//   - what a first visit transfers, compressed as a server compressing its
//     answers sends it (gzip -9 of each file of the page's folder): at most
//     12 MB;
//   - the first frame, after navigation on a local server: at most 1.5 s;
//   - Chromium's renderer process at the title's click wait: at most 2 % of
//     a core.
// Prints each figure with its budget; exits with 1 when one is over it by
// more than the margin a shared, noisy machine needs (half again; the size
// has none), so that a change that loses a budget is seen without a timed
// test.
//
//   node bench/web_budgets.mjs SITE_DIR [SECONDS]
import { readdir, readFile } from 'node:fs/promises';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';

const webTests = new URL('../tests/web/', import.meta.url);
const { chromium } = await import(new URL('node_modules/playwright-core/index.mjs', webTests));
const { serve } = await import(new URL('serve.mjs', webTests));

const [site, secondsArg] = process.argv.slice(2);
if (!site) {
  console.error('usage: node bench/web_budgets.mjs SITE_DIR [SECONDS]');
  process.exit(2);
}
const seconds = Number(secondsArg || 10);
const kMargin = 1.5;
let over = 0;

// Sizes are not noisy: their margin is none.
function report(what, value, budget, unit, detail = '', margin = kMargin) {
  const verdict = value <= budget ? 'within' : value <= budget * margin ? 'over (within the margin)' : 'OVER';
  if (value > budget * margin) over++;
  console.log(`${what}: ${value.toFixed(2)} ${unit} (budget ${budget} ${unit}: ${verdict})${detail}`);
}

async function transfer() {
  const sizes = [];
  for (const name of await readdir(site)) {
    const bytes = await readFile(join(site, name));
    sizes.push([name, gzipSync(bytes, { level: 9 }).length]);
  }
  sizes.sort((a, b) => b[1] - a[1]);
  const total = sizes.reduce((sum, [, n]) => sum + n, 0);
  const parts = sizes.slice(0, 3).map(([name, n]) => `${name} ${(n / 1e6).toFixed(2)} MB`).join(', ');
  report('first visit, compressed', total / 1e6, 12, 'MB', `; most: ${parts}`, 1);
}

async function rendererCpuSeconds(cdp) {
  const { processInfo } = await cdp.send('SystemInfo.getProcessInfo');
  return processInfo.filter((p) => p.type === 'renderer').reduce((sum, p) => sum + p.cpuTime, 0);
}

async function inTheBrowser() {
  const server = await serve(site);
  const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox'] });
  try {
    const page = await browser.newPage({ viewport: { width: 1024, height: 800 } });
    await page.goto(`http://127.0.0.1:${server.address().port}/index.html`);
    await page.waitForFunction(() => window.velmorFirstFrameMs !== undefined, null, { timeout: 60000 });
    report('first frame after navigation', await page.evaluate(() => window.velmorFirstFrameMs) / 1000,
      1.5, 's');
    // The title types itself in under a second, then waits for a click.
    await page.waitForTimeout(3000);
    const cdp = await browser.newBrowserCDPSession();
    const before = await rendererCpuSeconds(cdp);
    await page.waitForTimeout(seconds * 1000);
    const used = await rendererCpuSeconds(cdp) - before;
    report('renderer at a click wait', (100 * used) / seconds, 2, '% of a core',
      `; ${used.toFixed(3)} s of CPU in ${seconds} s`);
  } finally {
    await browser.close();
    server.close();
  }
}

await transfer();
await inTheBrowser();
process.exit(over ? 1 : 0);
