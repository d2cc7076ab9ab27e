// The browser game in headless Chromium: real key presses into the page,
// the board read off the canvas pixels, the game's dialog answered.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  board, bucketPosition, dialogShown, freshBoard, openGame, piecesInRow, playUntilDialog,
  until, withoutTopPieces,
} from './page.mjs';

// The board's room is 406 CSS pixels wide in this viewport (8 px margins),
// so the page lays it out at one pixel of the window to a CSS pixel.
const onePixelRoom = { width: 422, height: 700 };

test('draws the set-up board at 15 twips to a CSS pixel', async (t) => {
  const { page, errors } = await openGame(t, { frozen: true, viewport: onePixelRoom });
  assert.equal(await board(page), freshBoard);
  const drawn = await page.evaluate(() => {
    const canvas = document.getElementById('board');
    const context = canvas.getContext('2d');
    const at = (x, y) => [...context.getImageData(x, y, 1, 1).data.slice(0, 3)].join(',');
    const box = canvas.getBoundingClientRect();
    return {
      backing: [canvas.width, canvas.height],
      css: [box.width, box.height],
      wall: at(0, 0),
      bucketTop: at(33, 168),
      strip: at(40, 166),
      belowWall: at(16, 170),
    };
  });
  assert.deepEqual(drawn.backing, [406, 424]);
  assert.deepEqual(drawn.css, [406, 424]);
  assert.equal(drawn.wall, '0,0,0');
  assert.equal(drawn.bucketTop, '255,255,255', 'the bucket starts 3 px below the shaft');
  assert.equal(drawn.strip, '192,192,192', 'the strip shows the background');
  assert.equal(drawn.belowWall, '192,192,192', 'hidden bucket-row cells show the background');
  assert.equal(await page.title(), 'Form1');
  // The game has the keys from the start, so nothing asks for a click.
  assert.equal(await page.evaluate(() => document.activeElement?.id), 'board');
  assert.equal(await page.locator('#focus').isVisible(), false);
  assert.deepEqual(errors, []);
});

test('stays sharp on a high-density screen', async (t) => {
  const { page } = await openGame(t, { frozen: true, scale: 2, viewport: onePixelRoom });
  const seen = await page.evaluate(() => {
    const canvas = document.getElementById('board');
    const pixels = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    const colours = new Set();
    for (let i = 0; i < pixels.length; i += 4)
      colours.add(`${pixels[i]},${pixels[i + 1]},${pixels[i + 2]}`);
    const box = canvas.getBoundingClientRect();
    return { backing: [canvas.width, canvas.height], css: [box.width, box.height], colours: [...colours].sort() };
  });
  assert.deepEqual(seen.backing, [812, 848], 'one backing pixel per device pixel');
  assert.deepEqual(seen.css, [406, 424]);
  // No blended edge anywhere: only the background, black walls and white cells.
  assert.deepEqual(seen.colours, ['0,0,0', '192,192,192', '255,255,255']);
  assert.equal(await board(page), freshBoard);
});

test('the arrows shift the bucket to both ends; no other key does anything', async (t) => {
  // The smallest viewport the page is laid out for. (That the keys do not
  // scroll an embedding page is the portal tests' to check.)
  const { page, errors } = await openGame(t, { frozen: true, viewport: { width: 320, height: 320 } });
  const keys = page.keyboard;
  const expectBucket = async (where, after) =>
    assert.equal(bucketPosition(await board(page)), where, `after ${after}`);

  await keys.press('ArrowLeft');
  await expectBucket('left', 'Left');
  await keys.press('ArrowLeft');
  await expectBucket('left', 'Left at the left end');
  await keys.press('ArrowRight');
  await expectBucket('middle', 'Right');
  await keys.press('ArrowRight');
  await expectBucket('right', 'Right again');
  await keys.press('ArrowRight');
  await expectBucket('right', 'Right at the right end');
  for (const modifier of ['Shift', 'Control', 'Alt']) {
    await keys.press(`${modifier}+ArrowLeft`);
    await expectBucket('middle', `${modifier}+Left`);
    await keys.press(`${modifier}+ArrowRight`);
    await expectBucket('right', `${modifier}+Right`);
  }
  // Held down: the browser's auto-repeat sends more key-downs.
  await keys.down('ArrowLeft');
  await keys.down('ArrowLeft');
  await keys.up('ArrowLeft');
  await expectBucket('left', 'a held Left');

  const before = await board(page);
  // The percent and apostrophe keys share codes 37 and 39 elsewhere.
  for (const key of ['Shift+Digit5', 'Quote', 'ArrowUp', 'ArrowDown', 'KeyA', 'Space', 'Enter',
    'Escape', 'Tab', 'F5']) {
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

test('a piece appears and falls one row each second, on the second', async (t) => {
  const { page } = await openGame(t, { frozen: true });
  let before = await board(page);
  assert.equal(before, freshBoard);
  for (let tick = 1; tick <= 5; ++tick) {
    await page.clock.runFor(999);
    assert.equal(await board(page), before, `tick ${tick} came early`);
    await page.clock.runFor(1);
    const now = await board(page);
    assert.notEqual(now, before, `tick ${tick} did not come at 1000 ms`);
    assert.equal(piecesInRow(now, 0), 1, `tick ${tick} spawns one piece:\n${now}`);
    // Every piece moved down exactly one row.
    const above = before.split('\n');
    const below = now.split('\n');
    for (let row = 0; row < 4; ++row)
      assert.equal(below[row + 1].slice(1, 6), above[row].slice(1, 6), `tick ${tick}:\n${now}`);
    before = now;
  }
  for (let row = 0; row <= 4; ++row) assert.equal(piecesInRow(before, row), 1, before);
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

test('a loss asks to play again: OK starts a new game, Cancel ends the program', async (t) => {
  const { page, errors } = await openGame(t, { frozen: true });
  const first = await playUntilDialog(page);
  assert.deepEqual(first,
    { title: 'You Lost', prompt: 'You lost. Try again?', buttons: ['OK', 'Cancel'], modal: true });
  await page.keyboard.press('Enter');
  // The tick that reloaded goes on in the new game and drops its first piece.
  await until(page, () => !document.getElementById('box').open);
  let fresh = await board(page);
  for (let polls = 0; polls < 100 && withoutTopPieces(fresh) !== freshBoard; ++polls)
    fresh = await board(page);
  assert.equal(withoutTopPieces(fresh), freshBoard, fresh);
  assert.equal(piecesInRow(fresh, 0), 1, fresh);
  assert.equal(await page.title(), 'Form1');
  await page.keyboard.press('ArrowRight');
  assert.equal(bucketPosition(await board(page)), 'right', 'the new game takes keys');

  const second = await playUntilDialog(page);
  assert.equal(second?.title, 'You Lost');
  await page.keyboard.press('Escape');
  await until(page, () => !document.getElementById('board'), null, 'the board to be taken down');
  assert.equal(await page.locator('#status').textContent(), 'The game has ended.');
  // Nothing runs any more: no tick, no dialog, no key handler.
  await page.clock.runFor(30000);
  await page.keyboard.press('ArrowLeft');
  assert.equal(await dialogShown(page), null);
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
