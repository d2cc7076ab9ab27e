// The browser game in headless Chromium: what only the page has, beside
// the shared scenarios of scenarios.test.mjs.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { board, bucketPosition, openGame, piecesInRow } from './page.mjs';

// The shifts and the keys that do nothing are shared scenarios
// (scenarios.test.mjs); what only a page has: a held key's repeats, under a
// clock that stands still, each shift on its own, and no key scrolls it.
test('a held arrow shifts once for each repeat, and no key scrolls the page', async (t) => {
  // The smallest viewport the page is laid out for. (That the keys do not
  // scroll an embedding page is the portal tests' to check.)
  const { page, errors } = await openGame(t, { frozen: true, viewport: { width: 320, height: 320 } });
  const keys = page.keyboard;
  await keys.press('ArrowLeft');
  // Held down: the browser's auto-repeat sends more key-downs.
  await keys.down('ArrowRight');
  await keys.down('ArrowRight');
  await keys.up('ArrowRight');
  assert.equal(bucketPosition(await board(page)), 'right', 'a held Right from the left end');
  // Tab and F5 are the page's own (the other keys are the shared scenario's).
  const before = await board(page);
  for (const key of ['ArrowUp', 'ArrowDown', 'Space', 'PageDown', 'End', 'Tab', 'F5']) {
    await keys.press(key);
    assert.equal(await board(page), before, `${key} changed the board`);
  }
  assert.equal(await page.title(), 'Form1');
  // Keyboard scrolling may be animated: give it time to show.
  await page.waitForTimeout(500);
  assert.deepEqual(await page.evaluate(() => [window.scrollX, window.scrollY]), [0, 0],
    'arrow keys and space must not scroll the page');
  // Nothing to scroll to: the whole page is in the viewport.
  assert.deepEqual(await page.evaluate(() => [document.documentElement.scrollWidth,
    document.documentElement.scrollHeight]), [320, 320]);
  assert.deepEqual(errors, []);
});

test('the real clock drives the game too', async (t) => {
  const { page, errors } = await openGame(t);
  // Under the browser's own timers: a piece spawns, then falls to row 1.
  let drawn = await board(page);
  for (let polls = 0; polls < 100 && piecesInRow(drawn, 1) === 0; ++polls) {
    await page.waitForTimeout(50);
    drawn = await board(page);
  }
  assert.equal(piecesInRow(drawn, 1), 1, drawn);
  assert.deepEqual(errors, []);
});

test("the page opens none of the browser's own boxes, which a sandbox may refuse", async () => {
  const { readdir, readFile } = await import('node:fs/promises');
  const { join } = await import('node:path');
  const { site } = await import('./page.mjs');
  for (const name of await readdir(site)) {
    if (!/\.(html|js)$/.test(name)) continue;
    const text = await readFile(join(site, name), 'utf8');
    assert.doesNotMatch(text, /\b(alert|confirm|prompt)\s*\(/, name);
  }
});
