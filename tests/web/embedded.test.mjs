// The game embedded in another site's page, as game portals show it: in a
// cross-site frame, and in a sandboxed one that may not open the browser's
// own dialogs.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  board, bucketPosition, dialogShown, expectFreshBoard, expectGameEnded, freshBoard, openPortal,
  playUntilDialog, until, waitForBoard,
} from './page.mjs';

// A page of another site that shows the game in a frame with the given
// attributes.
async function openEmbedded(t, attributes) {
  const opened = await openPortal(t, `<p id="outside">Games</p>
    <iframe ${attributes} src="{game}" width="460" height="640"></iframe>`);
  return { ...opened, frame: opened.frames[0] };
}

const hint = (frame) => frame.locator('#focus').isVisible();

async function playThroughBothAnswers(page, frame) {
  assert.equal(await board(frame), freshBoard);
  // Whether the frame gets the keys on load is the browser's call; if a key
  // does not reach the game, the page says why.
  await page.keyboard.press('ArrowLeft');
  if (bucketPosition(await board(frame)) === 'middle')
    assert.equal(await hint(frame), true, 'the key went elsewhere and nothing says so');
  else
    assert.equal(await hint(frame), false, 'the key reached the game, yet the page says to click it');
  // A click elsewhere on the embedding page takes the keys away, and the
  // page says so until the player clicks the board.
  await page.locator('#outside').click();
  await until(frame, () => !document.getElementById('focus').hidden, null, 'the hint');
  assert.equal(await frame.locator('#focus').textContent(), 'Click the board to play');
  const before = await board(frame);
  await page.keyboard.press('ArrowRight');
  await page.keyboard.press('ArrowLeft');
  assert.equal(await board(frame), before, 'keys of the other page reached the game');
  await frame.locator('#board').click();
  await until(frame, () => document.getElementById('focus').hidden, null, 'the hint to go');
  await page.keyboard.press('ArrowRight');
  await page.keyboard.press('ArrowRight');
  assert.equal(bucketPosition(await board(frame)), 'right');

  assert.deepEqual(await playUntilDialog(page, frame),
    { title: 'You Lost', prompt: 'You lost. Try again?', buttons: ['OK', 'Cancel'], modal: true });
  await page.keyboard.press('Enter');
  await until(frame, () => !document.getElementById('box').open);
  await expectFreshBoard(frame);
  // The keys still reach the game after the dialog.
  assert.equal(await hint(frame), false);
  await page.keyboard.press('ArrowLeft');
  assert.equal(bucketPosition(await board(frame)), 'left', 'keys after the dialog');

  await playUntilDialog(page, frame);
  await frame.getByRole('button', { name: 'Cancel' }).click();
  await (await expectGameEnded(page, frame)).click();
  await waitForBoard(frame);
  assert.equal(await board(frame), freshBoard);
  assert.equal(await dialogShown(frame), null);
  // Its draws are random again: about one game in two hundred fills the
  // bucket untouched.
  assert.match((await playUntilDialog(page, frame)).title, /^You (Lost|Won)$/, 'the fresh page plays to its end');
}

test('in a frame of another site: the focus hint, a loss, OK and Cancel, Play again', async (t) => {
  const { page, frame, errors, shownByBrowser } = await openEmbedded(t, '');
  await playThroughBothAnswers(page, frame);
  assert.deepEqual(shownByBrowser, []);
  assert.deepEqual(errors, []);
});

test('in a sandboxed frame without allow-modals the game plays the same', async (t) => {
  const { page, frame, errors, shownByBrowser } =
    await openEmbedded(t, 'sandbox="allow-scripts allow-same-origin"');
  assert.equal(await page.evaluate(() => document.querySelector('iframe').sandbox.contains('allow-modals')),
    false);
  await playThroughBothAnswers(page, frame);
  assert.deepEqual(shownByBrowser, []);
  assert.deepEqual(errors, []);
});
