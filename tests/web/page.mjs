// Opens the browser game in Debian's headless Chromium, served from the
// built page on 127.0.0.1, reads the board off its canvas and works its
// dialog.
import { chromium } from 'playwright-core';
import { mkdtemp, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after } from 'node:test';
import assert from 'node:assert/strict';
import { fileURLToPath } from 'node:url';
import { serve } from '../../scripts/serve.mjs';

export const site =
  process.env.BLOCKDROP_WEB_DIR ?? fileURLToPath(new URL('../../build-web/web', import.meta.url));
// The page's test build (tests/web/test_build.cpp).
export const testSite = process.env.BLOCKDROP_WEB_TEST_DIR ??
  fileURLToPath(new URL('../../build-web/web-test', import.meta.url));

// This machine's network is closed: nothing may try to reach out.
const flags = [
  '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];

export const freshBoard = [
  'K.....K', 'K.....K', 'K.....K', 'K.....K', 'K.....K', '.ooooo.', '.ooooo.', '.ooooo.',
].join('\n');

// One browser for the whole test file (node --test runs each file in a
// process of its own), started by the first test that needs it; each test
// gets a new context of its own in it, as a new profile would be.
const launchOptions = { executablePath: '/usr/bin/chromium', headless: true, args: flags };
let browser;
function sharedBrowser() {
  browser ??= chromium.launch(launchOptions);
  return browser;
}
// Closes the file's browser, if one was started: after the last test, and
// at the end of a script that is no test (bench/web_load.mjs).
export async function closeBrowser() {
  if (browser) await (await browser).close();
  browser = undefined;
}
after(closeBrowser);

// Opens the game in a new context of the file's browser. With `frozen`, the
// page's clock stands still from the start and moves only when the test
// runs it forward. `phone` makes it a touch phone; `path` opens another page
// of the site, null none; `folder` serves another copy of the site, with
// `headers` on every answer; without `workers` the page gets no service
// worker. `profile` gives it a browser of its own with a profile on disk,
// where the browser's own checks need one (whether the page installs).
export async function openGame(t, {
  scale = 1, frozen = false, viewport, phone = false, path = '/', folder = site, workers = true,
  headers = {}, profile = false,
} = {}) {
  const server = await serve(folder, 0, { headers });
  const settings = {
    deviceScaleFactor: scale,
    viewport: viewport ?? { width: 640, height: 560 },
    ...(phone ? { isMobile: true, hasTouch: true } : {}),
    serviceWorkers: workers ? 'allow' : 'block',
  };
  const folderOfProfile = profile ? await mkdtemp(join(tmpdir(), 'blockdrop-chromium-')) : null;
  const context = profile
    ? await chromium.launchPersistentContext(folderOfProfile, { ...launchOptions, ...settings })
    : await (await sharedBrowser()).newContext(settings);
  t.after(async () => {
    await context.close();
    server.close();
    if (folderOfProfile) await rm(folderOfProfile, { recursive: true, force: true });
  });
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(message.text());
  });
  if (frozen) {
    await page.clock.install({ time: 0 });
    await page.clock.pauseAt(1000);
  }
  const origin = `http://127.0.0.1:${server.address().port}`;
  if (path !== null) await page.goto(origin + path);
  if (path === '/' || path?.startsWith('/?')) await waitForBoard(page);
  return { page, errors, context, origin };
}

// Waits until the page's service worker has kept its files and took the
// page; returns the names of the caches.
export const kept = (page) => page.evaluate(async () => {
  await navigator.serviceWorker.ready;
  while (!navigator.serviceWorker.controller) await new Promise((done) => setTimeout(done, 20));
  return caches.keys();
});

// Waits until the page (or frame) has drawn the board.
export async function waitForBoard(frame) {
  await frame.waitForFunction(() => {
    const canvas = document.getElementById('board');
    if (!canvas || canvas.width === 0) return false;
    const pixel = canvas.getContext('2d').getImageData(0, 0, 1, 1).data;
    return pixel[0] === 0 && pixel[3] === 255; // the top-left wall is drawn
  }, null, { timeout: 10000 });
}

