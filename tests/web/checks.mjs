// What the page's tests share: a check that prints its verdict and counts
// the failures, and waiting for the game to have started (or failed to).
let failures = 0;

export function check(what, ok, detail = '') {
  console.log(`${ok ? 'ok' : 'FAILED'}: ${what}${detail ? ' (' + detail + ')' : ''}`);
  if (!ok) failures++;
}

export const failed = () => failures;

export async function started(page) {
  await page.waitForFunction(() => window.velmorReady === true || window.velmorFailed !== undefined,
    null, { timeout: 60000 });
}
