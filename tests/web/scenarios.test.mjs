// The shared scenarios (tests/scenarios) on the page in Chromium. The page's
// clock stands still and runs only when a step lets time pass, so ticks are
// checked to the millisecond. The dialog is part of the page: a key "at the
// game" is one sent to the board's canvas while the dialog holds the focus.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  board, dialogShown, expectFits, expectGameEnded, freshBoard, openGame, piecesInRow,
  playUntilDialog, resize, screenBoard, setHidden, testSite,
} from './page.mjs';
import { cannotRun, rehearsal, run, scenarioCases } from './scenario.mjs';

const boxes = {
  lost: { title: 'You Lost', prompt: 'You lost. Try again?', buttons: ['OK', 'Cancel'], modal: true },
  won: { title: 'You Won', prompt: 'You win! Great!', buttons: ['OK'], modal: true },
};

const keyNames = {
  Left: 'ArrowLeft', Right: 'ArrowRight', Up: 'ArrowUp', Down: 'ArrowDown', Return: 'Enter',
  Escape: 'Escape', Space: 'Space', Tab: 'Tab', Home: 'Home', F1: 'F1', a: 'KeyA', z: 'KeyZ',
  apostrophe: 'Quote', percent: 'Shift+Digit5', Shift: 'Shift', Ctrl: 'Control', Alt: 'Alt',
};

// The key in Playwright's names: "Shift+ArrowLeft".
function keyOf(name) {
  return name.split('+').map((part) => {
    assert.ok(part in keyNames, `no key named ${part}`);
    return keyNames[part];
  }).join('+');
}

// Every pixel of the canvas as the cells of `drawn` paint it at the board's
// scale: each cell its colour over its whole rectangle (its twips rounded to
// pixels), the background everywhere else. The first wrong pixel, or null.
function mismatch(page, drawn) {
  return page.evaluate((drawn) => {
    const canvas = document.getElementById('board');
    const scale = Number(canvas.dataset.scale);
    const px = (twips) => Math.floor(twips * scale / 15 + 0.5);
    if (canvas.width !== px(3465) || canvas.height !== px(4010))
      return `a canvas of ${canvas.width} x ${canvas.height} is not the board at ${scale}`;
    const pixels = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    const colours = { K: [0, 0, 0], o: [255, 255, 255], R: [255, 0, 0], G: [0, 255, 0], B: [0, 0, 255] };
    const wanted = new Array(canvas.width * canvas.height).fill([192, 192, 192]);
    drawn.split('\n').forEach((line, row) => [...line].forEach((code, column) => {
      if (!(code in colours)) return;
      const left = 495 * column;
      const top = 495 * row + (row < 5 ? 0 : 50);
      for (let y = px(top); y < px(top + 495); ++y)
        for (let x = px(left); x < px(left + 495); ++x) wanted[y * canvas.width + x] = colours[code];
    }));
    for (let i = 0; i < wanted.length; ++i) {
      const seen = [pixels[4 * i], pixels[4 * i + 1], pixels[4 * i + 2]];
      if (seen.join() !== wanted[i].join())
        return `pixel ${i % canvas.width},${Math.floor(i / canvas.width)} is ${seen} not ${wanted[i]}`;
    }
    return null;
  }, drawn);
}

const rectOf = (page, id) => page.evaluate((id) => {
  const element = document.getElementById(id);
  if (!element || (id === 'box' && !element.open)) return null;
  const { left, top, right, bottom } = element.getBoundingClientRect();
  return { left, top, right, bottom };
}, id);

