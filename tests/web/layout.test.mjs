// The page in every viewport a player or a game portal gives it, from
// 320 x 320 up, either way up: nothing scrolls, the board, the buttons and
// the help line are all in view, the board as large as fits and sharp, the
// dialog clear of the cells; a turn of the phone mid-game; and the two
// on-screen buttons by touch and by mouse.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  board, bucketPosition, expectFits, expectFreshBoard, freshBoard, openGame, openPortal,
  playUntilDialog, resize, screenBoard, until,
} from './page.mjs';

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

test('in a portal\'s frames of 800 x 450 and 907 x 510: all in view, the keys stay in the game, full screen where allowed', async (t) => {
  const { page, frames, errors } = await openPortal(t, `
    <iframe src="{game}" width="800" height="450"></iframe><a id="after" href="#">Next game</a>
    <iframe src="{game}" width="907" height="510" allow="fullscreen"></iframe>
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
  // Full screen is offered where the portal allows it, and only there.
  assert.equal(await frames[0].locator('#full').isVisible(), false, 'offered where the frame forbids it');
  await frames[1].getByRole('button', { name: 'Full screen' }).click();
  await until(frames[1], () => document.fullscreenElement !== null, null, 'full screen in the frame that allows it');
  await frames[1].getByRole('button', { name: 'Leave full screen' }).click();
  await until(frames[1], () => document.fullscreenElement === null, null, 'the frame back in its page');
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
  // (The click may have scrolled the portal to the dialog's Cancel.)
  await expectNoScroll(page, await page.evaluate(() => scrollY), ['ArrowDown', 'ArrowDown'], 'after the end');
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
