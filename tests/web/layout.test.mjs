// The page in every viewport a player or a game portal gives it, from
// 320 x 320 up, either way up: nothing scrolls, the board, the buttons and
// the help line are all in view, the board as large as fits and sharp, the
// dialog clear of the cells; a turn of the phone mid-game; and the two
// on-screen buttons by touch and by mouse.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  board, bucketPosition, expectFreshBoard, freshBoard, openGame, openPortal, playUntilDialog,
  screenBoard, until,
} from './page.mjs';

// Where everything is, in CSS pixels of the frame's viewport.
function layoutOf(frame) {
  return frame.evaluate(() => {
    // Pixels of the canvas in no colour a cell or the background has: a
    // cell edge blended by scaling.
    const blendedPixels = (canvas) => {
      const pixels = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
      const painted = new Set(['0,0,0', '255,255,255', '255,0,0', '0,255,0', '0,0,255', '192,192,192']);
      let count = 0;
      for (let i = 0; i < pixels.length; i += 4)
        count += painted.has(`${pixels[i]},${pixels[i + 1]},${pixels[i + 2]}`) ? 0 : 1;
      return count;
    };
    const rect = (element) => {
      if (!element || element.hidden || element.getClientRects().length === 0) return null;
      const { left, top, right, bottom } = element.getBoundingClientRect();
      return { left, top, right, bottom };
    };
    const canvas = document.getElementById('board');
    const at = rect(canvas);
    const [width, height] = canvas.dataset.cells.split(' ').map(Number);
    return {
      view: { left: 0, top: 0, right: innerWidth, bottom: innerHeight },
      scroll: [document.documentElement.scrollWidth, document.documentElement.scrollHeight],
      board: at,
      room: rect(document.getElementById('stage')),
      cells: { left: at.left, top: at.top, right: at.left + width, bottom: at.top + height },
      left: rect(document.getElementById('left')),
      right: rect(document.getElementById('right')),
      help: rect(document.getElementById('help')),
      box: document.getElementById('box').open ? rect(document.getElementById('box')) : null,
      backing: [canvas.width, canvas.height],
      ratio: devicePixelRatio,
      blended: blendedPixels(canvas),
    };
  });
}

const inside = (inner, outer) => inner.left >= outer.left - 0.01 && inner.top >= outer.top - 0.01 &&
  inner.right <= outer.right + 0.01 && inner.bottom <= outer.bottom + 0.01;
const apart = (a, b) => a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
const width = (r) => r.right - r.left;
const height = (r) => r.bottom - r.top;

// Checks the page's layout in `frame`; returns the board's CSS scale (CSS
// pixels to a pixel of the game's 406 x 424 window).
async function expectFits(t, frame, what) {
  const seen = await layoutOf(frame);
  const says = `${what}: ${JSON.stringify(seen)}`;
  assert.ok(seen.scroll[0] <= seen.view.right && seen.scroll[1] <= seen.view.bottom, `scrolls, ${says}`);
  for (const part of ['board', 'left', 'right', 'help'])
    assert.ok(seen[part] && inside(seen[part], seen.view), `${part} out of view, ${says}`);
  for (const button of [seen.left, seen.right]) {
    assert.ok(width(button) >= 48 && height(button) >= 48, `a button under 48 px, ${says}`);
    assert.ok(apart(button, seen.board) && apart(button, seen.help), `a button overlaps, ${says}`);
  }
  assert.ok(apart(seen.board, seen.help), `the help line overlaps the board, ${says}`);
  // As large as its room allows (it touches the room one way), centred in
  // it, on whole device pixels, one backing pixel per device pixel (as near
  // as the browser's layout, in 1/64 CSS px, can say).
  const pixel = 1 / seen.ratio;
  assert.ok(inside(seen.board, seen.room), says);
  assert.ok(width(seen.room) - width(seen.board) < 1 + pixel ||
    height(seen.room) - height(seen.board) < 1 + pixel, `not the largest board, ${says}`);
  const margins = [seen.board.left - seen.room.left, seen.room.right - seen.board.right,
    seen.board.top - seen.room.top, seen.room.bottom - seen.board.bottom];
  // (Within a device pixel, and the 1/64 px the browser lays out in.)
  const near = (a, b) => Math.abs(a - b) <= pixel + 1 / 32;
  assert.ok(near(margins[0], margins[1]) && near(margins[2], margins[3]),
    `not centred, ${says}`);
  for (const edge of [seen.board.left, seen.board.top]) {
    const off = Math.abs(edge * seen.ratio - Math.round(edge * seen.ratio));
    assert.ok(off <= seen.ratio / 64 + 0.001, `blurred edge, ${says}`);
  }
  assert.ok(Math.abs(width(seen.board) * seen.ratio - seen.backing[0]) <= seen.ratio / 64 + 0.001, says);
  assert.ok(Math.abs(seen.backing[1] - Math.round(seen.backing[0] * 6360 / 6090)) <= 1, says);
  assert.equal(seen.blended, 0, `blended cell edges, ${says}`);
  // Wide: one button each side of the board; tall: both under it.
  if (seen.view.right > seen.view.bottom * 1.5) {
    assert.ok(seen.left.right <= seen.board.left && seen.right.left >= seen.board.right, `not beside, ${says}`);
  } else if (seen.view.bottom > seen.view.right * 1.5) {
    assert.ok(seen.left.top >= seen.board.bottom && seen.right.top >= seen.board.bottom, `not below, ${says}`);
  }
  if (seen.box) {
    assert.ok(apart(seen.box, seen.cells), `the dialog covers cells, ${says}`);
    assert.ok(inside(seen.box, seen.view), `the dialog is out of view, ${says}`);
  }
  const scale = width(seen.board) / 406;
  t.diagnostic(`${what}: board scale ${scale.toFixed(3)}${seen.box ? ', dialog open' : ''}`);
  return scale;
}