// Reads the cells off an image of the board (runs in the page), one line of
// seven characters per row: K, o, R, G, B for a cell of that colour, . where
// only the background shows, ? for anything else. Read in the board's twips
// (3465 across), so any size of the image reads the same.
function cellsOf(image) {
  const perTwip = image.width / 3465;
  const code = (x, y) => {
    const i = (Math.floor(y * perTwip) * image.width + Math.floor(x * perTwip)) * 4;
    const rgb = `${image.data[i]},${image.data[i + 1]},${image.data[i + 2]}`;
    const names = {
      '0,0,0': 'K', '255,255,255': 'o', '255,0,0': 'R', '0,255,0': 'G', '0,0,255': 'B',
      '192,192,192': '.',
    };
    return names[rgb] ?? '?';
  };
  const rows = [];
  for (let row = 0; row <= 7; ++row) {
    let line = '';
    for (let column = 0; column <= 6; ++column) {
      // 495-twip cells, with a 50-twip strip between the shaft and the bucket.
      const x = 495 * column;
      const y = row < 5 ? 495 * row : 495 * row + 50;
      const centre = code(x + 247, y + 247);
      const same = code(x + 40, y + 40) === centre && code(x + 455, y + 455) === centre;
      line += same ? centre : '?';
    }
    rows.push(line);
  }
  return rows.join('\n');
}

// The board as drawn on the canvas (of the page or of a frame); null once
// the board has been taken down.
export function board(frame) {
  return frame.evaluate((read) => {
    const canvas = document.getElementById('board');
    if (!canvas) return null;
    // eslint-disable-next-line no-eval
    return eval(`(${read})`)(canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height));
  }, cellsOf.toString());
}

// The board as the screen shows it, with whatever lies over the canvas.
export async function screenBoard(frame) {
  const shot = await frame.locator('#board').screenshot();
  await frame.evaluate(async (png) => {
    const image = new Image();
    image.src = `data:image/png;base64,${png}`;
    await image.decode();
    const context = new OffscreenCanvas(image.width, image.height).getContext('2d');
    context.drawImage(image, 0, 0);
    window.blockdropShot = context.getImageData(0, 0, image.width, image.height);
  }, shot.toString('base64'));
  // The page's policy allows no eval after an await: read it in a call of its own.
  return frame.evaluate((read) => {
    // eslint-disable-next-line no-eval
    return eval(`(${read})`)(window.blockdropShot);
  }, cellsOf.toString());
}

export function piecesInRow(drawn, row) {
  return [...drawn.split('\n')[row].slice(1, 6)].filter((c) => 'RGB'.includes(c)).length;
}

// The set-up board, whatever pieces stand in the top row.
export function withoutTopPieces(drawn) {
  const rows = drawn.split('\n');
  rows[0] = rows[0].replace(/[RGB]/g, '.');
  return rows.join('\n');
}

// Waits for a new game's board (the set-up, whatever is in the top row):
// the answer to a dialog reaches the game with its close event, a moment
// on. Fails, naming `what`, if none comes; returns the board.
export async function expectFreshBoard(frame, what = 'a new game') {
  let fresh = await board(frame);
  for (let polls = 0; polls < 100 && withoutTopPieces(fresh) !== freshBoard; ++polls)
    fresh = await board(frame);
  assert.equal(withoutTopPieces(fresh), freshBoard, `${what}:\n${fresh}`);
  return fresh;
}

// Where the bucket stands: the first bucket row shows its five columns.
export function bucketPosition(drawn) {
  const mask = [...drawn.split('\n')[5]].map((c) => (c === '.' ? '.' : 'x')).join('');
  return { 'xxxxx..': 'left', '.xxxxx.': 'middle', '..xxxxx': 'right' }[mask] ?? 'none';
}

// Runs the clock a tick at a time until the game's dialog is up (in `frame`,
// the page's or an embedded one); returns what it shows.
export async function playUntilDialog(page, frame = page) {
  const box = frame.locator('#box');
  for (let second = 0; second < 400 && !(await box.isVisible()); ++second)
    await page.clock.runFor(1000);
  return dialogShown(frame);
}

export async function dialogShown(frame) {
  return frame.evaluate(() => {
    const box = document.getElementById('box');
    if (!box.open) return null;
    // A button's label, without a pad's mark before it.
    const label = (b) => [...b.childNodes].filter((n) => n.nodeType === Node.TEXT_NODE)
      .map((n) => n.textContent).join('');
    const buttons = [...box.querySelectorAll('button')].filter((b) => !b.hidden).map(label);
    return {
      title: document.getElementById('box-title').textContent,
      prompt: document.getElementById('box-prompt').textContent,
      buttons,
      modal: box.matches(':modal'),
    };
  });
}

