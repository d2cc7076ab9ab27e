// The scenarios of tests/scenarios, read and run against a front end: what
// every front end owes the player, written once. The C++ drivers read the
// same files (tests/on_screen/scenario.cpp). A driver supplies what reads or
// works its front end; the steps that read only the board are run here.
import assert from 'node:assert/strict';
import { readdirSync, readFileSync } from 'node:fs';
import { fileURLToPath } from 'node:url';
import { apart, bucketFull, bucketPosition, piecesInRow, showsLoss, withoutTopPieces, freshBoard } from './page.mjs';

// $BLOCKDROP_SCENARIOS reads another folder (a scenario being written, say).
export const folder =
  process.env.BLOCKDROP_SCENARIOS ?? fileURLToPath(new URL('../scenarios', import.meta.url));

// Every scenario, one case per scale, in the order of their names:
// { name, dpi, steps: [{ line, words, text }] }.
export function scenarioCases(from = folder) {
  const cases = [];
  for (const file of readdirSync(from).filter((f) => f.endsWith('.txt')).sort()) {
    const name = file.slice(0, -4);
    let dpis = [];
    const steps = [];
    readFileSync(`${from}/${file}`, 'utf8').split('\n').forEach((raw, index) => {
      const words = raw.replace(/#.*/, '').trim().split(/\s+/).filter(Boolean);
      if (words.length === 0) return;
      if (words[0] === 'dpi' && steps.length === 0 && dpis.length === 0) {
        dpis = words.slice(1).map(Number);
        return;
      }
      steps.push({ line: index + 1, words, text: `line ${index + 1}: ${words.join(' ')}` });
    });
    if (steps.length === 0) throw new Error(`${file} has no steps`);
    if (dpis.length === 0) dpis = [96];
    for (const dpi of dpis)
      cases.push({ name, dpi, title: dpis.length > 1 ? `${name}_at_${dpi}` : name, steps });
  }
  return cases;
}

// The box a scenario plays to, for the page's test build to rehearse
// (?rehearse=), as the C++ drivers' test builds do: null when it does not
// play on to one.
export function rehearsal(run) {
  return run.steps.filter((step) => step.words[0] === 'play').map((step) => step.words[2]).pop() ?? null;
}

// Why `driver` cannot run the scenario, from its first step it cannot take.
export function cannotRun(run, driver) {
  let boxUp = false;
  for (const step of run.steps) {
    const why = driver.cannot(step, boxUp);
    if (why) return `${step.text}: ${why}`;
    if (step.words[0] === 'play') boxUp = true;
    if (/^expect (new game|exit)/.test(step.words.join(' '))) boxUp = false;
  }
  return null;
}

async function waitBoard(driver, done, what) {
  let seen = await driver.board();
  for (let polls = 0; polls < 100 && !done(seen); ++polls) {
    await new Promise((resolve) => setTimeout(resolve, 20));
    seen = await driver.board();
  }
  assert.ok(done(seen), `${what}: the board never got there; last seen:\n${seen}`);
  return seen;
}

async function waitBox(driver, wanted) {
  let seen = await driver.box();
  for (let polls = 0; polls < 100 && seen !== wanted; ++polls) {
    await new Promise((resolve) => setTimeout(resolve, 20));
    seen = await driver.box();
  }
  return seen;
}

async function expectNewGame(driver) {
  const fresh = await waitBoard(driver,
    (b) => withoutTopPieces(b) === freshBoard && piecesInRow(b, 0) === 1, 'a new game with its first piece');
  assert.equal(await waitBox(driver, 'none'), 'none');
  assert.ok(await driver.running(), 'OK plays on');
  assert.equal(bucketPosition(fresh), 'middle');
  // Half a period: no tick run on a grid left over from before the box.
  await driver.wait(500);
  assert.equal(await driver.board(), fresh, 'a tick came right after the answer');
}

// The player away for `ms` and back. With a box up, the box and the board
// under it are as they were; in play, no tick ran meanwhile and the next one
// comes after what was left of its interval: here half of it, as the
// player leaves half a period after a tick (seen to 10 ms).
async function expectAway(driver, ms) {
  const before = await driver.board();
  const shown = await driver.box();
  if (shown !== 'none') {
    await driver.leave();
    await driver.wait(ms);
    await driver.comeBack();
    assert.equal(await driver.board(), before, 'the board under the box moved');
    assert.equal(await driver.box(), shown, 'the box went');
    return;
  }
  let ticked = before;
  for (let waited = 0; ticked === before && waited < 2000; waited += 10) {
    await driver.wait(10);
    ticked = await driver.board();
  }
  assert.notEqual(ticked, before, 'no tick before leaving');
  await driver.wait(500);
  await driver.leave();
  await driver.wait(ms);
  assert.equal(await driver.board(), ticked, 'the game played on while the player was away');
  await driver.comeBack();
  await driver.wait(480);
  assert.equal(await driver.board(), ticked, 'a tick came before the rest of its interval');
  await driver.wait(40);
  assert.notEqual(await driver.board(), ticked, 'no tick after the rest of its interval');
}

// Full screen on or off; off, the viewport is back at its earlier size.
async function expectFullScreen(driver, on, held) {
  for (let polls = 0; polls < 100 && !(await fullScreenAs(driver, on, held)); ++polls)
    await new Promise((resolve) => setTimeout(resolve, 20));
  assert.ok(await fullScreenAs(driver, on, held), `full screen never turned ${on ? 'on' : 'off'}`);
}
const fullScreenAs = async (driver, on, held) => (await driver.fullScreen()) === on &&
  (on || JSON.stringify(await driver.windowSize()) === JSON.stringify(held.windowed));

async function take(step, driver, held) {
  const w = step.words;
  const said = w.join(' ');
  if (said === 'expect set-up board') await driver.expectSetUpBoard();
  else if (w[0] === 'press') {
    // A switch to full screen comes back to the window's size of now.
    if (w[1] === 'Alt+Return' && !(await driver.fullScreen())) held.windowed = await driver.windowSize();
    await driver.press(w[1], w[3] ?? 'focused');
  }
  else if (w[0] === 'expect' && w[1] === 'bucket')
    await waitBoard(driver, (b) => bucketPosition(b) === w[2], `the bucket ${w[2]}`);
  else if (w[0] === 'expect' && w[1] === 'ticks') await driver.expectTicks(Number(w[2]));
  else if (w[0] === 'play') assert.equal(await driver.playOn(), w[2], 'the box the game played to');
  else if (said === 'expect box beside board') {
    const box = await driver.boxRect();
    const board = await driver.boardRect();
    assert.ok(box, 'no box is up');
    assert.ok(apart(box, board), `the box ${JSON.stringify(box)} meets the board ${JSON.stringify(board)}`);
  } else if (w[0] === 'expect' && w[1] === 'board' && (w[2] === 'height' || w[2] === 'width')) {
    const board = await driver.boardRect();
    const view = await driver.windowSize();
    const [got, of] = w[2] === 'height' ? [board.bottom - board.top, view.height] : [board.right - board.left, view.width];
    assert.ok(got * 100 >= parseInt(w[3], 10) * of, `the board is ${JSON.stringify(board)} in ${JSON.stringify(view)}`);
  } else if (w[0] === 'away') await expectAway(driver, Number(w[1]));
  else if (w[0] === 'expect' && w[1] === 'box') assert.equal(await waitBox(driver, w[2]), w[2]);
  else if (said === 'expect board lost') {
    await waitBoard(driver, showsLoss, 'the board the tick left');
    await driver.expectWholeBoard();
  } else if (said === 'expect board full') assert.ok(bucketFull(await driver.board()), await driver.board());
  else if (said === 'hold board') held.board = await driver.board();
  else if (said === 'expect board held') assert.equal(await driver.board(), held.board, 'the board moved');
  else if (w[0] === 'wait') await driver.wait(Number(w[1]));
  else if (w[0] === 'click' && w[1] === 'beside') await driver.click(w[2], 30);
  else if (w[0] === 'click') await driver.click(w[1], 0);
  else if (said === 'close game') await driver.closeGame();
  else if (said === 'expect new game') await expectNewGame(driver);
  else if (said === 'expect running') assert.ok(await driver.running(), 'the game ended');
  else if (said === 'expect exit 0') await driver.expectExitZero();
  else if (w[0] === 'resize') {
    held.windowed = { width: Number(w[1]), height: Number(w[2]) };
    await driver.resize(held.windowed);
  } else if (said === 'expect board fits') await driver.expectBoardFits();
  else if (w[0] === 'full' && (w[2] === 'on' || w[2] === 'off')) {
    if (w[2] === 'on') held.windowed = await driver.windowSize();
    await driver.switchFullScreen();
    await expectFullScreen(driver, w[2] === 'on', held);
  } else if (w[0] === 'expect' && w[1] === 'full') await expectFullScreen(driver, w[3] === 'on', held);
  else throw new Error('no such step');
}

// Runs the steps in order; a failure names the scenario's file and line.
export async function run(scenario, driver) {
  const held = {};
  for (const step of scenario.steps) {
    try {
      await take(step, driver, held);
    } catch (error) {
      error.message = `${scenario.name}.txt ${step.text}: ${error.message}`;
      throw error;
    }
  }
}
