// The game's dialog in the page: what it shows and where, that the game
// holds still while it is up, and each way of answering it.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  board, bucketPosition, dialogShown, expectFreshBoard, freshBoard, openGame, piecesInRow,
  playUntilDialog, screenBoard, until, waitForBoard,
} from './page.mjs';

const lossBox = { title: 'You Lost', prompt: 'You lost. Try again?', buttons: ['OK', 'Cancel'], modal: true };

// The rectangles of the dialog and of the cells (the top-left 3465 x 4010
// twips of the client area), in CSS pixels of the page.
function layout(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById('board').getBoundingClientRect();
    const box = document.getElementById('box').getBoundingClientRect();
    const cells = {
      left: canvas.left, top: canvas.top,
      right: canvas.left + canvas.width * 3465 / 6090, bottom: canvas.top + canvas.height * 4010 / 6360,
    };
    return { cells, box: { left: box.left, top: box.top, right: box.right, bottom: box.bottom } };
  });
}

function apart(a, b) {
  return a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
}

async function expectNewGame(page, after) {
  assert.equal(await dialogShown(page), null, `${after}: the dialog is closed`);
  const fresh = await expectFreshBoard(page, after);
  // The tick that reloaded goes on in the new game and drops its first piece.
  assert.equal(piecesInRow(fresh, 0), 1, `${after}:\n${fresh}`);
  assert.equal(await page.evaluate(() => document.activeElement?.id), 'board', `${after}: focus`);
  await page.keyboard.press('ArrowRight');
  assert.equal(bucketPosition(await board(page)), 'right', `${after}: the new game takes keys`);
}

async function expectEnded(page) {
  assert.equal(await dialogShown(page), null);
  await until(page, () => !document.getElementById('board'), null, 'the board to be taken down');
  assert.equal(await page.locator('#status').textContent(), 'The game has ended.');
  const again = page.getByRole('button', { name: 'Play again' });
  assert.ok(await again.isVisible());
  assert.equal(await page.evaluate(() => document.activeElement?.textContent), 'Play again');
  // Nothing runs any more: no tick, no dialog, no key handler.
  await page.clock.runFor(30000);
  await page.keyboard.press('ArrowLeft');
  assert.equal(await dialogShown(page), null);
  return again;
}

test('the loss dialog: beside the board the tick left, the game held still, Return is OK', async (t) => {
  const { page, errors } = await openGame(t, { frozen: true });
  assert.deepEqual(await playUntilDialog(page), lossBox);
  assert.equal(await page.title(), 'Form1');

  // The tick stopped where the piece arrived over a taken bucket cell.
  const left = await board(page);
  const rows = left.split('\n');
  assert.ok([1, 2, 3, 4, 5].some((c) => 'RGB'.includes(rows[4][c]) && rows[5][c] !== 'o'), left);
  // All of it on the screen: the dialog covers no cell, nothing dims them.
  assert.equal(await screenBoard(page), left);
  const { cells, box } = await layout(page);
  assert.ok(apart(cells, box), JSON.stringify({ cells, box }));

  // A key sent to the window itself does not reach the game either; keys
  // at the board and at the dialog are a shared scenario (box_drops_keys).
  await page.evaluate(() => dispatchEvent(new KeyboardEvent('keydown', { key: 'ArrowLeft' })));
  await page.clock.runFor(5000);
  assert.equal(await board(page), left, 'the game moved under its dialog');
  assert.deepEqual(await dialogShown(page), lossBox);

  // Narrower, then zoomed: repainted at the new size, still in full view.
  await page.setViewportSize({ width: 360, height: 640 });
  await until(page, () => document.getElementById('board').width < 406);
  assert.equal(await board(page), left);
  assert.equal(await screenBoard(page), left);
  const narrow = await layout(page);
  assert.ok(apart(narrow.cells, narrow.box), JSON.stringify(narrow));
  const cdp = await page.context().newCDPSession(page);
  // A zoom: fewer CSS pixels across, more device pixels to each.
  await cdp.send('Emulation.setDeviceMetricsOverride',
    { width: 320, height: 640, deviceScaleFactor: 2, mobile: false });
  await until(page, () => document.getElementById('board').width > 406);
  assert.equal(await board(page), left);
  const zoomed = await layout(page);
  assert.ok(apart(zoomed.cells, zoomed.box), JSON.stringify(zoomed));
  await cdp.send('Emulation.clearDeviceMetricsOverride');

  await page.setViewportSize({ width: 640, height: 560 });
  await page.keyboard.press('Enter');
  // A new game with the bucket in the middle: the keys typed while the
  // dialog was up are not replayed.
  await expectNewGame(page, 'Return');
  assert.equal(await page.title(), 'Form1');
  assert.deepEqual(errors, []);
});

test('Escape is Cancel: the game ends and Play again starts a fresh page', async (t) => {
  const { page, errors } = await openGame(t, { frozen: true });
  assert.deepEqual(await playUntilDialog(page), lossBox);
  await page.keyboard.press('Escape');
  const again = await expectEnded(page);
  await again.click();
  await waitForBoard(page);
  assert.equal(await board(page), freshBoard);
  assert.deepEqual(await playUntilDialog(page), lossBox, 'the fresh page plays to a loss again');
  assert.deepEqual(errors, []);
});