// Sets the viewport and waits for the page to lay the board out in its new
// room (a resize reaches the page with its next frame).
async function resize(page, size) {
  await page.setViewportSize(size);
  await until(page, () => {
    const room = document.getElementById('stage').getBoundingClientRect();
    const at = document.getElementById('board').getBoundingClientRect();
    const slack = 1 + 1 / devicePixelRatio;
    return at.right <= innerWidth && at.bottom <= innerHeight &&
      (room.width - at.width < slack || room.height - at.height < slack);
  }, null, `the layout at ${size.width} x ${size.height}`);
}

// One shift there and one back, by a tap of the buttons or by the keys.
async function expectShifts(page, frame, tap, what) {
  const press = async (name, key) => {
    if (tap) await frame.getByRole('button', { name, exact: true }).tap();
    else await page.keyboard.press(key);
  };
  assert.equal(bucketPosition(await board(frame)), 'middle', what);
  await press('Right', 'ArrowRight');
  assert.equal(bucketPosition(await board(frame)), 'right', `${what}: Right`);
  await press('Left', 'ArrowLeft');
  assert.equal(bucketPosition(await board(frame)), 'middle', `${what}: Left`);
}

// Clicks the board of `frame` and waits until the frame has the keys: in a
// frame of another site, focus moves between processes after the click.
async function focusGame(frame) {
  await frame.locator('#board').click();
  await until(frame, () => document.hasFocus(), null, 'the frame to have the keys');
}

// These keys leave the portal where it was scrolled to.
async function expectNoScroll(page, scrolled, keys, what) {
  for (const key of keys) await page.keyboard.press(key);
  await page.waitForTimeout(300); // a scroll may be animated
  assert.equal(await page.evaluate(() => scrollY), scrolled, `${what}: the portal scrolled`);
}

async function answerOk(page, frame) {
  await frame.getByRole('button', { name: 'OK' }).click();
  await until(frame, () => !document.getElementById('box').open, null, 'the dialog to close');
  await expectFreshBoard(frame);
}

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

test('a touch phone either way up and a small screen: all in view, taps shift, the dialog clear', async (t) => {
  const { page, errors } = await openGame(t, {
    frozen: true, phone: true, scale: 3, viewport: { width: 390, height: 844 },
  });
  assert.match(await page.locator('#help').innerText(), /buttons/);
  await countKeys(page);
  const sizes = [{ width: 390, height: 844 }, { width: 844, height: 390 }, { width: 320, height: 320 }];
  const scales = [];
  for (const size of sizes) {
    await resize(page, size);
    scales.push(await expectFits(t, page, `${size.width} x ${size.height}`));
    await expectShifts(page, page, true, `${size.width} x ${size.height}`);
  }
  assert.equal(await keysSent(page), 6, 'a tap is one shift');
  // Held sideways the board is larger than upright, beside the buttons.
  assert.ok(scales[1] > scales[2] && scales[0] > scales[2], JSON.stringify(scales));

  // Held: one shift at once, the first repeat after 250 ms, then every 40 ms
  // until the finger lifts.
  const cdp = await page.context().newCDPSession(page);
  const touch = (type, at) => cdp.send('Input.dispatchTouchEvent', { type, touchPoints: at ? [at] : [] });
  const button = (name) => page.getByRole('button', { name, exact: true });
  await button('Left').tap();
  await touch('touchStart', await centre(button('Right')));
  assert.equal(bucketPosition(await board(page)), 'middle');
  await page.clock.runFor(249);
  assert.equal(await keysSent(page), 8);
  await page.clock.runFor(1);
  assert.equal(bucketPosition(await board(page)), 'right');
  await page.clock.runFor(400);
  assert.equal(await keysSent(page), 19);
  await touch('touchEnd');
  await page.clock.runFor(500);
  assert.equal(await keysSent(page), 19, 'the repeat stops when the finger lifts');

  // Turned mid-game: the board as it was, laid out again at once.
  await resize(page, sizes[0]);
  await page.clock.runFor(3000);
  const falling = await board(page);
  assert.notEqual(falling, freshBoard, 'a piece is falling');
  await resize(page, sizes[1]);
  assert.equal(await board(page), falling, 'the board was lost in the turn');
  await expectFits(t, page, 'turned sideways mid-game');

  // The loss dialog, turned both ways and shrunk while it is up.
  assert.equal((await playUntilDialog(page)).title, 'You Lost');
  const lost = await board(page);
  for (const size of [sizes[1], sizes[0], sizes[2]]) {
    await resize(page, size);
    await expectFits(t, page, `${size.width} x ${size.height} with the dialog`);
    assert.equal(await board(page), lost);
  }
  await answerOk(page, page);
  assert.deepEqual(errors, []);
});