// The game ended by Cancel: the board taken down, the page says so and
// offers Play again (returned), with the focus; nothing runs any more: no
// tick, no dialog, no key handler.
export async function expectGameEnded(page, frame = page) {
  assert.equal(await dialogShown(frame), null);
  await until(frame, () => !document.getElementById('board'), null, 'the board to be taken down');
  assert.equal(await frame.locator('#status').textContent(), 'The game has ended.');
  const again = frame.getByRole('button', { name: 'Play again' });
  assert.ok(await again.isVisible());
  assert.equal(await frame.evaluate(() => document.activeElement?.textContent), 'Play again');
  await page.clock.runFor(30000);
  await page.keyboard.press('ArrowLeft');
  assert.equal(await dialogShown(frame), null);
  return again;
}

// Waits until `predicate` holds in the page or frame, polled from here: the
// page's own timers and animation frames stand still under a frozen clock.
export async function until(frame, predicate, arg, what = 'the condition') {
  for (let polls = 0; polls < 400; ++polls) {
    if (await frame.evaluate(predicate, arg)) return;
    await new Promise((done) => setTimeout(done, 25));
  }
  throw new Error(`timed out waiting for ${what}`);
}

// Opens a page of another site (localhost, where the game is on 127.0.0.1)
// made of `body`, in which `{game}` stands for the game's address; returns
// the frames that show the game, drawn, in the order of the page, and the
// types of the browser's own dialogs that anything opened (each dismissed).
export async function openPortal(t, body, options = {}) {
  const folder = await mkdtemp(join(tmpdir(), 'blockdrop-portal-'));
  const portal = await serve(folder);
  t.after(async () => {
    portal.close();
    await rm(folder, { recursive: true, force: true });
  });
  const opened = await openGame(t, { frozen: true, ...options, path: null });
  await writeFile(join(folder, 'index.html'), `<!doctype html><title>Portal</title>
    <link rel="icon" href="data:,">${body.replaceAll('{game}', `${opened.origin}/`)}`);
  const { page } = opened;
  const shownByBrowser = [];
  page.on('dialog', (dialog) => { shownByBrowser.push(dialog.type()); dialog.dismiss(); });
  await page.goto(`http://localhost:${portal.address().port}/`);
  const count = await page.locator('iframe').count();
  let frames = [];
  for (let polls = 0; polls < 200 && frames.length < count; ++polls) {
    frames = page.frames().filter((f) => f.url().startsWith(opened.origin));
    if (frames.length < count) await page.waitForTimeout(25);
  }
  for (const frame of frames) await waitForBoard(frame);
  return { ...opened, frames, shownByBrowser };
}

