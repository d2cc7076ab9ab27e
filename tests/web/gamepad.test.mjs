// The pads in the page: navigator.getGamepads replaced before the page loads
// by standard-mapping pads the test drives, under a frozen clock so that
// every repeat and every animation frame comes when the test says.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  board, bucketPosition, dialogShown, expectFreshBoard, openGame, playUntilDialog, testSite, until,
  waitForBoard,
} from './page.mjs';

// Runs in the page before its own scripts: four slots, the number of reads,
// and a switch for document.hidden.
function stubPads() {
  const slots = [null, null, null, null];
  const pads = { slots, reads: 0, hidden: false };
  window.testPads = pads;
  navigator.getGamepads = () => {
    pads.reads += 1;
    return slots.slice();
  };
  Object.defineProperty(document, 'hidden', { get: () => pads.hidden, configurable: true });
  pads.connect = (index, id = `Test pad ${index}`) => {
    slots[index] = {
      index, id, connected: true, mapping: 'standard', timestamp: 0,
      axes: [0, 0, 0, 0], buttons: Array.from({ length: 17 }, () => ({ pressed: false, value: 0 })),
    };
    dispatchEvent(new Event('gamepadconnected'));
  };
  pads.disconnect = (index) => {
    slots[index] = null;
    dispatchEvent(new Event('gamepaddisconnected'));
  };
  pads.set = (index, button, pressed) => {
    slots[index].buttons[button] = { pressed, value: pressed ? 1 : 0 };
  };
  pads.stick = (index, x) => { slots[index].axes[0] = x; };
  pads.hide = (hidden) => {
    pads.hidden = hidden;
    document.dispatchEvent(new Event('visibilitychange'));
  };
}

// The standard mapping's buttons.
const A = 0, B = 1, X = 2, Y = 3, LB = 4, RB = 5, BACK = 8, START = 9, UP = 12, DOWN = 13;
const LEFT = 14, RIGHT = 15;

// `rehearse`: the box the page's test build plays to (lost or won).
async function openWithPads(t, rehearse = null) {
  const opened = await openGame(t, { frozen: true, path: null, ...(rehearse ? { folder: testSite } : {}) });
  const { page, origin } = opened;
  await page.addInitScript(stubPads);
  await page.goto(`${origin}/${rehearse ? `?rehearse=${rehearse}` : ''}`);
  await waitForBoard(page);
  const pads = {
    run: (ms) => page.clock.runFor(ms),
    call: (name, ...args) => page.evaluate(([n, a]) => window.testPads[n](...a), [name, args]),
    reads: () => page.evaluate(() => window.testPads.reads),
    bucket: async () => bucketPosition(await board(page)),
    // Held long enough for a frame or two, far short of the first repeat.
    async tap(index, button) {
      await this.call('set', index, button, true);
      await this.run(40);
      await this.call('set', index, button, false);
      await this.run(40);
    },
  };
  return { ...opened, pads };
}

// The timing of repeats and the stick's thresholds are the shared pads'
// (gamepads_test.cpp); here, that the page's buttons, axis and pads reach
// them.
test('D-pad and shoulders shift a column a press, a held one repeats, the stick moves, two pads play', async (t) => {
  const { page, errors, pads } = await openWithPads(t);
  await pads.call('connect', 0);
  await pads.run(40);
  assert.match(await page.locator('#pad-help').textContent(), /pad/);
  await pads.tap(0, LEFT);
  assert.equal(await pads.bucket(), 'left');
  await pads.tap(0, RB);
  assert.equal(await pads.bucket(), 'middle');
  await pads.tap(0, RIGHT);
  assert.equal(await pads.bucket(), 'right');
  await pads.tap(0, LB);
  assert.equal(await pads.bucket(), 'middle');
  for (const button of [A, B, X, Y, BACK, START, UP, DOWN]) await pads.tap(0, button);
  assert.equal(await pads.bucket(), 'middle', 'no other button moves it');

  await pads.tap(0, RIGHT);
  await pads.call('set', 0, LEFT, true);
  await pads.run(40);
  assert.equal(await pads.bucket(), 'middle');
  await pads.run(280);
  assert.equal(await pads.bucket(), 'left', 'the first repeat');
  await pads.call('set', 0, LEFT, false);
  await pads.call('stick', 0, 0.3);
  await pads.run(300);
  assert.equal(await pads.bucket(), 'left', 'inside the dead zone');
  await pads.call('stick', 0, 0.6);
  await pads.run(40);
  assert.equal(await pads.bucket(), 'middle');
  await pads.call('stick', 0, 0);

  // A second pad, pulled out while held: no repeat from a pad that is gone.
  await pads.tap(0, LEFT);
  await pads.call('connect', 2);
  await pads.call('set', 2, RIGHT, true);
  await pads.run(40);
  assert.equal(await pads.bucket(), 'middle');
  await pads.call('disconnect', 2);
  await pads.run(800);
  assert.equal(await pads.bucket(), 'middle', 'no repeat from a pad that is gone');
  await pads.tap(0, RIGHT);
  assert.equal(await pads.bucket(), 'right', 'the other pad plays on');
  assert.deepEqual(errors, []);
});

