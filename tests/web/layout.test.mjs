// The page in every viewport a player or a game portal gives it, from
// 320 x 320 up, either way up: nothing scrolls, the board, the buttons and
// the help line are all in view, the board as large as fits and sharp, the
// dialog clear of the cells; and a turn of the phone mid-game.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  board, bucketPosition, expectFreshBoard, freshBoard, openGame, openPortal, playUntilDialog,
  until,
} from './page.mjs';

// Where everything is, in CSS pixels of the frame's viewport.
function layoutOf(frame) {
  return frame.evaluate(() => {
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

async function answerOk(page, frame) {
  await frame.getByRole('button', { name: 'OK' }).click();
  await until(frame, () => !document.getElementById('box').open, null, 'the dialog to close');
  await expectFreshBoard(frame);
}

test('a touch phone either way up and a small screen: all in view, taps shift, the dialog clear', async (t) => {
  const { page, errors } = await openGame(t, {
    frozen: true, phone: true, scale: 3, viewport: { width: 390, height: 844 },
  });
  const sizes = [{ width: 390, height: 844 }, { width: 844, height: 390 }, { width: 320, height: 320 }];
  const scales = [];
  for (const size of sizes) {
    await resize(page, size);
    scales.push(await expectFits(t, page, `${size.width} x ${size.height}`));
    await expectShifts(page, page, true, `${size.width} x ${size.height}`);
  }
  // Held sideways the board is larger than upright, beside the buttons.
  assert.ok(scales[1] > scales[2] && scales[0] > scales[2], JSON.stringify(scales));

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

test('large screens: the board grows and stays centred, keys shift it, the dialog clear', async (t) => {
  const { page, errors } = await openGame(t, { frozen: true, viewport: { width: 1280, height: 720 } });
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
    for (const key of ['ArrowDown', 'ArrowUp', 'Space', 'ArrowLeft', 'ArrowRight'])
      await page.keyboard.press(key);
    await page.waitForTimeout(300); // a scroll may be animated
    assert.equal(await page.evaluate(() => scrollY), scrolled, `${size}: the portal scrolled`);
  }
  // One clock runs both games: both come to their loss.
  await playUntilDialog(page, frames[0]);
  await playUntilDialog(page, frames[1]);
  for (const [i, frame] of frames.entries())
    await expectFits(t, frame, `a frame of ${sizes[i]} with the dialog`);
  // Nor when the dialog has the keys, nor once the game has ended.
  const scrolled = await page.evaluate(() => scrollY);
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('ArrowDown');
  await page.waitForTimeout(300);
  assert.equal(await page.evaluate(() => scrollY), scrolled, 'the portal scrolled under the dialog');
  await answerOk(page, frames[0]);
  await frames[1].getByRole('button', { name: 'Cancel' }).click();
  await until(frames[1], () => document.activeElement?.id === 'again', null, 'the end');
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('ArrowDown');
  await page.waitForTimeout(300);
  assert.equal(await page.evaluate(() => scrollY), scrolled, 'the portal scrolled after the end');
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