// Where everything is, in CSS pixels of the frame's viewport.
export function layoutOf(frame) {
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
    const [left, top, width, height] = canvas.dataset.box.split(' ').map(Number);
    return {
      view: { left: 0, top: 0, right: innerWidth, bottom: innerHeight },
      scroll: [document.documentElement.scrollWidth, document.documentElement.scrollHeight],
      board: at,
      room: rect(document.getElementById('stage')),
      // Where the game puts a box.
      boxRoom: { left, top, right: left + width, bottom: top + height },
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
export const apart = (a, b) => a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
const width = (r) => r.right - r.left;
const height = (r) => r.bottom - r.top;

// Checks the page's layout in `frame`; returns the board's CSS scale (CSS
// pixels to a pixel of the game's board, 231 x 267 at 96 dpi).
export async function expectFits(t, frame, what) {
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
  // As large as its room allows with a box's room beside or below it: it
  // touches the room one way, or leaves the box's room (the box with 180
  // twips around it: 5160 x 2220 twips to the box's 4800 x 1860), or the
  // least room a box takes (the box at 0.87 of a CSS pixel to a 96-dpi one,
  // its text 12 px), no more.
  // Both inside the room and apart; the board on whole device pixels, one
  // backing pixel per device pixel (as near as the browser's layout, in
  // 1/64 CSS px, can say).
  const pixel = 1 / seen.ratio;
  assert.ok(inside(seen.board, seen.room) && inside(seen.boxRoom, seen.room), says);
  assert.ok(apart(seen.board, seen.boxRoom), `the box's place meets the board, ${says}`);
  const beside = seen.boxRoom.left >= seen.board.right;
  const touches = beside ? height(seen.room) - height(seen.board) < 1 + pixel
    : width(seen.room) - width(seen.board) < 1 + pixel;
  const leftOver = beside ? width(seen.room) - width(seen.board) : height(seen.room) - height(seen.board);
  const boxRoom = beside ? width(seen.boxRoom) * 5160 / 4800 : height(seen.boxRoom) * 2220 / 1860;
  const leastRoom = (beside ? 5160 : 2220) * 0.87 / 15;
  assert.ok(touches || Math.min(Math.abs(leftOver - boxRoom), Math.abs(leftOver - leastRoom)) <= 2 + 2 * pixel,
    `not the largest board, ${says}`);
  for (const edge of [seen.board.left, seen.board.top]) {
    const off = Math.abs(edge * seen.ratio - Math.round(edge * seen.ratio));
    assert.ok(off <= seen.ratio / 64 + 0.001, `blurred edge, ${says}`);
  }
  assert.ok(Math.abs(width(seen.board) * seen.ratio - seen.backing[0]) <= seen.ratio / 64 + 0.001, says);
  assert.ok(Math.abs(seen.backing[1] - Math.round(seen.backing[0] * 4010 / 3465)) <= 1, says);
  assert.equal(seen.blended, 0, `blended cell edges, ${says}`);
  // Wide: one button each side of the board; tall: both under it.
  if (seen.view.right > seen.view.bottom * 1.5) {
    assert.ok(seen.left.right <= seen.board.left && seen.right.left >= seen.board.right, `not beside, ${says}`);
  } else if (seen.view.bottom > seen.view.right * 1.5) {
    assert.ok(seen.left.top >= seen.board.bottom && seen.right.top >= seen.board.bottom, `not below, ${says}`);
  }
  if (seen.box) {
    assert.ok(apart(seen.box, seen.board), `the dialog covers cells, ${says}`);
    assert.ok(inside(seen.box, seen.view), `the dialog is out of view, ${says}`);
  }
  const scale = width(seen.board) / 231;
  t.diagnostic(`${what}: board scale ${scale.toFixed(3)}${seen.box ? ', dialog open' : ''}`);
  return scale;
}

// Sets the viewport and waits for the page to lay the board out in its new
// room (a resize reaches the page with its next frame): the board and the
// box's room in view, and in a room of the new size.
export async function resize(page, size) {
  await page.setViewportSize(size);
  await until(page, () => {
    const room = document.getElementById('stage').getBoundingClientRect();
    const at = document.getElementById('board').getBoundingClientRect();
    const [left, top, width, height] = document.getElementById('board').dataset.box.split(' ').map(Number);
    const slack = 2 + 2 / devicePixelRatio;
    const beside = left >= at.right;
    const leftOver = beside ? room.width - at.width : room.height - at.height;
    const rooms = beside ? [width * 5160 / 4800, 5160 * 0.87 / 15] : [height * 2220 / 1860, 2220 * 0.87 / 15];
    const touches = beside ? room.height - at.height < slack : room.width - at.width < slack;
    return at.right <= innerWidth && at.bottom <= innerHeight &&
      (touches || rooms.some((r) => Math.abs(leftOver - r) < slack));
  }, null, `the layout at ${size.width} x ${size.height}`);
}

// The page hidden and shown again as the browser reports it (headless
// Chromium hides no tab): document.hidden and visibilityState say so, and
// a visibilitychange event tells the page.
export function setHidden(page, hidden) {
  return page.evaluate((hidden) => {
    if (hidden) {
      Object.defineProperty(document, 'hidden', { configurable: true, get: () => true });
      Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => 'hidden' });
    } else {
      delete document.hidden;
      delete document.visibilityState;
    }
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
}

// The board a loss leaves: a piece in the shaft's last row over a bucket
// cell that is taken or not there, every cell readable.
export function showsLoss(drawn) {
  const rows = drawn.split('\n');
  return !drawn.includes('?') && [1, 2, 3, 4, 5].some((c) => 'RGB'.includes(rows[4][c]) && rows[5][c] !== 'o');
}

// Every bucket cell holds a piece.
export function bucketFull(drawn) {
  return drawn.split('\n').slice(5).every((row) => /^\.*[RGB]{5}\.*$/.test(row));
}