test('no pad or a hidden page, no reading: the page reads pads only while one is there and it shows', async (t) => {
  const { page, errors, pads } = await openWithPads(t);
  await pads.run(100);
  const before = await pads.reads();
  assert.ok(before <= 1, `one look at the start at most, not ${before}`);
  await pads.run(5000);
  assert.equal(await pads.reads(), before, 'no reads in five seconds without a pad');
  assert.equal(await page.locator('#pad-help').count(), 0, 'the help line has no pad yet');
  await pads.call('connect', 0);
  await pads.run(40);
  await pads.call('hide', true);
  await pads.run(40);
  const hidden = await pads.reads();
  await pads.call('set', 0, LEFT, true);
  await pads.run(3000);
  assert.equal(await pads.reads(), hidden, 'no reads while hidden');
  assert.equal(await pads.bucket(), 'middle');
  await pads.call('hide', false);
  await pads.run(40);
  assert.ok((await pads.reads()) > hidden, 'reading again');
  assert.equal(await pads.bucket(), 'left');
  assert.deepEqual(errors, []);
});

// The marks shown before OK and Cancel, each drawn and seen.
const marks = (page) => page.evaluate(() => [...document.querySelectorAll('#box .mark')]
  .map((mark) => (mark.checkVisibility() && mark.offsetWidth > 0 ? mark.dataset.mark : '')));

test('the loss dialog: A and Start answer OK, B Cancel, and every other control is dropped; the buttons show the pad\'s marks', async (t) => {
  const { page, errors, pads } = await openWithPads(t, 'lost');
  await pads.call('connect', 0);
  for (const answer of [A, START]) {
    assert.equal((await playUntilDialog(page)).title, 'You Lost');
    if (answer === A) assert.deepEqual(await marks(page), ['', ''], 'no mark before a pad is used');
    const under = await board(page);
    for (const button of [LEFT, RIGHT, LB, RB, X, Y, BACK, UP]) await pads.tap(0, button);
    await pads.call('stick', 0, -1);
    await pads.run(600);
    await pads.call('stick', 0, 0);
    assert.notEqual(await dialogShown(page), null, 'still up');
    assert.deepEqual(await marks(page), ['a', 'b'], 'a pad of no known kind: A and B');
    assert.equal(await board(page), under, 'the board held still');
    await pads.tap(0, answer);
    assert.equal(await dialogShown(page), null, `${answer}: closed`);
    await expectFreshBoard(page);
  }
  await playUntilDialog(page);
  // A PlayStation pad, by its maker's id: its cross and circle.
  await pads.call('connect', 1, 'Wireless Controller (STANDARD GAMEPAD Vendor: 054c Product: 09cc)');
  await pads.tap(1, X);
  assert.deepEqual(await marks(page), ['cross', 'circle']);
  await pads.tap(0, B);
  await until(page, () => !document.getElementById('board'), null, 'the game to end');
  assert.equal(await page.locator('#status').textContent(), 'The game has ended.');
  assert.deepEqual(errors, []);
});