test('large screens: the board grows and stays centred, keys and the mouse shift it, the dialog clear', async (t) => {
  const { page, errors } = await openGame(t, { frozen: true, viewport: { width: 1280, height: 720 } });
  assert.equal(await page.locator('#help').innerText(),
    'Shift the bucket with the Left and Right arrow keys.');
  // The buttons by mouse, held too; the keyboard still reaches the game
  // after, as the buttons do not take the focus.
  await countKeys(page);
  await page.getByRole('button', { name: 'Left', exact: true }).click();
  assert.equal(bucketPosition(await board(page)), 'left');
  const at = await centre(page.getByRole('button', { name: 'Right', exact: true }));
  await page.mouse.move(at.x, at.y);
  await page.mouse.down();
  assert.equal(bucketPosition(await board(page)), 'middle');
  await page.clock.runFor(250);
  assert.equal(bucketPosition(await board(page)), 'right');
  await page.mouse.up();
  await page.clock.runFor(500);
  assert.equal(await keysSent(page), 3);
  await page.keyboard.press('ArrowLeft');
  let last = 0;
  for (const size of [{ width: 1280, height: 720 }, { width: 1920, height: 1080 }]) {
    await resize(page, size);
    const scale = await expectFits(t, page, `${size.width} x ${size.height}`);
    assert.ok(scale > Math.max(1.4, last), `${size.width} x ${size.height}: scale ${scale}`);
    last = scale;
    await expectShifts(page, page, false, `${size.width} x ${size.height}`);
    await playUntilDialog(page);
    await expectFits(t, page, `${size.width} x ${size.height} with the dialog`);
    await answerOk(page, page);
  }
  // Narrowed, then zoomed in to fewer CSS pixels across and more device
  // pixels to each, with the dialog up: the board as it was, all of it on
  // the screen.
  await playUntilDialog(page);
  const lost = await board(page);
  await resize(page, { width: 360, height: 640 });
  assert.equal(await screenBoard(page), lost);
  const cdp = await page.context().newCDPSession(page);
  await cdp.send('Emulation.setDeviceMetricsOverride',
    { width: 320, height: 640, deviceScaleFactor: 2, mobile: false });
  await until(page, () => document.getElementById('board').getBoundingClientRect().right <= 320);
  await expectFits(t, page, 'zoomed to 320 x 640 with the dialog');
  assert.equal(await board(page), lost);
  assert.deepEqual(errors, []);
});

test('in a portal\'s frames of 800 x 450 and 907 x 510: all in view, the keys stay in the game', async (t) => {
  const { page, frames, errors } = await openPortal(t, `
    <iframe src="{game}" width="800" height="450"></iframe><a id="after" href="#">Next game</a>
    <iframe src="{game}" width="907" height="510"></iframe>
    <div style="height: 3000px">More games</div>`, { viewport: { width: 1000, height: 700 } });
  assert.equal(frames.length, 2);
  const sizes = [];
  for (const frame of frames) {
    const size = await frame.evaluate(() => `${innerWidth} x ${innerHeight}`);
    sizes.push(size);
    await focusGame(frame); // and scrolls the frame into view
    const scrolled = await page.evaluate(() => scrollY);
    await expectFits(t, frame, `a frame of ${size}`);
    await expectShifts(page, frame, false, `a frame of ${size}`);
    // The keys the game keeps do not scroll the portal, which can scroll.
    await expectNoScroll(page, scrolled, ['ArrowDown', 'ArrowUp', 'Space', 'ArrowLeft', 'ArrowRight'], size);
  }
  // One clock runs both games: both come to their loss.
  await playUntilDialog(page, frames[0]);
  await playUntilDialog(page, frames[1]);
  for (const [i, frame] of frames.entries())
    await expectFits(t, frame, `a frame of ${sizes[i]} with the dialog`);
  // Nor when the dialog has the keys, nor once the game has ended.
  const scrolled = await page.evaluate(() => scrollY);
  await expectNoScroll(page, scrolled, ['ArrowDown', 'ArrowDown'], 'under the dialog');
  await answerOk(page, frames[0]);
  await frames[1].getByRole('button', { name: 'Cancel' }).click();
  await until(frames[1], () => document.activeElement?.id === 'again', null, 'the end');
  await expectNoScroll(page, scrolled, ['ArrowDown', 'ArrowDown'], 'after the end');
  // Tab leaves the game for the portal: no keyboard trap.
  await page.evaluate(() => scrollTo(0, 0));
  await focusGame(frames[0]);
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'after');
  // The portal does scroll by keys from a frame, so the checks above mean
  // something.
  await focusGame(frames[0]);
  await page.keyboard.press('PageDown');
  await until(page, () => scrollY > 0, null, 'the portal to scroll');
  assert.deepEqual(errors, []);
});
