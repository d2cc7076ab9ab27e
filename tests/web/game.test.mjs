// The browser game in headless Chromium: what only the page has, beside
// the shared scenarios of scenarios.test.mjs. (Play again is
// embedded.test.mjs's.)
import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  board, bucketPosition, dialogShown, expectFreshBoard, openGame, piecesInRow, playUntilDialog,
} from './page.mjs';

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

const lossBox = { title: 'You Lost', prompt: 'You lost. Try again?', buttons: ['OK', 'Cancel'], modal: true };

async function expectNewGame(page, after) {
  assert.equal(await dialogShown(page), null, `${after}: the dialog is closed`);
  const fresh = await expectFreshBoard(page, after);
  // The tick that reloaded goes on in the new game and drops its first piece.
  assert.equal(piecesInRow(fresh, 0), 1, `${after}:\n${fresh}`);
  assert.equal(await page.evaluate(() => document.activeElement?.id), 'board', `${after}: focus`);
  await page.keyboard.press('ArrowRight');
  assert.equal(bucketPosition(await board(page)), 'right', `${after}: the new game takes keys`);
}

test('the loss dialog: the game held still under it, Return is OK and gives the board the keys', async (t) => {
  const { page, errors } = await openGame(t, { frozen: true });
  assert.deepEqual(await playUntilDialog(page), lossBox);
  assert.equal(await page.title(), 'Form1');

  // A key sent to the window itself does not reach the game either; keys
  // at the board and at the dialog are a shared scenario (box_drops_keys),
  // as the board the tick left (loss_return) and the dialog's place at
  // every size and zoom (layout.test.mjs).
  const left = await board(page);
  await page.evaluate(() => dispatchEvent(new KeyboardEvent('keydown', { key: 'ArrowLeft' })));
  await page.clock.runFor(5000);
  assert.equal(await board(page), left, 'the game moved under its dialog');
  assert.deepEqual(await dialogShown(page), lossBox);
  await page.keyboard.press('Enter');
  // A new game with the bucket in the middle: the keys typed while the
  // dialog was up are not replayed.
  await expectNewGame(page, 'Return');
  assert.equal(await page.title(), 'Form1');
  assert.deepEqual(errors, []);
});