function pageDriver(t, page, errors) {
  let windowed = null;
  return {
    cannot(step) {
      if (step.words.join(' ') === 'close game')
        return 'a closed tab leaves no program to ask for a status (the page ends its game on Cancel)';
      if (step.words.includes('F11')) return "F11 is the browser's own full screen";
      return null;
    },
    board: () => board(page),
    async box() {
      const shown = await dialogShown(page);
      if (!shown) return 'none';
      const name = Object.keys(boxes).find((n) => JSON.stringify(boxes[n]) === JSON.stringify(shown));
      return name ?? 'other';
    },
    async press(key, target) {
      if (target === 'game' && (await dialogShown(page))) {
        // The dialog holds the focus: the key is sent to the board itself.
        await page.evaluate((key) => {
          const canvas = document.getElementById('board');
          for (const type of ['keydown', 'keyup'])
            canvas.dispatchEvent(new KeyboardEvent(type, { key, bubbles: true, cancelable: true }));
        }, keyOf(key).split('+').pop());
        return;
      }
      await page.keyboard.press(keyOf(key));
    },
    async click(button, above) {
      const target = page.getByRole('button', { name: button });
      const { width, height } = await target.boundingBox();
      await target.click({ position: { x: width / 2, y: height / 2 - above }, force: above !== 0 });
    },
    closeGame() { throw new Error('no window to close'); },
    // Runs the clock until a box is up: the test build plays the draws
    // that reach the scenario's box.
    async playOn() {
      await playUntilDialog(page);
      return this.box();
    },
    async expectSetUpBoard() {
      const drawn = await board(page);
      assert.equal(drawn.replace(/[RGB]/g, '.'), freshBoard);
      assert.ok(piecesInRow(drawn, 0) <= 1, drawn);
      const sizes = await page.evaluate(() => {
        const canvas = document.getElementById('board');
        const box = canvas.getBoundingClientRect();
        return { backing: [canvas.width, canvas.height], device: [box.width * devicePixelRatio, box.height * devicePixelRatio] };
      });
      // (As near as the browser's layout, in 1/64 CSS px, can say.)
      assert.ok(sizes.backing.every((pixels, i) => Math.abs(pixels - sizes.device[i]) <= 0.05),
        `one backing pixel per device pixel: ${JSON.stringify(sizes)}`);
      assert.equal(await mismatch(page, drawn), null);
      assert.equal(await page.title(), 'Form1');
      // The game has the keys from the start, so nothing asks for a click.
      assert.equal(await page.evaluate(() => document.activeElement?.id), 'board');
      assert.equal(await page.locator('#focus').isVisible(), false);
    },
    async expectWholeBoard() {
      const drawn = await board(page);
      // All of it on the screen: the dialog covers no cell, nothing dims them.
      assert.equal(await screenBoard(page), drawn);
      assert.equal(await mismatch(page, drawn), null);
    },
    async expectTicks(count) {
      let before = await board(page);
      for (let tick = 1; tick <= count; ++tick) {
        await page.clock.runFor(999);
        assert.equal(await board(page), before, `tick ${tick} came early`);
        await page.clock.runFor(1);
        const now = await board(page);
        assert.notEqual(now, before, `tick ${tick} did not come at 1000 ms`);
        assert.equal(piecesInRow(now, 0), 1, `tick ${tick} spawns one piece:\n${now}`);
        const above = before.split('\n');
        const below = now.split('\n');
        for (let row = 0; row < 4; ++row)
          assert.equal(below[row + 1].slice(1, 6), above[row].slice(1, 6), `tick ${tick}:\n${now}`);
        before = now;
      }
      for (let row = 0; row <= 4; ++row) assert.equal(piecesInRow(before, row), 1, before);
    },
    wait: (ms) => page.clock.runFor(ms),
    resize: (size) => resize(page, size),
    expectBoardFits: () => expectFits(t, page, 'the page'),
    // The canvas, once it shows the board to the pixel, and the dialog.
    async boardRect() {
      assert.equal(await mismatch(page, await board(page)), null);
      return rectOf(page, 'board');
    },
    boxRect: () => rectOf(page, 'box'),
    leave: () => setHidden(page, true),
    comeBack: () => setHidden(page, false),
    // The page's own control, as a player finds it. A browser's full screen
    // makes the viewport the screen's size (here 1920x1080), which headless
    // Chromium does not: the driver does it, and gives the viewport back.
    async switchFullScreen() {
      const was = await this.fullScreen();
      if (!was) windowed = await this.windowSize();
      await page.locator('#full').click();
      if (!was) await resize(page, { width: 1920, height: 1080 });
      else if (windowed) await resize(page, windowed);
      if (was) windowed = null;
    },
    fullScreen: () => page.evaluate(() => document.fullscreenElement !== null),
    windowSize: () => page.evaluate(() => ({ width: innerWidth, height: innerHeight })),
    running: async () => (await page.locator('#board').count()) === 1,
    async expectExitZero() {
      await expectGameEnded(page);
      assert.deepEqual(errors, []);
    },
  };
}

for (const scenario of scenarioCases()) {
  test(`page: ${scenario.title}`, async (t) => {
    const why = cannotRun(scenario, pageDriver(t, null, []));
    if (why) {
      t.skip(why);
      return;
    }
    // The page lays the board out as large as its viewport allows: in this
    // one, at one pixel of the window to a CSS pixel, as the windows are.
    // A scenario that plays to a box runs the page's test build, which
    // plays the draws that reach it.
    const box = rehearsal(scenario);
    const { page, errors } = await openGame(t, {
      frozen: true, scale: scenario.dpi / 96, viewport: { width: 422, height: 700 },
      ...(box ? { folder: testSite, path: `/?rehearse=${box}` } : {}),
    });
    await run(scenario, pageDriver(t, page, errors));
    assert.deepEqual(errors, []);
  });
}
