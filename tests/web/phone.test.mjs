// The page on a touch phone and its two on-screen buttons, by touch and by
// mouse.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { board, bucketPosition, freshBoard, openGame } from './page.mjs';

// Counts the key-downs the game is sent, from the page's buttons or anywhere.
function countKeys(page) {
  return page.evaluate(() => {
    window.keysSent = 0;
    addEventListener('keydown', () => { window.keysSent += 1; }, true);
  });
}
const keysSent = (page) => page.evaluate(() => window.keysSent);

async function centre(locator) {
  const box = await locator.boundingBox();
  return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
}

test('a phone: the board fits the width, sharp, and the buttons shift the bucket', async (t) => {
  const { page, errors } = await openGame(t, {
    frozen: true, phone: true, scale: 3, viewport: { width: 390, height: 844 },
  });
  const seen = await page.evaluate(() => {
    const canvas = document.getElementById('board');
    const box = canvas.getBoundingClientRect();
    const pixels = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    const colours = new Set();
    for (let i = 0; i < pixels.length; i += 4)
      colours.add(`${pixels[i]},${pixels[i + 1]},${pixels[i + 2]}`);
    return {
      scrollWidth: document.documentElement.scrollWidth,
      box: { left: box.left, top: box.top, right: box.right, bottom: box.bottom, width: box.width },
      backing: [canvas.width, canvas.height],
      colours: [...colours].sort(),
    };
  });
  assert.ok(seen.scrollWidth <= 390, `the page scrolls sideways: ${seen.scrollWidth} px wide`);
  assert.ok(seen.box.left >= 0 && seen.box.top >= 0 && seen.box.right <= 390 && seen.box.bottom <= 844,
    JSON.stringify(seen.box));
  assert.ok(seen.box.width < 406 && seen.box.width > 300, `scaled to the width: ${seen.box.width}`);
  // The client area in device pixels, exactly: 6090 x 6360 twips at the scale.
  const scale = seen.backing[0] * 15 / 6090;
  assert.ok(Math.abs(seen.box.width * 3 - seen.backing[0]) < 0.01, 'one backing pixel per device pixel');
  assert.equal(seen.backing[1], Math.round(6360 * scale / 15));
  assert.deepEqual(seen.colours, ['0,0,0', '192,192,192', '255,255,255'], 'no blended cell edge');
  assert.equal(await board(page), freshBoard);

  assert.match(await page.locator('#help').innerText(), /buttons/);
  const left = page.getByRole('button', { name: 'Left', exact: true });
  const right = page.getByRole('button', { name: 'Right', exact: true });
  for (const button of [left, right]) {
    const box = await button.boundingBox();
    assert.ok(box.width >= 48 && box.height >= 48, JSON.stringify(box));
    assert.ok(box.y + box.height <= 844, 'the buttons are on the screen');
  }

  await countKeys(page);
  // A tap is one shift.
  await right.tap();
  assert.equal(bucketPosition(await board(page)), 'right');
  await left.tap();
  assert.equal(bucketPosition(await board(page)), 'middle');
  await left.tap();
  assert.equal(bucketPosition(await board(page)), 'left');
  assert.equal(await keysSent(page), 3);

  // Held: one shift at once, the first repeat after 250 ms, then every 40 ms
  // until the finger lifts.
  const cdp = await page.context().newCDPSession(page);
  const at = await centre(right);
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [at] });
  assert.equal(bucketPosition(await board(page)), 'middle');
  await page.clock.runFor(249);
  assert.equal(await keysSent(page), 4);
  await page.clock.runFor(1);
  assert.equal(bucketPosition(await board(page)), 'right');
  await page.clock.runFor(400);
  assert.equal(await keysSent(page), 15);
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  await page.clock.runFor(500);
  assert.equal(await keysSent(page), 15, 'the repeat stops when the finger lifts');
  assert.deepEqual(errors, []);
});

test('on a desktop the help names the arrow keys, and the buttons work with a mouse', async (t) => {
  const { page, errors } = await openGame(t, { frozen: true });
  assert.equal(await page.locator('#help').innerText(),
    'Shift the bucket with the Left and Right arrow keys.');
  await countKeys(page);
  const left = page.getByRole('button', { name: 'Left', exact: true });
  await left.click();
  assert.equal(bucketPosition(await board(page)), 'left');
  const at = await centre(page.getByRole('button', { name: 'Right', exact: true }));
  await page.mouse.move(at.x, at.y);
  await page.mouse.down();
  assert.equal(bucketPosition(await board(page)), 'middle');
  await page.clock.runFor(250);
  assert.equal(bucketPosition(await board(page)), 'right');
  await page.mouse.up();
  const sent = await keysSent(page);
  await page.clock.runFor(500);
  assert.equal(await keysSent(page), sent);
  // The keyboard still reaches the game: the buttons did not take the focus.
  await page.keyboard.press('ArrowLeft');
  assert.equal(bucketPosition(await board(page)), 'middle');
  assert.deepEqual(errors, []);
});
